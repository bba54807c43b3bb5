// Per-record retrieval cost of the Voyager reader, as the job pays it for every candidate:
//   bib:      RetrieveBibRecord (segments, BIB_MASTER, two BIB_HISTORY queries), then the owning
//             library, the record, the last-modified date-time and the suppression flag;
//   holdings: RetrieveHoldRecord (segments, BIB_MFHD, two MFHD_HISTORY queries, MFHD_MASTER with
//             LOCATION, a cached location), then its bib link, location, record, date and flag.
// Peer in the same run: the statement engine alone running the same statements on the retrieval
// statement and reading the same columns (the floor the reader's own work sits on).
// 2,000 bibliographic records of 1,500 octets (two segments) and 2,000 holdings records of 420
// octets (two segments), each with a creation and two update history rows, are read round-robin.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "TestDatabase.h"
#include "base/Hex.h"
#include "odbc/Connection.h"
#include "odbc/VgerReaderDllClass6.h"
#include "voyager/VgerReaderClass7.h"

using namespace linkmend;
using namespace linkmend::testdb;

namespace {

constexpr int kRecords = 2000;

std::string Record(int id, std::size_t size) {
    std::string s(size, ' ');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('A' + (id + i) % 26);
    return s;
}

void Fill(const TestDatabase& db) {
    odbc::Connection c;
    c.Connect(db.Dsn(), db.Uid(), db.Pwd());
    const std::string& p = db.Prefix();
    c.Begin();
    for (int l = 1; l <= 10; ++l)
        c.Execute("INSERT INTO " + p +
                  "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, SUPPRESS_IN_OPAC) VALUES (" +
                  std::to_string(l) + ", 'loc" + std::to_string(l) + "', 'Location', 'N')");
    auto seg = [&](const char* table, const char* idColumn) {
        return c.Prepare("INSERT INTO " + p + table + " (" + idColumn + ", SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    };
    auto bibData = seg("BIB_DATA", "BIB_ID");
    auto mfhdData = seg("MFHD_DATA", "MFHD_ID");
    auto bibMaster =
        c.Prepare("INSERT INTO " + p + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (?, 1, 'N')");
    auto mfhdMaster =
        c.Prepare("INSERT INTO " + p +
                  "MFHD_MASTER (MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC, "
                  "NORMALIZED_CALL_NO, DISPLAY_CALL_NO, CALL_NO_TYPE) VALUES (?, ?, 'N', 'QA 76', 'QA76', '0')");
    auto bibMfhd = c.Prepare("INSERT INTO " + p + "BIB_MFHD (BIB_ID, MFHD_ID) VALUES (?, ?)");
    auto history = [&](const char* table, const char* idColumn) {
        return c.Prepare("INSERT INTO " + p + table + " (" + idColumn +
                         ", ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (?, ?, 'cat', ?)");
    };
    auto bibHistory = history("BIB_HISTORY", "BIB_ID");
    auto mfhdHistory = history("MFHD_HISTORY", "MFHD_ID");
    for (int id = 1; id <= kRecords; ++id) {
        const std::string bib = Record(id, 1500), hold = Record(id, 420);
        for (int s = 0; s < 2; ++s) {
            bibData.BindInt32(1, id);
            bibData.BindInt32(2, s + 1);
            bibData.BindBinary(3, bib.substr(static_cast<std::size_t>(s) * 990, 990));
            bibData.Execute();
            mfhdData.BindInt32(1, id);
            mfhdData.BindInt32(2, s + 1);
            mfhdData.BindBinary(3, hold.substr(static_cast<std::size_t>(s) * 300, 300));
            mfhdData.Execute();
        }
        bibMaster.BindInt32(1, id);
        bibMaster.Execute();
        mfhdMaster.BindInt32(1, id);
        mfhdMaster.BindInt32(2, id % 10 + 1);
        mfhdMaster.Execute();
        bibMfhd.BindInt32(1, id);
        bibMfhd.BindInt32(2, id);
        bibMfhd.Execute();
        const char* dates[] = {"2010-01-02 03:04:05", "2015-06-07 08:09:10", "2020-11-12 13:14:15"};
        for (int h = 0; h < 3; ++h) {
            for (auto* st : {&bibHistory, &mfhdHistory}) {
                st->BindInt32(1, id);
                st->BindText(2, dates[h]);
                st->BindInt32(3, h == 0 ? 1 : 2);
                st->Execute();
            }
        }
    }
    c.Commit();
    if (db.Kind() == DbKind::Postgres) c.Execute("ANALYZE");
}

// An empty settings folder: the reader runs on its defaults.
struct ProfileFolder {
    ProfileFolder() {
        std::string tmpl = "/tmp/linkmend-bench-XXXXXX";
        if (mkdtemp(tmpl.data())) path = tmpl;
        setenv("LINKMEND_PROFILE_DIR", path.c_str(), 1);
    }
    ~ProfileFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

struct Databases {
    ProfileFolder profile;
    std::unique_ptr<TestDatabase> sqlite, postgres;
};

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

std::unique_ptr<VgerReaderClass7> Reader(const TestDatabase& db) {
    auto r = std::make_unique<VgerReaderClass7>();
    r->DSN(db.ReadOnlyDsn());
    r->TableNamePrefix(db.Prefix());
    r->uID(db.ReadOnlyUid().empty() ? "reader" : db.ReadOnlyUid());
    r->PWD(db.ReadOnlyPwd().empty() ? "reader" : db.ReadOnlyPwd());
    return r;
}

void ReaderBib(benchmark::State& state, DbKind kind) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    auto r = Reader(*db);
    r->RetrieveBibRecord("1");  // connection, version and sample record outside the timing
    std::size_t octets = 0;
    int id = 0;
    for (auto _ : state) {
        r->RetrieveBibRecord(std::to_string(id % kRecords + 1));
        octets += r->BibRecord().size() + r->BibOwningLibraryNumber().size();
        benchmark::DoNotOptimize(r->BibDateLastModifiedVB());
        benchmark::DoNotOptimize(r->BibRecordIsSuppressed());
        ++id;
    }
    if (octets != static_cast<std::size_t>(state.iterations()) * 1501) state.SkipWithError("wrong record size");
    state.SetItemsProcessed(state.iterations());
}

void ReaderHold(benchmark::State& state, DbKind kind) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    auto r = Reader(*db);
    r->RetrieveHoldRecord("1");
    std::size_t octets = 0;
    int id = 0;
    for (auto _ : state) {
        r->RetrieveHoldRecord(std::to_string(id % kRecords + 1));
        octets += r->HoldRecord().size();
        benchmark::DoNotOptimize(r->HoldBibRecordNumber());
        benchmark::DoNotOptimize(r->HoldLocationID());
        benchmark::DoNotOptimize(r->HoldUpdateDateVB());
        benchmark::DoNotOptimize(r->HoldRecordIsSuppressed());
        ++id;
    }
    if (octets != static_cast<std::size_t>(state.iterations()) * 420) state.SkipWithError("wrong record size");
    state.SetItemsProcessed(state.iterations());
}

// The engine alone, the four statements of a bibliographic retrieval on the retrieval statement.
void EngineBib(benchmark::State& state, DbKind kind) {
    const TestDatabase* db = Db(kind);
    if (!db) return state.SkipWithError("no database");
    VgerReaderDllClass6 e;
    e.DSN(db->ReadOnlyDsn());
    e.uID(db->ReadOnlyUid());
    e.PWD(db->ReadOnlyPwd());
    e.ConnectToVoyager();
    e.IsRetrieval(true);
    const std::string& p = db->Prefix();
    odbc::RawHandle st = e.RetrieveStatement();
    auto run = [&](const std::string& sql, std::int16_t columns) {
        e.MyExecuteSQL(sql, st, false);
        e.ResultSetColumns(columns);
        e.RealNextRow(st);
    };
    std::size_t octets = 0;
    int n = 0;
    for (auto _ : state) {
        const std::string id = std::to_string(n++ % kRecords + 1);
        run("SELECT RAWTOHEX(RECORD_SEGMENT), SEQNUM FROM " + p + "BIB_DATA WHERE BIB_ID = " + id + " ORDER BY SEQNUM",
            2);
        std::string record;
        for (std::string hex = e.CurrentRow(1, 0); !hex.empty(); hex = e.CurrentRow(1, 0)) {
            record += HexToText(hex);
            e.RealNextRow(st);
        }
        run("SELECT SUPPRESS_IN_OPAC, LIBRARY_ID FROM " + p + "BIB_MASTER WHERE BIB_ID = " + id, 2);
        octets += record.size() + e.CurrentRow(2, 0).size();
        run("SELECT ACTION_DATE, OPERATOR_ID FROM " + p + "BIB_HISTORY WHERE BIB_ID = " + id +
                " AND ACTION_TYPE_ID = 1",
            2);
        benchmark::DoNotOptimize(e.CurrentRow(1, 0));
        run("SELECT ACTION_DATE, OPERATOR_ID FROM " + p + "BIB_HISTORY WHERE BIB_ID = " + id +
                " AND ACTION_TYPE_ID <> 1 ORDER BY ACTION_DATE DESC",
            2);
        benchmark::DoNotOptimize(e.CurrentRow(1, 0));
    }
    if (octets != static_cast<std::size_t>(state.iterations()) * 1501) state.SkipWithError("wrong record size");
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK_CAPTURE(ReaderBib, SQLite, DbKind::Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineBib, SQLite, DbKind::Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReaderHold, SQLite, DbKind::Sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReaderBib, PostgreSQL, DbKind::Postgres)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EngineBib, PostgreSQL, DbKind::Postgres)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReaderHold, PostgreSQL, DbKind::Postgres)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
