// Per-statement cost of the statement engine on both drivers, against bare ODBC calls and the
// databases' own command line clients running the same statements in the same run:
//   one row:  execute "SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE ... WHERE LIBRARY_ID = n", fetch it
//   scan:     execute the same without WHERE over 1,000 rows and fetch them all
// The clients run a script of many statements in one process; their figure is the wall time per
// statement, process start included (it is spread over the whole script).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>

#include "PgCluster.h"
#include "Process.h"
#include "TestDatabase.h"
#include "odbc/Connection.h"
#include "odbc/OdbcHandles.h"
#include "odbc/VgerReaderDllClass6.h"

using namespace linkmend;
using namespace linkmend::testdb;

namespace {

constexpr int kRows = 1000;

struct Databases {
    std::unique_ptr<TestDatabase> sqlite, postgres;
};

void Fill(const TestDatabase& db) {
    odbc::Connection c;
    c.Connect(db.Dsn(), db.Uid(), db.Pwd());
    c.Begin();
    auto insert = c.Prepare("INSERT INTO " + db.Prefix() +
                            "LIBRARY (LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= kRows; ++i) {
        insert.BindInt32(1, i);
        insert.BindText(2, "Library number " + std::to_string(i));
        insert.BindText(3, "Display " + std::to_string(i));
        insert.BindText(4, "NUC" + std::to_string(i));
        insert.Execute();
    }
    c.Commit();
    if (db.Kind() == DbKind::Postgres) c.Execute("ANALYZE " + db.Prefix() + "LIBRARY");
}

Databases& Dbs() {
    static Databases dbs = [] {
        Databases d;
        d.sqlite = CreateSqliteDatabase();
        Fill(*d.sqlite);
        try {
            d.postgres = CreatePostgresDatabase();
            Fill(*d.postgres);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "PostgreSQL benchmarks skipped: %s\n", e.what());
        }
        return d;
    }();
    return dbs;
}

const TestDatabase* Db(DbKind kind) { return kind == DbKind::Sqlite ? Dbs().sqlite.get() : Dbs().postgres.get(); }

std::string OneRowSql(const TestDatabase& db, int id) {
    return "SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE FROM " + db.Prefix() +
           "LIBRARY WHERE LIBRARY_ID = " + std::to_string(id);
}

std::string ScanSql(const TestDatabase& db) {
    return "SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE FROM " + db.Prefix() + "LIBRARY";
}

std::unique_ptr<VgerReaderDllClass6> Engine(const TestDatabase& db) {
    // The job reads with the read-only account.
    auto e = std::make_unique<VgerReaderDllClass6>();
    e->DSN(db.ReadOnlyDsn());
    e->uID(db.ReadOnlyUid());
    e->PWD(db.ReadOnlyPwd());
    e->ConnectToVoyager();
    return e;
}

void EngineOneRow(benchmark::State& state, DbKind kind) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    auto e = Engine(*db);
    std::int16_t set = 0;
    int id = 0;
    std::size_t octets = 0;
    for (auto _ : state) {
        e->SQLString(OneRowSql(*db, id % kRows + 1));
        set = e->ExecuteSQL(set);
        e->GetNextRow();
        octets += e->CurrentRow(1).size() + e->CurrentRow(2).size() + e->CurrentRow(3).size();
        ++id;
    }
    benchmark::DoNotOptimize(octets);
    state.SetItemsProcessed(state.iterations());
}

void EngineScan(benchmark::State& state, DbKind kind, int rowsPerFetch) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    auto e = Engine(*db);
    std::int16_t set = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        e->SQLString(ScanSql(*db));
        e->RowsPerFetch(rowsPerFetch);
        set = e->ExecuteSQL(set);
        for (e->GetNextRow(); !e->CurrentRow(1).empty(); e->GetNextRow()) {
            benchmark::DoNotOptimize(e->CurrentRow(2));
            benchmark::DoNotOptimize(e->CurrentRow(3));
            ++rows;
        }
    }
    if (rows != static_cast<std::size_t>(state.iterations()) * kRows) state.SkipWithError("wrong row count");
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}

