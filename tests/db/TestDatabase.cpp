// The test databases and the process's ODBC configuration: a new SQLite file built from the schema
// script, or a PostgreSQL database cloned from the cluster's template; each with an owner and a
// read-only data source in the one odbc.ini of this process.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>

#include "OdbcIni.h"
#include "PgCluster.h"
#include "TestDatabase.h"
#include "kit/Files.h"
#include "odbc/Connection.h"

namespace linkmend::testdb {

const std::string& SqliteDriverPath() {
    static const std::string p = LINKMEND_SQLITE_ODBC_DRIVER;
    return p;
}
const std::string& PostgresDriverPath() {
    static const std::string p = LINKMEND_PG_ODBC_DRIVER;
    return p;
}
const std::string& SqliteExtensionPath() {
    static const std::string p = LINKMEND_SQLITE_EXTENSION;
    return p;
}
std::string SqliteSchemaPath() { return std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-sqlite.sql"; }
std::string PostgresSchemaPath() { return std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-postgresql.sql"; }
const char* DbKindName(DbKind kind) { return kind == DbKind::Sqlite ? "SQLite" : "PostgreSQL"; }

OdbcIni& OdbcIni::Get() {
    static OdbcIni ini;
    return ini;
}

OdbcIni::OdbcIni() {
    static const test::TempDir folder;  // goes with the process
    folder_ = folder.Path();
    Write();
    setenv("ODBCSYSINI", folder_.c_str(), 1);
    setenv("ODBCINI", (folder_ + "/odbc.ini").c_str(), 1);
}

std::string OdbcIni::AddDataSource(const std::string& base,
                                   const std::vector<std::pair<std::string, std::string>>& keys) {
    const std::string name = base + std::to_string(++counter_);
    sources_.emplace_back(name, keys);
    Write();
    return name;
}

void OdbcIni::Write() const {
    std::string list = "[ODBC Data Sources]\n", entries;
    for (const auto& [name, keys] : sources_) {
        list += name + " = Linkmend test database\n";
        entries += "\n[" + name + "]\n";
        for (const auto& [k, v] : keys) entries += k + " = " + v + "\n";
    }
    test::WriteFile(folder_ + "/odbc.ini.tmp", list + entries);  // replaced whole: a driver may be reading it
    std::filesystem::rename(folder_ + "/odbc.ini.tmp", folder_ + "/odbc.ini");
    test::WriteFile(folder_ + "/odbcinst.ini", "[ODBC]\nTrace = No\n");
}

namespace {

class SqliteDatabase : public TestDatabase {
public:
    SqliteDatabase() : TestDatabase(DbKind::Sqlite) {
        name_ = folder_.File("linkmend.db");
        sqlite3* db = nullptr;
        // One transaction without syncing: a test database needs no durability, only speed.
        const std::string script = "PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF; BEGIN;\n" +
                                   test::ReadFile(SqliteSchemaPath()) + "\nCOMMIT;";
        char* error = nullptr;
        const bool ok = sqlite3_open(name_.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
        const std::string message = error ? error : db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_free(error);
        sqlite3_close(db);
        if (!ok) throw std::runtime_error("cannot create " + name_ + " from " + SqliteSchemaPath() + ": " + message);
        prefix_ = "main.";
        auto& ini = OdbcIni::Get();
        dsn_ = ini.AddDataSource("LinkmendSqlite", {{"Driver", SqliteDriverPath()},
                                                    {"Database", name_},
                                                    {"JournalMode", "WAL"},
                                                    {"SyncPragma", "NORMAL"},
                                                    {"Timeout", "10000"},
                                                    {"LoadExt", SqliteExtensionPath()}});
        readOnlyDsn_ = ini.AddDataSource("LinkmendSqliteRO", {{"Driver", SqliteDriverPath()},
                                                              {"Database", "file:" + name_ + "?mode=ro"},
                                                              {"Timeout", "10000"},
                                                              {"LoadExt", SqliteExtensionPath()}});
    }

private:
    test::TempDir folder_;
};

std::vector<std::pair<std::string, std::string>> PgKeys(const PgClusterInfo& info, const std::string& database) {
    return {{"Driver", PostgresDriverPath()},
            {"Servername", "127.0.0.1"},
            {"Port", std::to_string(info.port)},
            {"Database", database},
            {"SSLmode", "disable"},
            // Octets pass unchanged only when the client encoding is SQL_ASCII too.
            {"ConnSettings", "SET client_encoding TO 'SQL_ASCII'"}};
}

// The connection that creates and drops the test databases (as the owner, in "postgres").
odbc::Connection& Admin(const PgClusterInfo& info) {
    static odbc::Connection admin;
    static const std::string dsn = OdbcIni::Get().AddDataSource("LinkmendPgAdmin", PgKeys(info, "postgres"));
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
        dsn_ = OdbcIni::Get().AddDataSource("LinkmendPg", PgKeys(cluster_, name_));
        readOnlyDsn_ = OdbcIni::Get().AddDataSource("LinkmendPgRO", PgKeys(cluster_, name_));
        uid_ = kPgOwner;
        pwd_ = kPgOwnerPassword;
        readOnlyUid_ = kPgReader;
        readOnlyPwd_ = kPgReaderPassword;
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
