#pragma once
// The Options dialog: the connection profile, the owning libraries and the operator's happening
// location. Its rules are the job's (OptionsForm.h); the dialog copies its controls to and from the
// job's form state.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "job/OptionsForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace linkmend {
struct Program;
struct MainFormState;
}  // namespace linkmend

namespace linkmend::ui {

class QtJobHost;

class frmArmatureOptions : public QDialog {
    Q_OBJECT
public:
    frmArmatureOptions(Program& program, OptionsLists& lists, MainFormState& mainForm, QtJobHost& host);
    ~frmArmatureOptions() override;

    // The opening: fills the dialog for the saved profile, centres and shows it.
    void Open();

    // Asks for a file (title, initial folder, filter); "" when cancelled. The platform's file
    // dialog unless replaced (tests).
    using FileChooser =
        std::function<std::string(const std::string& title, const std::string& folder, const std::string& filter)>;
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    const OptionsFormState& Form() const { return form_; }

signals:
    // The dialog is gone from the screen, saved or not.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;  // as Cancel
    void reject() override;                        // Escape: as Cancel

private:
    void BuildControls();
    QWidget* BuildConnectionFrame();
    QWidget* BuildOperatorFrame();
    QWidget* BuildLibrariesFrame();
    QWidget* BuildFoldersFrame();
    void SetTabOrder();

    void ShowForm();
    void ReadForm();
    void Ok();
    void CloseDialog();
    void BrowseVoyagerIni();
    void BrowseValidationFiles();

    Program& program_;
    OptionsLists& lists_;
    MainFormState& mainForm_;
    QtJobHost& host_;
    OptionsFormState form_;
    FileChooser chooser_;
    bool closing_ = false;

    QLineEdit* txtDSN_ = nullptr;
    QLineEdit* txtTNP_ = nullptr;
    QLineEdit* txtReadUID_ = nullptr;
    QLineEdit* txtReadPWD_ = nullptr;
    QLineEdit* txtWriteUID_ = nullptr;
    QLineEdit* txtWritePWD_ = nullptr;
    QLineEdit* txtVoyagerPath_ = nullptr;
    QLineEdit* txtFolderForReports_ = nullptr;
    QLineEdit* txtValidationPath_ = nullptr;
    QListWidget* lstOwningLibrary_ = nullptr;
    QCheckBox* chkAllOwningLibraries_ = nullptr;
    QComboBox* cmbHappening_ = nullptr;
    std::array<QPushButton*, 4> command1_{};  // browse Voyager.INI, Cancel, OK, browse validation files
};

}  // namespace linkmend::ui
