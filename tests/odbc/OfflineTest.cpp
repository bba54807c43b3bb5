// Without a database: the Oracle-to-other-database adapter and the driver table, diagnostic texts,
// the call trace, and the engine's checks that fail before anything reaches a driver.
#include <gtest/gtest.h>

#include <filesystem>

#include "ErrorAssert.h"
#include "odbc/Dialect.h"
#include "odbc/OdbcHandles.h"
#include "odbc/VgerReaderDllClass6.h"

using namespace linkmend;
using namespace linkmend::odbc;

namespace {

constexpr const char* kSource = "VgerReadDLL";

// Only SELECT UNIQUE changes, every one of a statement, byte for byte, and only where it is SQL.
TEST(Dialect, SelectUniqueBecomesSelectDistinct) {
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT UNIQUE RECORD_ID, LINK FROM main.ELINK_INDEX WHERE LINK = 'x'",
         "SELECT DISTINCT RECORD_ID, LINK FROM main.ELINK_INDEX WHERE LINK = 'x'"},
        {"select unique a from t", "select DISTINCT a from t"},
        {"SELECT\n\t UNIQUE T2.ID FROM X T2", "SELECT\n\t DISTINCT T2.ID FROM X T2"},
        {"SELECT /* one */ UNIQUE a FROM t", "SELECT /* one */ DISTINCT a FROM t"},
        {"SELECT -- note\nUNIQUE a FROM t", "SELECT -- note\nDISTINCT a FROM t"},
        {"SELECT UNIQUE a / 2, COUNT(*) FROM t", "SELECT DISTINCT a / 2, COUNT(*) FROM t"},
        {"SELECT UNIQUE a FROM t WHERE b IN (SELECT UNIQUE c FROM u)",
         "SELECT DISTINCT a FROM t WHERE b IN (SELECT DISTINCT c FROM u)"},
        {"SELECT UNIQUE a FROM t WHERE n = 'it''s SELECT UNIQUE'",
         "SELECT DISTINCT a FROM t WHERE n = 'it''s SELECT UNIQUE'"},  // a doubled quote does not end a literal
        {"SELECT a FROM t WHERE LINK = 'SELECT UNIQUE x'", nullptr},
        {"SELECT \"UNIQUE\" FROM t", nullptr},
        {"SELECT a FROM t -- SELECT UNIQUE b", nullptr},
        {"SELECT a /* SELECT UNIQUE */ FROM t", nullptr},
        {"SELECT UNIQUE_ID FROM t", nullptr},
        {"SELECT a FROM t WHERE IS_UNIQUE = 1", nullptr},
        {"XSELECT UNIQUE a", nullptr},
        {"CREATE UNIQUE INDEX i ON t (a)", nullptr},
        {"SELECT DISTINCT a FROM t", nullptr},
    };
    for (const auto& [sql, rewritten] : cases) {
        std::string out = "untouched";
        EXPECT_EQ(RewriteSelectUnique(sql, out), rewritten != nullptr) << sql;
        EXPECT_EQ(out, rewritten ? rewritten : "untouched") << sql;
    }
}

