// The connection for writing: parameters of every kind, statements reused, transactions that keep
// all or nothing, and the driver's reasons in its errors. On both drivers.
#include <random>

#include "EngineDbTest.h"
#include "TestSupport.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class WriteConnection : public EngineDbTest {
protected:
    // Reads with a second connection, as another program would.
    std::string Count(const std::string& table, const std::string& where = "") {
        odbc::Connection other;
        other.Connect(Db().Dsn(), Db().Uid(), Db().Pwd());
        auto s = other.Prepare("SELECT COUNT(*) FROM " + Prefix() + table + (where.empty() ? "" : " WHERE " + where));
        s.Execute();
        EXPECT_TRUE(s.Fetch());
        return s.Text(1).value_or("NULL");
    }
    odbc::Statement InsertSegment(odbc::Connection& c) {
        return c.Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    }
    std::optional<std::string> Segment(int bib, int seq) {
        auto s =
            Writer().Prepare("SELECT RECORD_SEGMENT FROM " + Prefix() + "BIB_DATA WHERE BIB_ID = ? AND SEQNUM = ?");
        s.BindInt32(1, bib);
        s.BindInt32(2, seq);
        s.Execute();
        if (!s.Fetch()) return std::string("(no row)");
        return s.Binary(1);
    }
};

TEST_P(WriteConnection, BinaryValuesOfEveryOctetAndOf100KilobytesRoundTripExactly) {
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<char>(i);
    std::string large(100 * 1024, '\0');
    std::mt19937 random(12345);
    for (char& c : large) c = static_cast<char>(random() & 0xFF);

    auto insert = InsertSegment(Writer());
    insert.BindInt32(1, 1);
    insert.BindInt32(2, 1);
    insert.BindBinary(3, all);
    EXPECT_EQ(insert.Execute(), 1);
    insert.BindInt32(2, 2);
    insert.BindBinary(3, large);
    EXPECT_EQ(insert.Execute(), 1);
    insert.BindInt32(2, 3);
    insert.BindBinary(3, "");
    insert.Execute();
    insert.BindInt32(2, 4);
    insert.BindNull(3);
    insert.Execute();

    EXPECT_TRUE(OctetsEqual(all, Segment(1, 1).value_or("(null)")));
    EXPECT_TRUE(OctetsEqual(large, Segment(1, 2).value_or("(null)")));
    EXPECT_EQ(Segment(1, 3), std::string());
    EXPECT_EQ(Segment(1, 4), std::nullopt);
}

TEST_P(WriteConnection, TextIntegersAndNullTakeTheirPlacesAndReadBackAsText) {
    auto insert = Writer().Prepare("INSERT INTO " + Prefix() +
                                   "ITEM (ITEM_ID, PRICE, SPINE_LABEL, COPY_NUMBER) VALUES (?, ?, ?, ?)");
    insert.BindInt32(1, -7);
    insert.BindInt64(2, 5'000'000'123LL);
    insert.BindText(3, std::string("sp\xE9"
                                   "cial\x1F"
                                   "a",
                                   9));
    insert.BindNull(4);
    insert.Execute();
    auto select = Writer().Prepare("SELECT ITEM_ID, PRICE, SPINE_LABEL, COPY_NUMBER FROM " + Prefix() + "ITEM");
    select.Execute();
    EXPECT_EQ(select.ColumnCount(), 4);
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.Text(1), "-7");
    EXPECT_EQ(select.Text(2), "5000000123");
    EXPECT_EQ(select.Text(3), std::string("sp\xE9"
                                          "cial\x1F"
                                          "a",
                                          9));
    EXPECT_EQ(select.Text(4), std::nullopt);
    EXPECT_FALSE(select.Fetch());
}

TEST_P(WriteConnection, APreparedStatementServesManyExecutionsAndCountsAffectedRows) {
    auto insert = Writer().Prepare("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    for (int i = 1; i <= 50; ++i) {
        insert.BindInt32(1, i);
        insert.BindText(2, i % 2 ? "odd" : "even");
        ASSERT_EQ(insert.Execute(), 1);
    }
    EXPECT_EQ(Count("LIBRARY"), "50");
    EXPECT_EQ(Writer().Execute("UPDATE " + Prefix() + "LIBRARY SET NUC_CODE = 'X' WHERE LIBRARY_NAME = 'odd'"), 25);
    EXPECT_EQ(Writer().Execute("DELETE FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID > 1000"), 0);
    auto read = Writer().Prepare("SELECT LIBRARY_NAME FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID = ?");
    for (int i : {3, 4, 3}) {
        read.BindInt32(1, i);
        read.Execute();
        ASSERT_TRUE(read.Fetch());
        EXPECT_EQ(read.Text(1), i % 2 ? "odd" : "even");
    }
}

