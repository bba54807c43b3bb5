// The engine's failures on real drivers: refused connections, statement errors, the read-only
// account, missing database functions, a spent engine and lent handles.

#include "EngineDbTest.h"
#include "OdbcIni.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

constexpr const char* kSource = "VgerReadDLL";
constexpr const char* kRefused = "Could not establish a database connection to ";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class EngineErrors : public EngineDbTest {};

TEST_P(EngineErrors, UnknownDataSourceIsRefusedWithTheDriverManagersText) {
    auto e = NewEngine();
    e->DSN("NoSuchLinkmendSource");
    const auto error = CaughtError([&] { e->ConnectToVoyager(); });
    EXPECT_EQ(error.Number(), -2147220498);
    EXPECT_EQ(error.Source(), kSource);
    const std::string& text = error.Description();
    EXPECT_EQ(text.rfind(std::string(kRefused) + "NoSuchLinkmendSource\n\n", 0), 0u) << text;
    EXPECT_TRUE(Contains(text, "Data source name not found")) << text;
    EXPECT_TRUE(Contains(text, " Native error: ")) << text;
    EXPECT_EQ(text.substr(text.size() - 3), "\n-1") << text;
    // Nothing is left half-open: no handles, and the next attempt tries again.
    EXPECT_EQ(e->DatabaseHandle(), nullptr);
    EXPECT_EQ(e->EnvironmentHandle(), nullptr);
    EXPECT_EQ(CaughtError([&] { e->ConnectToVoyager(); }).Number(), -2147220498);
}

// PostgreSQL refuses a wrong password; SQLite refuses to open a missing file read-only.
TEST_P(EngineErrors, RefusedSignOnRaisesTheConnectionErrorWithTheDatabasesReason) {
    auto e = NewEngine();
    std::string dsn = Db().Dsn();
    std::string reason;
    if (IsSqlite()) {
        dsn = testdb::OdbcIni::Get().AddDataSource("LinkmendMissingFile",
                                                   {{"Driver", testdb::SqliteDriverPath()},
                                                    {"Database", "file:/nonexistent/linkmend.db?mode=ro"},
                                                    {"LoadExt", testdb::SqliteExtensionPath()}});
        reason = "connect failed";
    } else {
        e->PWD("not-the-password");
        reason = "password authentication failed";
    }
    e->DSN(dsn);
    e->SQLString("SELECT 1");
    const auto refused = CaughtError([&] { e->ExecuteSQL(0); });
    EXPECT_EQ(refused.Number(), -2147220498);
    EXPECT_EQ(refused.Description().rfind(std::string(kRefused) + dsn + "\n\n", 0), 0u) << refused.Description();
    EXPECT_TRUE(Contains(refused.Description(), reason)) << refused.Description();
    EXPECT_FALSE(Contains(refused.Description(), "\t"));
}

TEST_P(EngineErrors, SyntaxErrorNamesTheStatementHandleTheSqlAndTheReturnCode) {
    auto e = NewEngine();
    e->SQLString("SELEC LIBRARY_ID FROM " + Prefix() + "LIBRARY");
    const auto error = CaughtError([&] { e->ExecuteSQL(0); });
    const SQLHSTMT stmt = e->ResultSetStatement();
    const std::string handle = NumberWithSign(static_cast<long long>(reinterpret_cast<std::intptr_t>(stmt)));
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_EQ(error.Source(), handle + " VgerReadDLL");
    const std::string& text = error.Description();
    EXPECT_EQ(text.rfind(handle + " : SELEC LIBRARY_ID FROM " + Prefix() + "LIBRARY : ", 0), 0u) << text;
    EXPECT_TRUE(Contains(text, "syntax error")) << text;
    EXPECT_EQ(text.substr(text.size() - 11), "\nReturn: -1") << text;
    // One diagnostic line per record: the driver's own line breaks are folded.
    const std::string diagnostics = text.substr(0, text.size() - 11);
    EXPECT_FALSE(Contains(diagnostics, "\n")) << text;
    EXPECT_EQ(e->SqlStatementsSubmitted(), 1);
    // The set stays usable for the next statement.
    e->SQLString("SELECT COUNT(*) FROM " + Prefix() + "LIBRARY");
    e->ExecuteSQL(-1);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "0");
}

