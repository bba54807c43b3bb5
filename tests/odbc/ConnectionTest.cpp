// The connection for writing (parameters, statements reused, transactions that keep all or nothing)
// and octet transparency: every octet reaches the program exactly, and RAWTOHEX, HEXTORAW and CHR
// behave alike on both drivers.
#include <random>

#include "EngineDbTest.h"
#include "base/Hex.h"
#include "kit/Octets.h"
#include "odbc/PreparedQuery.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

std::string AllOctets() {
    std::string s(256, '\0');
    for (int i = 0; i < 256; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return s;
}

class Connection : public EngineDbTest {
protected:
    // Counted with a second connection, as another program would.
    std::string Count(const std::string& table) {
        odbc::Connection other;
        other.Connect(Db().Dsn(), Db().Uid(), Db().Pwd());
        auto s = other.Prepare("SELECT COUNT(*) FROM " + Prefix() + table);
        s.Execute();
        return s.Fetch() ? s.Text(1).value_or("NULL") : "no row";
    }
    // One value through the engine.
    std::string Value(const std::string& sql) {
        auto e = NewEngine();
        e->SQLString(sql);
        e->ExecuteSQL(0);
        e->GetNextRow();
        return e->CurrentRow(1);
    }
};

TEST_P(Connection, ValuesOfEveryKindRoundTripExactly) {
    std::string large(100 * 1024, '\0');
    std::mt19937 random(12345);
    for (char& c : large) c = static_cast<char>(random() & 0xFF);
    auto insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    const std::optional<std::string> segments[] = {AllOctets(), large, std::string(), std::nullopt};
    for (int i = 0; i < 4; ++i) {
        insert.BindInt32(1, 1);
        insert.BindInt32(2, i + 1);
        segments[i] ? insert.BindBinary(3, *segments[i]) : insert.BindNull(3);
        EXPECT_EQ(insert.Execute(), 1);
    }
    auto read =
        Writer().Prepare("SELECT RECORD_SEGMENT FROM " + Prefix() + "BIB_DATA WHERE BIB_ID = ? ORDER BY SEQNUM");
    read.BindInt32(1, 1);
    read.Execute();
    for (const auto& segment : segments) {
        ASSERT_TRUE(read.Fetch());
        EXPECT_TRUE(segment ? OctetsEqual(*segment, read.Binary(1).value_or("(null)")) : !read.Binary(1));
    }
    EXPECT_FALSE(read.Fetch());
    auto item = Writer().Prepare("INSERT INTO " + Prefix() +
                                 "ITEM (ITEM_ID, PRICE, SPINE_LABEL, COPY_NUMBER) VALUES (?, ?, ?, ?)");
    item.BindInt32(1, -7);
    item.BindInt64(2, 5'000'000'123LL);
    item.BindText(3, std::string("sp\xE9\x1F"
                                 "a",
                                 5));
    item.BindNull(4);
    item.Execute();
    auto select = Writer().Prepare("SELECT ITEM_ID, PRICE, SPINE_LABEL, COPY_NUMBER FROM " + Prefix() + "ITEM");
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.ColumnCount(), 4);
    EXPECT_EQ(*select.Text(1) + "|" + *select.Text(2) + "|" + *select.Text(3), std::string("-7|5000000123|sp\xE9\x1F"
                                                                                           "a",
                                                                                           19));
    EXPECT_EQ(select.Text(4), std::nullopt);
}

// Outside a transaction each statement stands by itself; inside, nothing is kept until Commit, and a
// failing statement rolls all back before its error; closing rolls back too.
TEST_P(Connection, TransactionsKeepAllOrNothing) {
    auto& w = Writer();
    auto insert = w.Prepare("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    w.Begin();
    EXPECT_TRUE(w.InTransaction());
    for (int i = 1; i <= 50; ++i) {
        insert.BindInt32(1, i);
        insert.BindText(2, i % 2 ? "odd" : "even");
        ASSERT_EQ(insert.Execute(), 1);
    }
    EXPECT_EQ(Count("LIBRARY"), "0");
    w.Rollback();
    EXPECT_EQ(Count("LIBRARY"), "0");
    w.Begin();
    insert.BindInt32(1, 20);
    insert.Execute();
    const auto error = CaughtError([&] { insert.Execute(); });  // the same key again
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_NE(error.Description().find("INSERT INTO " + Prefix() + "LIBRARY"), std::string::npos);
    EXPECT_NE(error.Description().find("The transaction was rolled back."), std::string::npos) << error.Description();
    EXPECT_FALSE(w.InTransaction());
    EXPECT_EQ(Count("LIBRARY"), "0");
    w.Begin();
    insert.Execute();
    w.Commit();
    EXPECT_EQ(w.Execute("UPDATE " + Prefix() + "LIBRARY SET NUC_CODE = 'X' WHERE LIBRARY_ID < 100"), 1);
    EXPECT_EQ(w.Execute("DELETE FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID > 1000"), 0);
    EXPECT_EQ(Count("LIBRARY"), "1");
    {
        odbc::Connection c;
        c.Connect(Db().Dsn(), Db().Uid(), Db().Pwd());
        c.Begin();
        c.Execute("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (2)");
    }
    EXPECT_EQ(Count("LIBRARY"), "1");
    EXPECT_LINKMEND_ERROR(w.Commit(), -2147220504, "VgerReadDLL", "Commit without an open transaction");
    EXPECT_LINKMEND_ERROR(w.Rollback(), -2147220504, "VgerReadDLL", "Rollback without an open transaction");
    w.Begin();
    EXPECT_LINKMEND_ERROR(w.Begin(), -2147220504, "VgerReadDLL", "A transaction is already open");
    w.Rollback();
    auto unbound = w.Prepare("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    unbound.BindText(2, "no id");
    EXPECT_LINKMEND_ERROR(
        unbound.Execute(), 380, "VgerReadDLL",
        "Parameter 1 has no value: INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    EXPECT_LINKMEND_ERROR(unbound.BindInt32(0, 1), 380, "VgerReadDLL",
                          "Invalid parameter number (0); must be 1 or higher");
}

// A data source that is not there, and the read-only account's writes, refused with the reason.
TEST_P(Connection, RefusalsWithTheDatabasesReason) {
    odbc::Connection c;
    const auto refused = CaughtError([&] { c.Connect("NoSuchLinkmendSource", "", ""); });
    EXPECT_EQ(refused.Number(), -2147220498);
    EXPECT_EQ(refused.Description().rfind("Could not establish a database connection to NoSuchLinkmendSource\n\n", 0),
              0u);
    EXPECT_FALSE(c.Connected());
    c.Connect(Db().ReadOnlyDsn(), Db().ReadOnlyUid(), Db().ReadOnlyPwd());
    EXPECT_EQ(c.DbmsName(), IsSqlite() ? "SQLite" : "PostgreSQL");
    c.Begin();
    const auto denied = CaughtError([&] { c.Execute("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (1)"); });
    EXPECT_NE(denied.Description().find(IsSqlite() ? "readonly database" : "permission denied"), std::string::npos);
    EXPECT_FALSE(c.InTransaction());
}

// A segment of every octet through RAWTOHEX, a column read as binary (and as prepared reads take it), a text of every
// octet but 0x00 (PostgreSQL texts cannot hold it) both ways; HEXTORAW joins quoted literals, CHR gives octets.
TEST_P(Connection, EveryOctetReachesTheProgramExactly) {
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    auto insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (42, 1, ?)");
    insert.BindBinary(1, AllOctets());
    insert.Execute();
    auto link =
        Writer().Prepare("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (9, 'B', ?)");
    link.BindText(1, AllOctets().substr(1));
    link.Execute();
    EXPECT_EQ(Value("SELECT RAWTOHEX(RECORD_SEGMENT) FROM " + Prefix() + "BIB_DATA"), TextToHex(AllOctets()));
    EXPECT_TRUE(OctetsEqual(AllOctets().substr(1), Value("SELECT LINK FROM " + Prefix() + "ELINK_INDEX")));
    EXPECT_EQ(Value("SELECT RAWTOHEX(LINK) FROM " + Prefix() + "ELINK_INDEX"), TextToHex(AllOctets().substr(1)));
    auto byText = Writer().Prepare("SELECT RECORD_ID FROM " + Prefix() + "ELINK_INDEX WHERE LINK = ?");
    byText.BindText(1, AllOctets().substr(1));
    byText.Execute();
    EXPECT_TRUE(byText.Fetch());
    auto e = NewEngine();
    e->SQLString("SELECT RECORD_SEGMENT, SEQNUM FROM " + Prefix() + "BIB_DATA");
    const std::int16_t set = e->ExecuteSQL(0);
    e->ResultSetColumnDataType(1, SQL_C_BINARY);
    e->ExecuteSQL(set);
    e->GetNextRow();
    EXPECT_TRUE(OctetsEqual(AllOctets(), e->CurrentRow(1)));
    EXPECT_EQ(e->CurrentRowLength(1), 256);
    // Prepared reads take stored octets the way the driver's row says (SQLite: escaped text).
    PreparedQuery& q =
        e->Prepared("SELECT " + e->Driver().OctetsColumn("RECORD_SEGMENT") + " FROM " + Prefix() + "BIB_DATA");
    q.ReadAsOctets(1);
    q.Execute();
    ASSERT_TRUE(q.Fetch());
    EXPECT_TRUE(OctetsEqual(AllOctets(), q.Column(1)));
    const std::string from = " FROM " + Prefix() + "VERSIONS";
    const std::pair<std::string, std::string> values[] = {{"RAWTOHEX('caf' || HEXTORAW('C3A9') || '')", "636166C3A9"},
                                                          {"RAWTOHEX('x' || HEXTORAW('abc'))", "780ABC"},
                                                          {"RAWTOHEX(HEXTORAW(''))", ""},
                                                          {"RAWTOHEX(NULL)", ""},
                                                          {"RAWTOHEX(CHR(65) || CHR(233) || CHR(31))", "41E91F"},
                                                          {"CHR(37)", "%"}};
    for (const auto& [sql, value] : values) EXPECT_EQ(Value("SELECT " + sql + from), value) << sql;
    e->SQLString("SELECT RAWTOHEX('a' || HEXTORAW('4G'))" + from);
    const auto error = CaughtError([&] { e->ExecuteSQL(0); });
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_NE(error.Description().find("hexadecimal"), std::string::npos) << error.Description();
}

LINKMEND_DB_TEST_SUITE(Connection);

}  // namespace
