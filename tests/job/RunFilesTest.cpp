#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "base/INI.h"
#include "job/RunFiles.h"

using namespace linkmend;
using linkmend::test::ReadFile;
using linkmend::test::TempDir;

TEST(CountLineTest, RightAlignedInEightAndCutToLastEight) {
    EXPECT_EQ(CountLine(7, "records read"), "       7 records read");
    EXPECT_EQ(CountLine(12345678, "x"), "12345678 x");
    EXPECT_EQ(CountLine(123456789, "records read"), "23456789 records read");
    EXPECT_EQ(CountLine(0, "records read"), "       0 records read");
}

TEST(CountLineTest, ZeroWrittenOnlyWhenAlways) {
    TempDir dir;
    TextFile f;
    f.Create(dir.File("r.txt"));
    WriteCountLine(f, 0, "records read", true);
    WriteCountLine(f, 0, "records updated", false);
    WriteCountLine(f, -3, "records updated", false);
    WriteCountLine(f, 2, "records updated", false);
    f.Close();
    EXPECT_EQ(ReadFile(dir.File("r.txt")), "       0 records read\r\n       2 records updated\r\n");
}

TEST(ListLineTest, TabBeforeEachCrLfBetween) {
    std::string list;
    AppendListLine(list, "B 12");
    EXPECT_EQ(list, "\tB 12");
    AppendListLine(list, "H 7");
    EXPECT_EQ(list, "\tB 12\r\n\tH 7");
}

TEST(RunLogTest, NumberedEntriesReadBackAsIniSection) {
    TempDir dir;
    const std::string path = dir.File("LINKMEND.20240101.101010.Debug.txt");
    RunLog log;
    log.Open(path, true);
    log.LogLine("Production run? False");
    log.LogLine("Halden? False");
    log.LogLine("SQL command returned OK");
    log.Close();
    EXPECT_EQ(ReadFile(path),
              "[Report]\r\n1=Production run? False\r\n2=Halden? False\r\n3=SQL command returned OK\r\n");
    EXPECT_EQ(ReadIniValue(path, "Report", "2", 100), "Halden? False");
    EXPECT_EQ(ReadIniValue(path, "Report", "3", 100), "SQL command returned OK");
}

TEST(RunLogTest, OffWritesNothing) {
    TempDir dir;
    RunLog log;
    log.Open(dir.File("log.txt"), false);
    log.LogLine("ignored");
    EXPECT_FALSE(linkmend::test::FileExists(dir.File("log.txt")));
    EXPECT_EQ(log.Entries(), 0);
}

TEST(TextFileTest, MissingFolderNamesTheFile) {
    TempDir dir;
    TextFile f;
    try {
        f.Create(dir.File("no-such-folder/LINKMEND.x.Report.txt"));
        FAIL() << "created a file in a missing folder";
    } catch (const RunFileError& e) {
        EXPECT_EQ(e.Path(), dir.File("no-such-folder/LINKMEND.x.Report.txt"));
        EXPECT_NE(std::string(e.what()).find("LINKMEND.x.Report.txt"), std::string::npos);
    }
}

TEST(TextFileTest, FullDiskIsAnErrorNotSilentLoss) {
    TextFile f;
    f.Create("/dev/full");
    EXPECT_THROW(
        {
            f.WriteLine(std::string(100000, 'x'));
            f.Close();
        },
        RunFileError);
}
