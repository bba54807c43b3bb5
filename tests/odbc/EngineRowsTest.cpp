// Result sets, rows and columns of the engine, and the driver's catalogue, on both drivers.
#include <algorithm>
#include <vector>

#include "EngineDbTest.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

constexpr const char* kSource = "VgerReadDLL";

class EngineRows : public EngineDbTest {};

TEST_P(EngineRows, ExecuteWithSetZeroOpensNewSetsAndANamedSetReusesItsStatement) {
    auto e = NewEngine();
    e->SQLString("SELECT 1 FROM " + Prefix() + "VERSIONS");
    EXPECT_EQ(e->ExecuteSQL(0), 1);
    EXPECT_EQ(e->ResultSet(), 1);
    const SQLHSTMT first = e->ResultSetStatement();
    EXPECT_EQ(e->ExecuteSQL(0), 2);
    EXPECT_EQ(e->ResultSet(), 2);
    const SQLHSTMT second = e->ResultSetStatement();
    EXPECT_NE(first, second);
    EXPECT_NE(first, e->RetrieveStatement());
    EXPECT_FALSE(e->CheckResultSet(3, false));

    e->SQLString("SELECT 2 FROM " + Prefix() + "LIBRARY");
    EXPECT_EQ(e->ExecuteSQL(1), 1);
    EXPECT_EQ(e->ResultSetStatement(), first);
    EXPECT_EQ(e->SQLString(), "SELECT 2 FROM " + Prefix() + "LIBRARY");
    EXPECT_FALSE(e->CheckResultSet(3, false));
}

TEST_P(EngineRows, RowsComeInOrderAndTheEndLeavesEveryColumnEmpty) {
    AddLibraries(2);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->ExecuteSQL(0);
    EXPECT_EQ(e->ColumnCount(), 3);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "1");
    EXPECT_EQ(e->CurrentRow(2), "Library 01");
    EXPECT_EQ(e->CurrentRow(3), "NUC1");
    EXPECT_EQ(e->CurrentRowLength(2), 10);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1, 1), "2");
    EXPECT_EQ(e->CurrentRow(1, 3), "NUC2");
    for (int pass = 0; pass < 2; ++pass) {
        e->GetNextRow();
        for (std::int16_t c = 1; c <= 3; ++c) {
            EXPECT_EQ(e->CurrentRow(c), "") << "column " << c;
            EXPECT_EQ(e->CurrentRowLength(c), 0) << "column " << c;
        }
    }
}

TEST_P(EngineRows, NullAndEmptyTextBothReadEmpty) {
    Exec("INSERT INTO " + Prefix() +
         "LIBRARY (LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE) VALUES (1, '', NULL, 'N')");
    auto e = NewEngine();
    e->SQLString("SELECT LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE FROM " + Prefix() + "LIBRARY");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "");
    EXPECT_EQ(e->CurrentRow(2), "");
    EXPECT_EQ(e->CurrentRow(3), "N");
    EXPECT_EQ(e->CurrentRowLength(1), 0);
    EXPECT_EQ(e->CurrentRowLength(2), 0);
    EXPECT_EQ(e->CurrentRowLength(3), 1);
}

TEST_P(EngineRows, ColumnsNineOnwardReadBackOneByOneEvenWithLineFeeds) {
    auto e = NewEngine();
    std::string sql = "SELECT ";
    for (int c = 1; c <= 12; ++c) {
        if (c > 1) sql += ", ";
        if (c == 11) sql += "'line' || CHR(10) || 'feed'";  // a line feed inside a value must not shift column 12
        else if (c == 10) sql += "NULL";
        else sql += "'value" + std::to_string(c) + std::string(static_cast<std::size_t>(c), 'x') + "'";
    }
    e->SQLString(sql + " FROM " + Prefix() + "VERSIONS");
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->ColumnCount(), 12);
    EXPECT_EQ(e->CurrentRow(8), "value8xxxxxxxx");
    EXPECT_EQ(e->CurrentRow(9), "value9xxxxxxxxx");
    EXPECT_EQ(e->CurrentRowLength(9), 15);
    EXPECT_EQ(e->CurrentRow(10), "");
    EXPECT_EQ(e->CurrentRowLength(10), 0);
    EXPECT_EQ(e->CurrentRow(11), "line\nfeed");
    EXPECT_EQ(e->CurrentRow(12), "value12xxxxxxxxxxxx");
    EXPECT_EQ(e->CurrentRowLength(12), 19);
    EXPECT_LINKMEND_ERROR(e->CurrentRow(13), -2147220454, kSource,
                          "Invalid value (13) for column number in CurrentRow");
}