TEST_P(EngineErrors, ReadOnlyAccountCannotWriteAndTheDatabasesRefusalIsSurfaced) {
    AddLibraries(1);
    auto e = NewEngine(true);
    e->SQLString("SELECT LIBRARY_NAME FROM " + Prefix() + "LIBRARY");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "Library 01");
    for (const std::string& sql :
         {"INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (2, 'Intruder')",
          "UPDATE " + Prefix() + "LIBRARY SET LIBRARY_NAME = 'Changed'", "DELETE FROM " + Prefix() + "LIBRARY"}) {
        e->SQLString(sql);
        const auto error = CaughtError([&] { e->ExecuteSQL(0); });
        EXPECT_EQ(error.Number(), -2147220504) << sql;
        EXPECT_TRUE(
            Contains(error.Description(), IsSqlite() ? "attempt to write a readonly database" : "permission denied"))
            << error.Description();
    }
    auto check = Writer().Prepare("SELECT COUNT(*), MIN(LIBRARY_NAME) FROM " + Prefix() + "LIBRARY");
    check.Execute();
    ASSERT_TRUE(check.Fetch());
    EXPECT_EQ(check.Text(1), "1");
    EXPECT_EQ(check.Text(2), "Library 01");
}

// A SQLite data source without LoadExt, or a PostgreSQL database without the schema's functions,
// connects fine but could not run the reader's RAWTOHEX: the connection says so at once.
TEST_P(EngineErrors, MissingRawToHexIsReportedAtConnectionNamingWhereItComesFrom) {
    auto e = NewEngine();
    std::string expected;
    if (IsSqlite()) {
        const std::string dsn = testdb::OdbcIni::Get().AddDataSource(
            "LinkmendNoExtension", {{"Driver", testdb::SqliteDriverPath()}, {"Database", ":memory:"}});
        e->DSN(dsn);
        expected = "The SQLite extension linkmend_sqlite (RAWTOHEX, HEXTORAW, CHR) is not loaded";
    } else {
        Exec("DROP FUNCTION public.rawtohex(text)");
        Exec("DROP FUNCTION public.rawtohex(bytea)");
        expected = "The database lacks the functions rawtohex and hextoraw";
    }
    e->SQLString("SELECT 1");
    const auto error = CaughtError([&] { e->ExecuteSQL(0); });
    EXPECT_EQ(error.Number(), -2147220498);
    EXPECT_EQ(error.Description().rfind(kRefused + e->DSN() + "\n\n" + expected, 0), 0u) << error.Description();
    EXPECT_EQ(e->DatabaseHandle(), nullptr);
}

// A row's statements for a new connection run on the engine's own connection, before the probe;
// one that fails refuses the connection, naming the statement and the database's reason.
TEST_P(EngineErrors, TheDriverRowsStatementsRunAtConnectionAndAFailingOneRefusesIt) {
    const std::string_view marking[] = {"CREATE TEMP TABLE SESSION_MARK (A INTEGER)",
                                        "INSERT INTO SESSION_MARK (A) VALUES (7)"};
    const std::string_view failing[] = {"INSERT INTO NO_SUCH_TABLE (A) VALUES (1)"};
    std::vector<odbc::DriverSettings> marks(odbc::DriverTable().begin(), odbc::DriverTable().end()), fails = marks;
    for (auto& row : marks) row.onConnect = marking;
    for (auto& row : fails) row.onConnect = failing;

    auto e = NewEngine();
    e->DriverTable(marks);
    CallCounter calls;
    e->SQLString("SELECT A FROM SESSION_MARK");
    e->ExecuteSQL(0);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "7");
    EXPECT_EQ(calls["SQLExecDirect"], 4);  // the two statements, the probe, the query
    EXPECT_EQ(e->SqlStatementsSubmitted(), 1);

    auto refused = NewEngine();
    refused->DriverTable(fails);
    const auto error = CaughtError([&] { refused->ConnectToVoyager(); });
    EXPECT_EQ(error.Number(), -2147220498);
    EXPECT_EQ(error.Description().rfind(kRefused + refused->DSN() +
                                            "\n\nThe statement for a new connection failed: INSERT INTO "
                                            "NO_SUCH_TABLE (A) VALUES (1)\n",
                                        0),
              0u)
        << error.Description();
    EXPECT_EQ(refused->DatabaseHandle(), nullptr);
}

