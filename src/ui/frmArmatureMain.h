#pragma once
// The main window: shows the job definition, keeps it in the settings file, opens the Options
// dialog and starts the run. Every rule lives in the job code; the window copies its controls to and
// from the job's form state.
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "job/JobSettings.h"
#include "job/OptionsForm.h"
#include "job/UrlChangeRun.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace linkmend {
struct Program;
}

namespace linkmend::ui {

class QtJobHost;
class UpDownBox;
class frmArmatureOptions;

class frmArmatureMain : public QMainWindow {
    Q_OBJECT
public:
    frmArmatureMain(Program& program, QtJobHost& host);
    ~frmArmatureMain() override;

    // Start-up: caption, size and place, the profile, the job settings and the location list.
    void StartUp();

    const MainFormState& Form() const { return form_; }

    // Asks for a file name (title, filter, whether it is to be written); "" when the user cancels.
    // Tests put their own in place of the file dialog.
    using FileChooser = std::function<std::string(const std::string&, const std::string&, bool)>;
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    frmArmatureOptions* OptionsDialog() const { return options_.get(); }

signals:
    // The program is over (after a run, or Exit); the exit status of the process.
    void ProgramEnded(int exitStatus);

protected:
    void closeEvent(QCloseEvent* event) override;  // as Exit

private:
    void BuildMenus();
    void BuildControls();
    void SetTabOrder();
    QWidget* BuildIdentifyFrame();
    QWidget* BuildChangesFrame();
    QWidget* BuildLimitsFrame();
    QWidget* BuildRunTypeFrame();
    QWidget* SubfieldBlock(std::size_t row);

    void ShowForm();
    void ShowLocationList();
    void ShowActionBoxes();
    void ReadActionBoxes();
    void ReadForm();
    void ActionBoxToggled(int index);

    void Perform();
    void PerformOnFile();
    void Run(const std::function<RunOutcome()>& run);
    void OpenOptions();
    void OptionsClosed();
    void Exit();

    Program& program_;
    QtJobHost& host_;
    MainFormState form_;
    OptionsLists optionsLists_;  // kept for the life of the program, between openings of the dialog
    std::unique_ptr<frmArmatureOptions> options_;
    bool ended_ = false;

    FileChooser chooser_;
    QAction* mnuPerform_ = nullptr;
    QAction* mnuPerformOnFile_ = nullptr;
    QAction* mnuOptions_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QLineEdit* txtOldUrlStem_ = nullptr;
    QButtonGroup* optWorkingEnd_ = nullptr;
    std::array<QCheckBox*, kActionBoxCount> chkThingToChange_{};
    QButtonGroup* optUrlAction_ = nullptr;
    QLineEdit* txtNewUrlStem_ = nullptr;
    // optSubfieldX, txtSubfieldX ... by row of the subfield actions.
    std::array<QButtonGroup*, kSubfieldActionCount> optSubfield_{};
    std::array<QLineEdit*, kSubfieldActionCount> txtSubfield_{};
    // The controls under each action box but the last (deleting the field), enabled while it is checked.
    std::array<QWidget*, kDeleteFieldBox> subOptions_{};
    QCheckBox* chkLimitByLocation_ = nullptr;
    QComboBox* cmbLocation_ = nullptr;
    UpDownBox* updBibLimit_ = nullptr;
    QCheckBox* chkProductionRun_ = nullptr;
    QCheckBox* chkListChangedRecords_ = nullptr;
};

}  // namespace linkmend::ui
