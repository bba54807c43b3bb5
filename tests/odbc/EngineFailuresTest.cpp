// The engine's failures on real drivers: refused connections, statement errors, the read-only
// account, missing database functions, a spent engine and lent handles.
#include <algorithm>

#include "EngineDbTest.h"
#include "odbc/PreparedQuery.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

constexpr const char* kRefused = "Could not establish a database connection to ";

class EngineFailures : public EngineDbTest {};

// The connection error names the data source and the database's reason on lines of their own and
// ends with the return code; nothing is left half-open.
TEST_P(EngineFailures, RefusedConnectionsSayWhy) {
    const auto sqlite = [](const std::string& name, std::vector<std::pair<std::string, std::string>> keys) {
        keys.emplace_back("Driver", testdb::SqliteDriverPath());
        return testdb::AddDataSource(name, keys);
    };
    struct Case {
        std::string dsn, password, reason;
    };
    const Case cases[] = {
        {"NoSuchLinkmendSource", Db().Pwd(), "Data source name not found"},
        IsSqlite() ? Case{sqlite("LinkmendMissingFile", {{"Database", "file:/nonexistent/l.db?mode=ro"},
                                                         {"LoadExt", testdb::SqliteExtensionPath()}}),
                          "", "connect failed"}
                   : Case{Db().Dsn(), "not-the-password", "password authentication failed"},
        // A database without RAWTOHEX: SQLite without the extension, PostgreSQL without the schema's functions.
        IsSqlite()
            ? Case{sqlite("LinkmendNoExtension", {{"Database", ":memory:"}}), "",
                   "The SQLite extension linkmend_sqlite (RAWTOHEX, HEXTORAW, CHR, LINKMEND_OCTETS) is not loaded"}
            : Case{Db().Dsn(), Db().Pwd(), "The database lacks the functions rawtohex and hextoraw"},
    };
    for (const auto& c : cases) {
        if (&c == &cases[2] && !IsSqlite()) {
            Exec("DROP FUNCTION public.rawtohex(text)");
            Exec("DROP FUNCTION public.rawtohex(bytea)");
        }
        auto e = NewEngine();
        e->DSN(c.dsn);
        e->PWD(c.password);
        e->SQLString("SELECT 1");
        const auto error = CaughtError([&] { e->ExecuteSQL(0); });
        EXPECT_EQ(error.Number(), -2147220498);
        EXPECT_EQ(error.Source(), "VgerReadDLL");
        const std::string& text = error.Description();
        EXPECT_EQ(text.rfind(kRefused + c.dsn + "\n\n", 0), 0u) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_EQ(text.find('\t'), std::string::npos) << text;
        EXPECT_EQ(e->DatabaseHandle(), nullptr);
        EXPECT_EQ(e->EnvironmentHandle(), nullptr);
        EXPECT_TRUE(text.ends_with("\n-1") && text.find(" Native error: ") != std::string::npos) << text;
    }
}

