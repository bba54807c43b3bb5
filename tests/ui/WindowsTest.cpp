// The windows driven by object name, on both drivers: they show and edit the job's form state and
// are wired to its rules (those are tested in tests/job and tests/app): the main window, Perform,
// Perform on a MARC file, the restore's file chooser, the Options dialog, the progress window with
// Cancel, and the countdown window.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <csignal>

#include "base/INI.h"
#include "base/MessagePump.h"
#include "job/Program.h"
#include "kit/JobDb.h"
#include "kit/MarcBuilder.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"
#include "ui/frmArmatureOptions.h"
#include "ui/frmArmatureSplash.h"
#include "ui/frmDorEvirizuSchedule.h"

namespace linkmend::test {
namespace {

class Windows : public JobDbTest {
protected:
    void TearDown() override {
        main_.reset();
        SetMessagePump(nullptr);
        JobDbTest::TearDown();
    }
    // The program and its main window after start-up, message boxes caught; `observe` runs at every
    // "let window messages run" of the run.
    ui::frmArmatureMain& Start(std::function<void()> observe = {}) {
        main_.reset();
        program_ = std::make_unique<Program>();
        program_->temporaryFolder = Folder();
        host_ = std::make_unique<ui::QtJobHost>(*program_);
        host_->InterceptMessages([this](const ui::MessageBoxRequest& r) {
            messages.push_back(r.title + ": " + r.text);
            return r.twoButtons && r.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
        });
        ui::InstallQtMessagePump();
        if (observe) SetMessagePump([pump = SetMessagePump(nullptr), observe] { pump(), observe(); });
        main_ = std::make_unique<ui::frmArmatureMain>(*program_, *host_);
        host_->SetMainWindow(main_.get());
        main_->StartUp();
        return *main_;
    }
    // The widget of that name in the window (the main window by default).
    template <class T>
    T* Get(const QString& name, QWidget* window = nullptr) {
        T* found = (window ? window : main_.get())->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // Perform from the menu; the program's exit status, or -1 when it did not end.
    int Perform() {
        QSignalSpy ended(main_.get(), &ui::frmArmatureMain::ProgramEnded);
        Get<QAction>("mnuPerform")->trigger();
        return ended.isEmpty() ? -1 : ended[0][0].toInt();
    }
    std::string Boxes() {
        std::string boxes;
        for (int i = 0; i < 6; ++i)
            boxes += Get<QCheckBox>(QString("chkThingToChange_%1").arg(i))->isChecked() ? '1' : '0';
        return boxes;
    }

    std::unique_ptr<Program> program_;
    std::unique_ptr<ui::QtJobHost> host_;
    std::unique_ptr<ui::frmArmatureMain> main_;
    std::vector<std::string> messages;
};

TEST_P(Windows, MainWindowShowsAndEditsTheJobsFormState) {
    StemJob("http://old.example/", "", "240340");
    Set("UrlStem", "NewSubfieldX", "staff note");
    Set("UrlStem", "BibLimit", "7");
    Set("General", "LimitByLocation", "True");
    Set("General", "LimitingLocation", "MAIN");
    auto& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(Boxes(), "110110");
    for (const char* checked : {"optWorkingEnd_0", "optUrlAction_1", "optSubfieldX_1", "optSubfield3_1",
                                "optSubfieldZ_0", "chkLimitByLocation"})
        EXPECT_TRUE(Get<QAbstractButton>(checked)->isChecked()) << checked;
    EXPECT_FALSE(Get<QRadioButton>("optSubfieldY_1")->isEnabled());  // its box is cleared
    EXPECT_EQ(Get<QLineEdit>("txtSubfieldX")->text() + Get<QLineEdit>("txtBibLimit")->text(), "staff note7");
    EXPECT_EQ(Get<QComboBox>("cmbLocation")->currentText(), "MAIN // Main stacks");

    // The action boxes follow the job's rule; the bib limit's spin box writes its text box.
    Get<QCheckBox>("chkThingToChange_5")->click();
    EXPECT_TRUE(Boxes() == "000001" && !Get<QRadioButton>("optSubfieldX_1")->isEnabled());
    Get<QCheckBox>("chkThingToChange_5")->click();
    EXPECT_EQ(Boxes(), "100000");
    Get<QSpinBox>("updBibLimit")->setValue(123);
    EXPECT_EQ(Get<QLineEdit>("txtBibLimit")->text(), "123");
    // Tab goes down the form.
    QStringList chain;
    QWidget* const first = Get<QWidget>("txtOldUrlStem");
    for (QWidget* at = first; chain.size() < 200 && (chain.isEmpty() || at != first); at = at->nextInFocusChain())
        chain << at->objectName();
    qsizetype last = -1;
    for (const char* name :
         {"txtOldUrlStem", "optWorkingEnd_1", "chkThingToChange_0", "optUrlAction_1", "txtNewUrlStem",
          "chkThingToChange_1", "txtSubfieldX", "chkThingToChange_3", "txtSubfield3", "txtSubfieldZ",
          "chkThingToChange_5", "chkLimitByLocation", "cmbLocation", "txtBibLimit", "chkListChangedRecords"}) {
        EXPECT_GT(chain.indexOf(name), last) << name;
        last = chain.indexOf(name);
    }

    // Typed as a user types; Perform reads the whole form and shows the job's message; the window stays.
    QTest::keyClicks(Get<QLineEdit>("txtNewUrlStem"), ".new");
    Get<QCheckBox>("chkThingToChange_4")->click();
    Get<QRadioButton>("optSubfieldZ_1")->click();
    Get<QRadioButton>("optWorkingEnd_1")->click();
    EXPECT_EQ(Perform(), -1);
    EXPECT_EQ(messages, std::vector<std::string>{"Linkmend: You must supply the new text for subfield $z"});
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "UrlStem", "BibLimit", 20) +
                  ReadIniValue("Linkmend.INI", "UrlStem", "MatchEnd", 20),
              "1231");
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.close();  // as Exit: ends the program
    EXPECT_EQ(ended.count(), 1);
}

TEST_P(Windows, OptionsDialogShowsTheProfileAndSavesOnOk) {
    Set("Miscellaneous", "OwningLibraryString", "1");
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    auto& w = Start();
    w.show();
    Get<QAction>("mnuOptions")->trigger();
    QPointer<ui::frmArmatureOptions> d(w.OptionsDialog());
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isVisible() && !w.isVisible() && !w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the busy pointer is gone again
    const QRect area = d->screen()->availableGeometry();
    EXPECT_LE((d->frameGeometry().center() - area.center()).manhattanLength(), 8);  // centred
    auto* libraries = Get<QListWidget>("lstOwningLibrary", d);
    ASSERT_EQ(libraries->count(), 2);
    EXPECT_TRUE(!libraries->item(0)->isSelected() && libraries->item(1)->isSelected() && libraries->isEnabled());
    EXPECT_EQ(Get<QComboBox>("cmbHappening", d)->currentText(), "MAIN Main stacks");
    Get<QCheckBox>("chkAllOwningLibraries", d)->click();
    EXPECT_FALSE(libraries->isEnabled());
    d->SetFileChooser([&](const std::string& title, const std::string&, const std::string&) {
        return title == "Find Voyager.INI" ? "/opt/voyager/Voyager.ini" : "/srv/cfg/bibsup.cfg";
    });
    Get<QPushButton>("Command1_0", d)->click();
    Get<QPushButton>("Command1_3", d)->click();
    Get<QLineEdit>("txtTNP", d)->setText(" ");
    Get<QPushButton>("Command1_2", d)->click();  // OK: refused, the focus on the box
    EXPECT_EQ(messages, std::vector<std::string>{"Linkmend program: You must supply a table name prefix."});
    EXPECT_EQ(d->focusWidget(), Get<QLineEdit>("txtTNP", d));
    Get<QLineEdit>("txtTNP", d)->setText(QString::fromStdString(Prefix()));
    Get<QPushButton>("Command1_2", d)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.isNull(); }) && w.isVisible() && w.isEnabled());
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "Connection", "VoyagerPath", 50) + " " +
                  ReadIniValue("Linkmend.INI", "Folders", "ValidationPath", 50) + " " +
                  ReadIniValue("Linkmend.INI", "Miscellaneous", "OwningLibraryString", 50),
              "/opt/voyager/ /srv/cfg/ 2 1");
}

