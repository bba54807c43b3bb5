#include "ui/frmArmatureSplash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "job/JobSettings.h"

namespace linkmend::ui {

frmArmatureSplash::frmArmatureSplash(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmArmatureSplash");
    setWindowTitle(kProgramTitle);

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    lblStarted_ = label("lblStarted", "Started:");
    lblProcessingStepText_ = label("lblProcessingStepText", QString());
    lblRecordsRetrieved_ = label("lblRecordsRetrieved", QString());
    lblRecordsChanged_ = label("lblRecordsChanged", QString());
    QFont stepFont = lblProcessingStepText_->font();
    stepFont.setBold(true);
    lblProcessingStepText_->setFont(stepFont);
    // Room for the longest counter line, so the window does not jump as the numbers grow.
    lblRecordsRetrieved_->setMinimumWidth(fontMetrics().horizontalAdvance("Read: 888888 of 888888 [88888/888888]"));

    command1_ = new QPushButton("&Cancel", this);
    command1_->setObjectName("Command1");
    command1_->setEnabled(false);
    connect(command1_, &QPushButton::clicked, this, &frmArmatureSplash::CancelClicked);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStarted_);
    layout->addWidget(rule);
    layout->addWidget(lblProcessingStepText_);
    layout->addWidget(lblRecordsRetrieved_);
    layout->addWidget(lblRecordsChanged_);
    layout->addStretch();
    layout->addLayout(buttons);
}

void frmArmatureSplash::SetStarted(const QString& text) { lblStarted_->setText(text); }
void frmArmatureSplash::SetStep(const QString& text) { lblProcessingStepText_->setText(text); }
void frmArmatureSplash::SetRetrieved(const QString& text) { lblRecordsRetrieved_->setText(text); }
void frmArmatureSplash::SetChanged(const QString& text) { lblRecordsChanged_->setText(text); }
void frmArmatureSplash::EnableCancel(bool enabled) { command1_->setEnabled(enabled); }
void frmArmatureSplash::HideCancel() { command1_->hide(); }

void frmArmatureSplash::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (command1_->isVisible() && command1_->isEnabled()) command1_->click();
}

}  // namespace linkmend::ui
