// Perform on a MARC file from the main window (no database): the Perform menu's second command asks
// for IN and OUT, refuses OUT when it is IN, and runs the job on the file.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <filesystem>

#include "base/INI.h"
#include "base/MessagePump.h"
#include "job/Program.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/RunFiles.h"
#include "ui/QtJobHost.h"
#include "ui/frmArmatureMain.h"

namespace linkmend::test {
namespace {

TEST(FileRunWindow, PerformOnAMarcFileAsksForBothFilesAndRunsOnThem) {
    ProfileFolder profile;
    const std::string reports = profile.File("reports"), in = profile.File("in.mrc"), out = profile.File("out.mrc");
    std::filesystem::create_directory(reports);
    const std::string settings[][3] = {{"Folders", "FolderForReports", reports},
                                       {"UrlStem", "Old", "http://old.example/"},
                                       {"UrlStem", "New", "https://new.example/"},
                                       {"UrlStem", "UrlActions", "100000"}};
    for (const auto& [section, key, value] : settings) WriteIniValue("Linkmend.INI", section, key, value, 0);
    // No 001: a record in a file is found by its place.
    WriteFile(in, BuildRecord({"245 00 $aOne", "856 40 $uhttp://old.example/1"}));

    Program program;
    program.temporaryFolder = profile.Dir().Path();
    ui::QtJobHost host(program);
    std::vector<std::string> messages;
    host.InterceptMessages([&](const ui::MessageBoxRequest& r) {
        messages.push_back(r.text);
        return MessageAnswer::Ok;
    });
    ui::InstallQtMessagePump();
    ui::frmArmatureMain w(program, host);
    host.SetMainWindow(&w);
    w.StartUp();
    QStringList commands;
    for (QAction* a : w.findChild<QMenu*>("mnuPerformMenu")->actions()) commands << a->text();
    EXPECT_EQ(commands, (QStringList{"Perform", QString::fromUtf8("Perform on a MARC file\u2026")}));

    std::vector<std::string> answers = {in, in, in, out}, asked;
    w.SetFileChooser([&](const std::string& title, const std::string&, bool save) {
        asked.push_back(title + (save ? " (save)" : ""));
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuPerformOnFile")->trigger();
    EXPECT_EQ(messages, std::vector<std::string>{"The MARC file to write must not be the file read"});
    EXPECT_EQ(ended.count(), 0);

    w.findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
    w.findChild<QAction*>("mnuPerformOnFile")->trigger();
    EXPECT_EQ(asked, (std::vector<std::string>{"MARC file to read", "MARC file to write (save)", "MARC file to read",
                                               "MARC file to write (save)"}));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][0].toInt(), 0);
    EXPECT_EQ(ReadFile(out), BuildRecord({"245 00 $aOne", "856 40 $uhttps://new.example/1"}));
    EXPECT_NE(RunFile(reports, ".Report.txt").find("Output file:       \t" + out + "\r\n"), std::string::npos);
    SetMessagePump(nullptr);
}

}  // namespace
}  // namespace linkmend::test
