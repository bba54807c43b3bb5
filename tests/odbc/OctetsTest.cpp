// Octet transparency: record segments and texts with every octet value reach the program exactly,
// and the database-side functions RAWTOHEX, HEXTORAW and CHR behave alike on both drivers.
#include "EngineDbTest.h"
#include "TestSupport.h"
#include "base/Hex.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

std::string AllOctets() {
    std::string s(256, '\0');
    for (int i = 0; i < 256; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return s;
}

class Octets : public EngineDbTest {
protected:
    // One row of one column through the engine.
    std::string Value(const std::string& sql) {
        auto e = NewEngine();
        e->SQLString(sql);
        e->ExecuteSQL(0);
        e->GetNextRow();
        return e->CurrentRow(1);
    }
    std::string From() const { return " FROM " + Prefix() + "VERSIONS"; }
    void SetUp() override {
        EngineDbTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    }
};

TEST_P(Octets, ASegmentWithEveryOctetReadsBackExactlyThroughRawToHex) {
    const std::string segment = AllOctets() + AllOctets().substr(0, 200);
    auto insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    insert.BindInt32(1, 42);
    insert.BindInt32(2, 1);
    insert.BindBinary(3, segment);
    insert.Execute();
    insert.BindInt32(2, 2);
    insert.BindBinary(3, std::string("\x1E\x1D", 2));
    insert.Execute();

    auto e = NewEngine();
    e->PushResultSet();
    e->ResultSet(0);
    e->IsRetrieval(true);
    e->ConnectToVoyager();
    SQLHSTMT stmt = e->RetrieveStatement();
    e->MyExecuteSQL(
        "SELECT RAWTOHEX(RECORD_SEGMENT), SEQNUM FROM " + Prefix() + "BIB_DATA WHERE BIB_ID = 42 ORDER BY SEQNUM", stmt,
        false);
    e->ResultSetColumns(2);
    std::string record;
    for (e->RealNextRow(stmt); !e->CurrentRow(1, -1).empty(); e->RealNextRow(stmt))
        record += HexToText(e->CurrentRow(1, -1));
    e->PopResultSet();
    EXPECT_TRUE(OctetsEqual(segment + "\x1E\x1D", record));
    EXPECT_EQ(Value("SELECT RAWTOHEX(RECORD_SEGMENT) FROM " + Prefix() + "BIB_DATA WHERE SEQNUM = 1"),
              TextToHex(segment));
}

// A column given the binary C type arrives as its raw octets, zero octets included.
TEST_P(Octets, AColumnReadAsBinaryArrivesAsRawOctets) {
    auto insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (1, 1, ?)");
    insert.BindBinary(1, AllOctets());
    insert.Execute();
    auto e = NewEngine();
    e->SQLString("SELECT RECORD_SEGMENT, SEQNUM FROM " + Prefix() + "BIB_DATA");
    const std::int16_t set = e->ExecuteSQL(0);
    e->ResultSetColumnDataType(1, SQL_C_BINARY);
    e->ExecuteSQL(set);
    e->GetNextRow();
    EXPECT_TRUE(OctetsEqual(AllOctets(), e->CurrentRow(1)));
    EXPECT_EQ(e->CurrentRowLength(1), 256);
    EXPECT_EQ(e->CurrentRow(2), "1");
}

// Texts hold every octet but 0x00 (PostgreSQL texts cannot): MARC-8 and UTF-8 alike pass unchanged.
TEST_P(Octets, TextColumnsKeepEveryOctetBothWays) {
    const std::string text = AllOctets().substr(1);
    auto insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (7, 'B', ?)");
    insert.BindText(1, text);
    insert.Execute();
    EXPECT_TRUE(OctetsEqual(text, Value("SELECT LINK FROM " + Prefix() + "ELINK_INDEX")));
    EXPECT_EQ(Value("SELECT RAWTOHEX(LINK) FROM " + Prefix() + "ELINK_INDEX"), TextToHex(text));
    auto select = Writer().Prepare("SELECT LINK FROM " + Prefix() + "ELINK_INDEX WHERE LINK = ?");
    select.BindText(1, text);
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_TRUE(OctetsEqual(text, select.Text(1).value_or("(null)")));
}

// The reader writes a non-ASCII literal as 'caf' || HEXTORAW('C3A9') || ''.
TEST_P(Octets, HexToRawJoinsQuotedLiteralsIntoTheExactOctets) {
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (9, 'B', 'http://caf" +
         std::string("\xC3\xA9") + ".example/')");
    EXPECT_EQ(Value("SELECT RAWTOHEX('caf' || HEXTORAW('C3A9') || '')" + From()), "636166C3A9");
    EXPECT_EQ(Value("SELECT RECORD_ID FROM " + Prefix() +
                    "ELINK_INDEX WHERE LINK = 'http://caf' || HEXTORAW('c3a9') || '.example/'"),
              "9");
    EXPECT_EQ(Value("SELECT RAWTOHEX('x' || HEXTORAW('ABC'))" + From()), "780ABC");
    EXPECT_EQ(Value("SELECT RAWTOHEX(HEXTORAW(''))" + From()), "");
    EXPECT_EQ(Value("SELECT RAWTOHEX(NULL)" + From()), "");
}

TEST_P(Octets, InvalidHexadecimalIsAnErrorNotSilentData) {
    auto e = NewEngine();
    e->SQLString("SELECT RAWTOHEX('a' || HEXTORAW('4G'))" + From());
    const auto error = CaughtError([&] { e->ExecuteSQL(0); });
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_NE(error.Description().find("hexadecimal"), std::string::npos) << error.Description();
}

TEST_P(Octets, ChrGivesTheOctetOfItsCode) {
    EXPECT_EQ(Value("SELECT RAWTOHEX(CHR(65) || CHR(233) || CHR(31))" + From()), "41E91F");
    EXPECT_EQ(Value("SELECT CHR(37)" + From()), "%");
}

LINKMEND_DB_TEST_SUITE(Octets);

}  // namespace
