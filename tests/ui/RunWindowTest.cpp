// Runs started from the main window's Perform on a small SQLite catalogue: the progress window's
// steps and Cancel, the report, and the countdown window of a deferred production run.
#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/frmArmatureSplash.h"
#include "ui/frmDorEvirizuSchedule.h"

using namespace linkmend;
using namespace linkmend::uitest;

namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

// What the progress window showed while one step text stood in it.
struct StepSeen {
    QString step;
    bool cancelEnabledFirst = false;  // when the text was first seen
    bool cancelEverEnabled = false;
    bool cancelEverVisible = false;
    bool mainEverVisible = false;
    bool progressEverVisible = false;
};

// Records the progress window at every "let window messages run" of the run.
class ProgressWatcher {
public:
    explicit ProgressWatcher(UiFixture& f) : f_(f) {}

    void Look() {
        ui::frmArmatureSplash* progress = f_.Host().ProgressWindow();
        if (!progress) return;
        auto* step = progress->findChild<QLabel*>("lblProcessingStepText");
        auto* cancel = progress->findChild<QPushButton*>("Command1");
        if (!step || !cancel) return;
        if (steps.empty() || steps.back().step != step->text()) steps.push_back({step->text(), cancel->isEnabled()});
        StepSeen& seen = steps.back();
        seen.cancelEverEnabled |= cancel->isEnabled();
        seen.cancelEverVisible |= cancel->isVisible();
        seen.mainEverVisible |= f_.Main().isVisible();
        seen.progressEverVisible |= progress->isVisible();
        if (onLook) onLook(*progress);
    }

    std::vector<StepSeen> steps;
    std::function<void(ui::frmArmatureSplash&)> onLook;

private:
    UiFixture& f_;
};

QStringList StepTexts(const std::vector<StepSeen>& steps) {
    QStringList texts;
    for (const StepSeen& s : steps) texts << s.step;
    return texts;
}

QString Text(QWidget* root, const char* label) {
    auto* l = root->findChild<QLabel*>(label);
    return l ? l->text() : QString("<no %1>").arg(label);
}

void StemJob(UiFixture& f) {
    f.Set("UrlStem", "Old", "http://old.example/");
    f.Set("UrlStem", "New", "https://new.example/");
    f.Set("UrlStem", "UrlActions", "100000");
    f.Set("UrlStem", "BibLimit", "0");
}

}  // namespace

class RunWindowTest : public QObject {
    Q_OBJECT
private slots:
    void PerformRunsTheJobThroughItsStepsAndEndsTheProgram();
    void CancelMidRunFinishesTheBibBegunAndWritesTheReport();
    void CancelDoesNothingBeforeTheLinkQueryHasRun();
    void DeferredRunWaitsForTheEveningThenStarts();
    void CancelInTheCountdownEndsWithoutReport();
};

void RunWindowTest::PerformRunsTheJobThroughItsStepsAndEndsTheProgram() {
    UiFixture f;
    f.UseDatabase();
    f.Catalog().AddBib(1, {k008, "245 00 $aOne", "856 40 $uhttp://old.example/1"});
    f.Catalog().AddBib(2, {k008, "245 00 $aTwo", "856 40 $uhttp://old.example/2"});
    StemJob(f);
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ProgressWatcher watch(f);
    f.Observe([&] { watch.Look(); });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);

    w.findChild<QAction*>("mnuPerform")->trigger();

    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), 0);
    QCOMPARE(StepTexts(watch.steps),
             (QStringList{"Performing task", "Finding records", "Retrieving records", "Preparing report"}));
    // Cancel is enabled once the link query has run, just before the step text moves on.
    QVERIFY(!watch.steps[0].cancelEnabledFirst);
    QVERIFY(watch.steps[1].cancelEnabledFirst);
    QVERIFY(watch.steps[2].cancelEverEnabled);
    QVERIFY(!watch.steps[3].cancelEverVisible);  // hidden at the end phase
    QVERIFY(watch.steps[0].progressEverVisible);
    QVERIFY(!watch.steps[1].mainEverVisible);  // the main window is hidden while the run works
    QVERIFY(f.MessageTexts().empty());

    ui::frmArmatureSplash* progress = f.Host().ProgressWindow();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QString("Linkmend program"));
    QVERIFY2(Text(progress, "lblStarted").startsWith("Started: 20"), qPrintable(Text(progress, "lblStarted")));
    QCOMPARE(Text(progress, "lblRecordsRetrieved"), QString("Read: 2 of 2"));
    const QRect area = progress->screen()->availableGeometry();
    QVERIFY2(std::abs(progress->frameGeometry().center().x() - area.center().x()) <= 4, "not centred");

    const std::string report = f.RunFile(".Report.txt");
    QVERIFY2(report.find("Run performed as test\r\n") != std::string::npos, report.c_str());
    QVERIFY2(report.find("       2 records would have been updated\r\n") != std::string::npos, report.c_str());
}

