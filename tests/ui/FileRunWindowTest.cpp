// Perform on a MARC file from the main window: the Perform menu's second command asks for IN and
// OUT, refuses OUT when it is IN, and runs the job on the file.
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "MarcBuilder.h"
#include "UiTestSupport.h"

using namespace linkmend;
using namespace linkmend::uitest;

class FileRunWindowTest : public QObject {
    Q_OBJECT
private slots:
    void PerformOnAMarcFileAsksForBothFilesAndRunsOnThem();
};

void FileRunWindowTest::PerformOnAMarcFileAsksForBothFilesAndRunsOnThem() {
    UiFixture f;
    std::filesystem::create_directories(f.Reports());
    f.Set("Folders", "FolderForReports", f.Reports());
    f.Set("UrlStem", "Old", "http://old.example/");
    f.Set("UrlStem", "New", "https://new.example/");
    f.Set("UrlStem", "UrlActions", "100000");
    const std::string in = f.Folder() + "in.mrc", out = f.Folder() + "out.mrc";
    const std::string record = test::BuildRecord({"245 00 $aOne", "856 40 $uhttp://old.example/1"});
    std::ofstream(in, std::ios::binary) << record;
    auto& w = f.StartMainWindow();
    QStringList commands;
    for (QAction* a : w.findChild<QMenu*>("mnuPerformMenu")->actions()) commands << a->text();
    QCOMPARE(commands, (QStringList{"Perform", QString::fromUtf8("Perform on a MARC file\u2026")}));

    std::vector<std::string> answers = {in, in, in, out}, asked;
    w.SetFileChooser([&](const std::string& title, const std::string&, bool save) {
        asked.push_back(title + (save ? " (save)" : ""));
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    QSignalSpy ended(&w, &ui::frmArmatureMain::ProgramEnded);
    w.findChild<QAction*>("mnuPerformOnFile")->trigger();
    QCOMPARE(f.MessageTexts(), (std::vector<std::string>{"The MARC file to write must not be the file read"}));
    QCOMPARE(ended.count(), 0);

    w.findChild<QCheckBox*>("chkProductionRun")->setChecked(true);
    w.findChild<QAction*>("mnuPerformOnFile")->trigger();
    QCOMPARE(asked, (std::vector<std::string>{"MARC file to read", "MARC file to write (save)", "MARC file to read",
                                              "MARC file to write (save)"}));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].toInt(), 0);
    QCOMPARE(ReadWholeFile(out), test::BuildRecord({"245 00 $aOne", "856 40 $uhttps://new.example/1"}));
    QVERIFY(f.RunFile(".Report.txt").find("Output file:       \t" + out + "\r\n") != std::string::npos);
}

LINKMEND_UI_TEST_MAIN(FileRunWindowTest)
#include "FileRunWindowTest.moc"