// Named: the statement handle, the SQL and the return code; the driver's line breaks folded; the set
// usable for the next statement. The read-only account's writes are the database's to refuse.
TEST_P(EngineFailures, StatementErrorsNameTheHandleTheSqlAndTheReason) {
    AddLibraries(1);
    auto e = NewEngine();
    e->SQLString("SELEC LIBRARY_ID FROM " + Prefix() + "LIBRARY");
    const auto error = CaughtError([&] { e->ExecuteSQL(0); });
    const std::string handle =
        NumberWithSign(static_cast<long long>(reinterpret_cast<std::intptr_t>(e->ResultSetStatement())));
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_EQ(error.Source(), handle + " VgerReadDLL");
    const std::string& text = error.Description();
    EXPECT_EQ(text.rfind(handle + " : SELEC LIBRARY_ID FROM " + Prefix() + "LIBRARY : ", 0), 0u) << text;
    EXPECT_NE(text.find("syntax error"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\nReturn: -1")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    e->SQLString("SELECT COUNT(*) FROM " + Prefix() + "LIBRARY");
    e->ExecuteSQL(-1);
    e->GetNextRow();
    EXPECT_EQ(e->CurrentRow(1), "1");
    // A fetch the driver refuses (no such C type) gives the driver's own words.
    e->ResultSetColumnDataType(1, 999);
    e->ExecuteSQL(-1);
    const std::string fetch = CaughtError([&] { e->GetNextRow(); }).Description();
    EXPECT_NE(fetch.find(" Native error: "), std::string::npos) << fetch;
    // A prepared statement: a value bound again as a number goes as a number; a failed run names the
    // statement with its values and the reason.
    PreparedQuery& insert = e->Prepared("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (?)");
    insert.Bind(1, "x");
    insert.Bind(1, std::int64_t{1});
    const std::string duplicate = CaughtError([&] { insert.Execute(); }).Description();
    EXPECT_NE(duplicate.find(" : INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (1) : "), std::string::npos)
        << duplicate;
    EXPECT_NE(duplicate.find(IsSqlite() ? "UNIQUE constraint failed" : "duplicate key"), std::string::npos)
        << duplicate;
    EXPECT_TRUE(duplicate.ends_with("\nReturn: -1")) << duplicate;

    auto reader = NewEngine(true);
    for (const std::string& sql :
         {"INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID) VALUES (2)",
          "UPDATE " + Prefix() + "LIBRARY SET LIBRARY_NAME = 'x'", "DELETE FROM " + Prefix() + "LIBRARY"}) {
        reader->SQLString(sql);
        const auto refused = CaughtError([&] { reader->ExecuteSQL(0); });
        EXPECT_EQ(refused.Number(), -2147220504) << sql;
        EXPECT_NE(refused.Description().find(IsSqlite() ? "attempt to write a readonly database" : "permission denied"),
                  std::string::npos)
            << refused.Description();
    }
    reader->SQLString(LibrarySelect());
    reader->ExecuteSQL(0);
    reader->GetNextRow();
    EXPECT_EQ(reader->CurrentRow(2), "Library 01");
}

// A row's statements for a new connection run on the engine's own connection before the probe; one
// that fails refuses the connection, naming the statement.
TEST_P(EngineFailures, TheDriverRowsStatementsRunAtConnection) {
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
    e->Disconnect();  // its own handles go
    EXPECT_EQ(e->EnvironmentHandle(), nullptr);
    auto refused = NewEngine();
    refused->DriverTable(fails);
    const auto error = CaughtError([&] { refused->ConnectToVoyager(); });
    EXPECT_EQ(error.Description().rfind(kRefused + refused->DSN() + "\n\nThe statement for a new connection failed: " +
                                            std::string(failing[0]) + "\n",
                                        0),
              0u)
        << error.Description();
    EXPECT_EQ(refused->DatabaseHandle(), nullptr);
}

// Lent handles serve the engine and outlive it; one lent alone is not used; a disconnected engine is
// spent and says so.
TEST_P(EngineFailures, LentHandlesAndASpentEngine) {
    AddLibraries(2);
    odbc::EnvHandle env = odbc::NewEnvironment();
    odbc::DbcHandle dbc;
    ASSERT_EQ(dbc.Allocate(env.Get()), SQL_SUCCESS);
    ASSERT_TRUE(odbc::Succeeded(SQLConnect(dbc.Get(), odbc::Chars(Db().Dsn()), SQL_NTS, odbc::Chars(Db().Uid()),
                                           SQL_NTS, odbc::Chars(Db().Pwd()), SQL_NTS)));
    for (const bool both : {true, false}) {
        VgerReaderDllClass6 e;
        e.DSN(Db().Dsn()), e.uID(Db().Uid()), e.PWD(Db().Pwd());
        e.EnvironmentHandle(env.Get());
        if (both) e.DatabaseHandle(dbc.Get());
        e.SQLString(LibrarySelect());
        e.ExecuteSQL(0);
        e.GetNextRow();
        EXPECT_EQ(e.CurrentRow(2), "Library 01");
        EXPECT_EQ(e.DatabaseHandle() == dbc.Get() && e.EnvironmentHandle() == env.Get(), both);
        e.Disconnect();  // leaves lent handles alone
        EXPECT_EQ(e.DatabaseHandle() == nullptr, !both);
        if (!both) {
            EXPECT_LINKMEND_ERROR(e.ExecuteSQL(0), -2147220501, "VgerReadDLL",
                                  "Could not allocate a statement handle for set 1");
        }
    }
    odbc::StmtHandle stmt;
    ASSERT_EQ(stmt.Allocate(dbc.Get()), SQL_SUCCESS);
    EXPECT_TRUE(odbc::Succeeded(SQLExecDirect(stmt.Get(), odbc::Chars("SELECT 1"), SQL_NTS)));
}

LINKMEND_DB_TEST_SUITE(EngineFailures);

}  // namespace