// Cancel is enabled once the link query has run; pressed while a bib's holdings are read, those are
// finished, the next bib is not, and the program ends with status 4 after its report.
TEST_P(Windows, ProgressWindowShowsTheStepsAndItsCancelEndsTheRun) {
    Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h10"});
    Catalog().AddHoldings(11, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h11"});
    Catalog().AddBib(2, {"245 00 $aT", "856 40 $uhttp://old.example/2"});
    StemJob();
    std::vector<std::string> seen;  // each new step, with its Cancel button enabled (+) or not (-)
    QString read;
    Start([&] {
        ui::frmArmatureSplash* p = host_->ProgressWindow();
        auto* cancel = p ? p->findChild<QPushButton*>("Command1") : nullptr;
        if (!cancel) return;
        const std::string step = p->findChild<QLabel*>("lblProcessingStepText")->text().toStdString();
        if (seen.empty() || seen.back().substr(1) != step) seen.push_back((cancel->isEnabled() ? "+" : "-") + step);
        read = p->findChild<QLabel*>("lblRecordsRetrieved")->text();
        if (read == "Read: 2 of 4" && cancel->isEnabled() && p->isVisible() && !main_->isVisible()) cancel->click();
    }).show();
    EXPECT_EQ(Perform(), 4);
    EXPECT_EQ(seen, (std::vector<std::string>{"-Performing task", "+Finding records", "+Retrieving records",
                                              "+Preparing report"}));
    EXPECT_FALSE(host_->ProgressWindow()->findChild<QPushButton*>("Command1")->isVisible());
    EXPECT_EQ(read, "Read: 3 of 4");
    EXPECT_EQ(RunLog().at(RunLog().size() - 2), "Cancel button clicked (3)");
}

// A deferred production run waits in the countdown window until the evening (the timer's tick reads
// the program's clock) or ends without a report when its Cancel is pressed.
TEST_P(Windows, CountdownWindowWaitsForTheEveningOrEndsTheProgram) {
    Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    Set("General", "DeferredDSN", Db().ReadOnlyDsn());
    for (const bool press : {true, false}) {
        DateTime clock = DateTime::Parse("2024-05-01 09:00:00");
        Start().findChild<QCheckBox*>("chkProductionRun")->click();
        program_->now = [&clock] { return clock; };
        std::string shown;
        QTimer::singleShot(500, main_.get(), [&] {
            ui::frmDorEvirizuSchedule* c = host_->CountdownWindow();
            if (!c) return;
            auto* timer = c->findChild<QTimer*>("Timer1");
            shown = c->findChild<QLabel*>("lblMessage1_0")->text().toStdString() + "|" +
                    std::to_string(timer->isActive() ? timer->interval() : 0) + "|" +
                    (c->isVisible() && !host_->ProgressWindow()->isVisible() ? "shown" : "hidden");
            if (press) Get<QPushButton>("Command1", c)->click();
        });
        QTimer::singleShot(2600, main_.get(),
                           [&] { clock = DateTime::Parse("2024-05-01 22:00:00"); });  // after one tick
        EXPECT_EQ(Perform(), press ? 5 : 0);
        EXPECT_EQ(shown,
                  "Counting down to start of batch processing of URL "
                  "change request at 10:00 p.m.|2000|shown");
        EXPECT_FALSE(host_->CountdownWindow()->isVisible());
        EXPECT_EQ(BibsUpdated(), press ? 0 : 1);
        EXPECT_EQ(RunFile(".Report.txt").empty(), press);
    }
}

// Perform on a MARC file (no database): the menu's second command asks for IN and OUT, refuses OUT
// when it is IN, and runs the job on the file.
TEST_P(Windows, PerformOnAMarcFileAsksForBothFilesAndRunsOnThem) {
    StemJob();
    const std::string in = Folder() + "in.mrc", out = Folder() + "out.mrc";
    WriteFile(in, BuildRecord({"245 00 $aOne", "856 40 $uhttp://old.example/1"}));  // no 001: found by its place
    auto& w = Start();
    QStringList commands;
    for (QAction* a : w.findChild<QMenu*>("mnuPerformMenu")->actions()) commands << a->text();
    EXPECT_EQ(commands, (QStringList{"Perform", QString::fromUtf8("Perform on a MARC file\u2026"),
                                     QString::fromUtf8("Restore from originals\u2026")}));
    std::vector<std::string> answers = {in, in, in, out}, asked;
    w.SetFileChooser([&](const std::string& title, const std::string&, bool save) {
        asked.push_back(title + (save ? " (save)" : ""));
        return std::exchange(answers, {answers.begin() + 1, answers.end()}).front();
    });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    Get<QAction>("mnuPerformOnFile")->trigger();
    EXPECT_EQ(messages, std::vector<std::string>{"Linkmend program: The MARC file to write must not be the file read"});
    EXPECT_EQ(ended.count(), 0);
    Get<QCheckBox>("chkProductionRun")->setChecked(true);
    Get<QAction>("mnuPerformOnFile")->trigger();
    EXPECT_EQ(asked, (std::vector<std::string>{"MARC file to read", "MARC file to write (save)", "MARC file to read",
                                               "MARC file to write (save)"}));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][0].toInt(), 0);
    EXPECT_EQ(ReadFile(out), BuildRecord({"245 00 $aOne", "856 40 $uhttps://new.example/1"}));
    EXPECT_NE(RunFile(".Report.txt").find("Output file:       \t" + out + "\r\n"), std::string::npos);
}

