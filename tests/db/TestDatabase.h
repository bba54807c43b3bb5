#pragma once
// A fresh test database with the Linkmend schema and its two data sources: one for the owner
// (read-write) and one for the read-only account. Dropped or deleted when the object goes.
#include <memory>
#include <stdexcept>
#include <string>

namespace linkmend::testdb {

enum class DbKind { Sqlite, Postgres };

const char* DbKindName(DbKind kind);  // "SQLite" or "PostgreSQL"

// Raised when PostgreSQL cannot be used here; the text says why.
class PostgresUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TestDatabase {
public:
    virtual ~TestDatabase() = default;

    DbKind Kind() const { return kind_; }
    const std::string& Dsn() const { return dsn_; }
    const std::string& Uid() const { return uid_; }
    const std::string& Pwd() const { return pwd_; }
    const std::string& ReadOnlyDsn() const { return readOnlyDsn_; }
    const std::string& ReadOnlyUid() const { return readOnlyUid_; }
    const std::string& ReadOnlyPwd() const { return readOnlyPwd_; }
    // The reader's table-name prefix, with its dot: "main." (SQLite), "linkmend_db." (PostgreSQL).
    const std::string& Prefix() const { return prefix_; }
    // The database file (SQLite) or the database's name in the cluster (PostgreSQL).
    const std::string& Name() const { return name_; }

protected:
    explicit TestDatabase(DbKind kind) : kind_(kind) {}

    DbKind kind_;
    std::string dsn_, uid_, pwd_;
    std::string readOnlyDsn_, readOnlyUid_, readOnlyPwd_;
    std::string prefix_;
    std::string name_;
};

// A new SQLite database file in its own temporary folder (WAL journal, busy timeout; the
// read-only data source opens the file with mode=ro).
std::unique_ptr<TestDatabase> CreateSqliteDatabase();

// A new PostgreSQL database cloned from the schema-loaded template of the test cluster; raises
// PostgresUnavailable when no cluster can be had.
std::unique_ptr<TestDatabase> CreatePostgresDatabase();

std::unique_ptr<TestDatabase> CreateDatabase(DbKind kind);

// The schema scripts of the demo folder.
std::string SqliteSchemaPath();
std::string PostgresSchemaPath();

}  // namespace linkmend::testdb
