// The program itself, run headless as a cataloguer (or a scheduler) would run it.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChildProcess.h"
#include "JobDbFixture.h"
#include "base/Error.h"
#include "base/INI.h"
#include "job/RunFiles.h"
#include "odbc/Connection.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class Batch : public JobDbTest {
protected:
    ChildResult Run(std::vector<std::string> args, const std::vector<std::string>& env = {},
                    const std::function<bool(const std::string&)>& interruptWhen = {}) {
        args.insert(args.begin(), LINKMEND_PROGRAM);
        std::vector<std::string> all = {"TMPDIR=" + Folder()};
        all.insert(all.end(), env.begin(), env.end());
        return RunChild(args, all, interruptWhen);
    }
    static std::string LastLine(const std::string& text) {
        std::string t = text;
        while (!t.empty() && t.back() == '\n') t.pop_back();
        const auto nl = t.rfind('\n');
        return nl == std::string::npos ? t : t.substr(nl + 1);
    }
    void SomeBibs(int n) {
        Writer().Begin();
        for (int bib = 1; bib <= n; ++bib) {
            Catalog().AddBib(bib, {k008, "245 00 $aTitle " + std::to_string(bib),
                                   "856 40 $uhttp://old.example/" + std::to_string(bib)});
        }
        Writer().Commit();
    }
};

