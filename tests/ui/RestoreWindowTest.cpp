// The main window's way to a restore: Perform's menu, the file chooser, and an originals file that
// cannot be used leaving the window open for another choice. The restore's rules are tested without
// the window (tests/app/RestoreTest.cpp).
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

#include "base/MessagePump.h"
#include "job/Program.h"
#include "kit/JobDb.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"

namespace linkmend::test {
namespace {

class RestoreWindow : public JobDbTest {};

TEST_P(RestoreWindow, RestoreFromOriginalsChoosesAFileAndARefusalKeepsTheWindow) {
    Set("Folders", "FolderForReports", Reports());
    Program program;
    program.temporaryFolder = Folder();
    ui::QtJobHost host(program);
    std::vector<std::string> messages;
    host.InterceptMessages([&](const ui::MessageBoxRequest& r) {
        messages.push_back(r.title + ": " + r.text);
        return MessageAnswer::Ok;
    });
    ui::InstallQtMessagePump();
    ui::frmArmatureMain w(program, host);
    host.SetMainWindow(&w);
    w.StartUp();

    auto* restore = w.findChild<QAction*>("mnuRestore");
    ASSERT_TRUE(restore);
    EXPECT_EQ(restore->text(), QString::fromUtf8("Restore from originals\u2026"));

    // An originals file without its list beside it: the chooser takes it, the restore refuses it.
    const std::string chosen = Reports() + "LINKMEND.20300101.100000.Originals.mrc";
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
    restore->trigger();
    EXPECT_EQ(shownFolder.toStdString(), Reports());
    EXPECT_EQ(messages, std::vector<std::string>{"Linkmend program: The originals file " + chosen +
                                                 " has no list of its records beside it (" +
                                                 chosen.substr(0, chosen.size() - 4) + ".txt)."});
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(w.menuBar()->isEnabled());
    SetMessagePump(nullptr);
}

LINKMEND_DB_TEST_SUITE(RestoreWindow);

}  // namespace
}  // namespace linkmend::test