void RunWindowTest::CancelMidRunFinishesTheBibBegunAndWritesTheReport() {
    UiFixture f;
    f.UseDatabase();
    f.Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    // Holdings selected case-blind but not changed: they are finished after Cancel without a
    // checkpoint of their own.
    f.Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h10"});
    f.Catalog().AddHoldings(11, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h11"});
    f.Catalog().AddBib(2, {k008, "245 00 $aT", "856 40 $uhttp://old.example/2"});
    StemJob(f);
    auto& w = f.StartMainWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ProgressWatcher watch(f);
    bool clicked = false;
    QStringList readLines;
    watch.onLook = [&](ui::frmArmatureSplash& progress) {
        const QString read = Text(&progress, "lblRecordsRetrieved");
        if (readLines.isEmpty() || readLines.back() != read) readLines << read;
        auto* cancel = progress.findChild<QPushButton*>("Command1");
        if (!clicked && read == "Read: 2 of 4" && cancel->isEnabled()) {
            QTest::mouseClick(cancel, Qt::LeftButton);
            clicked = true;
        }
    };
    f.Observe([&] { watch.Look(); });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);

    w.findChild<QAction*>("mnuPerform")->trigger();

    QVERIFY(clicked);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), 4);
    // The second holdings line is still read; bib 2 is not.
    QCOMPARE(readLines.back(), QString("Read: 3 of 4"));
    QCOMPARE(StepTexts(watch.steps).back(), QString("Preparing report"));
    const std::string report = f.RunFile(".Report.txt");
    QVERIFY2(report.find("       3 records read\r\n"
                         "       1 records needing the requested change\r\n"
                         "       1 records would have been updated\r\n") != std::string::npos,
             report.c_str());
    const auto log = f.RunLog();
    QVERIFY(log.size() >= 2);
    QCOMPARE(log[log.size() - 2], std::string("Cancel button clicked (3)"));
}

void RunWindowTest::CancelDoesNothingBeforeTheLinkQueryHasRun() {
    UiFixture f;
    f.UseDatabase();
    f.Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob(f);
    auto& w = f.StartMainWindow();
    ProgressWatcher watch(f);
    int clicks = 0;
    watch.onLook = [&](ui::frmArmatureSplash& progress) {
        auto* cancel = progress.findChild<QPushButton*>("Command1");
        if (progress.isVisible() && cancel->isVisible() && !cancel->isEnabled()) {
            QTest::mouseClick(cancel, Qt::LeftButton);
            ++clicks;
        }
    };
    f.Observe([&] { watch.Look(); });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuPerform")->trigger();
    QVERIFY(clicks > 0);
    QCOMPARE(ended[0][0].toInt(), 0);
    QVERIFY(f.RunFile(".Report.txt").find("       1 records would have been updated\r\n") != std::string::npos);
    QVERIFY(!f.Host().CancelRequested());
}

