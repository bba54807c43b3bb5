#pragma once
// What the job needs from whoever runs it: the window (Qt) or the command line. The job talks only to
// this interface, so every rule and message can be tested without a window.
#include <string>

namespace linkmend {

// The buttons of a question box and the one the user pressed.
enum class MessageButtons { OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class JobHost {
public:
    virtual ~JobHost() = default;

    // A message box with an OK button.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;

    // A message box with two buttons; returns the one pressed. Without a window there is nobody to
    // ask: the message is shown and the first button taken.
    virtual MessageAnswer Ask(const std::string& title, const std::string& text, MessageButtons buttons) {
        ShowMessage(title, text);
        return buttons == MessageButtons::OkCancel ? MessageAnswer::Ok : MessageAnswer::Yes;
    }

    // Busy: the wait pointer is shown and the main window takes no input; false ends it.
    virtual void ShowBusy(bool) {}

    // Progress window: started line, step text, the two counter lines, the Cancel button.
    virtual void ProgressStarted(const std::string& text) = 0;
    virtual void ProgressStep(const std::string& text) = 0;
    virtual void ProgressRetrieved(const std::string& text) = 0;
    virtual void ProgressChanged(const std::string& text) = 0;
    virtual void ShowProgress(bool visible) = 0;
    virtual void EnableCancel(bool enabled) = 0;
    virtual void HideCancel() = 0;
    virtual void HideMainWindow() = 0;

    // The program-wide cancel flag, set by the progress window's Cancel (or Ctrl-C).
    virtual bool CancelRequested() = 0;

    // The deferred start: shows the countdown until it is time (true) or the user cancels (false).
    // The host lets window messages run while it waits.
    virtual bool WaitForScheduledStart() = 0;
};

}  // namespace linkmend
