// Result sets, rows and columns of the engine, its block, scrolling and parameter fetches, and the
// driver's catalogue, on both drivers.
#include <algorithm>

#include "EngineDbTest.h"
#include "kit/Files.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

constexpr const char* kSource = "VgerReadDLL";

class EngineRows : public EngineDbTest {
protected:
    // The rows of the current set to its end, "1|Library 01|NUC1" each.
    static std::vector<std::string> ReadAll(VgerReaderDllClass6& e) {
        std::vector<std::string> rows;
        for (e.GetNextRow(); !e.CurrentRow(1).empty(); e.GetNextRow())
            rows.push_back(e.CurrentRow(1) + "|" + e.CurrentRow(2) + "|" + e.CurrentRow(3));
        return rows;
    }
    static std::vector<std::string> Libraries(int count) {
        std::vector<std::string> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back(std::to_string(i) + "|" + LibraryName(i) + "|NUC" + std::to_string(i));
        return rows;
    }
};

// Set 0 opens a new set each time; a named set reuses its statement. At the end every column reads
// "" (NULL and empty text alike); CurrentRow names a set and makes it current, or refuses a number.
TEST_P(EngineRows, SetsRowsAndColumns) {
    AddLibraries(2);
    Exec("INSERT INTO " + Prefix() +
         "LIBRARY (LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE) VALUES (3, '', NULL, 'N')");
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    EXPECT_EQ(e->ExecuteSQL(0), 1);
    const auto first = e->ResultSetStatement();
    EXPECT_EQ(e->ColumnCount(), 3);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2) + "|" + std::to_string(e->CurrentRowLength(2)), "Library 01|10");
    e->SQLString("SELECT NUC_CODE, LIBRARY_NAME, LIBRARY_DISPLAY_NAME FROM " + Prefix() +
                 "LIBRARY ORDER BY LIBRARY_ID DESC");
    EXPECT_EQ(e->ExecuteSQL(0), 2);
    EXPECT_NE(e->ResultSetStatement(), first);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1) + "|" + e->CurrentRow(2) + "|" + e->CurrentRow(3), "N||");
    EXPECT_EQ(e->CurrentRowLength(1) + e->CurrentRowLength(2) + e->CurrentRowLength(3), 1);
    EXPECT_EQ(e->CurrentRow(1, 3), "NUC1");
    EXPECT_EQ(e->ResultSet(), 1);
    EXPECT_LINKMEND_ERROR(e->CurrentRow(0), -2147220454, kSource, "Invalid value (0) for column number in CurrentRow");
    EXPECT_LINKMEND_ERROR(e->CurrentRow(4), -2147220454, kSource, "Invalid value (4) for column number in CurrentRow");
    EXPECT_LINKMEND_ERROR(e->CurrentRow(5, 1), -2147220455, kSource,
                          "Invalid value (5) for ResultSet property in CurrentRow");
    EXPECT_EQ(e->CurrentRow(2, 1), "N");
    e->ResultSet(1);                                        // GetNextRow stores the row in the current set
    for (int pass = 0; pass < 3; ++pass) e->GetNextRow(1);  // past the last row
    EXPECT_EQ(e->CurrentRow(1) + e->CurrentRow(2) + std::to_string(e->CurrentRowLength(3)), "0");
    e->SQLString("SELECT 2 FROM " + Prefix() + "VERSIONS");
    EXPECT_EQ(e->ExecuteSQL(1), 1);
    EXPECT_EQ(e->ResultSetStatement(), first);
    EXPECT_EQ(e->SQLString(), "SELECT 2 FROM " + Prefix() + "VERSIONS");
    EXPECT_FALSE(e->CheckResultSet(3, false));
    EXPECT_EQ(e->SqlStatementsSubmitted(), 3);
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 5);
    e->ResetCounters();
    EXPECT_EQ(e->SqlStatementsSubmitted() + e->RetrievalRequestsSubmitted(), 0);
}

// Columns 9 and later read back one by one, line feeds in values and all; values are cut to 2047.
TEST_P(EngineRows, ColumnsNineOnwardAndLongValues) {
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (1, 'B', '" +
         std::string(1500, 'q') + "')");
    auto e = NewEngine();
    std::string sql = "SELECT ";
    for (int c = 1; c <= 12; ++c)
        sql +=
            std::string(c > 1 ? ", " : "") + (c == 10   ? "NULL"
                                              : c == 11 ? "'line' || CHR(10) || 'feed'"
                                                        : "'v" + std::string(static_cast<std::size_t>(c), 'x') + "'");
    for (const std::string& s : {sql + ", LINK || LINK FROM " + Prefix() + "ELINK_INDEX",
                                 "SELECT 1, 2, 3, 4, 5, 6, 7, 8, 'DATABASE' FROM " + Prefix() + "ELINK_INDEX"}) {
        e->SQLString(s);
        e->ExecuteSQL(0);
        e->GetNextRow();
    }
    EXPECT_EQ(e->CurrentRow(9) + "|" + std::to_string(e->CurrentRowLength(9)), "DATABASE|8");
    EXPECT_EQ(e->CurrentRow(1, 8), "vxxxxxxxx");
    EXPECT_EQ(e->CurrentRow(9) + "|" + std::to_string(e->CurrentRowLength(9)), "vxxxxxxxxx|10");
    EXPECT_EQ(e->CurrentRow(10) + "|" + std::to_string(e->CurrentRowLength(10)) + "|" + e->CurrentRow(11) + "|" +
                  e->CurrentRow(12),
              "|0|line\nfeed|vxxxxxxxxxxxx");
    EXPECT_EQ(e->CurrentRow(13), std::string(2047, 'q'));
    EXPECT_EQ(e->CurrentRowLength(13), 2047);
}

