// The Oracle-to-other-database adapter: only SELECT UNIQUE changes, and only where it is SQL.
#include <gtest/gtest.h>

#include "odbc/Dialect.h"

using linkmend::odbc::RewriteSelectUnique;
using linkmend::odbc::SqlDialect;

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

TEST(Dialect, OracleAndUnnamedDatabasesGetTheTextUnchanged) {
    std::string scratch;
    const std::string sql = "SELECT UNIQUE a FROM t";
    for (const char* name : {"Oracle", "ORACLE", "Oracle8", ""}) {
        const SqlDialect d = SqlDialect::ForDbms(name);
        EXPECT_FALSE(d.RewritesUnique()) << name;
        EXPECT_EQ(d.Adapt(sql, scratch).data(), sql.data()) << name;
        EXPECT_STREQ(d.FunctionProbe(), "") << name;
    }
}

TEST(Dialect, SqliteAndPostgresqlAreAdaptedAndProbed) {
    std::string scratch;
    for (const char* name : {"SQLite", "PostgreSQL"}) {
        const SqlDialect d = SqlDialect::ForDbms(name);
        EXPECT_TRUE(d.RewritesUnique()) << name;
        EXPECT_EQ(d.Adapt("SELECT UNIQUE a FROM t", scratch), "SELECT DISTINCT a FROM t") << name;
        EXPECT_NE(std::string(d.FunctionProbe()).find("RAWTOHEX"), std::string::npos) << name;
    }
    EXPECT_NE(std::string(SqlDialect::ForDbms("SQLite").MissingFunctionsText()).find("linkmend_sqlite"),
              std::string::npos);
    EXPECT_NE(std::string(SqlDialect::ForDbms("PostgreSQL").MissingFunctionsText()).find("schema-postgresql.sql"),
              std::string::npos);
}

TEST(Dialect, TextWithoutUniqueIsPassedThroughWithoutCopy) {
    std::string scratch = "stale";
    const std::string sql = "SELECT a FROM t";
    const SqlDialect d = SqlDialect::ForDbms("SQLite");
    EXPECT_EQ(d.Adapt(sql, scratch).data(), sql.data());
    EXPECT_EQ(scratch, "stale");
}

}  // namespace
