// The main window's way to a restore: Perform's menu, the file chooser, and an originals file that
// cannot be used leaving the window open for another choice. The restore's rules are tested without
// the window (tests/app/RestoreTest.cpp).
#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>
#include <fstream>

#include "UiTestSupport.h"

using namespace linkmend;
using namespace linkmend::uitest;

class RestoreWindowTest : public QObject {
    Q_OBJECT
private slots:
    void RestoreFromOriginalsChoosesAFileAndARefusalKeepsTheWindow();
};

void RestoreWindowTest::RestoreFromOriginalsChoosesAFileAndARefusalKeepsTheWindow() {
    UiFixture f;
    f.Set("Folders", "FolderForReports", f.Reports());
    auto& w = f.StartMainWindow();
    FIND(perform, QAction, &w, "mnuPerform");
    QVERIFY(perform->menu());
    const QList<QAction*> entries = perform->menu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->objectName(), QString("mnuPerformJob"));
    QCOMPARE(entries[1]->objectName(), QString("mnuRestore"));
    QCOMPARE(Caption(entries[1]->text()), QString::fromUtf8("Restore from originals\u2026"));

    // An originals file without its list beside it: the chooser takes it, the restore refuses it.
    const std::string chosen = f.Reports() + "LINKMEND.20300101.100000.Originals.mrc";
    std::ofstream(chosen) << "00026nam  2200025   4500\x1E\x1D";
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    QTimer::singleShot(0, [&] {
        auto* dialog = w.findChild<QFileDialog*>("dlgOriginals");
        QVERIFY(dialog);
        QCOMPARE(dialog->directory().absolutePath() + "/", QString::fromStdString(f.Reports()));
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    entries[1]->trigger();
    QCOMPARE(f.MessageTexts(),
             std::vector<std::string>{"The originals file " + chosen + " has no list of its records beside it (" +
                                      chosen.substr(0, chosen.size() - 4) + ".txt)."});
    QCOMPARE(ended.count(), 0);
    QVERIFY(w.menuBar()->isEnabled());
}

LINKMEND_UI_TEST_MAIN(RestoreWindowTest)
#include "RestoreWindowTest.moc"