// The way to a restore: the file chooser opens on the reports folder; an originals file that cannot
// be used leaves the window open for another choice (the restore's rules: tests/app/RestoreTest.cpp).
TEST_P(Windows, RestoreFromOriginalsChoosesAFileAndARefusalKeepsTheWindow) {
    Set("Folders", "FolderForReports", Reports());
    auto& w = Start();
    EXPECT_EQ(Get<QAction>("mnuRestore")->text(), QString::fromUtf8("Restore from originals\u2026"));
    const std::string chosen = Reports() + "LINKMEND.20300101.100000.Originals.mrc";  // without its list
    WriteFile(chosen, "00026nam  2200025   4500\x1E\x1D");
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    QString shownFolder;
    QTimer::singleShot(0, [&] {
        auto* dialog = w.findChild<QFileDialog*>("dlgOriginals");
        if (!dialog) return;
        shownFolder = dialog->directory().absolutePath() + "/";
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    Get<QAction>("mnuRestore")->trigger();
    EXPECT_EQ(shownFolder.toStdString(), Reports());
    EXPECT_EQ(messages, std::vector<std::string>{"Linkmend program: The originals file " + chosen +
                                                 " has no list of its records beside it (" +
                                                 chosen.substr(0, chosen.size() - 4) + ".txt)."});
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(w.menuBar()->isEnabled());
}

// SIGTERM and SIGHUP are the progress window's Cancel during a run, even before its button is
// enabled, and the countdown's Cancel during the countdown of a deferred run. One signal a test: the
// program listens for them once.
class StopSignals : public Windows {
protected:
    void Check(int signal, bool deferred, int status) {
        Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/1"});
        StemJob();
        if (deferred) Set("General", "DeferredDSN", Db().ReadOnlyDsn());
        bool raised = false;
        auto raiseOnce = [&] {
            const bool now = deferred ? host_->CountdownWindow() && host_->CountdownWindow()->isVisible()
                                      : host_->ProgressWindow() != nullptr;
            if (!raised && now) raised = std::raise(signal) == 0;
        };
        Start(raiseOnce).findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
        program_->now = [] { return DateTime::Parse("2024-05-01 09:00:00"); };
        host_->ListenForStopSignals();
        QTimer countdownWatch;
        QObject::connect(&countdownWatch, &QTimer::timeout, raiseOnce);
        countdownWatch.start(100);
        EXPECT_EQ(Perform(), status);
        EXPECT_TRUE(raised);
        EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
        if (deferred) EXPECT_EQ(RunFile(".Report.txt"), "");
        else EXPECT_EQ(RunLog().at(RunLog().size() - 2), "Cancel button clicked (1)");
    }
};

TEST_P(StopSignals, HangUpDuringTheRunIsCancel) { Check(SIGHUP, false, 4); }
TEST_P(StopSignals, TerminateDuringTheCountdownIsItsCancel) { Check(SIGTERM, true, 5); }

LINKMEND_DB_TEST_SUITE(StopSignals);
LINKMEND_DB_TEST_SUITE(Windows);

}  // namespace
}  // namespace linkmend::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
