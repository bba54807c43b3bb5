#include <gtest/gtest.h>

#include "JobDbFixture.h"
#include "MarcBuilder.h"
#include "base/INI.h"
#include "job/CatalogWriter.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const DateTime kRead = DateTime::Parse("2024-01-02 10:00:00");

class CatalogWriterDb : public JobDbTest {
protected:
    std::int32_t SignOn(const std::string& op = "cat", const std::string& pw = "cat-pw") {
        return writer_.SignOn(Folder(), op, pw);
    }
    std::string Bib(std::int32_t id, const std::string& link) {
        return BuildRecord({"001 " + std::to_string(id), "245 00 $aTitle", "856 40 $u" + link + "$yLink text"});
    }
    CatalogWriter writer_;
};

TEST_P(CatalogWriterDb, SignOnCodes) {
    EXPECT_EQ(SignOn("cat", "wrong"), 27);
    EXPECT_EQ(SignOn("nobody", "x"), 27);
    EXPECT_EQ(SignOn("CAT", "cat-pw"), 27);  // operator ids are exact
    Catalog().Exec("INSERT INTO " + Prefix() + "OPERATOR (OPERATOR_ID, PASSWORD_HASH) VALUES ('loner', '" +
                   HashOperatorPassword("loner-pw", "s") + "')");
    EXPECT_EQ(writer_.SignOn(Folder(), "loner", "loner-pw"), 28);
    EXPECT_EQ(writer_.SignOn(Folder() + "missing/", "cat", "cat-pw"), 26);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", "NoSuchDataSource", 0);
    EXPECT_EQ(SignOn(), 26);
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", Db().Dsn(), 0);
    EXPECT_EQ(SignOn(), 0);
}

TEST_P(CatalogWriterDb, ReplacesBibInOneTransaction) {
    Catalog().AddBib(101, {"245 00 $aOld", "856 40 $uhttp://old.example/a$zNote"});
    ASSERT_EQ(SignOn(), 0);
    const std::string record = Bib(101, "https://new.example/a");
    EXPECT_EQ(writer_.ReplaceBibRecord(101, record, kRead, 2, 11, true, "", ""), 0);
    EXPECT_TRUE(OctetsEqual(record, Catalog().Stored("BIB", 101)));
    EXPECT_EQ(Catalog().Links(101, "B"), (std::vector<std::string>{"B https://new.example/a | Link text"}));
    EXPECT_EQ(Catalog().Count(
                  "BIB_HISTORY WHERE BIB_ID = 101 AND ACTION_TYPE_ID = 2 AND OPERATOR_ID = 'cat' AND LOCATION_ID = 11"),
              1);
    EXPECT_EQ(Catalog().Count("BIB_MASTER WHERE BIB_ID = 101 AND SUPPRESS_IN_OPAC = 'Y' AND LIBRARY_ID = 2"), 1);
}

TEST_P(CatalogWriterDb, LongRecordsAreStoredInSegmentsOf990) {
    Catalog().AddBib(102, {"245 00 $aOld"});
    ASSERT_EQ(SignOn(), 0);
    const std::string record = BuildRecord({"001 102", "245 00 $a" + std::string(2200, 'x'), "856 40 $uhttp://a/"});
    ASSERT_EQ(writer_.ReplaceBibRecord(102, record, kRead, 1, 10, false, "", ""), 0);
    EXPECT_EQ(Catalog().Count("BIB_DATA WHERE BIB_ID = 102"), 3);
    EXPECT_TRUE(OctetsEqual(record, Catalog().Stored("BIB", 102)));
}

