// The Options dialog's frames and controls. Labels form the array Label1, the buttons Command1:
// 0 browse for Voyager.INI, 1 Cancel, 2 OK, 3 browse for the validation files.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/FormSupport.h"
#include "ui/frmArmatureOptions.h"

namespace linkmend::ui {
namespace {

QLineEdit* TextBox(const char* name, QWidget* parent, bool selectAllOnFocus = true) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    if (selectAllOnFocus) SelectAllOnFocus(box);
    return box;
}

QLabel* Label1(int index, const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString("Label1_%1").arg(index));
    label->setBuddy(buddy);
    return label;
}

QGroupBox* Frame(const char* name, const QString& caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

}  // namespace

void frmArmatureOptions::BuildControls() {
    const std::array<const char*, 4> names = {"Command1_0", "Command1_1", "Command1_2", "Command1_3"};
    const std::array<const char*, 4> captions = {"&Browse...", "Cancel", "OK", "Br&owse..."};
    for (std::size_t i = 0; i < 4; ++i) {
        command1_[i] = new QPushButton(captions[i], this);
        command1_[i]->setObjectName(names[i]);
        command1_[i]->setAutoDefault(false);
    }
    command1_[2]->setDefault(true);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(BuildConnectionFrame());
    left->addWidget(BuildOperatorFrame());
    columns->addLayout(left, 1);
    columns->addWidget(BuildLibrariesFrame(), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_[2]);
    buttons->addWidget(command1_[1]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(BuildFoldersFrame());
    layout->addLayout(buttons);
    // The boxes of the connection and operator frames start at one line.
    int labelWidth = 0;
    for (int i = 0; i <= 6; ++i) {
        labelWidth = std::max(labelWidth, findChild<QLabel*>(QString("Label1_%1").arg(i))->sizeHint().width());
    }
    for (int i = 0; i <= 6; ++i) findChild<QLabel*>(QString("Label1_%1").arg(i))->setMinimumWidth(labelWidth);
    SetTabOrder();
}

QWidget* frmArmatureOptions::BuildConnectionFrame() {
    auto* frame = Frame("fraConnection", "Database connection (read-only account)", this);
    txtDSN_ = TextBox("txtDSN", frame);
    txtTNP_ = TextBox("txtTNP", frame);
    txtReadUID_ = TextBox("txtReadUID", frame);
    txtReadPWD_ = TextBox("txtReadPWD", frame);
    auto* form = new QFormLayout(frame);
    form->addRow(Label1(0, "ODBC &data source (DSN):", txtDSN_, frame), txtDSN_);
    form->addRow(Label1(1, "&Table name prefix:", txtTNP_, frame), txtTNP_);
    form->addRow(Label1(2, "Read-only &sign-on:", txtReadUID_, frame), txtReadUID_);
    form->addRow(Label1(3, "Read-only &password:", txtReadPWD_, frame), txtReadPWD_);
    return frame;
}

QWidget* frmArmatureOptions::BuildOperatorFrame() {
    auto* frame = Frame("fraOperator", "Voyager operator (writes the records back)", this);
    txtWriteUID_ = TextBox("txtWriteUID", frame);
    txtWritePWD_ = TextBox("txtWritePWD", frame);
    cmbHappening_ = new QComboBox(frame);
    cmbHappening_->setObjectName("cmbHappening");
    cmbHappening_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* form = new QFormLayout(frame);
    form->addRow(Label1(4, "Operator &ID:", txtWriteUID_, frame), txtWriteUID_);
    form->addRow(Label1(5, "Operator pass&word:", txtWritePWD_, frame), txtWritePWD_);
    form->addRow(Label1(6, "&Happening location:", cmbHappening_, frame), cmbHappening_);
    return frame;
}

QWidget* frmArmatureOptions::BuildLibrariesFrame() {
    auto* frame = Frame("fraOwningLibraries", "Owning libraries", this);
    chkAllOwningLibraries_ = new QCheckBox("&All owning libraries", frame);
    chkAllOwningLibraries_->setObjectName("chkAllOwningLibraries");
    lstOwningLibrary_ = new QListWidget(frame);
    lstOwningLibrary_->setObjectName("lstOwningLibrary");
    lstOwningLibrary_->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(chkAllOwningLibraries_);
    layout->addWidget(Label1(7, "Or the libraries whose records the run may &change:", lstOwningLibrary_, frame));
    layout->addWidget(lstOwningLibrary_, 1);
    return frame;
}

QWidget* frmArmatureOptions::BuildFoldersFrame() {
    auto* frame = Frame("fraFolders", "Folders", this);
    txtVoyagerPath_ = TextBox("txtVoyagerPath", frame);
    txtFolderForReports_ = TextBox("txtFolderForReports", frame);
    txtValidationPath_ = TextBox("txtValidationPath", frame, false);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(Label1(8, "Folder of &Voyager.INI:", txtVoyagerPath_, frame), 0, 0);
    grid->addWidget(txtVoyagerPath_, 0, 1);
    grid->addWidget(command1_[0], 0, 2);
    grid->addWidget(Label1(9, "Folder for &reports:", txtFolderForReports_, frame), 1, 0);
    grid->addWidget(txtFolderForReports_, 1, 1);
    grid->addWidget(Label1(10, "Folder of va&lidation files:", txtValidationPath_, frame), 2, 0);
    grid->addWidget(txtValidationPath_, 2, 1);
    grid->addWidget(command1_[3], 2, 2);
    grid->setColumnStretch(1, 1);
    return frame;
}

void frmArmatureOptions::SetTabOrder() {
    const QList<QWidget*> order = {txtDSN_,
                                   txtTNP_,
                                   txtReadUID_,
                                   txtReadPWD_,
                                   txtWriteUID_,
                                   txtWritePWD_,
                                   cmbHappening_,
                                   chkAllOwningLibraries_,
                                   lstOwningLibrary_,
                                   txtVoyagerPath_,
                                   command1_[0],
                                   txtFolderForReports_,
                                   txtValidationPath_,
                                   command1_[3],
                                   command1_[2],
                                   command1_[1]};
    for (int i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace linkmend::ui
