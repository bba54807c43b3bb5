#include "ui/QtJobHost.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "base/MessagePump.h"
#include "job/Program.h"
#include "ui/FormSupport.h"
#include "ui/StopSignals.h"
#include "ui/frmArmatureSplash.h"
#include "ui/frmDorEvirizuSchedule.h"

namespace linkmend::ui {

QtJobHost::QtJobHost(Program& program) : program_(program) {}

QtJobHost::~QtJobHost() = default;

MessageAnswer QtJobHost::Box(const MessageBoxRequest& request) {
    if (handler_) return handler_(request);
    // Over the window the user is working in: the Options dialog, the progress window or the main one.
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    if (!parent) parent = mainWindow_;
    QMessageBox box(request.twoButtons && request.buttons == MessageButtons::YesNo ? QMessageBox::Question
                                                                                   : QMessageBox::Information,
                    Q(request.title), Q(request.text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);  // database texts may hold "<" and must not be read as markup
    if (!request.twoButtons) {
        box.setStandardButtons(QMessageBox::Ok);
    } else if (request.buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    }
    switch (box.exec()) {
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

void QtJobHost::ShowMessage(const std::string& title, const std::string& text) { Box({title, text, false, {}}); }

MessageAnswer QtJobHost::Ask(const std::string& title, const std::string& text, MessageButtons buttons) {
    return Box({title, text, true, buttons});
}

void QtJobHost::ShowBusy(bool busy) {
    if (busy) {
        if (busy_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            if (mainWindow_) mainWindow_->setEnabled(false);
        }
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
        if (mainWindow_) mainWindow_->setEnabled(true);
    }
}

frmArmatureSplash& QtJobHost::Progress() {
    if (!progress_) {
        progress_ = std::make_unique<frmArmatureSplash>();
        connect(progress_.get(), &frmArmatureSplash::CancelClicked, this, [this] { cancel_ = true; });
    }
    return *progress_;
}

void QtJobHost::ProgressStarted(const std::string& text) {
    Progress().SetStarted(Q(text));
    CentreOnScreen(progress_.get());
}

void QtJobHost::ProgressStep(const std::string& text) { Progress().SetStep(Q(text)); }
void QtJobHost::ProgressRetrieved(const std::string& text) { Progress().SetRetrieved(Q(text)); }
void QtJobHost::ProgressChanged(const std::string& text) { Progress().SetChanged(Q(text)); }
void QtJobHost::ShowProgress(bool visible) { Progress().setVisible(visible); }
void QtJobHost::EnableCancel(bool enabled) { Progress().EnableCancel(enabled); }
void QtJobHost::HideCancel() { Progress().HideCancel(); }

void QtJobHost::HideMainWindow() {
    if (mainWindow_) mainWindow_->hide();
}

bool QtJobHost::WaitForScheduledStart() {
    if (!countdown_) countdown_ = std::make_unique<frmDorEvirizuSchedule>([this] { return program_.now(); });
    return countdown_->WaitForStart();
}

bool QtJobHost::Stop() {
    if (countdown_ && countdown_->isVisible()) {
        countdown_->close();  // as its Cancel button
        return true;
    }
    if (!progress_) return false;
    cancel_ = true;
    return true;
}

void QtJobHost::ListenForStopSignals() {
    auto* stop = new StopSignals(this);
    connect(stop, &StopSignals::Stopped, this, [this] {
        if (Stop()) return;
        stoppedBeforeRun_ = true;
        QCoreApplication::exit(0);
    });
}

void InstallQtMessagePump() {
    SetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

}  // namespace linkmend::ui