TEST_P(WriteConnection, RollbackRemovesEverythingOfTheTransactionAndCommitKeepsIt) {
    auto& w = Writer();
    w.Begin();
    EXPECT_TRUE(w.InTransaction());
    auto insert = InsertSegment(w);
    for (int seq = 1; seq <= 3; ++seq) {
        insert.BindInt32(1, 10);
        insert.BindInt32(2, seq);
        insert.BindBinary(3, "segment");
        insert.Execute();
    }
    // Another connection sees nothing before the commit.
    EXPECT_EQ(Count("BIB_DATA"), "0");
    w.Rollback();
    EXPECT_FALSE(w.InTransaction());
    EXPECT_EQ(Count("BIB_DATA"), "0");

    w.Begin();
    insert.BindInt32(1, 11);
    insert.BindInt32(2, 1);
    insert.Execute();
    w.Commit();
    EXPECT_EQ(Count("BIB_DATA", "BIB_ID = 11"), "1");
    // Outside a transaction each statement stands by itself.
    w.Execute("DELETE FROM " + Prefix() + "BIB_DATA");
    EXPECT_EQ(Count("BIB_DATA"), "0");
}

TEST_P(WriteConnection, AFailedStatementInsideATransactionLeavesNothingBehind) {
    auto& w = Writer();
    w.Begin();
    auto insert = InsertSegment(w);
    insert.BindInt32(1, 20);
    insert.BindInt32(2, 1);
    insert.BindBinary(3, "first");
    insert.Execute();
    // The same key again violates the primary key.
    const auto error = CaughtError([&] { insert.Execute(); });
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_EQ(error.Source(), "VgerReadDLL");
    EXPECT_NE(error.Description().find("INSERT INTO " + Prefix() + "BIB_DATA"), std::string::npos);
    EXPECT_NE(error.Description().find("The transaction was rolled back."), std::string::npos) << error.Description();
    EXPECT_FALSE(w.InTransaction());
    EXPECT_EQ(Count("BIB_DATA"), "0");
    // The connection goes on: a new transaction works.
    w.Begin();
    insert.Execute();
    w.Commit();
    EXPECT_EQ(Count("BIB_DATA"), "1");
}

TEST_P(WriteConnection, MisusedTransactionsAndParametersGetClearErrors) {
    auto& w = Writer();
    EXPECT_LINKMEND_ERROR(w.Commit(), -2147220504, "VgerReadDLL", "Commit without an open transaction");
    EXPECT_LINKMEND_ERROR(w.Rollback(), -2147220504, "VgerReadDLL", "Rollback without an open transaction");
    w.Begin();
    EXPECT_LINKMEND_ERROR(w.Begin(), -2147220504, "VgerReadDLL", "A transaction is already open");
    w.Rollback();
    auto insert = w.Prepare("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    insert.BindText(2, "no id");
    EXPECT_LINKMEND_ERROR(
        insert.Execute(), 380, "VgerReadDLL",
        "Parameter 1 has no value: INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (?, ?)");
    EXPECT_LINKMEND_ERROR(insert.BindInt32(0, 1), 380, "VgerReadDLL",
                          "Invalid parameter number (0); must be 1 or higher");
    EXPECT_EQ(Count("LIBRARY"), "0");
}

TEST_P(WriteConnection, ClosingWithAnOpenTransactionRollsItBack) {
    {
        odbc::Connection c;
        c.Connect(Db().Dsn(), Db().Uid(), Db().Pwd());
        c.Begin();
        c.Execute("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (1)");
    }
    EXPECT_EQ(Count("LIBRARY"), "0");
}

TEST_P(WriteConnection, RefusedConnectionsAndTheReadOnlyAccountReportTheDatabasesReason) {
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
    EXPECT_EQ(denied.Number(), -2147220504);
    EXPECT_NE(denied.Description().find(IsSqlite() ? "readonly database" : "permission denied"), std::string::npos)
        << denied.Description();
    EXPECT_FALSE(c.InTransaction());
}

// SQLite in WAL mode (and PostgreSQL always) lets a reader read while a writer holds a transaction.
TEST_P(WriteConnection, AReaderIsNotBlockedByAnOpenWriteTransaction) {
    AddLibraries(2);
    auto& w = Writer();
    w.Begin();
    w.Execute("UPDATE " + Prefix() + "LIBRARY SET LIBRARY_NAME = 'uncommitted'");
    auto e = NewEngine(true);
    e->SQLString(LibrarySelect());
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2), "Library 01");
    w.Commit();
    e->ExecuteSQL(-1);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2), "uncommitted");
}

LINKMEND_DB_TEST_SUITE(WriteConnection);

}  // namespace