// The reader's searches give a set a type: type 2 keeps four characters of column 2 and writes an
// initial A as 0, type 1 three; the heading searches' column 4 comes back from hexadecimal.
TEST_P(EngineRows, SearchTypesShortenColumnTwoAndDecodeHeadings) {
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    auto e = NewEngine();
    e->ConnectToVoyager();
    std::string got;
    for (const auto& [type, sql] : {std::pair{2, "'ABCDEFG'"},
                                    {2, "'BCDEFGH'"},
                                    {1, "'ABCDEFG'"},
                                    {0, "'ABCDEFG'"},
                                    {3, "'a', 'p', RAWTOHEX('smith john'), 1, 2, '3'"},
                                    {3, "'a', 'p', '', 1, 2, NULL"}}) {
        e->ResultSet(0);
        e->AssignStatementHandle();
        e->ResultSetSearchType(static_cast<std::int16_t>(type));
        const auto stmt = e->ResultSetStatement();
        e->FreeStatement(stmt);
        e->MyExecuteSQL("SELECT 7, " + std::string(sql) + " FROM " + Prefix() + "VERSIONS", stmt, false);
        e->GetNextRow();
        got += e->CurrentRow(2) + (type == 3 ? "," + e->CurrentRow(4) + "," + e->CurrentRow(7) : "") + "/" +
               std::to_string(e->CurrentRowLength(2)) + " ";
    }
    EXPECT_EQ(got, "0BCD/7 BCDE/7 ABC/7 ABCDEFG/7 a,smith john,Y/1 a,,N/1 ");
}

// Headers are built once per execution; the reader's retrieval in set 0 leaves an open set as it was.
TEST_P(EngineRows, HeadersAndTheRetrievalSet) {
    AddLibraries(3);
    auto e = NewEngine();
    e->SQLString("SELECT LIBRARY_ID AS \"Id\", LIBRARY_NAME AS \"Name Text\" FROM " + Prefix() + "LIBRARY ORDER BY 1");
    const std::int16_t set = e->ExecuteSQL(0);
    EXPECT_EQ(e->ColumnHeaders(), "Id\nName Text");
    e->ResultSetColumns(1);
    EXPECT_EQ(e->ColumnHeaders(set), "Id\nName Text");
    e->DisplayResultHeaders();
    EXPECT_EQ(e->ColumnHeaders(), "Id");
    e->ResultSetColumns(2);
    e->GetNextRow(set);
    e->PushResultSet();
    e->ResultSet(0);
    e->IsRetrieval(true);
    const auto stmt = e->RetrieveStatement();
    e->MyExecuteSQL("SELECT NUC_CODE, LIBRARY_NAME FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID = 3", stmt, false);
    e->ResultSetColumns(2);
    e->RealNextRow(stmt);
    EXPECT_EQ(e->CurrentRow(1, -1) + "|" + e->CurrentRow(2, -1), "NUC3|Library 03");
    e->PopResultSet();
    e->IsRetrieval(false);
    EXPECT_EQ(e->ResultSet(), set);
    e->GetNextRow(set);
    EXPECT_EQ(e->CurrentRow(1) + "|" + e->CurrentRow(2), "2|Library 02");
}

// Ten rows per driver call for one execution only; a block of ten answered by seven ends after the
// seventh; block values keep NULLs and line feeds and are cut at 299 octets.
TEST_P(EngineRows, BlockFetchHoldsForOneExecution) {
    AddLibraries(23);
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (1, 'B', '" +
         std::string(400, 'L') + "')");
    Exec("INSERT INTO " + Prefix() +
         "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK, LINK_TEXT) VALUES (2, 'B', 'short', 'two' || CHR(10) || 'lines')");
    auto e = NewEngine();
    e->SQLString("SELECT RECORD_ID, LINK, LINK_TEXT, RECORD_TYPE FROM " + Prefix() + "ELINK_INDEX ORDER BY 1");
    e->RowsPerFetch(3);
    e->ExecuteSQL(0);
    EXPECT_EQ(ReadAll(*e), (std::vector<std::string>{"1|" + std::string(299, 'L') + "|", "2|short|two\nlines"}));
    e->SQLString(LibrarySelect());
    for (const auto& [rows, fetches] : {std::pair{10, 4}, {0, 24}, {5, 6}}) {
        e->RowsPerFetch(rows);
        e->ExecuteSQL(1);
        EXPECT_EQ(e->RowsPerFetch(), rows);
        CallCounter calls;
        EXPECT_EQ(ReadAll(*e), Libraries(23));
        EXPECT_EQ(calls["SQLFetch"], fetches) << rows;
    }
    Exec("DELETE FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID > 7");
    e->RowsPerFetch(10);
    e->ExecuteSQL(1);
    CallCounter calls;
    for (int i = 1; i <= 7; ++i) e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(2) + "|" + std::to_string(e->CurrentRowLength(2)) + "|" + std::to_string(calls["SQLFetch"]),
              "Library 07|10|1");
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1) + e->CurrentRow(2) + std::to_string(calls["SQLFetch"]), "2");
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 3 + 3 * 24 + 8);
}