TEST_P(EngineErrors, ADisconnectedEngineIsSpentAndSaysSoInsteadOfCrashing) {
    AddLibraries(1);
    auto e = NewEngine();
    e->SQLString(LibrarySelect());
    e->ExecuteSQL(0);
    e->ExecuteSQL(0);
    e->Disconnect();
    EXPECT_EQ(e->DatabaseHandle(), nullptr);
    EXPECT_EQ(e->RetrieveStatement(), nullptr);
    EXPECT_FALSE(e->CheckResultSet(1, false));
    EXPECT_LINKMEND_ERROR(e->ExecuteSQL(0), -2147220501, kSource, "Could not allocate a statement handle for set 1");
    e->Disconnect();
}

TEST_P(EngineErrors, LentHandlesServeTheEngineAndSurviveIt) {
    AddLibraries(2);
    odbc::EnvHandle env = odbc::NewEnvironment();
    odbc::DbcHandle dbc;
    ASSERT_EQ(dbc.Allocate(env.Get()), SQL_SUCCESS);
    ASSERT_TRUE(odbc::Succeeded(SQLConnect(dbc.Get(), odbc::Chars(Db().Dsn()), SQL_NTS, odbc::Chars(Db().Uid()),
                                           SQL_NTS, odbc::Chars(Db().Pwd()), SQL_NTS)));
    {
        VgerReaderDllClass6 e;
        e.EnvironmentHandle(env.Get());
        e.DatabaseHandle(dbc.Get());
        e.SQLString(LibrarySelect());
        e.ExecuteSQL(0);
        e.GetNextRow();
        EXPECT_EQ(e.CurrentRow(2), "Library 01");
        EXPECT_EQ(e.DatabaseHandle(), dbc.Get());
        e.Disconnect();  // leaves lent handles alone
    }
    odbc::StmtHandle stmt;
    ASSERT_EQ(stmt.Allocate(dbc.Get()), SQL_SUCCESS);
    const std::string count = "SELECT COUNT(*) FROM " + Prefix() + "LIBRARY";
    ASSERT_TRUE(odbc::Succeeded(SQLExecDirect(stmt.Get(), odbc::Chars(count), SQL_NTS)));
    ASSERT_TRUE(odbc::Succeeded(SQLFetch(stmt.Get())));
    char value[16] = {};
    SQLLEN length = 0;
    ASSERT_TRUE(odbc::Succeeded(SQLGetData(stmt.Get(), 1, SQL_C_CHAR, value, sizeof value, &length)));
    EXPECT_STREQ(value, "2");
}

TEST_P(EngineErrors, OneLentHandleAloneIsNotUsedAndTheEngineConnectsItself) {
    odbc::EnvHandle env = odbc::NewEnvironment();
    auto e = NewEngine();
    e->EnvironmentHandle(env.Get());
    e->ConnectToVoyager();
    EXPECT_NE(e->EnvironmentHandle(), env.Get());
    EXPECT_NE(e->DatabaseHandle(), nullptr);
    e->Disconnect();
    EXPECT_EQ(e->DatabaseHandle(), nullptr);
}

LINKMEND_DB_TEST_SUITE(EngineErrors);

}  // namespace
