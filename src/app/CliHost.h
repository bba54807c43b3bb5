#pragma once
// The command line's JobHost: messages and progress on stderr, Ctrl-C (or SIGTERM, SIGHUP) as the
// Cancel button.
#include <functional>
#include <string>

#include "base/DateTime.h"
#include "job/JobHost.h"

namespace linkmend {

class CliHost : public JobHost {
public:
    // `now` is the program's clock (the countdown reads it); `terminal`: stderr is a terminal, so
    // progress is one updating line.
    CliHost(std::function<DateTime()> now, bool terminal);
    ~CliHost() override;

    void ShowMessage(const std::string& title, const std::string& text) override;
    void ProgressStarted(const std::string& text) override;
    void ProgressStep(const std::string& text) override;
    void ProgressRetrieved(const std::string& text) override;
    void ProgressChanged(const std::string& text) override;
    void ShowProgress(bool) override {}
    void EnableCancel(bool) override {}
    void HideCancel() override {}
    void HideMainWindow() override {}
    bool CancelRequested() override;
    bool WaitForScheduledStart() override;

    // Installs the handler of Ctrl-C, SIGTERM and SIGHUP: each sets the cancel flag.
    static void InstallInterruptHandler();

private:
    void Status(const std::string& line, bool milestone);
    void ProgressCount(const std::string& text);
    void EndStatusLine();

    std::function<DateTime()> now_;
    bool terminal_;
    bool statusOpen_ = false;
    std::string step_;
};

}  // namespace linkmend
