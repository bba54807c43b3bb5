#pragma once
// A JobHost that records what the job shows. Questions take the next of `answers`, else their first
// button; the on... hooks let a test act at a given moment of the run (onPump through the message pump).
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "job/JobHost.h"

namespace linkmend::test {

class FakeHost : public JobHost {
public:
    void ShowMessage(const std::string& title, const std::string& text) override { messages.emplace_back(title, text); }
    MessageAnswer Ask(const std::string& title, const std::string& text, MessageButtons buttons) override {
        questions.push_back({title, text, buttons});
        if (answers.empty()) return buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes;
        const MessageAnswer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void ShowBusy(bool busy) override { busyChanges.push_back(busy); }
    void ProgressStarted(const std::string&) override {}
    void ProgressStep(const std::string& t) override { Note(steps.emplace_back(t), onStep); }
    void ProgressRetrieved(const std::string& t) override { Note(retrieved = t, onRetrieved); }
    void ProgressChanged(const std::string& t) override { Note(changed = t, onChanged); }
    void ShowProgress(bool) override {}
    void EnableCancel(bool) override {}
    void HideCancel() override { cancelHidden = true; }
    void HideMainWindow() override {}
    bool CancelRequested() override { return cancel; }
    bool WaitForScheduledStart() override { return ++countdowns, startWhenScheduled; }

    struct Question {
        std::string title, text;
        MessageButtons buttons;
    };
    std::vector<std::pair<std::string, std::string>> messages;  // title, text
    std::vector<Question> questions;
    std::vector<MessageAnswer> answers;
    std::vector<bool> busyChanges;
    std::vector<std::string> steps;
    std::string retrieved, changed;
    bool cancel = false, cancelHidden = false, startWhenScheduled = true;
    int countdowns = 0;
    std::function<void(const std::string&)> onStep, onRetrieved, onChanged;
    std::function<void()> onPump;

private:
    static void Note(const std::string& text, const std::function<void(const std::string&)>& hook) {
        if (hook) hook(text);
    }
};

}  // namespace linkmend::test
