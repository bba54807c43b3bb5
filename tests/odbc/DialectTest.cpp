// The per-driver settings: which row a DBMS name chooses, and the Oracle-to-other-database
// adapter, where only SELECT UNIQUE changes, and only where it is SQL.
#include <gtest/gtest.h>

#include "odbc/Dialect.h"

using linkmend::odbc::DriverFor;
using linkmend::odbc::DriverSettings;
using linkmend::odbc::DriverTable;
using linkmend::odbc::NameMatch;
using linkmend::odbc::RewriteSelectUnique;

namespace {

std::string Rewritten(const std::string& sql) {
    std::string out = "untouched";
    if (!RewriteSelectUnique(sql, out)) return "(unchanged)";
    return out;
}

TEST(Dialect, SelectUniqueBecomesSelectDistinctKeepingTheRestByteForByte) {
    EXPECT_EQ(Rewritten("SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM main.ELINK_INDEX WHERE LINK = 'x'"),
              "SELECT DISTINCT RECORD_ID, RECORD_TYPE, LINK FROM main.ELINK_INDEX WHERE LINK = 'x'");
    EXPECT_EQ(Rewritten("select unique a from t"), "select DISTINCT a from t");
    EXPECT_EQ(Rewritten("SELECT\n\t UNIQUE T2.LOCATION_ID FROM X T2"), "SELECT\n\t DISTINCT T2.LOCATION_ID FROM X T2");
    EXPECT_EQ(Rewritten("SELECT /* one */ UNIQUE a FROM t"), "SELECT /* one */ DISTINCT a FROM t");
    EXPECT_EQ(Rewritten("SELECT -- note\nUNIQUE a FROM t"), "SELECT -- note\nDISTINCT a FROM t");
}

TEST(Dialect, EverySelectUniqueOfAStatementIsRewrittenSubqueriesIncluded) {
    EXPECT_EQ(Rewritten("SELECT UNIQUE a FROM t WHERE b IN (SELECT UNIQUE c FROM u)"),
              "SELECT DISTINCT a FROM t WHERE b IN (SELECT DISTINCT c FROM u)");
}

TEST(Dialect, UniqueInsideLiteralsNamesAndCommentsStays) {
    EXPECT_EQ(Rewritten("SELECT a FROM t WHERE LINK = 'SELECT UNIQUE x'"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT \"UNIQUE\" FROM t"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT a FROM t -- SELECT UNIQUE b"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT a /* SELECT UNIQUE */ FROM t"), "(unchanged)");
    // A doubled quote does not end a literal.
    EXPECT_EQ(Rewritten("SELECT a FROM t WHERE n = 'it''s SELECT UNIQUE'"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT UNIQUE a FROM t WHERE n = 'it''s SELECT UNIQUE'"),
              "SELECT DISTINCT a FROM t WHERE n = 'it''s SELECT UNIQUE'");
}

TEST(Dialect, WordsThatOnlyContainTheKeywordsStay) {
    EXPECT_EQ(Rewritten("SELECT UNIQUE_ID FROM t"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT a FROM t WHERE IS_UNIQUE = 1"), "(unchanged)");
    EXPECT_EQ(Rewritten("XSELECT UNIQUE a"), "(unchanged)");
    EXPECT_EQ(Rewritten("CREATE UNIQUE INDEX i ON t (a)"), "(unchanged)");
    EXPECT_EQ(Rewritten("SELECT DISTINCT a FROM t"), "(unchanged)");
}

// Oracle (any name it starts with, or no name) keeps the text and needs no probe; SQLite and
// PostgreSQL (whole names) are adapted and probed; any other name is adapted only.
TEST(Dialect, TheDbmsNameChoosesItsRowOfTheDriverTable) {
    const struct {
        const char* name;
        const char* row;
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
    std::string scratch;
    const std::string sql = "SELECT UNIQUE a FROM t";
    for (const auto& c : cases) {
        const DriverSettings& d = DriverFor(c.name);
        EXPECT_EQ(d.dbmsName, c.row) << c.name;
        EXPECT_EQ(d.Adapt(sql, scratch), c.rewrites ? "SELECT DISTINCT a FROM t" : sql) << c.name;
        EXPECT_EQ(d.functionProbe.empty(), *c.missingNames == '\0') << c.name;
        EXPECT_NE(std::string(d.missingFunctions).find(c.missingNames), std::string::npos) << c.name;
        if (!c.rewrites) {
            EXPECT_EQ(d.Adapt(sql, scratch).data(), sql.data()) << c.name;
        }
    }
    for (const DriverSettings& d : DriverTable()) {
        if (!d.functionProbe.empty()) {
            EXPECT_EQ(d.functionProbe, "SELECT RAWTOHEX('A'), HEXTORAW('41'), CHR(65)");
        }
        EXPECT_TRUE(d.onConnect.empty()) << d.dbmsName;  // no driver asks for statements yet
    }
}

TEST(Dialect, TheFirstRowThatRecognisesTheNameWinsAndTheLastCatchesTheRest) {
    const DriverSettings rows[] = {{.dbmsName = "Post", .match = NameMatch::Prefix},
                                   {.dbmsName = "PostgreSQL", .match = NameMatch::Whole, .unnamed = true},
                                   {.dbmsName = "last", .match = NameMatch::Whole}};
    EXPECT_EQ(&DriverFor("postgresql", rows), &rows[0]);
    EXPECT_EQ(&DriverFor("", rows), &rows[1]);
    EXPECT_EQ(&DriverFor("Oracle", rows), &rows[2]);
}

TEST(Dialect, TextWithoutUniqueIsPassedThroughWithoutCopy) {
    std::string scratch = "stale";
    const std::string sql = "SELECT a FROM t";
    EXPECT_EQ(DriverFor("SQLite").Adapt(sql, scratch).data(), sql.data());
    EXPECT_EQ(scratch, "stale");
}

}  // namespace
