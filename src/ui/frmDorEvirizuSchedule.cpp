#include "ui/frmDorEvirizuSchedule.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/MessagePump.h"
#include "job/UrlChangeRun.h"
#include "ui/FormSupport.h"

namespace linkmend::ui {

frmDorEvirizuSchedule::frmDorEvirizuSchedule(std::function<DateTime()> clock, QWidget* parent)
    : QWidget(parent, Qt::Window), clock_(std::move(clock)) {
    setObjectName("frmDorEvirizuSchedule");
    setWindowTitle("Linkmend: deferred processing of changes");

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    connect(timer1_, &QTimer::timeout, this, &frmDorEvirizuSchedule::Tick);

    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        lblMessage1_[i] = new QLabel(this);
        lblMessage1_[i]->setObjectName(QString("lblMessage1_%1").arg(i));
        layout->addWidget(lblMessage1_[i]);
    }
    lblSecret_ = new QLabel(this);
    lblSecret_->setObjectName("lblSecret");
    lblSecret_->hide();
    lblSecret2_ = new QLabel(this);
    lblSecret2_->setObjectName("lblSecret2");
    lblSecret2_->hide();
    lblSecret2_->clear();

    command1_ = new QPushButton("&Cancel", this);
    command1_->setObjectName("Command1");
    connect(command1_, &QPushButton::clicked, this, [this] { lblSecret_->setText("CANCEL"); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    layout->addStretch();
    layout->addLayout(buttons);
}

void frmDorEvirizuSchedule::Tick() {
    if (ScheduledStartReached(clock_())) lblSecret_->setText("CLICK");
}

bool frmDorEvirizuSchedule::WaitForStart() {
    LetWindowMessagesRun();
    lblSecret_->clear();
    lblMessage1_[0]->setText("Counting down to start of batch processing of URL change request at 10:00 p.m.");
    lblMessage1_[1]->clear();
    CentreOnScreen(this);
    show();
    timer1_->setInterval(2000);
    timer1_->start();
    // Events (the timer's among them) wake the loop; nothing spins while it waits.
    while (lblSecret_->text().isEmpty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timer1_->stop();
    hide();
    return lblSecret_->text() != "CANCEL";
}

void frmDorEvirizuSchedule::closeEvent(QCloseEvent* event) {
    event->ignore();
    command1_->click();
}

}  // namespace linkmend::ui
