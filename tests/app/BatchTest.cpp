// The program itself, run headless as a cataloguer (or a scheduler) would: its exit statuses, what it
// says on standard output and error, and the report it leaves (the golden tests pin ordinary runs);
// damaged stored records and records that would outgrow the format are left as stored and listed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "ChildProcess.h"
#include "base/INI.h"
#include "job/RunFiles.h"
#include "kit/JobDb.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"

namespace linkmend::test {
namespace {

const char* kNoRead = "       0 records read\r\n\r\nError in SQL statement: ";
const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class Batch : public JobDbTest {
protected:
    ChildResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), "--batch");
        return RunProgram(args, {"TMPDIR=" + Folder()});
    }
    // Replaces the stored octets of a record kept in one segment.
    void Store(const std::string& kind, std::int32_t id, const std::string& record) {
        odbc::Statement s =
            Writer().Prepare("UPDATE " + Prefix() + kind + "_DATA SET RECORD_SEGMENT = ? WHERE " + kind + "_ID = ?");
        s.BindBinary(1, record);
        s.BindInt32(2, id);
        s.Execute();
    }
};

TEST_P(Batch, ExitStatusesAndMessages) {
    const auto gone = [this] { Set("Folders", "FolderForReports", Folder() + "gone/"); };
    const auto deferred = [this] {
        Set("General", "DeferredDSN", Db().ReadOnlyDsn());
        StemJob("http://old.example/1000");
    };
    // A settings file with blanks in its name, and a default one the run would refuse.
    const auto otherFile = [this] {
        std::filesystem::copy_file(Folder() + "Linkmend.INI", Folder() + "Other Settings.ini");
        WriteIniValue(Folder() + "Other Settings.ini", "UrlStem", "Old", "http://nothing.example/", 0);
        StemJob("");
    };
    // The run's file, whatever second of its clock it starts at, is the full device.
    const auto fullDisk = [this](const char* suffix, const char* stem) {
        return [this, suffix, stem] {
            StemJob(stem);
            for (int second = 10; second < 40; ++second) {
                const std::string name = Reports() + "LINKMEND.20240501.1000" + std::to_string(second) + suffix;
                EXPECT_EQ(symlink("/dev/full", name.c_str()), 0);
            }
        };
    };
    const std::string clock = "LINKMEND_CLOCK=2024-05-01 10:00:10",
                      cannotWrite = "Cannot create or write the file " + Reports() + "LINKMEND.20240501.1000";
    const auto atFirst = [](const char* text) {
        return [text](const std::string& err) { return err.find(text) != std::string::npos; };
    };
    // clang-format off
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::vector<std::string> args, env;
        std::function<bool(const std::string&)> interruptWhen;
        int status;
        std::string err;     // a part of standard error
        const char* report;  // a part of the report, whose path is the last line of standard output; none when null
        long long updated;
    } cases[] = {
        {"check", [this] { StemJob(""); }, {}, {}, {}, 1, "Linkmend program: Please supply an 'old' URL stem\n", nullptr, 0},
        {"sign-on", [this] { Set("Write", "PWD", "wrong"); }, {"--production"}, {}, {}, 3,
         "Linkmend program: Cannot sign on to Voyager.\nReason: 27\nInvalid user name or password\n", "", 0},
        // A run that cannot read the database still leaves its report, with the reason.
        {"data source", [this] { Set("Connection", "DSN", "NoSuchDataSource"); }, {}, {}, {}, 3,
         "Linkmend program: Error in SQL: Could not establish a database connection to NoSuchDataSource", kNoRead, 0},
        {"table prefix", [this] { Set("Connection", "TNP", "nosuch."); }, {"--production"}, {}, {}, 3,
         "Linkmend program: Error in SQL", kNoRead, 0},
        {"Ctrl-C", [this] { Set("General", "Debug", "False"); }, {"--production"}, {}, atFirst("Finding records"), 4,
         "Finding records\n", "", -1},
        {"countdown Ctrl-C", deferred, {"--production"}, {"LINKMEND_CLOCK=2024-05-01 09:00:00"},
         atFirst("Counting down"), 5, "Counting down to start of batch processing of URL change request at 10:00 p.m.\n",
         nullptr, 0},
        {"countdown", deferred, {"--production"}, {"LINKMEND_CLOCK=2024-05-01 21:59:57"}, {}, 0,
         "\nStarting at 2024-05-01 22:00:0", "", 1},
        // Away from a terminal the countdown prints only the full hours it passes.
        {"countdown, full hour", deferred, {"--production"}, {"LINKMEND_CLOCK=2024-05-01 20:59:54"},
         atFirst("Time left: 01:00:0"), 5, "Counting down to start of batch processing of URL change request at "
         "10:00 p.m.\nTime left: 01:00:0", nullptr, 0},
        {"report folder", gone, {"--production"}, {}, {}, 6, "Cannot create or write the file " + Folder() + "gone/LINKMEND.",
         nullptr, 0},
        // A full disk stops the run at the first write that fails (a list line goes before the next
        // write-back) and names no report.
        {"full disk, list", fullDisk(".ChangedRecords.txt", "http://old.example/1"), {"--production", "--list-changed"},
         {clock}, {}, 6, cannotWrite, nullptr, 1},
        {"full disk, report", fullDisk(".Report.txt", "http://old.example/99"), {"--production"}, {clock}, {}, 6,
         cannotWrite, nullptr, 11},
        {"settings file", otherFile, {"-i", Folder() + "Other Settings.ini"}, {}, {}, 0, "Performing task\n", "", 0},
        {"no display", [] {}, {}, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}, {}, 2,
         "Run the job headless with: linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]\n", nullptr, 0},
    };
    // clang-format on
    Writer().Begin();
    for (int bib = 1; bib <= 1000; ++bib)
        Catalog().AddBib(bib, {"245 00 $aT", "856 40 $uhttp://old.example/" + std::to_string(bib)});
    Writer().Commit();
    std::filesystem::copy_file(Folder() + "Linkmend.INI", Folder() + "Pristine.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(Folder() + "Pristine.ini", Folder() + "Linkmend.INI",
                                   std::filesystem::copy_options::overwrite_existing);
        StemJob();
        c.setUp();
        std::vector<std::string> args = c.args;
        if (std::string(c.name) != "no display") args.insert(args.begin(), "--batch");
        std::vector<std::string> env = c.env;
        env.push_back("TMPDIR=" + Folder());
        const ChildResult r = RunProgram(args, env, c.interruptWhen);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        std::string out = r.out;
        while (!out.empty() && out.back() == '\n') out.pop_back();
        const std::string report = out.empty() ? "" : ReadFile(out.substr(out.rfind('\n') + 1));
        EXPECT_EQ(report.empty(), !c.report) << r.out;
        EXPECT_NE(report.find(c.report ? c.report : ""), std::string::npos) << report;
        const long long updated = BibsUpdated();
        if (c.updated >= 0) {
            EXPECT_EQ(updated, c.updated);
        } else if (updated > 0) {  // cancelled in the middle: the report says how far it got
            EXPECT_LT(updated, 1000);
            EXPECT_NE(report.find(CountLine(static_cast<std::int32_t>(updated), "records updated")), std::string::npos);
        }
        Catalog().Exec("DELETE FROM " + Prefix() + "BIB_HISTORY WHERE ACTION_TYPE_ID = 2");
        ClearReports();
    }
}