// Oracle (any name it starts with, or no name) keeps the text and needs no probe; SQLite and
// PostgreSQL (whole names, any case) are adapted and probed; any other name is adapted only.
TEST(Dialect, TheDbmsNameChoosesItsRowOfTheDriverTable) {
    const struct {
        const char *name, *row;
        bool rewrites;
        const char* missingNames;  // where the functions come from; "" without a probe
    } cases[] = {
        {"Oracle", "Oracle", false, ""},
        {"ORACLE", "Oracle", false, ""},
        {"Oracle8", "Oracle", false, ""},
        {"", "Oracle", false, ""},
        {"Orac", "", true, ""},
        {"SQLite", "SQLite", true, "linkmend_sqlite.so in the data source's LoadExt setting"},
        {"sqlite", "SQLite", true, "linkmend_sqlite.so in the data source's LoadExt setting"},
        {"PostgreSQL", "PostgreSQL", true, "(demo/schema-postgresql.sql)"},
        {"PostgreSQL 15", "", true, ""},
        {"Microsoft SQL Server", "", true, ""},
    };
    const std::string sql = "SELECT UNIQUE a FROM t", plain = "SELECT a FROM t";
    for (const auto& c : cases) {
        std::string scratch = "stale";
        const DriverSettings& d = DriverFor(c.name);
        EXPECT_EQ(d.dbmsName, c.row) << c.name;
        EXPECT_EQ(d.Adapt(sql, scratch), c.rewrites ? "SELECT DISTINCT a FROM t" : sql) << c.name;
        EXPECT_EQ(d.Adapt(plain, scratch).data(), plain.data()) << c.name;  // passed through without a copy
        EXPECT_EQ(d.functionProbe.empty(), *c.missingNames == '\0') << c.name;
        EXPECT_NE(std::string(d.missingFunctions).find(c.missingNames), std::string::npos) << c.name;
    }
    for (const DriverSettings& d : DriverTable()) {
        EXPECT_TRUE(d.functionProbe.empty() ||
                    d.functionProbe.starts_with("SELECT RAWTOHEX('A'), HEXTORAW('41'), CHR(65)"));
        EXPECT_TRUE(d.onConnect.empty()) << d.dbmsName;
    }
    EXPECT_EQ(DriverFor("SQLite").OctetsColumn("RECORD_SEGMENT"), "LINKMEND_OCTETS(RECORD_SEGMENT)");
    EXPECT_EQ(DriverFor("PostgreSQL").OctetsColumn("RECORD_SEGMENT"), "RECORD_SEGMENT");
    // Escaped octets: 0x01 '0' is 0x00, 0x01 '1' is 0x01; any other escape, or one cut short, is refused.
    const std::pair<std::string, std::string> escapes[] = {{"", ""},
                                                           {"abc", "abc"},
                                                           {std::string("\x01"
                                                                        "0a\x01"
                                                                        "1",
                                                                        5),
                                                            std::string("\0a\x01", 3)},
                                                           {std::string("\x01"
                                                                        "0\x01"
                                                                        "0",
                                                                        4),
                                                            std::string(2, '\0')},
                                                           {"a\x01", "!"},
                                                           {"\x01"
                                                            "2",
                                                            "!"}};
    for (const auto& [in, out] : escapes) {
        std::string text = in;
        EXPECT_EQ(UnescapeOctets(text) ? text : "!", out) << in;
    }
    const DriverSettings rows[] = {{.dbmsName = "Post", .match = NameMatch::Prefix},
                                   {.dbmsName = "PostgreSQL", .match = NameMatch::Whole, .unnamed = true},
                                   {.match = NameMatch::Any},
                                   {.dbmsName = "last", .match = NameMatch::Whole}};
    EXPECT_EQ(&DriverFor("postgresql", rows), &rows[0]);  // the first row that recognises the name
    EXPECT_EQ(&DriverFor("", rows), &rows[1]);
    EXPECT_EQ(&DriverFor("Oracle", rows), &rows[2]);
    EXPECT_EQ(&DriverFor("Oracle", std::span(rows, 2)), &rows[1]);  // the last catches the rest
}

TEST(Diagnostics, TextsOneLinePerRecordAndTheCallTrace) {
    EXPECT_EQ(CleanDiagnosticText("ERROR: at \"SELEC\";\nError while executing\n"),
              "ERROR: at \"SELEC\"; Error while executing");
    EXPECT_EQ(CleanDiagnosticText("\t\r\n  a\t\tb  \r\n") + CleanDiagnosticText("\n\t "), "a b");
    EXPECT_EQ(FormatDiagnostics({{"42601", 1, "first"}, {"HY000", -7, ""}, {"01004", 0, "third"}}),
              "first Native error:  1\nError--No error information available Native error: -7\nthird Native error:  0");
    EXPECT_NO_THROW(Check(SQL_SUCCESS_WITH_INFO, SQL_HANDLE_ENV, SQL_NULL_HANDLE, 1, "x"));
    EXPECT_LINKMEND_ERROR(Check(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE, -2147220504, "Preparing"), -2147220504,
                          kSource, "Preparing: Return: -1");
    std::vector<std::string> lines;
    SetCallTrace([&](std::string_view line) { lines.emplace_back(line); });
    {
        EnvHandle env = NewEnvironment();
        DbcHandle dbc;
        ASSERT_EQ(dbc.Allocate(env.Get()), SQL_SUCCESS);
    }
    SetCallTrace(nullptr);
    EnvHandle quiet = NewEnvironment();
    EXPECT_EQ(lines, (std::vector<std::string>{"SQLAllocHandle 0", "SQLSetEnvAttr 0", "SQLAllocHandle 0",
                                               "SQLDisconnect -1", "SQLFreeHandle 0", "SQLFreeHandle 0"}));
}

