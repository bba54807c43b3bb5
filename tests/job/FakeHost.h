#pragma once
// A JobHost that records what the job shows, for tests.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "job/JobHost.h"

namespace linkmend::test {

class FakeHost : public JobHost {
public:
    void ShowMessage(const std::string& title, const std::string& text) override { messages.emplace_back(title, text); }
    // Question boxes are recorded with their buttons; the answer is the next of `answers`, else the
    // first button.
    MessageAnswer Ask(const std::string& title, const std::string& text, MessageButtons buttons) override {
        questions.push_back({title, text, buttons});
        if (!answers.empty()) {
            const MessageAnswer a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    void ShowBusy(bool busy) override { busyChanges.push_back(busy); }
    void ProgressStarted(const std::string& t) override { started = t; }
    void ProgressStep(const std::string& t) override {
        steps.push_back(t);
        if (onStep) onStep(t);
    }
    void ProgressRetrieved(const std::string& t) override {
        retrieved = t;
        if (onRetrieved) onRetrieved(t);
    }
    void ProgressChanged(const std::string& t) override {
        changed = t;
        if (onChanged) onChanged(t);
    }
    void ShowProgress(bool visible) override { progressVisible = visible; }
    void EnableCancel(bool enabled) override { cancelEnabled = enabled; }
    void HideCancel() override { cancelHidden = true; }
    void HideMainWindow() override { mainHidden = true; }
    bool CancelRequested() override { return cancel; }
    bool WaitForScheduledStart() override {
        ++countdowns;
        return startWhenScheduled;
    }

    struct Question {
        std::string title, text;
        MessageButtons buttons;
    };
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<Question> questions;
    std::vector<MessageAnswer> answers;
    std::vector<bool> busyChanges;
    std::vector<std::string> steps;
    std::string started, retrieved, changed;
    bool progressVisible = false, cancelEnabled = false, cancelHidden = false, mainHidden = false;
    bool cancel = false, startWhenScheduled = true;
    int countdowns = 0;
    // Called as the texts arrive, and on every "let window messages run" when the test installs
    // onPump through the message pump; tests use them to act at a given moment of the run.
    std::function<void(const std::string&)> onStep, onRetrieved, onChanged;
    std::function<void()> onPump;
};

}  // namespace linkmend::test
