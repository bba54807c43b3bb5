// The program under faults and bad input, run headless: damaged stored records and records that
// outgrow the format are left as stored and listed, a full disk stops the run at the first failed
// write, and a run that cannot begin still leaves its report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "ChildProcess.h"
#include "kit/JobDb.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class Faults : public JobDbTest {
protected:
    ChildResult Run(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
        args.insert(args.begin(), {LINKMEND_PROGRAM, "--batch"});
        std::vector<std::string> all = {"TMPDIR=" + Folder()};
        all.insert(all.end(), env.begin(), env.end());
        return RunChild(args, all);
    }
    // Replaces the stored octets of a record kept in one segment.
    void Store(const std::string& kind, std::int32_t id, const std::string& record) {
        odbc::Statement s =
            Writer().Prepare("UPDATE " + Prefix() + kind + "_DATA SET RECORD_SEGMENT = ? WHERE " + kind + "_ID = ?");
        s.BindBinary(1, record);
        s.BindInt32(2, id);
        s.Execute();
    }
    // The report from its counters on (after the connection block).
    std::string Counters() const {
        const std::string report = Report(), end = "Voyager UID:       \tcat\r\n\r\n";
        const auto at = report.find(end);
        return at == std::string::npos ? report : report.substr(at + end.size());
    }
    long long Written() { return Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"); }
};

std::string LastLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
}

TEST_P(Faults, DamagedStoredRecordsAreListedAndLeftAsStored) {
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
    EXPECT_EQ(Counters(),
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

TEST_P(Faults, ARecordOutgrowingTheFormatIsRefusedBeforeWritingAndListed) {
    // The new stem is one octet longer: bib 1 would grow to 100,000 octets, bib 2 to 99,999.
    const std::string tooLong = Catalog().AddBib(1, FieldsOfSize(1, 99999, "http://old.example/1"));
    Catalog().AddBib(2, FieldsOfSize(2, 99998, "http://old.example/2"));
    StemJob();
    for (const bool production : {false, true}) {
        SCOPED_TRACE(production ? "production" : "test run");
        const ChildResult r = Run(production ? std::vector<std::string>{"--production"} : std::vector<std::string>{});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Counters(),
                  std::string("       2 records read\r\n"
                              "       1 records needing the requested change\r\n") +
                      (production ? "       1 records updated\r\n" : "       1 records would have been updated\r\n") +
                      "       1 records too long after the change, left unchanged (listed below)\r\n"
                      "       1 rows in the change report\r\n\r\n"
                      "These records were left unchanged because the change would make them too long\r\n"
                      "\tB 1.  Reason: longer than a MARC record may be after the change (99,999 "
                      "octets, 9,999 for a field)\r\n\r\n");
        EXPECT_EQ(Written(), production ? 1 : 0);
        std::filesystem::remove_all(Reports());
        std::filesystem::create_directory(Reports());
    }
    EXPECT_TRUE(OctetsEqual(tooLong, Catalog().Stored("BIB", 1)));
    EXPECT_EQ(Catalog().Stored("BIB", 2).size(), 99999u);
}

TEST_P(Faults, AFullDiskStopsTheRunAtTheFirstFailedWriteAndNamesNoReport) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (int bib = 1; bib <= 6; ++bib) {
        Catalog().AddBib(bib, {k008, std::string("856 40 $uhttp://") + (bib <= 3 ? "one" : "two") + ".example/"});
    }
    const struct {
        const char *suffix, *stem;
        std::vector<std::string> args;
        long long written;  // by the end of the case, the cases before included
    } cases[] = {{".ChangedRecords.txt", "http://one.example/", {"--production", "--list-changed"}, 1},
                 {".Report.txt", "http://two.example/", {"--production"}, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.suffix);
        StemJob(c.stem);
        // The file of the run, whatever second of its clock it starts at, is the full device.
        for (int second = 10; second < 40; ++second) {
            const std::string name = Reports() + "LINKMEND.20240501.1000" + std::to_string(second) + c.suffix;
            ASSERT_EQ(symlink("/dev/full", name.c_str()), 0);
        }
        const ChildResult r = Run(c.args, {"LINKMEND_CLOCK=2024-05-01 10:00:10"});
        EXPECT_EQ(r.exitCode, 6);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Cannot create or write the file " + Reports() + "LINKMEND.20240501.1000"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(std::string(c.suffix) + ".\n"), std::string::npos) << r.err;
        EXPECT_EQ(Written(), c.written);
        for (const auto& entry : std::filesystem::directory_iterator(Reports())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".Report.txt") && entry.is_regular_file()) << "unfinished report " << name;
        }
        std::filesystem::remove_all(Reports());
        std::filesystem::create_directory(Reports());
    }
}

TEST_P(Faults, AStartThatCannotReadTheDatabaseEndsWithStatusThreeAndAReport) {
    StemJob();
    const struct {
        const char *key, *value, *line;
    } cases[] = {{"DSN", "NoSuchDataSource", "Data source:       \tNoSuchDataSource\r\n"},
                 {"TNP", "nosuch.", "Table name prefix: \tnosuch.\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Set("Connection", "DSN", Db().ReadOnlyDsn());
        Set("Connection", "TNP", Prefix());
        Set("Connection", c.key, c.value);
        const ChildResult r = Run({"--production"});
        EXPECT_EQ(r.exitCode, 3) << r.err;
        EXPECT_EQ(LastLine(r.out).rfind(Reports() + "LINKMEND.", 0), 0u) << r.out;
        const std::string report = Report();
        EXPECT_NE(report.find("Run performed as production\r\n\r\nOld stem: http://old.example/\r\n"),
                  std::string::npos);
        EXPECT_NE(report.find(c.line), std::string::npos) << report;
        EXPECT_EQ(Counters().rfind("       0 records read\r\n\r\nError in SQL statement: ", 0), 0u) << report;
        std::filesystem::remove_all(Reports());
        std::filesystem::create_directory(Reports());
    }
}

LINKMEND_DB_TEST_SUITE(Faults);

}  // namespace