TEST_P(CatalogWriterDb, RefusesBadBibInput) {
    Catalog().AddBib(103, {"245 00 $aOld"});
    ASSERT_EQ(SignOn(), 0);
    const std::string record = Bib(103, "http://x/");
    EXPECT_EQ(writer_.ReplaceBibRecord(103, "not a record at all, not even close to a MARC record", kRead, 1, 10, false,
                                       "", ""),
              2);
    EXPECT_EQ(writer_.ReplaceBibRecord(103, BuildRecord({"001 103", "245 00 $aA holdings record, long enough"}, 'x'),
                                       kRead, 1, 10, false, "", ""),
              3);
    EXPECT_EQ(writer_.ReplaceBibRecord(999, record, kRead, 1, 10, false, "", ""), 13);
    EXPECT_EQ(writer_.ReplaceBibRecord(103, record, kRead, 77, 10, false, "", ""), 22);
    EXPECT_EQ(writer_.ReplaceBibRecord(103, record, kRead, 1, 12, false, "", ""), 24);  // not a cataloguing location
    EXPECT_EQ(writer_.ReplaceBibRecord(103, record, kRead, 1, 99, false, "", ""), 24);
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE BIB_ID = 103"), 1);  // nothing written
}

TEST_P(CatalogWriterDb, RecordChangedSinceItWasReadIsRefused) {
    Catalog().AddBib(104, {"245 00 $aOld"}, 1, "N", "2024-01-02 10:00:00", "2024-03-01 09:00:00");
    ASSERT_EQ(SignOn(), 0);
    const std::string record = Bib(104, "http://x/");
    EXPECT_EQ(writer_.ReplaceBibRecord(104, record, DateTime::Parse("2024-03-01 08:59:59"), 1, 10, false, "", ""), 41);
    EXPECT_EQ(writer_.ReplaceBibRecord(104, record, DateTime::Parse("2024-03-01 09:00:00"), 1, 10, false, "", ""), 0);
}

TEST_P(CatalogWriterDb, NeverUpdatedHoldingsPassedWithoutDateAreAccepted) {
    Catalog().AddBib(105, {"245 00 $aOld"});
    Catalog().AddHoldings(205, 105, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    ASSERT_EQ(SignOn(), 0);
    const std::string record = BuildRecord({"001 205", "004 105", "852 0  $bLAW", "856 41 $uhttps://new/h"}, 'x', ' ');
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(205, record, DateTime(), 10, 105, 10, false, "", ""), 0);
    EXPECT_EQ(Catalog().Count("MFHD_MASTER WHERE MFHD_ID = 205 AND LOCATION_ID = 11"), 1);  // from 852 $b
    EXPECT_EQ(Catalog().Links(205, "M"), (std::vector<std::string>{"M https://new/h | "}));
    EXPECT_TRUE(OctetsEqual(record, Catalog().Stored("MFHD", 205)));
}

TEST_P(CatalogWriterDb, RefusesBadHoldingsInput) {
    Catalog().AddBib(106, {"245 00 $aOld"});
    Catalog().AddHoldings(206, 106, {"852 0  $bMAIN"});
    ASSERT_EQ(SignOn(), 0);
    auto holdings = [](const std::string& f852) {
        std::vector<std::string> fields = {"001 206", "004 106"};
        if (!f852.empty()) fields.push_back(f852);
        return BuildRecord(fields, 'x', ' ');
    };
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, holdings(""), kRead, 10, 106, 10, false, "", ""), 37);
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, holdings("852 0  $hQA76"), kRead, 10, 106, 10, false, "", ""), 38);
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, holdings("852 0  $b  "), kRead, 10, 106, 10, false, "", ""), 39);
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, holdings("852 0  $bNOWHERE"), kRead, 10, 106, 10, false, "", ""), 23);
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, holdings("852 0  $bMAIN"), kRead, 10, 999, 10, false, "", ""), 19);
    EXPECT_EQ(writer_.ReplaceHoldingsRecord(206, Bib(206, "x"), kRead, 10, 106, 10, false, "", ""), 3);
}