TEST_P(EngineRows, ExactlyNineColumnsGiveTheNinthValueWithoutSeparator) {
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    auto e = NewEngine();
    e->SQLString("SELECT 1, 2, 3, 4, 5, 6, 7, 8, MODULE FROM " + Prefix() + "VERSIONS");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(9), "DATABASE");
    EXPECT_EQ(e->CurrentRowLength(9), 8);
}

TEST_P(EngineRows, LongValuesAreCutTo2047Octets) {
    const std::string longText(2100, 'q');
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (1, 'B', '" +
         longText.substr(0, 2000) + "')");
    auto e = NewEngine();
    e->SQLString("SELECT LINK || LINK, RECORD_ID FROM " + Prefix() + "ELINK_INDEX");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), std::string(2047, 'q'));
    EXPECT_EQ(e->CurrentRowLength(1), 2047);
    EXPECT_EQ(e->CurrentRow(2), "1");
}

// The reader's searches open a set, give it a search type and run their statement in it.
std::unique_ptr<VgerReaderDllClass6> SearchSet(std::unique_ptr<VgerReaderDllClass6> e, std::int16_t type,
                                               const std::string& sql) {
    e->ConnectToVoyager();
    e->ResultSet(0);
    e->AssignStatementHandle();
    e->ResultSetSearchType(type);
    SQLHSTMT stmt = e->ResultSetStatement();
    e->FreeStatement(stmt);
    e->MyExecuteSQL(sql, stmt, false);
    e->GetNextRow();
    return e;
}

TEST_P(EngineRows, SearchTypesShortenColumnTwoAndDecodeHeadings) {
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    const std::string from = " FROM " + Prefix() + "VERSIONS";
    auto e = SearchSet(NewEngine(), 2, "SELECT 'id', 'ABCDEFG', 'ABCDEFG'" + from);
    EXPECT_EQ(e->CurrentRow(2), "0BCD");
    EXPECT_EQ(e->CurrentRowLength(2), 7);
    EXPECT_EQ(e->CurrentRow(3), "ABCDEFG");
    e = SearchSet(std::move(e), 2, "SELECT 'id', 'BCDEFGH'" + from);
    EXPECT_EQ(e->CurrentRow(2), "BCDE");
    e = SearchSet(std::move(e), 1, "SELECT 'id', 'ABCDEFG'" + from);
    EXPECT_EQ(e->CurrentRow(2), "ABC");
    e = SearchSet(std::move(e), 0, "SELECT 'id', 'ABCDEFG'" + from);
    EXPECT_EQ(e->CurrentRow(2), "ABCDEFG");
    e = SearchSet(std::move(e), 3, "SELECT 7, 'a', 'p', RAWTOHEX('smith john'), 1, 2, '3', 'n', 'x'" + from);
    EXPECT_EQ(e->CurrentRow(4), "smith john");
    EXPECT_EQ(e->CurrentRow(7), "Y");
    EXPECT_EQ(e->CurrentRow(2), "a");
    e = SearchSet(std::move(e), 3, "SELECT 7, 'a', 'p', '', 1, 2, NULL" + from);
    EXPECT_EQ(e->CurrentRow(4), "");
    EXPECT_EQ(e->CurrentRow(7), "N");
}

