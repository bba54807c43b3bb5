#include "ui/frmArmatureOptions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "job/Program.h"
#include "ui/FormSupport.h"
#include "ui/QtJobHost.h"

namespace linkmend::ui {

frmArmatureOptions::frmArmatureOptions(Program& program, OptionsLists& lists, MainFormState& mainForm, QtJobHost& host)
    : program_(program), lists_(lists), mainForm_(mainForm), host_(host) {
    setObjectName("frmArmatureOptions");
    setWindowModality(Qt::ApplicationModal);
    chooser_ = [this](const std::string& title, const std::string& folder, const std::string& filter) {
        return S(QFileDialog::getOpenFileName(this, Q(title), Q(folder), Q(filter)));
    };
    BuildControls();
    connect(command1_[0], &QPushButton::clicked, this, &frmArmatureOptions::BrowseVoyagerIni);
    connect(command1_[1], &QPushButton::clicked, this, &frmArmatureOptions::CloseDialog);
    connect(command1_[2], &QPushButton::clicked, this, &frmArmatureOptions::Ok);
    connect(command1_[3], &QPushButton::clicked, this, &frmArmatureOptions::BrowseValidationFiles);
    connect(chkAllOwningLibraries_, &QCheckBox::clicked, this, [this] {
        form_.chkAllOwningLibraries = chkAllOwningLibraries_->isChecked();
        AllOwningLibrariesClicked(form_);
        lstOwningLibrary_->setEnabled(form_.lstOwningLibraryEnabled);
    });
}

frmArmatureOptions::~frmArmatureOptions() = default;

void frmArmatureOptions::Open() {
    OpenOptions(program_, lists_, form_, host_);
    ShowForm();
    CentreOnScreen(this);
    show();
}

void frmArmatureOptions::ShowForm() {
    setWindowTitle(Q(form_.caption));
    txtDSN_->setText(Q(form_.txtDSN));
    txtTNP_->setText(Q(form_.txtTNP));
    txtReadUID_->setText(Q(form_.txtReadUID));
    txtReadPWD_->setText(Q(form_.txtReadPWD));
    txtWriteUID_->setText(Q(form_.txtWriteUID));
    txtWritePWD_->setText(Q(form_.txtWritePWD));
    txtVoyagerPath_->setText(Q(form_.txtVoyagerPath));
    txtFolderForReports_->setText(Q(form_.txtFolderForReports));
    txtValidationPath_->setText(Q(form_.txtValidationPath));
    lstOwningLibrary_->clear();
    for (std::size_t i = 0; i < form_.lstOwningLibrary.size(); ++i) {
        auto* item = new QListWidgetItem(Q(form_.lstOwningLibrary[i]), lstOwningLibrary_);
        item->setSelected(i < form_.lstOwningLibrarySelected.size() && form_.lstOwningLibrarySelected[i]);
    }
    lstOwningLibrary_->setEnabled(form_.lstOwningLibraryEnabled);
    chkAllOwningLibraries_->setChecked(form_.chkAllOwningLibraries);
    cmbHappening_->clear();
    for (const std::string& entry : form_.cmbHappening) cmbHappening_->addItem(Q(entry));
    cmbHappening_->setCurrentIndex(form_.cmbHappeningIndex);
    cmbHappening_->setEnabled(form_.cmbHappeningEnabled);
}

void frmArmatureOptions::ReadForm() {
    form_.txtDSN = S(txtDSN_->text());
    form_.txtTNP = S(txtTNP_->text());
    form_.txtReadUID = S(txtReadUID_->text());
    form_.txtReadPWD = S(txtReadPWD_->text());
    form_.txtWriteUID = S(txtWriteUID_->text());
    form_.txtWritePWD = S(txtWritePWD_->text());
    form_.txtVoyagerPath = S(txtVoyagerPath_->text());
    form_.txtFolderForReports = S(txtFolderForReports_->text());
    form_.txtValidationPath = S(txtValidationPath_->text());
    for (int i = 0; i < lstOwningLibrary_->count(); ++i) {
        form_.lstOwningLibrarySelected[static_cast<std::size_t>(i)] = lstOwningLibrary_->item(i)->isSelected();
    }
    form_.chkAllOwningLibraries = chkAllOwningLibraries_->isChecked();
    form_.cmbHappeningIndex = cmbHappening_->currentIndex();
}

void frmArmatureOptions::Ok() {
    ReadForm();
    const bool close = ValidateAndSaveOptions(program_, lists_, form_, mainForm_, host_);
    ShowForm();
    if (close) {
        CloseDialog();
    } else if (!form_.focus.empty()) {
        if (QWidget* box = findChild<QWidget*>(Q(form_.focus))) box->setFocus();
    }
}

void frmArmatureOptions::CloseDialog() {
    if (closing_) return;
    closing_ = true;
    hide();
    emit Closed();
}

void frmArmatureOptions::BrowseVoyagerIni() {
    ReadForm();
    const std::string chosen = chooser_("Find Voyager.INI", program_.profile.VoyagerPath, ".INI files (*.ini *.INI)");
    VoyagerIniChosen(form_, chosen);
    txtVoyagerPath_->setText(Q(form_.txtVoyagerPath));
}

void frmArmatureOptions::BrowseValidationFiles() {
    ReadForm();
    const std::string chosen = chooser_("Find validation files", program_.profile.ValidationPath, ".cfg files (*.cfg)");
    ValidationFileChosen(form_, chosen);
    txtValidationPath_->setText(Q(form_.txtValidationPath));
}

void frmArmatureOptions::closeEvent(QCloseEvent* event) {
    CloseDialog();
    event->accept();
}

void frmArmatureOptions::reject() { CloseDialog(); }

}  // namespace linkmend::ui
