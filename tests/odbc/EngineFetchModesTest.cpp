// Block fetch, scrolling fetch, output parameters and the driver manager's trace, on both drivers.

#include "EngineDbTest.h"
#include "TestSupport.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

constexpr const char* kSource = "VgerReadDLL";

class EngineFetchModes : public EngineDbTest {
protected:
    // Reads the current set to its end; each row as "id|name|nuc".
    static std::vector<std::string> ReadAll(VgerReaderDllClass6& e) {
        std::vector<std::string> rows;
        for (e.GetNextRow(); !e.CurrentRow(1).empty(); e.GetNextRow())
            rows.push_back(e.CurrentRow(1) + "|" + e.CurrentRow(2) + "|" + e.CurrentRow(3));
        return rows;
    }
    static std::vector<std::string> Expected(int count) {
        std::vector<std::string> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back(std::to_string(i) + "|" + LibraryName(i) + "|NUC" + std::to_string(i));
        return rows;
    }
};

TEST_P(EngineFetchModes, BlockFetchReadsTenRowsPerDriverCallAndEveryRowArrives) {
    AddLibraries(23);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->RowsPerFetch(10);
    e->ExecuteSQL(0);
    EXPECT_EQ(e->RowsPerFetch(), 10);
    CallCounter calls;
    EXPECT_EQ(ReadAll(*e), Expected(23));
    // Three blocks (10, 10, 3) and the call that finds the end.
    EXPECT_EQ(calls["SQLFetch"], 4);
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 24);
}

TEST_P(EngineFetchModes, RowsPerFetchHoldsForOneExecutionOnly) {
    AddLibraries(12);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->RowsPerFetch(10);
    const std::int16_t set = e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2), "Library 01");
    // The same set again, without RowsPerFetch: single rows, nothing left of the block bindings.
    e->ExecuteSQL(set);
    EXPECT_EQ(e->RowsPerFetch(), 0);
    CallCounter calls;
    EXPECT_EQ(ReadAll(*e), Expected(12));
    EXPECT_EQ(calls["SQLFetch"], 13);
    // And block mode again after single rows.
    e->RowsPerFetch(5);
    e->ExecuteSQL(set);
    EXPECT_EQ(ReadAll(*e), Expected(12));
}

TEST_P(EngineFetchModes, ABlockOfTenAnsweredBySevenRowsEndsAfterTheSeventh) {
    AddLibraries(7);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->RowsPerFetch(10);
    e->ExecuteSQL(0);
    CallCounter calls;
    for (int i = 1; i <= 7; ++i) {
        e->GetNextRow();
        EXPECT_EQ(e->CurrentRow(1), std::to_string(i));
        EXPECT_EQ(e->CurrentRow(2), LibraryName(i));
        EXPECT_EQ(e->CurrentRowLength(2), 10);
    }
    EXPECT_EQ(calls["SQLFetch"], 1);
    e->GetNextRow();
    EXPECT_EQ(calls["SQLFetch"], 2);
    EXPECT_EQ(e->CurrentRow(1), "");
    EXPECT_EQ(e->CurrentRow(2), "");
}

TEST_P(EngineFetchModes, BlockValuesKeepNullsLineFeedsAndCutAt299Octets) {
    auto& w = Writer();
    auto insert = w.Prepare("INSERT INTO " + Prefix() +
                            "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK, LINK_TEXT) VALUES (?, 'B', ?, ?)");
    insert.BindInt32(1, 1);
    insert.BindText(2, std::string(400, 'L'));
    insert.BindNull(3);
    insert.Execute();
    insert.BindInt32(1, 2);
    insert.BindText(2, "short");
    insert.BindText(3, "two\nlines");
    insert.Execute();
    auto e = NewEngine();
    e->SQLString("SELECT RECORD_ID, LINK, LINK_TEXT, RECORD_TYPE FROM " + Prefix() + "ELINK_INDEX ORDER BY RECORD_ID");
    e->RowsPerFetch(3);
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2), std::string(299, 'L'));
    EXPECT_EQ(e->CurrentRow(3), "");
    EXPECT_EQ(e->CurrentRow(4), "B");
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "2");
    EXPECT_EQ(e->CurrentRow(2), "short");
    EXPECT_EQ(e->CurrentRow(3), "two\nlines");
    EXPECT_EQ(e->CurrentRow(4), "B");
}