TEST_P(CatalogWriterDb, AFailureInsideTheTransactionLeavesTheRecordAsItWas) {
    const std::string before = Catalog().AddBib(107, {"245 00 $aOld", "856 40 $uhttp://old.example/a"});
    ASSERT_EQ(SignOn(), 0);
    // The link index is gone when the record is written: segments and history must stay untouched.
    Catalog().Exec("ALTER TABLE " + Prefix() + "ELINK_INDEX RENAME TO ELINK_GONE");
    EXPECT_EQ(writer_.ReplaceBibRecord(107, Bib(107, "https://new/"), kRead, 1, 10, false, "", ""), 21);
    EXPECT_TRUE(OctetsEqual(before, Catalog().Stored("BIB", 107)));
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE BIB_ID = 107"), 1);
}

TEST_P(CatalogWriterDb, ReplacesAuthority) {
    Catalog().AddAuthority(301, {"100 1  $aSmith, John", "856 42 $uhttp://old.example/auth"});
    ASSERT_EQ(SignOn(), 0);
    const std::string record = BuildRecord({"001 301", "100 1  $aSmith, John", "856 42 $uhttps://new/auth"}, 'z');
    EXPECT_EQ(writer_.ReplaceAuthorityRecord(301, record, kRead, 10, "", ""), 0);
    EXPECT_EQ(Catalog().Links(301, "A"), (std::vector<std::string>{"A https://new/auth | "}));
    EXPECT_EQ(writer_.ReplaceAuthorityRecord(301, Bib(301, "x"), kRead, 10, "", ""), 3);
}

TEST_P(CatalogWriterDb, SigningOnAgainStartsAFreshConnection) {
    Catalog().AddBib(109, {"245 00 $aOld"});
    ASSERT_EQ(SignOn(), 0);
    EXPECT_EQ(writer_.ReplaceBibRecord(109, Bib(109, "http://first/"), kRead, 1, 10, false, "", ""), 0);
    ASSERT_EQ(SignOn(), 0);
    const DateTime later = DateTime(DateTime::Now().Days() + 1);
    EXPECT_EQ(writer_.ReplaceBibRecord(109, Bib(109, "http://second/"), later, 1, 10, false, "", ""), 0);
    EXPECT_EQ(Catalog().Links(109, "B"), (std::vector<std::string>{"B http://second/ | Link text"}));
    EXPECT_EQ(SignOn("cat", "wrong"), 27);
    EXPECT_EQ(writer_.ReplaceBibRecord(109, Bib(109, "http://third/"), later, 1, 10, false, "", ""), 26);
}

TEST_P(CatalogWriterDb, NothingWithoutSignOn) {
    Catalog().AddBib(108, {"245 00 $aOld"});
    EXPECT_EQ(writer_.ReplaceBibRecord(108, Bib(108, "x"), kRead, 1, 10, false, "", ""), 26);
}

LINKMEND_DB_TEST_SUITE(CatalogWriterDb);

TEST(LinkIndexRowsTest, OneRowPerUWithSchemeAndText) {
    const std::string record = BuildRecord({"001 1", "856 40 $3Part$uhttp://a/$uftp://b/$zNote", "856 42 $uno-scheme"});
    const auto rows = LinkIndexRows(record);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].subtype, "HTTP");
    EXPECT_EQ(rows[0].text, "Note");  // $z before $3
    EXPECT_EQ(rows[1].link, "ftp://b/");
    EXPECT_EQ(rows[1].subtype, "FTP");
    EXPECT_EQ(rows[2].subtype, "");
    EXPECT_EQ(rows[2].text, "");
}

TEST(OperatorPasswordTest, SaltedHashVerifies) {
    const std::string hash = HashOperatorPassword("secret", "abc");
    EXPECT_EQ(hash.rfind("$6$abc$", 0), 0u);
    EXPECT_TRUE(OperatorPasswordMatches("secret", hash));
    EXPECT_FALSE(OperatorPasswordMatches("Secret", hash));
    EXPECT_FALSE(OperatorPasswordMatches("secret", "secret"));
    EXPECT_NE(HashOperatorPassword("secret", "abd"), hash);
}

}  // namespace
