// The program on records it must not write back, run headless: damaged stored records and records
// that outgrow the format are left as stored and listed.
#include <gtest/gtest.h>

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
    EXPECT_EQ(Counts(),
              "       3 records read\r\n"
              "       2 records damaged as stored, left unchanged (listed below)\r\n"
              "       1 records needing the requested change\r\n"
              "       1 records updated\r\n\r\n"
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
        EXPECT_EQ(Counts(),
                  std::string("       2 records read\r\n"
                              "       1 records needing the requested change\r\n") +
                      (production ? "       1 records updated\r\n" : "       1 records would have been updated\r\n") +
                      "       1 records too long after the change, left unchanged (listed below)\r\n\r\n"
                      "These records were left unchanged because the change would make them too long\r\n"
                      "\tB 1.  Reason: longer than a MARC record may be after the change (99,999 "
                      "octets, 9,999 for a field)\r\n\r\n");
        EXPECT_EQ(BibsUpdated(), production ? 1 : 0);
        ClearReports();
    }
    EXPECT_TRUE(OctetsEqual(tooLong, Catalog().Stored("BIB", 1)));
    EXPECT_EQ(Catalog().Stored("BIB", 2).size(), 99999u);
}

LINKMEND_DB_TEST_SUITE(Faults);

}  // namespace