TEST_P(EngineRows, CurrentRowRefusesColumnZeroAndUnknownSetsWithTheirNumbers) {
    AddLibraries(1);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    for (int i = 0; i < 3; ++i) e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_LINKMEND_ERROR(e->CurrentRow(0), -2147220454, kSource, "Invalid value (0) for column number in CurrentRow");
    EXPECT_LINKMEND_ERROR(e->CurrentRow(4), -2147220454, kSource, "Invalid value (4) for column number in CurrentRow");
    EXPECT_LINKMEND_ERROR(e->CurrentRow(5, 1), -2147220455, kSource,
                          "Invalid value (5) for ResultSet property in CurrentRow");
    EXPECT_LINKMEND_ERROR(e->CurrentRow(0, 1), -2147220455, kSource,
                          "Invalid value (0) for ResultSet property in CurrentRow");
    EXPECT_EQ(e->ResultSet(), 3);
    EXPECT_EQ(e->CurrentRow(3, 2), "Library 01");
}

TEST_P(EngineRows, NamingASetInCurrentRowMakesItCurrent) {
    AddLibraries(2);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->ExecuteSQL(0);
    e->GetNextRow();
    e->SQLString("SELECT NUC_CODE FROM " + Prefix() + "LIBRARY ORDER BY LIBRARY_ID DESC");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1, 2), "Library 01");
    EXPECT_EQ(e->ResultSet(), 1);
    EXPECT_EQ(e->CurrentRow(2, 1), "NUC2");
    EXPECT_EQ(e->ResultSet(), 2);
}

TEST_P(EngineRows, ColumnHeadersAreBuiltOncePerExecution) {
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    auto e = NewEngine();
    e->SQLString("SELECT MODULE AS \"Module\", VERSION AS \"Version Text\" FROM " + Prefix() + "VERSIONS");
    e->ExecuteSQL(0);
    EXPECT_EQ(e->ColumnHeaders(), "Module\nVersion Text");
    // A second read gives the text built before, even when the column count was overridden since.
    e->ResultSetColumns(1);
    EXPECT_EQ(e->ColumnHeaders(1), "Module\nVersion Text");
    e->DisplayResultHeaders();
    EXPECT_EQ(e->ColumnHeaders(), "Module");
    // A new statement in the same set has headers of its own.
    e->SQLString("SELECT VERSION AS \"Only\" FROM " + Prefix() + "VERSIONS");
    e->ExecuteSQL(1);
    EXPECT_EQ(e->ColumnHeaders(), "Only");
}

TEST_P(EngineRows, TheReadersRetrievalInSetZeroLeavesAnOpenSetWhereItWas) {
    AddLibraries(3);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    const std::int16_t set = e->ExecuteSQL(0);
    e->GetNextRow(set);
    EXPECT_EQ(e->CurrentRow(1), "1");

    e->PushResultSet();
    e->ResultSet(0);
    e->IsRetrieval(true);
    SQLHSTMT stmt = e->RetrieveStatement();
    e->MyExecuteSQL("SELECT NUC_CODE, LIBRARY_NAME FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID = 3", stmt, false);
    e->ResultSetColumns(2);
    e->RealNextRow(stmt);
    EXPECT_EQ(e->CurrentRow(1, -1), "NUC3");
    EXPECT_EQ(e->CurrentRow(2, -1), "Library 03");
    e->RealNextRow(stmt);
    EXPECT_EQ(e->CurrentRow(1, -1), "");
    e->PopResultSet();
    e->IsRetrieval(false);

    EXPECT_EQ(e->ResultSet(), set);
    EXPECT_EQ(e->CurrentRow(1), "1");
    e->GetNextRow(set);
    EXPECT_EQ(e->CurrentRow(1), "2");
    EXPECT_EQ(e->CurrentRow(2), "Library 02");
}

TEST_P(EngineRows, CountersCountExecutionsAndFetchesButNotTheConnectionProbe) {
    AddLibraries(2);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->ExecuteSQL(0);
    for (int i = 0; i < 3; ++i) e->GetNextRow();
    e->ExecuteSQL(1);
    EXPECT_EQ(e->SqlStatementsSubmitted(), 2);
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 3);
    e->ResetCounters();
    EXPECT_EQ(e->SqlStatementsSubmitted(), 0);
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 0);
    e->GetNextRow();
    EXPECT_EQ(e->RetrievalRequestsSubmitted(), 1);
}

