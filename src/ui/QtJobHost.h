#pragma once
// The windows' side of the job: message boxes, the progress window with its Cancel button, the
// countdown window, the busy pointer, and the message pump that keeps them live while the
// single-threaded run works.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "job/JobHost.h"

class QWidget;

namespace linkmend {
struct Program;
}

namespace linkmend::ui {

class frmArmatureSplash;
class frmDorEvirizuSchedule;

// One message box as the job asked for it: an OK button only, or the two `buttons`.
struct MessageBoxRequest {
    std::string title, text;
    bool twoButtons = false;
    MessageButtons buttons = MessageButtons::OkCancel;
};

class QtJobHost : public QObject, public JobHost {
    Q_OBJECT
public:
    explicit QtJobHost(Program& program);
    ~QtJobHost() override;

    // The window hidden at run start and disabled while busy.
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }

    // Message boxes go to `handler` instead of the screen (tests); an empty handler restores the boxes.
    using MessageHandler = std::function<MessageAnswer(const MessageBoxRequest&)>;
    void InterceptMessages(MessageHandler handler) { handler_ = std::move(handler); }

    void ShowMessage(const std::string& title, const std::string& text) override;
    MessageAnswer Ask(const std::string& title, const std::string& text, MessageButtons buttons) override;
    void ShowBusy(bool busy) override;

    void ProgressStarted(const std::string& text) override;
    void ProgressStep(const std::string& text) override;
    void ProgressRetrieved(const std::string& text) override;
    void ProgressChanged(const std::string& text) override;
    void ShowProgress(bool visible) override;
    void EnableCancel(bool enabled) override;
    void HideCancel() override;
    void HideMainWindow() override;
    bool CancelRequested() override { return cancel_; }
    bool WaitForScheduledStart() override;

    // A stop signal (SIGTERM, SIGHUP): during the countdown its Cancel, during a run the progress
    // window's Cancel (whether or not the button is enabled yet). False when no run has started.
    bool Stop();
    // From now on SIGTERM and SIGHUP call Stop; before a run they end the program as Exit does
    // (its event loop; one that has not started yet asks StoppedBeforeRun).
    void ListenForStopSignals();
    bool StoppedBeforeRun() const { return stoppedBeforeRun_; }

    // The windows of the run, created when the run first needs them (null before).
    frmArmatureSplash* ProgressWindow() const { return progress_.get(); }
    frmDorEvirizuSchedule* CountdownWindow() const { return countdown_.get(); }

private:
    MessageAnswer Box(const MessageBoxRequest& request);
    frmArmatureSplash& Progress();

    Program& program_;
    QPointer<QWidget> mainWindow_;
    MessageHandler handler_;
    std::unique_ptr<frmArmatureSplash> progress_;
    std::unique_ptr<frmDorEvirizuSchedule> countdown_;
    bool cancel_ = false;  // set by Cancel, never cleared: one start of the program, one run
    bool stoppedBeforeRun_ = false;
    int busy_ = 0;
};

// Installs the process-wide "let window messages run" hook: pending Qt events are processed.
void InstallQtMessagePump();

}  // namespace linkmend::ui