void RunWindowTest::DeferredRunWaitsForTheEveningThenStarts() {
    UiFixture f;
    f.UseDatabase();
    f.Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob(f);
    f.Set("General", "DeferredDSN", f.Db().ReadOnlyDsn());
    auto& w = f.StartMainWindow();
    DateTime clock = DateTime::Parse("2024-05-01 09:00:00");
    f.TheProgram().now = [&clock] { return clock; };
    w.findChild<QCheckBox*>("chkProductionRun")->click();

    // What the countdown shows while it waits, looked at from inside the wait.
    QString title, line0, line1, secret, secret2;
    bool shown = false, secretsHidden = false, timerActive = false, progressHidden = false;
    int interval = 0;
    bool stillWaitingAfterATick = false;
    QTimer::singleShot(500, [&] {
        ui::frmDorEvirizuSchedule* countdown = f.Host().CountdownWindow();
        if (!countdown) return;
        shown = countdown->isVisible();
        title = countdown->windowTitle();
        line0 = Text(countdown, "lblMessage1_0");
        line1 = Text(countdown, "lblMessage1_1");
        secret = Text(countdown, "lblSecret");
        secret2 = Text(countdown, "lblSecret2");
        secretsHidden = !countdown->findChild<QLabel*>("lblSecret")->isVisible() &&
                        !countdown->findChild<QLabel*>("lblSecret2")->isVisible();
        auto* timer = countdown->findChild<QTimer*>("Timer1");
        timerActive = timer && timer->isActive();
        interval = timer ? timer->interval() : 0;
        progressHidden = f.Host().ProgressWindow() && !f.Host().ProgressWindow()->isVisible();
    });
    QTimer::singleShot(2600, [&] {
        // One tick at nine in the morning has passed: still waiting. Then the evening comes.
        stillWaitingAfterATick = f.Host().CountdownWindow() && f.Host().CountdownWindow()->isVisible();
        clock = DateTime::Parse("2024-05-01 22:00:00");
    });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuPerform")->trigger();

    QVERIFY(shown);
    QCOMPARE(title, QString("Linkmend: deferred processing of changes"));
    QCOMPARE(line0, QString("Counting down to start of batch processing of URL change request at 10:00 p.m."));
    QCOMPARE(line1, QString());
    QCOMPARE(secret, QString());
    QCOMPARE(secret2, QString());
    QVERIFY(secretsHidden);
    QVERIFY(timerActive);
    QCOMPARE(interval, 2000);
    QVERIFY(progressHidden);
    QVERIFY(stillWaitingAfterATick);
    QCOMPARE(ended[0][0].toInt(), 0);
    QVERIFY(!f.Host().CountdownWindow()->isVisible());
    QVERIFY(!f.Host().CountdownWindow()->findChild<QTimer*>("Timer1")->isActive());
    QCOMPARE(f.Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 1LL);
    QVERIFY(f.RunFile(".Report.txt").find("Run performed as production\r\n") != std::string::npos);

    // Late at night the first tick starts the run: one tick, about two seconds.
    UiFixture g;
    g.UseDatabase();
    g.Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob(g);
    g.Set("General", "DeferredDSN", g.Db().ReadOnlyDsn());
    auto& v = g.StartMainWindow();
    g.TheProgram().now = [] { return DateTime::Parse("2024-05-01 23:30:00"); };
    v.findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
    QElapsedTimer elapsed;
    elapsed.start();
    v.findChild<QAction*>("mnuPerform")->trigger();
    QVERIFY2(elapsed.elapsed() >= 1900, "the run did not wait for the timer");
    QCOMPARE(g.Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 1LL);
}

void RunWindowTest::CancelInTheCountdownEndsWithoutReport() {
    UiFixture f;
    f.UseDatabase();
    f.Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob(f);
    f.Set("General", "DeferredDSN", f.Db().ReadOnlyDsn());
    auto& w = f.StartMainWindow();
    f.TheProgram().now = [] { return DateTime::Parse("2024-05-01 09:00:00"); };
    w.findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
    bool clicked = false;
    QTimer::singleShot(300, [&] {
        ui::frmDorEvirizuSchedule* countdown = f.Host().CountdownWindow();
        if (!countdown) return;
        QTest::mouseClick(countdown->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        clicked = true;
    });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuPerform")->trigger();
    QVERIFY(clicked);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), 5);
    QCOMPARE(f.RunFile(".Report.txt"), std::string());
    QCOMPARE(f.Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0LL);
}

LINKMEND_UI_TEST_MAIN(RunWindowTest)
#include "RunWindowTest.moc"