TEST_P(EngineFetchModes, ScrollingFetchMovesToFirstLastAbsoluteAndBack) {
    AddLibraries(6);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->ScrollableCursor(true);
    e->ExecuteSQL(0);
    EXPECT_TRUE(e->ScrollableCursor());
    e->GetNextRowScroll(SQL_FETCH_LAST, 0);
    EXPECT_EQ(e->CurrentRow(2), "Library 06");
    e->GetNextRowScroll(SQL_FETCH_FIRST, 0);
    EXPECT_EQ(e->CurrentRow(2), "Library 01");
    e->GetNextRowScroll(SQL_FETCH_ABSOLUTE, 4);
    EXPECT_EQ(e->CurrentRow(2), "Library 04");
    e->GetNextRowScroll(SQL_FETCH_PRIOR, 0);
    EXPECT_EQ(e->CurrentRow(2), "Library 03");
    e->GetNextRowScroll(SQL_FETCH_RELATIVE, 2);
    EXPECT_EQ(e->CurrentRow(2), "Library 05");
    e->GetNextRowScroll(SQL_FETCH_NEXT, 0);
    EXPECT_EQ(e->CurrentRow(2), "Library 06");
    e->GetNextRowScroll(SQL_FETCH_NEXT, 0);
    EXPECT_EQ(e->CurrentRow(2), "");
    // The next execution of the set is forward-only again.
    e->ExecuteSQL(-1);
    EXPECT_FALSE(e->ScrollableCursor());
    e->GetNextRowScroll(SQL_FETCH_NEXT, 0);
    EXPECT_EQ(e->CurrentRow(2), "Library 01");
}

TEST_P(EngineFetchModes, AParameterLeftUnboundIsNotAnOutputParameter) {
    auto e = NewEngine();
    e->BindParameter(2, 4, 1, std::string("x"));
    e->SQLString("SELECT LIBRARY_NAME FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID = ? AND NUC_CODE = ?");
    // Parameter 1 has no value, so the driver refuses to execute.
    EXPECT_EQ(CaughtError([&] { e->ExecuteSQL(0); }).Number(), -2147220504);
    EXPECT_LINKMEND_ERROR(e->FetchParameter(1), -2147220445, kSource,
                          "Parameter 1 not defined as output or input/output");
    EXPECT_LINKMEND_ERROR(e->FetchParameter(3), -2147220446, kSource,
                          "Sequence number (3 in FetchParameter not valid; between 1 and 2");
}

TEST_P(EngineFetchModes, TheDriverManagerTraceWritesTheCallsToTheNamedFile) {
    TempDir dir;
    const std::string file = dir.File("odbc-trace.log");
    auto e = NewEngine();
    e->TraceFileName(file);
    e->TraceOn(true);
    e->SQLString("SELECT COUNT(*) FROM " + Prefix() + "LIBRARY");
    e->ExecuteSQL(0);
    e->GetNextRow();
    e->TraceOn(false);
    const std::string trace = ReadFile(file);
    EXPECT_NE(trace.find("SQLExecDirect"), std::string::npos);
    EXPECT_NE(trace.find("SELECT COUNT(*) FROM " + Prefix() + "LIBRARY"), std::string::npos);
    // Switched off: later calls are not written.
    const std::size_t before = ReadFile(file).size();
    e->ExecuteSQL(-1);
    EXPECT_EQ(ReadFile(file).size(), before);
}

LINKMEND_DB_TEST_SUITE(EngineFetchModes);

// Output values of procedure calls come back through FetchParameter. SQLite has no procedures, so
// these run on PostgreSQL only.
class OutputParameters : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = testdb::DatabaseOrSkip(testdb::DbKind::Postgres);
        if (!db_ && !IsSkipped()) GTEST_FAIL() << "no PostgreSQL test database";
    }
    std::unique_ptr<VgerReaderDllClass6> NewEngine() const {
        auto e = std::make_unique<VgerReaderDllClass6>();
        e->DSN(db_->Dsn());
        e->uID(db_->Uid());
        e->PWD(db_->Pwd());
        return e;
    }
    std::unique_ptr<testdb::TestDatabase> db_;
};

TEST_F(OutputParameters, OutputValuesOfACallAreReadBack) {
    auto e = NewEngine();
    e->BindParameter(1, 4, 12, std::string("placeholder"));
    e->SQLString("{? = call upper('mixed Case')}");
    const std::int16_t set = e->ExecuteSQL(0);
    EXPECT_EQ(e->PendingParameterCount(), 0);
    e->GetNextRow();
    EXPECT_EQ(std::get<std::string>(e->FetchParameter(1)), "MIXED CASE");
    EXPECT_LINKMEND_ERROR(e->FetchParameter(2), -2147220446, kSource,
                          "Sequence number (2 in FetchParameter not valid; between 1 and 1");

    e->BindParameter(1, 4, 4, std::int32_t{0});
    e->SQLString("{? = call length('abcd')}");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(std::get<std::int32_t>(e->FetchParameter(1)), 4);
    // The first set keeps its parameters.
    EXPECT_EQ(std::get<std::string>(e->FetchParameter(1, set)), "MIXED CASE");
}

TEST_F(OutputParameters, ANewStatementWithoutParametersRunsDirectlyInAParameterisedSet) {
    auto e = NewEngine();
    e->BindParameter(1, 4, 12, std::string(""));
    e->SQLString("{? = call lower('ABC')}");
    const std::int16_t set = e->ExecuteSQL(0);
    e->SQLString("SELECT 'plain'");
    e->ExecuteSQL(set);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "plain");
    EXPECT_LINKMEND_ERROR(
        e->FetchParameter(1), -2147220446, kSource,
        "Sequence number (1 in FetchParameter not valid; there are no bound parameters in this statement");
}

}  // namespace