TEST_P(EngineRows, PushAndPopNest) {
    auto e = NewEngine();
    e->SQLString("SELECT 1 FROM " + Prefix() + "VERSIONS");
    e->ExecuteSQL(0);
    e->ExecuteSQL(0);
    e->ResultSet(1);
    e->PushResultSet();
    e->ResultSet(2);
    e->PushResultSet();
    e->ResultSet(0);
    e->PopResultSet();
    EXPECT_EQ(e->ResultSet(), 2);
    e->PopResultSet();
    EXPECT_EQ(e->ResultSet(), 1);
}

TEST_P(EngineRows, SelectUniqueRunsAsDistinctAndTheSetKeepsTheTextAsGiven) {
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (5, 'B', 'http://a.org/x')");
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (5, 'B', 'http://a.org/x')");
    Exec("INSERT INTO " + Prefix() + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (6, 'M', 'http://a.org/y')");
    auto e = NewEngine();
    const std::string sql = "SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                            "ELINK_INDEX WHERE LINK LIKE 'http://a.org/%' ORDER BY RECORD_ID";
    e->SQLString(sql);
    e->ExecuteSQL(0);
    EXPECT_EQ(e->DbmsName(), IsSqlite() ? "SQLite" : "PostgreSQL");
    EXPECT_EQ(e->SQLString(), sql);
    std::vector<std::string> rows;
    for (e->GetNextRow(); !e->CurrentRow(1).empty(); e->GetNextRow())
        rows.push_back(e->CurrentRow(1) + e->CurrentRow(2) + e->CurrentRow(3));
    EXPECT_EQ(rows, (std::vector<std::string>{"5Bhttp://a.org/x", "6Mhttp://a.org/y"}));
}

TEST_P(EngineRows, TheSchemaPrefixWorksWithAndWithoutABlankBeforeTheTable) {
    Exec("INSERT INTO " + Prefix() + "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME) VALUES (4, 'main', 'Main')");
    auto e = NewEngine();
    for (const std::string& sql :
         {"SELECT LOCATION_CODE, LOCATION_NAME FROM " + Prefix() + " LOCATION ORDER BY LOCATION_CODE",
          "SELECT LOCATION_CODE, LOCATION_NAME FROM " + Prefix() + "LOCATION"}) {
        e->SQLString(sql);
        e->ExecuteSQL(0);
        e->GetNextRow();
        EXPECT_EQ(e->CurrentRow(1) + " // " + e->CurrentRow(2), "main // Main") << sql;
    }
}

TEST_P(EngineRows, CaseBlindLinkQueryFindsLinksWhateverTheirCase) {
    Exec("INSERT INTO " + Prefix() +
         "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (1, 'B', 'http://Old.Example.org/a')");
    Exec("INSERT INTO " + Prefix() +
         "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (2, 'B', 'http://new.example.org/a')");
    auto e = NewEngine();
    e->SQLString("SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                 "ELINK_INDEX WHERE UPPER(LINK) LIKE 'HTTP://OLD.EXAMPLE.ORG%'");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "1");
    EXPECT_EQ(e->CurrentRow(3), "http://Old.Example.org/a");
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "");
}

// The driver's catalogue through the engine's traced calls: one SQLColumns per table, tables in
// name order.
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
    const std::vector<std::string> sqlite = {"LIBRARY_ID NUMBER(10) 10 N", "LIBRARY_NAME VARCHAR2(50) 50 Y",
                                             "LIBRARY_DISPLAY_NAME VARCHAR2(80) 80 Y", "NUC_CODE VARCHAR2(15) 15 Y"};
    const std::vector<std::string> postgres = {"library_id int4 10 N", "library_name varchar 50 Y",
                                               "library_display_name varchar 80 Y", "nuc_code varchar 15 Y"};
    EXPECT_EQ(library, IsSqlite() ? sqlite : postgres);
}

LINKMEND_DB_TEST_SUITE(EngineRows);

}  // namespace
