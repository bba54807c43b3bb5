// SQLite test databases: a temporary folder with the database file built from the schema script.
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "OdbcIni.h"
#include "TestDatabase.h"

namespace linkmend::testdb {
namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class SqliteDatabase : public TestDatabase {
public:
    SqliteDatabase() : TestDatabase(DbKind::Sqlite) {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/linkmend-sqlite-XXXXXX";
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a folder for the SQLite database");
        folder_ = tmpl;
        const std::string file = folder_ + "/linkmend.db";
        Build(file);
        name_ = file;
        prefix_ = "main.";
        auto& ini = OdbcIni::Get();
        const std::string ext = SqliteExtensionPath();
        dsn_ = ini.AddDataSource("LinkmendSqlite", {{"Driver", SqliteDriverPath()},
                                                    {"Database", file},
                                                    {"JournalMode", "WAL"},
                                                    {"SyncPragma", "NORMAL"},
                                                    {"Timeout", "10000"},
                                                    {"LoadExt", ext}});
        readOnlyDsn_ = ini.AddDataSource("LinkmendSqliteRO", {{"Driver", SqliteDriverPath()},
                                                              {"Database", "file:" + file + "?mode=ro"},
                                                              {"Timeout", "10000"},
                                                              {"LoadExt", ext}});
    }
    ~SqliteDatabase() override {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

private:
    static void Build(const std::string& file) {
        sqlite3* db = nullptr;
        if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
            const std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw std::runtime_error("cannot create " + file + ": " + msg);
        }
        // One transaction without syncing: a test database needs no durability, only speed.
        const std::string script = "PRAGMA journal_mode = WAL; PRAGMA synchronous = OFF; BEGIN;\n" +
                                   ReadWhole(SqliteSchemaPath()) + "\nCOMMIT;";
        char* error = nullptr;
        if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string msg = error ? error : "unknown error";
            sqlite3_free(error);
            sqlite3_close(db);
            throw std::runtime_error("loading " + SqliteSchemaPath() + ": " + msg);
        }
        sqlite3_close(db);
    }

    std::string folder_;
};

}  // namespace

const char* DbKindName(DbKind kind) { return kind == DbKind::Sqlite ? "SQLite" : "PostgreSQL"; }

std::string SqliteSchemaPath() { return std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-sqlite.sql"; }

std::string PostgresSchemaPath() { return std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-postgresql.sql"; }

std::unique_ptr<TestDatabase> CreateSqliteDatabase() { return std::make_unique<SqliteDatabase>(); }

std::unique_ptr<TestDatabase> CreateDatabase(DbKind kind) {
    return kind == DbKind::Sqlite ? CreateSqliteDatabase() : CreatePostgresDatabase();
}

}  // namespace linkmend::testdb