// The floor any ODBC program pays: the same statements with bare driver calls on one statement.
void RawOdbc(benchmark::State& state, DbKind kind, bool scan) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    odbc::Connection c;
    c.Connect(db->ReadOnlyDsn(), db->ReadOnlyUid(), db->ReadOnlyPwd());
    odbc::StmtHandle stmt;
    stmt.Allocate(c.Handle());
    char buffer[2048];
    SQLLEN length = 0;
    int id = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::string sql = scan ? ScanSql(*db) : OneRowSql(*db, id++ % kRows + 1);
        SQLFreeStmt(stmt.Get(), SQL_CLOSE);
        SQLExecDirect(stmt.Get(), odbc::Chars(sql), static_cast<SQLINTEGER>(sql.size()));
        while (SQL_SUCCEEDED(SQLFetch(stmt.Get()))) {
            for (SQLUSMALLINT col = 1; col <= 3; ++col)
                SQLGetData(stmt.Get(), col, SQL_C_CHAR, buffer, sizeof buffer, &length);
            ++rows;
        }
    }
    if (rows != static_cast<std::size_t>(state.iterations()) * (scan ? kRows : 1))
        state.SkipWithError("wrong row count");
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}

// Runs the client on a script of `count` statements; reports the wall time per statement.
void Client(benchmark::State& state, DbKind kind, bool scan) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    const int count = scan ? 200 : 5000;
    const std::string script = "/tmp/linkmend-bench-" + std::to_string(getpid()) + ".sql";
    {
        std::ofstream out(script);
        for (int i = 0; i < count; ++i) out << (scan ? ScanSql(*db) : OneRowSql(*db, i % kRows + 1)) << ";\n";
    }
    std::vector<std::string> argv;
    std::vector<std::string> env;
    if (kind == DbKind::Sqlite) {
        argv = {"sh", "-c", "sqlite3 -batch '" + db->Name() + "' < " + script + " > /dev/null"};
    } else {
        const auto& c = TestCluster();
        argv = {"sh", "-c",
                c.bindir + "/psql -X -q -A -t -h 127.0.0.1 -p " + std::to_string(c.port) + " -U " + kPgReader + " -d " +
                    db->Name() + " -f " + script + " > /dev/null"};
        env = {std::string("PGPASSWORD=") + kPgReaderPassword};
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult r = RunProcess(argv, env);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (r.exitCode != 0) {
            state.SkipWithError(("client failed: " + r.output).c_str());
            break;
        }
        state.SetIterationTime(elapsed.count() / count);
    }
    std::remove(script.c_str());
    state.SetItemsProcessed(state.iterations() * (scan ? kRows : 1));
}

}  // namespace

BENCHMARK_CAPTURE(EngineOneRow, SQLite, DbKind::Sqlite);
BENCHMARK_CAPTURE(RawOdbc, SQLite_one_row, DbKind::Sqlite, false);
BENCHMARK_CAPTURE(Client, sqlite3_one_row, DbKind::Sqlite, false)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(EngineOneRow, PostgreSQL, DbKind::Postgres);
BENCHMARK_CAPTURE(RawOdbc, PostgreSQL_one_row, DbKind::Postgres, false);
BENCHMARK_CAPTURE(Client, psql_one_row, DbKind::Postgres, false)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(EngineScan, SQLite, DbKind::Sqlite, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineScan, SQLite_block25, DbKind::Sqlite, 25)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RawOdbc, SQLite_scan, DbKind::Sqlite, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Client, sqlite3_scan, DbKind::Sqlite, true)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineScan, PostgreSQL, DbKind::Postgres, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineScan, PostgreSQL_block25, DbKind::Postgres, 25)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RawOdbc, PostgreSQL_scan, DbKind::Postgres, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Client, psql_scan, DbKind::Postgres, true)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
