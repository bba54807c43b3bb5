// The test databases and the process's ODBC configuration: a new SQLite file built from the schema
// script, or a PostgreSQL database cloned from the cluster's template; each with an owner and a
// read-only data source in the one odbc.ini of this process.
#include "TestDatabase.h"

#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "PgCluster.h"
#include "kit/Files.h"
#include "odbc/Connection.h"

namespace linkmend::testdb {

std::string SqliteDriverPath() { return LINKMEND_SQLITE_ODBC_DRIVER; }
std::string SqliteExtensionPath() { return LINKMEND_SQLITE_EXTENSION; }
const char* DbKindName(DbKind kind) { return kind == DbKind::Sqlite ? "SQLite" : "PostgreSQL"; }

std::string AddDataSource(const std::string& base, const OdbcKeys& keys) {
    static const test::TempDir folder;  // goes with the process
    static std::vector<std::pair<std::string, OdbcKeys>> sources;
    if (sources.empty()) {
        test::WriteFile(folder.File("odbcinst.ini"), "[ODBC]\nTrace = No\n");
        setenv("ODBCSYSINI", folder.Path().c_str(), 1);
        setenv("ODBCINI", folder.File("odbc.ini").c_str(), 1);
    }
    const std::string name = base + std::to_string(sources.size() + 1);
    sources.emplace_back(name, keys);
    std::string list = "[ODBC Data Sources]\n", entries;
    for (const auto& [source, values] : sources) {
        list += source + " = Linkmend test database\n";
        entries += "\n[" + source + "]\n";
        for (const auto& [k, v] : values) entries += k + " = " + v + "\n";
    }
    test::WriteFile(folder.File("odbc.ini.tmp"), list + entries);  // replaced whole: a driver may be reading it
    std::filesystem::rename(folder.File("odbc.ini.tmp"), folder.File("odbc.ini"));
    return name;
}

namespace {

OdbcKeys PgKeys(const PgClusterInfo& info, const std::string& database) {
    return {{"Driver", LINKMEND_PG_ODBC_DRIVER},
            {"Servername", "127.0.0.1"},
            {"Port", std::to_string(info.port)},
            {"Database", database},
            {"SSLmode", "disable"},
            // Octets pass unchanged only when the client encoding is SQL_ASCII too.
            {"ConnSettings", "SET client_encoding TO 'SQL_ASCII'"}};
}

class SqliteDatabase : public TestDatabase {
public:
    SqliteDatabase() : TestDatabase(DbKind::Sqlite) {
        name_ = folder_.File("linkmend.db");
        const std::string schema = std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-sqlite.sql";
        // One transaction without syncing: a test database needs no durability, only speed.
        const std::string script =
            "PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF; BEGIN;\n" + test::ReadFile(schema) + "\nCOMMIT;";
        sqlite3* db = nullptr;
        char* error = nullptr;
        const bool ok = sqlite3_open(name_.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
        const std::string message = error ? error : db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_free(error);
        sqlite3_close(db);
        if (!ok) throw std::runtime_error("cannot create " + name_ + " from " + schema + ": " + message);
        prefix_ = "main.";
        const OdbcKeys keys = {
            {"Driver", SqliteDriverPath()}, {"Timeout", "10000"}, {"LoadExt", SqliteExtensionPath()}};
        OdbcKeys owner = keys, reader = keys;
        owner.insert(owner.end(), {{"Database", name_}, {"JournalMode", "WAL"}, {"SyncPragma", "NORMAL"}});
        reader.emplace_back("Database", "file:" + name_ + "?mode=ro");
        dsn_ = AddDataSource("LinkmendSqlite", owner);
        readOnlyDsn_ = AddDataSource("LinkmendSqliteRO", reader);
    }

private:
    test::TempDir folder_;
};

// The connection that creates and drops the test databases (as the owner, in "postgres").
odbc::Connection& Admin(const PgClusterInfo& info) {
    static odbc::Connection admin;
    static const std::string dsn = AddDataSource("LinkmendPgAdmin", PgKeys(info, "postgres"));
    if (!admin.Connected()) admin.Connect(dsn, kPgOwner, kPgOwnerPassword);
    return admin;
}

class PostgresDatabase : public TestDatabase {
public:
    PostgresDatabase() : TestDatabase(DbKind::Postgres), cluster_(TestCluster()) {
        static std::atomic<int> counter{0};
        name_ = "lt_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" +
                std::to_string(std::random_device()() % 100000);
        // Copying the files is several times faster than logging a clone of the small template.
        Admin(cluster_).Execute("CREATE DATABASE " + name_ + " TEMPLATE " + kPgTemplate + " OWNER " + kPgOwner +
                                " STRATEGY FILE_COPY");
        prefix_ = "linkmend_db.";
        dsn_ = AddDataSource("LinkmendPg", PgKeys(cluster_, name_));
        readOnlyDsn_ = AddDataSource("LinkmendPgRO", PgKeys(cluster_, name_));
        uid_ = kPgOwner, pwd_ = kPgOwnerPassword;
        readOnlyUid_ = kPgReader, readOnlyPwd_ = kPgReaderPassword;
    }
    ~PostgresDatabase() override {
        try {
            Admin(cluster_).Execute("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        } catch (...) {
            // The cluster goes at the end of the run anyway.
        }
    }

private:
    const PgClusterInfo& cluster_;
};

}  // namespace

std::unique_ptr<TestDatabase> CreateSqliteDatabase() { return std::make_unique<SqliteDatabase>(); }
std::unique_ptr<TestDatabase> CreatePostgresDatabase() { return std::make_unique<PostgresDatabase>(); }
std::unique_ptr<TestDatabase> CreateDatabase(DbKind kind) {
    return kind == DbKind::Sqlite ? CreateSqliteDatabase() : CreatePostgresDatabase();
}

}  // namespace linkmend::testdb

// LeakSanitizer: the PostgreSQL ODBC driver keeps a few small blocks per connection that it never
// frees (psqlodbc 13.02); they are the driver's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbca.so\n"; }