// Each check with its number and text; nothing is taken on, and no connection is tried.
TEST(EngineArguments, RefusedBeforeAnyDriverCall) {
    VgerReaderDllClass6 e;
    e.DSN("NoSuchDataSource");
    EXPECT_TRUE(e.CheckResultSet(0));
    EXPECT_FALSE(e.CheckResultSet(1, false) || e.CheckResultSet(-1, false));
    EXPECT_LINKMEND_ERROR(e.ExecuteSQL(0), -2147220496, kSource, "No SQLString supplied");
    EXPECT_LINKMEND_ERROR(e.MyExecuteSQL("", nullptr, false), -2147220496, kSource, "No SQLString supplied");
    EXPECT_LINKMEND_ERROR(e.ResultSet(1), 380, kSource, "Invalid value for ResultSet property (1)");
    EXPECT_LINKMEND_ERROR(e.CheckResultSet(-3), 380, kSource, "Invalid value for ResultSet property (-3)");
    EXPECT_LINKMEND_ERROR(e.ColumnCount(2), 380, kSource, "Invalid value for ResultSet property (2)");
    EXPECT_LINKMEND_ERROR(e.CurrentRow(1), -2147220455, kSource,
                          "Invalid value (0) for ResultSet property in CurrentRow");
    e.IsRetrieval(true);  // set 0 is valid now, but has no columns yet
    EXPECT_LINKMEND_ERROR(e.CurrentRowLength(0, 2), -2147220454, kSource,
                          "Invalid value (2) for column number in CurrentRow");
    e.PushResultSet();
    e.PopResultSet();
    EXPECT_LINKMEND_ERROR(e.PopResultSet(), 380, kSource, "PopResultSet without a matching PushResultSet");
    EXPECT_LINKMEND_ERROR(e.BindParameter(0, 4, 1, std::string("x")), 380, kSource,
                          "Invalid value for Sequence property in BindParameter (0); must be 1 or higher");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 1, 1, std::string("x")), 380, kSource,
                          "Invalid value for Input/Output property in BindParameter (1); only output allowed");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 4, 9, std::string("x")), 380, kSource,
                          "Invalid value for ValueType property in BindParameter (9); must be character (1)");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 4, 1, std::string(256, 'x')), 380, kSource,
                          "Invalid value for Value property in BindParameter (256 octets); at most 255 fit");
    EXPECT_EQ(e.PendingParameterCount(), 0);
    EXPECT_LINKMEND_ERROR(
        e.FetchParameter(1), -2147220446, kSource,
        "Sequence number (1 in FetchParameter not valid; there are no bound parameters in this statement");
    EXPECT_LINKMEND_ERROR(e.FetchParameter(1, 5), -2147220446, kSource,
                          "Set number (5 in FetchParameter not valid; between 1 and 0");
    for (int rows : {26, -1})
        EXPECT_LINKMEND_ERROR(
            e.RowsPerFetch(rows), 380, kSource,
            "Invalid value for RowsPerFetch property (" + std::to_string(rows) + "); must be 0 to 25");
    e.RowsPerFetch(25);
    EXPECT_EQ(e.RowsPerFetch(), 0);  // set 0 never reports a block size
    EXPECT_EQ(e.DatabaseHandle(), nullptr);
}

// Binding sequence 3 alone gives a pending count of 3 and room for 8; the ninth grows it to 14.
TEST(EngineArguments, PendingParametersTraceFileAndLentHandles) {
    VgerReaderDllClass6 e;
    std::string counts;
    for (std::int16_t sequence : {3, 2, 8, 9}) {
        e.BindParameter(sequence, 4, 12, std::string("abc"));
        counts += std::to_string(e.PendingParameterCount()) + "/" + std::to_string(e.PendingParameterCapacity()) + " ";
    }
    EXPECT_EQ(counts, "3/8 3/8 8/8 9/14 ");
    EXPECT_FALSE(e.TraceOn());
    EXPECT_EQ(e.TraceFileName(), (std::filesystem::temp_directory_path() / "log.log").string());
    auto* env = reinterpret_cast<RawHandle>(0x1234);
    e.EnvironmentHandle(env);
    e.EnvironmentHandle(reinterpret_cast<RawHandle>(0x5678));  // taken only while the engine has none
    EXPECT_EQ(e.EnvironmentHandle(), env);                     // destruction leaves the lent (fake) handle alone
}

}  // namespace
