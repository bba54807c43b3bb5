// The component as the last guard: whatever the job hands it, a string that is no MARC record as it
// stands, or a record without its 001, is refused and nothing is written.
#include <gtest/gtest.h>

#include <memory>

#include "DbTest.h"
#include "MarcBuilder.h"
#include "TestCatalog.h"
#include "TestSupport.h"
#include "base/INI.h"
#include "catalog/CatalogWriter.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class LastGuardDb : public testdb::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        catalog_ = std::make_unique<TestCatalog>(Writer(), Prefix());
        catalog_->Basics();
        for (const auto& [key, value] : {std::pair<const char*, std::string>{"DSN", Db().Dsn()},
                                         {"UID", Db().Uid()},
                                         {"PWD", Db().Pwd()},
                                         {"TableNamePrefix", Prefix()}})
            WriteIniValue(dir_.File("Voyager.INI"), "Database", key, value, 0);
    }
    TempDir dir_;
    std::unique_ptr<TestCatalog> catalog_;
};

// A record with the octets at `at` replaced; directory entries begin at 24, 36, 48 ...
std::string Damaged(std::string record, std::size_t at, const std::string& octets) {
    return record.replace(at, octets.size(), octets);
}

TEST_P(LastGuardDb, NotMarcAsItStandsIsTwoNo001IsEight) {
    const std::string bib = catalog_->AddBib(1, {"245 00 $aOld", "856 40 $uhttp://old.example/1"});
    const std::string holdings = catalog_->AddHoldings(2, 1, {"852 0  $bMAIN"});
    const std::string authority = catalog_->AddAuthority(3, {"100 1  $aSmith"});
    CatalogWriter writer;
    ASSERT_EQ(writer.SignOn(dir_.Path(), "cat", "cat-pw"), 0);
    const DateTime read = DateTime::Parse("2024-01-02 10:00:00");
    auto asBib = [&](const std::string& r) { return writer.ReplaceBibRecord(1, r, read, 1, 10, false, "", ""); };
    auto asHoldings = [&](const std::string& r) {
        return writer.ReplaceHoldingsRecord(2, r, read, 10, 1, 10, false, "", "");
    };
    auto asAuthority = [&](const std::string& r) { return writer.ReplaceAuthorityRecord(3, r, read, 10, "", ""); };
    const struct {
        std::int32_t code, expected;
    } cases[] = {
        {asBib(""), 2},                         // what an overgrown record assembles to
        {asBib(Damaged(bib, 27, "00A2")), 2},   // the 001 entry's length is no number
        {asBib(Damaged(bib, 39, "-013")), 2},   // nor the 245's
        {asBib(Damaged(bib, 55, "9999x")), 2},  // the 856's start
        {asBib(Damaged(bib, 51, "0999")), 2},   // the 856 reaches past the data
        {asBib(BuildRecord({"245 00 $aNo control number"})), 8},
        {asHoldings(Damaged(holdings, 39, "0A05")), 2},  // the 004's length
        {asHoldings(BuildRecord({"004 1", "852 0  $bMAIN"}, 'x', ' ')), 8},
        {asAuthority(BuildRecord({"100 1  $aSmith, John, 1900-1990"}, 'z')), 8},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].code, cases[i].expected) << "case " << i;
    for (const char* table : {"BIB_HISTORY", "MFHD_HISTORY", "AUTH_HISTORY"})
        EXPECT_EQ(catalog_->Count(std::string(table) + " WHERE ACTION_TYPE_ID = 2"), 0) << table;
    EXPECT_TRUE(OctetsEqual(bib, catalog_->Stored("BIB", 1)));
    // The same records whole pass.
    EXPECT_EQ(asBib(bib), 0);
    EXPECT_EQ(asHoldings(holdings), 0);
    EXPECT_EQ(asAuthority(authority), 0);
}

LINKMEND_DB_TEST_SUITE(LastGuardDb);

}  // namespace