TEST_P(Batch, DamagedStoredRecordsAreListedAndLeftAsStored) {
    Catalog().AddBib(1, {k008, "245 00 $aOne", "856 40 $uhttp://old.example/1"});
    // The 001's length holds a letter; the holdings' 856 (fourth entry) reaches past the data.
    const std::string bib = Catalog().AddBib(2, {k008, "245 00 $aTwo", "856 40 $uhttp://old.example/2"});
    const std::string holdings = Catalog().AddHoldings(20, 1, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    const std::string damagedBib = std::string(bib).replace(27, 4, "00A2");
    const std::string damagedHoldings = std::string(holdings).replace(63, 4, "0999");
    Store("BIB", 2, damagedBib);
    Store("MFHD", 20, damagedHoldings);
    StemJob();
    const ChildResult r = Run({"--production", "--list-changed"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Counts(),
              "       3 records read\r\n"
              "       2 records damaged as stored, left unchanged (listed below)\r\n"
              "       1 records needing the requested change\r\n"
              "       1 records updated\r\n"
              "       1 rows in the change report\r\n\r\n"
              "These records were left unchanged because they are damaged as stored\r\n"
              "\tH 20.  Reason: directory entry 856 reaches past the end of the data\r\n"
              "\tB 2.  Reason: directory entry 001 skipped (length not a number); no 001 field\r\n\r\n");
    EXPECT_TRUE(OctetsEqual(damagedBib, Catalog().Stored("BIB", 2)));
    EXPECT_TRUE(OctetsEqual(damagedHoldings, Catalog().Stored("MFHD", 20)));
    EXPECT_EQ(RunFile(".ChangedRecords.txt"), "B\t1\r\n");
}

// Fields of a bib of exactly `size` octets (its 001 included) whose link is `link`.
std::vector<std::string> FieldsOfSize(std::int32_t id, std::size_t size, const std::string& link) {
    std::vector<std::string> fields = {k008, "245 00 $aLong", "856 40 $u" + link};
    for (int i = 0; i < 12; ++i) fields.push_back("500    $a" + std::string(8200, 'x'));
    std::vector<std::string> all = {"001 " + std::to_string(id)};
    all.insert(all.end(), fields.begin(), fields.end());
    fields.back() += std::string(size - BuildRecord(all).size(), 'x');
    return fields;
}

TEST_P(Batch, ARecordOutgrowingTheFormatIsRefusedBeforeWritingAndListed) {
    // The new stem is one octet longer: bib 1 would grow to 100,000 octets, bib 2 to 99,999.
    const std::string tooLong = Catalog().AddBib(1, FieldsOfSize(1, 99999, "http://old.example/1"));
    Catalog().AddBib(2, FieldsOfSize(2, 99998, "http://old.example/2"));
    StemJob();
    for (const bool production : {false, true}) {
        SCOPED_TRACE(production ? "production" : "test run");
        const ChildResult r = Run(production ? std::vector<std::string>{"--production"} : std::vector<std::string>{});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Counts(),
                  std::string("       2 records read\r\n"
                              "       1 records needing the requested change\r\n") +
                      (production ? "       1 records updated\r\n" : "       1 records would have been updated\r\n") +
                      "       1 records too long after the change, left unchanged (listed below)\r\n"
                      "       1 rows in the change report\r\n\r\n"
                      "These records were left unchanged because the change would make them too long\r\n"
                      "\tB 1.  Reason: longer than a MARC record may be after the change (99,999 "
                      "octets, 9,999 for a field)\r\n\r\n");
        EXPECT_EQ(BibsUpdated(), production ? 1 : 0);
        ClearReports();
    }
    EXPECT_TRUE(OctetsEqual(tooLong, Catalog().Stored("BIB", 1)));
    EXPECT_EQ(Catalog().Stored("BIB", 2).size(), 99999u);
}

LINKMEND_DB_TEST_SUITE(Batch);

TEST(BatchUsageTest, HelpVersionAndUsageErrors) {
    const ChildResult help = RunProgram({"--help"}), version = RunProgram({"--version"});
    const ChildResult bad = RunProgram({"--batch", "--productoin"});
    EXPECT_EQ(help.exitCode + version.exitCode, 0);
    EXPECT_NE(help.out.find("linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]"), std::string::npos);
    EXPECT_EQ(version.out.rfind("linkmend 1.", 0), 0u);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.rfind("linkmend: unknown option: --productoin\n\nUsage: linkmend [-i SETTINGS-FILE]\n", 0), 0u);
}

}  // namespace
}  // namespace linkmend::test