TEST_P(EngineRows, ScrollingFetchAndTheTraceFile) {
    AddLibraries(6);
    test::TempDir dir;
    auto e = NewEngine();
    e->TraceFileName(dir.File("trace.log"));
    e->TraceOn(true);
    e->SQLString(LibrarySelect());
    e->ScrollableCursor(true);
    e->ExecuteSQL(0);
    EXPECT_TRUE(e->ScrollableCursor());
    std::string got;
    for (const auto& [direction, offset] : {std::pair{VgerReaderDllClass6::kFetchLast, 0},
                                            {VgerReaderDllClass6::kFetchFirst, 0},
                                            {VgerReaderDllClass6::kFetchAbsolute, 4},
                                            {VgerReaderDllClass6::kFetchPrior, 0},
                                            {VgerReaderDllClass6::kFetchRelative, 2},
                                            {VgerReaderDllClass6::kFetchNext, 0},
                                            {VgerReaderDllClass6::kFetchNext, 0}}) {
        e->GetNextRowScroll(direction, static_cast<std::int16_t>(offset));
        got += e->CurrentRow(1) + " ";
    }
    EXPECT_EQ(got, "6 1 4 3 5 6  ");
    e->TraceOn(false);
    const std::string trace = ReadFile(dir.File("trace.log"));
    EXPECT_NE(trace.find("SQLExecDirect"), std::string::npos);
    EXPECT_NE(trace.find(LibrarySelect()), std::string::npos);
    e->ExecuteSQL(-1);  // forward-only again, and not traced
    EXPECT_FALSE(e->ScrollableCursor());
    EXPECT_EQ(ReadFile(dir.File("trace.log")).size(), trace.size());
}

// SELECT UNIQUE runs as DISTINCT while the set keeps the text as given; the prefix works with or
// without a blank before the table; the link query is case-blind.
TEST_P(EngineRows, TheOracleTextRunsOnTheOtherDatabases) {
    for (const char* row : {"5, 'B', 'http://Old.Example/x'", "5, 'B', 'http://Old.Example/x'",
                            "6, 'M', 'http://old.example/y'", "7, 'B', 'http://new.example/z'"})
        Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (" + row + ")");
    auto e = NewEngine();
    const std::string sql = "SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                            " ELINK_INDEX WHERE UPPER(LINK) LIKE 'HTTP://OLD.EXAMPLE/%' ORDER BY RECORD_ID";
    e->SQLString(sql);
    e->ExecuteSQL(0);
    EXPECT_EQ(e->DbmsName(), IsSqlite() ? "SQLite" : "PostgreSQL");
    EXPECT_EQ(e->SQLString(), sql);
    EXPECT_EQ(ReadAll(*e), (std::vector<std::string>{"5|B|http://Old.Example/x", "6|M|http://old.example/y"}));
}

// The catalogue through the traced calls: one SQLColumns per table, tables in name order.
TEST_P(EngineRows, CatalogueGivesTheColumnsOfTheSchemasTablesInNameOrder) {
    auto e = NewEngine();
    std::vector<std::string> tables, library;
    CallCounter calls;
    e->ForEachCatalogColumn(
        Prefix().substr(0, Prefix().size() - 1), false, [&](const VgerReaderDllClass6::CatalogColumn& c) {
            if (tables.empty() || tables.back() != c.table) tables.push_back(c.table);
            if (c.table == "LIBRARY" || c.table == "library")
                library.push_back(c.name + " " + c.type + " " + c.size + (c.nullable ? " Y" : " N"));
        });
    EXPECT_TRUE(std::is_sorted(tables.begin(), tables.end()));
    EXPECT_EQ(calls["SQLTables"], 1);
    EXPECT_EQ(calls["SQLColumns"], static_cast<int>(tables.size()));
    const std::string joined = library.empty() ? "" : library[0] + ", " + library[1] + ", " + library[3];
    EXPECT_EQ(joined, IsSqlite()
                          ? "LIBRARY_ID NUMBER(10) 10 N, LIBRARY_NAME VARCHAR2(50) 50 Y, NUC_CODE VARCHAR2(15) 15 Y"
                          : "library_id int4 10 N, library_name varchar 50 Y, nuc_code varchar 15 Y");
}

LINKMEND_DB_TEST_SUITE(EngineRows);

}  // namespace
