#include "ui/frmArmatureMain.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"
#include "ui/FormSupport.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureOptions.h"

namespace linkmend::ui {
namespace {

void Select(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) button->setChecked(true);
}

int Selected(const QButtonGroup* group) { return group->checkedId() < 0 ? 0 : group->checkedId(); }

}  // namespace

frmArmatureMain::frmArmatureMain(Program& program, QtJobHost& host) : program_(program), host_(host) {
    setObjectName("frmArmatureMain");
    chooser_ = [this](const std::string& title, const std::string& filter, bool save) {
        return S(save ? QFileDialog::getSaveFileName(this, Q(title), QString(), Q(filter))
                      : QFileDialog::getOpenFileName(this, Q(title), QString(), Q(filter)));
    };
    BuildMenus();
    BuildControls();
    ShowForm();
}

frmArmatureMain::~frmArmatureMain() = default;

void frmArmatureMain::StartUp() {
    setWindowTitle(kProgramTitle);
    // The whole form when the screen has room for it (about 9100 twips high), else most of the
    // screen, leaving room for the window frame.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchY()) : 96;
    const QWidget* form = findChild<QWidget*>("pnlForm");
    QSize wanted = form->sizeHint() + QSize(0, menuBar()->sizeHint().height());
    wanted.setHeight(std::max(wanted.height(), 9100 * dpi / 1440));
    if (screen) wanted = wanted.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(wanted);
    CentreOnScreen(this);
    try {
        linkmend::StartUp(program_, form_);
    } catch (const LinkmendError& e) {
        // The location list could not be read; the settings are loaded and shown all the same, and
        // the Options dialog can put the connection right.
        host_.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
        ShowJobSettings(program_.job, form_);
    }
    ShowForm();
}

void frmArmatureMain::ShowForm() {
    txtOldUrlStem_->setText(Q(form_.txtOldUrlStem));
    txtNewUrlStem_->setText(Q(form_.txtNewUrlStem));
    Select(optWorkingEnd_, form_.optWorkingEnd);
    Select(optUrlAction_, form_.optUrlAction);
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        Select(optSubfield_[row], form_.optSubfield[row]);
        txtSubfield_[row]->setText(Q(form_.txtSubfield[row]));
    }
    chkLimitByLocation_->setChecked(form_.chkLimitByLocation);
    ShowLocationList();
    updBibLimit_->setValue(form_.updBibLimit);
    chkProductionRun_->setChecked(form_.chkProductionRun);
    chkListChangedRecords_->setChecked(form_.chkListChangedRecords);
    ShowActionBoxes();
}

void frmArmatureMain::ShowLocationList() {
    cmbLocation_->clear();
    for (const std::string& entry : form_.cmbLocation) cmbLocation_->addItem(Q(entry));
    cmbLocation_->setCurrentIndex(form_.cmbLocationIndex);
}

void frmArmatureMain::ShowActionBoxes() {
    // The window's own changes to the boxes must not run the action-box rule again.
    form_.actionBoxGuard = true;
    for (std::size_t i = 0; i < kActionBoxCount; ++i) chkThingToChange_[i]->setChecked(form_.chkThingToChange[i]);
    form_.actionBoxGuard = false;
    for (std::size_t i = 0; i < subOptions_.size(); ++i) subOptions_[i]->setEnabled(form_.chkThingToChange[i]);
}

void frmArmatureMain::ReadActionBoxes() {
    for (std::size_t i = 0; i < kActionBoxCount; ++i) form_.chkThingToChange[i] = chkThingToChange_[i]->isChecked();
}

void frmArmatureMain::ReadForm() {
    form_.txtOldUrlStem = S(txtOldUrlStem_->text());
    form_.txtNewUrlStem = S(txtNewUrlStem_->text());
    form_.optWorkingEnd = Selected(optWorkingEnd_);
    ReadActionBoxes();
    form_.optUrlAction = Selected(optUrlAction_);
    for (std::size_t row = 0; row < kSubfieldActionCount; ++row) {
        form_.optSubfield[row] = Selected(optSubfield_[row]);
        form_.txtSubfield[row] = S(txtSubfield_[row]->text());
    }
    form_.chkLimitByLocation = chkLimitByLocation_->isChecked();
    form_.cmbLocationIndex = cmbLocation_->currentIndex();
    updBibLimit_->interpretText();
    form_.updBibLimit = updBibLimit_->value();
    form_.chkProductionRun = chkProductionRun_->isChecked();
    form_.chkListChangedRecords = chkListChangedRecords_->isChecked();
}

void frmArmatureMain::ActionBoxToggled(int index) {
    if (form_.actionBoxGuard) return;
    ReadActionBoxes();
    ActionBoxClicked(form_, index);
    ShowActionBoxes();
}

void frmArmatureMain::Perform() {
    ReadForm();
    if (!PerformChecks(program_, form_, host_)) return;
    Run([this] { return RunUrlChangeJob(program_, host_); });
}

void frmArmatureMain::PerformOnFile() {
    ReadForm();
    const char* filter = "MARC files (*.mrc *.marc *.dat *.xml);;All files (*)";
    MarcFiles files;
    files.in = chooser_("MARC file to read", filter, false);
    if (files.in.empty()) return;
    files.out = chooser_("MARC file to write", filter, true);
    if (files.out.empty()) return;
    if (const std::string refusal = CheckMarcFiles(files); !refusal.empty()) {
        host_.ShowMessage(kProgramTitle, refusal);
        return;
    }
    // Without a database there is no location list: the saved location stands in it.
    OfferSavedLocation(program_.job, form_);
    ShowLocationList();
    ReadForm();
    if (!PerformChecksOnFile(program_, form_, host_)) return;
    Run([this, files] { return RunOnMarcFile(program_, host_, files); });
}

void frmArmatureMain::Run(const std::function<RunOutcome()>& run) {
    // The run lets window messages through: nothing in this window may start anything meanwhile.
    menuBar()->setEnabled(false);
    centralWidget()->setEnabled(false);
    const RunOutcome outcome = run();
    ended_ = true;
    emit ProgramEnded(ExitStatusOf(outcome));
}

void frmArmatureMain::OpenOptions() {
    ReadForm();
    options_ = std::make_unique<frmArmatureOptions>(program_, optionsLists_, form_, host_);
    connect(options_.get(), &frmArmatureOptions::Closed, this, &frmArmatureMain::OptionsClosed, Qt::QueuedConnection);
    options_->Open();
    setEnabled(false);
    hide();
}

void frmArmatureMain::OptionsClosed() {
    options_.reset();
    try {
        linkmend::OptionsClosed(program_, optionsLists_, form_);
    } catch (const LinkmendError& e) {
        form_.cmbLocation.clear();
        form_.cmbLocationIndex = -1;
        host_.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
    }
    ShowLocationList();
    show();
    setEnabled(true);
    LetWindowMessagesRun();
}

void frmArmatureMain::Exit() {
    ended_ = true;
    emit ProgramEnded(0);
}

void frmArmatureMain::closeEvent(QCloseEvent* event) {
    // The window's own close button ends the program as Exit does.
    if (!ended_) Exit();
    event->accept();
}

}  // namespace linkmend::ui