TEST_P(Batch, TestRunPrintsItsReportLastAndStepsOnStandardError) {
    SomeBibs(3);
    StemJob();
    const ChildResult r = Run({"--batch"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string report = LastLine(r.out);
    EXPECT_EQ(report.rfind(Reports() + "LINKMEND.", 0), 0u) << r.out;
    EXPECT_NE(ReadFile(report).find("       3 records would have been updated\r\n"), std::string::npos);
    for (const char* step : {"Performing task\n", "Finding records\n", "Retrieving records\n", "Preparing report\n"}) {
        EXPECT_NE(r.err.find(step), std::string::npos) << step << " missing from:\n" << r.err;
    }
}

TEST_P(Batch, ReportAndRunLogOfAMixedRun) {
    Catalog().AddBib(1, {k008, "245 00 $aOne", "856 40 $uhttp://old.example/1"});
    Catalog().AddBib(2, {k008, "245 00 $aTwo", "856 40 $uHTTP://OLD.EXAMPLE/2"});
    Catalog().AddHoldings(20, 2, {"852 0  $bSTORE", "856 41 $uhttp://old.example/h"}, 12);
    StemJob();
    Set("Write", "UID", "bibonly");
    Set("Write", "PWD", "bibonly-pw");
    const ChildResult r = Run({"--batch", "--production"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string report = Report();
    const std::string counters = report.substr(report.find("\tbibonly\r\n\r\n") + 12);
    EXPECT_EQ(counters,
              "       3 records read\r\n"
              "       1 operator not allowed to update (listed below)\r\n"
              "       1 records needing the requested change\r\n"
              "       1 records updated\r\n"
              "       1 rows in the change report\r\n\r\n"
              "These records couldn't be updated; operator not allowed\r\n\tH 20\r\n\r\n");
    const std::vector<std::string> expected = {
        "Production run? True",
        "Halden? False",
        "SQL command to retrieve records: SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
            "ELINK_INDEX WHERE UPPER(LINK) LIKE 'HTTP://OLD.EXAMPLE/%'",
        "SQL command returned OK",
        "Record IDs will be written to " + Folder() + "LinkmendScratch.$$$",
        "Line from SQL: 1 B",
        "Line from SQL: 2 B",
        "Line from SQL: 20 M",
        "SQL lines all processed; retained 2 bibs",
        "3 record IDs written; ready to retrieve records",
        "Retrieved: 1\tB",
        "Record passes preliminary tests",
        "Field to consider: >|u http://old.example/1< 1",
        "Changed? True",
        "Retrieved: 2\tB",
        "Record passes preliminary tests",
        "Field to consider: >|u HTTP://OLD.EXAMPLE/2< 0",
        "Record NOT changed"};
    const auto log = RunLog();
    ASSERT_GE(log.size(), expected.size() + 3);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(log[expected.size()].rfind("Rec stat: ", 0), 0u);  // the unchanged record as display text
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (std::vector<std::string>{"Retrieved: 20\tH", "All done"}));
}

TEST_P(Batch, TheReadOnlyAccountIsAllTheReaderNeeds) {
    SomeBibs(2);
    StemJob();
    if (!IsSqlite()) {
        // The reader's role may only read: a write through its data source is refused...
        odbc::Connection readOnly;
        readOnly.Connect(Db().ReadOnlyDsn(), Db().ReadOnlyUid(), Db().ReadOnlyPwd());
        EXPECT_THROW(readOnly.Execute("DELETE FROM " + Prefix() + "ELINK_INDEX"), LinkmendError);
    }
    // ...yet a production run, reading through it, changes everything it should.
    const ChildResult r = Run({"--batch", "--production"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 2);
}

TEST_P(Batch, ProductionAndListChangedOptionsTickTheirBoxes) {
    SomeBibs(2);
    StemJob();
    const ChildResult r = Run({"--batch", "--production", "--list-changed"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 2);
    EXPECT_EQ(RunFile(".ChangedRecords.txt"), "B\t1\r\nB\t2\r\n");
    EXPECT_EQ(Catalog().Links(1, "B"), (std::vector<std::string>{"B https://new.example/1 | "}));
}

TEST_P(Batch, SettingsFileNamedWithDashI) {
    SomeBibs(1);
    StemJob();
    std::filesystem::copy_file(Folder() + "Linkmend.INI", Folder() + "Other Settings.ini");
    WriteIniValue(Folder() + "Other Settings.ini", "UrlStem", "Old", "http://nothing.example/", 0);
    const ChildResult r = Run({"--batch", "-i", Folder() + "Other Settings.ini"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadFile(LastLine(r.out)).find("Old stem: http://nothing.example/\r\n"), std::string::npos);
}

TEST_P(Batch, ValidationMessageGoesToStandardErrorWithItsTitle) {
    StemJob("");
    const ChildResult r = Run({"--batch"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Linkmend program: Please supply an 'old' URL stem\n");
    EXPECT_EQ(r.out, "");
}

TEST_P(Batch, FailedSignOnEndsWithStatusThreeAndAReport) {
    SomeBibs(1);
    StemJob();
    Set("Write", "PWD", "wrong");
    const ChildResult r = Run({"--batch", "--production"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Linkmend program: Cannot sign on to Voyager.\nReason: 27\nInvalid user name or password\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(ReadFile(LastLine(r.out)).find("Cannot sign on to Voyager.  Reason: 27 (Invalid user name or password)"),
              std::string::npos);
}

TEST_P(Batch, UnusableReportFolderEndsWithStatusSix) {
    SomeBibs(1);
    StemJob();
    Set("Folders", "FolderForReports", Folder() + "gone/");
    const ChildResult r = Run({"--batch", "--production"});
    EXPECT_EQ(r.exitCode, 6);
    EXPECT_NE(r.err.find(Folder() + "gone/LINKMEND."), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
}

TEST_P(Batch, UnknownDataSourceIsReportedNotACrash) {
    StemJob();
    Set("Connection", "DSN", "NoSuchDataSource");
    const ChildResult r = Run({"--batch"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Could not establish a database connection to NoSuchDataSource"), std::string::npos) << r.err;
}

TEST_P(Batch, CtrlCCancelsAtTheNextCheckpointAndWritesTheReport) {
    SomeBibs(1500);
    StemJob();
    Set("General", "Debug", "False");  // a long run log would slow the rows; the report says enough
    const ChildResult r = Run({"--batch", "--production"}, {},
                              [](const std::string& err) { return err.find("Finding records") != std::string::npos; });
    EXPECT_EQ(r.exitCode, 4) << r.err;
    const std::string report = ReadFile(LastLine(r.out));
    ASSERT_NE(report, "");
    const long long updated = Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2");
    EXPECT_LT(updated, 1500);  // it stopped before the end
    if (updated > 0) {
        EXPECT_NE(report.find(CountLine(static_cast<std::int32_t>(updated), "records updated") + "\r\n"),
                  std::string::npos)
            << report;
    }
}

TEST_P(Batch, DeferredRunCountsDownToTenAtNight) {
    SomeBibs(1);
    StemJob();
    Set("General", "DeferredDSN", Db().ReadOnlyDsn());
    const ChildResult r = Run({"--batch", "--production"}, {"LINKMEND_CLOCK=2024-05-01 21:59:57"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Counting down to start of batch processing of URL change request at 10:00 p.m.\n"),
              std::string::npos);
    EXPECT_NE(r.err.find("Starting at 2024-05-01 22:00:0"), std::string::npos) << r.err;
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 1);
}

TEST_P(Batch, CtrlCDuringTheCountdownEndsWithoutReport) {
    SomeBibs(1);
    StemJob();
    Set("General", "DeferredDSN", Db().ReadOnlyDsn());
    const ChildResult r = Run({"--batch", "--production"}, {"LINKMEND_CLOCK=2024-05-01 09:00:00"},
                              [](const std::string& err) { return err.find("Counting down") != std::string::npos; });
    EXPECT_EQ(r.exitCode, 5) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(RunFile(".Report.txt"), "");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
}

LINKMEND_DB_TEST_SUITE(Batch);

ChildResult RunPlain(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {LINKMEND_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunChild(argv, {});
}

TEST(BatchUsageTest, HelpVersionAndUsageErrors) {
    const ChildResult help = RunPlain({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]"), std::string::npos);
    const ChildResult version = RunPlain({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("linkmend ", 0), 0u);
    const ChildResult bad = RunPlain({"--batch", "--productoin"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("linkmend: unknown option: --productoin"), std::string::npos);
}

TEST(BatchUsageTest, WithoutBatchAndWithoutWindowsSaysHowToRunHeadless) {
    if (LINKMEND_HAS_WINDOWS) GTEST_SKIP() << "this build opens the main window without --batch";
    const ChildResult r = RunPlain({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("linkmend --batch"), std::string::npos);
}

}  // namespace
