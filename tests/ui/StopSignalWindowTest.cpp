// SIGTERM and SIGHUP in the windows: during a run they are the progress window's Cancel, even
// before its button is enabled; during the countdown of a deferred run, the countdown's Cancel.
#include <QAction>
#include <QCheckBox>
#include <QSignalSpy>
#include <QTimer>
#include <csignal>

#include "UiTestSupport.h"
#include "ui/frmDorEvirizuSchedule.h"

using namespace linkmend;
using namespace linkmend::uitest;

class StopSignalWindowTest : public QObject {
    Q_OBJECT
private slots:
    void StopSignalEndsTheRunOrTheCountdown_data();
    void StopSignalEndsTheRunOrTheCountdown();
};

void StopSignalWindowTest::StopSignalEndsTheRunOrTheCountdown_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("deferred");
    QTest::addColumn<int>("exitStatus");
    QTest::newRow("SIGTERM in a run") << SIGTERM << false << 4;
    QTest::newRow("SIGHUP in a run") << SIGHUP << false << 4;
    QTest::newRow("SIGTERM in the countdown") << SIGTERM << true << 5;
}

void StopSignalWindowTest::StopSignalEndsTheRunOrTheCountdown() {
    QFETCH(int, signal);
    QFETCH(bool, deferred);
    QFETCH(int, exitStatus);
    UiFixture f;
    f.UseDatabase();
    for (int bib = 1; bib <= 2; ++bib) {
        f.Catalog().AddBib(bib, {"008 240102s2024    xx            000 0 eng d", "245 00 $aT",
                                 "856 40 $uhttp://old.example/" + std::to_string(bib)});
    }
    f.Set("UrlStem", "Old", "http://old.example/");
    f.Set("UrlStem", "New", "https://new.example/");
    if (deferred) f.Set("General", "DeferredDSN", f.Db().ReadOnlyDsn());
    auto& w = f.StartMainWindow();
    f.TheProgram().now = [] { return DateTime::Parse("2024-05-01 09:00:00"); };
    w.findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
    f.Host().ListenForStopSignals();
    // Raised as soon as the run has its progress window (Cancel is not yet enabled), or once the
    // countdown shows.
    bool raised = false;
    auto raiseOnce = [&] {
        const bool now = deferred ? f.Host().CountdownWindow() && f.Host().CountdownWindow()->isVisible()
                                  : f.Host().ProgressWindow() != nullptr;
        if (!raised && now) raised = std::raise(signal) == 0;
    };
    f.Observe(raiseOnce);
    QTimer countdownWatch;
    QObject::connect(&countdownWatch, &QTimer::timeout, raiseOnce);
    countdownWatch.start(100);
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);

    w.findChild<QAction*>("mnuPerform")->trigger();

    QVERIFY(raised);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), exitStatus);
    QCOMPARE(f.Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0LL);
    if (!deferred) QCOMPARE(f.RunLog().at(f.RunLog().size() - 2), std::string("Cancel button clicked (1)"));
    else QCOMPARE(f.RunFile(".Report.txt"), std::string());
}

LINKMEND_UI_TEST_MAIN(StopSignalWindowTest)
#include "StopSignalWindowTest.moc"
