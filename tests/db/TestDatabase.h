#pragma once
// A fresh test database with the Linkmend schema and its two data sources: one for the owner
// (read-write) and one for the read-only account. Dropped or deleted when the object goes. The
// data sources live in the process's own odbc.ini (ODBCSYSINI and ODBCINI point at a temporary
// folder from the first use on, so /etc is never read).
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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
    std::string dsn_, uid_, pwd_, readOnlyDsn_, readOnlyUid_, readOnlyPwd_, prefix_, name_;
};

// A new SQLite database file in its own temporary folder (WAL journal, busy timeout; the read-only
// data source opens the file with mode=ro), or a new PostgreSQL database cloned from the test
// cluster's template (PostgresUnavailable when no cluster can be had).
std::unique_ptr<TestDatabase> CreateSqliteDatabase();
std::unique_ptr<TestDatabase> CreatePostgresDatabase();
std::unique_ptr<TestDatabase> CreateDatabase(DbKind kind);

// Adds a data source to the process's odbc.ini; its name is base and a number unique in the process.
using OdbcKeys = std::vector<std::pair<std::string, std::string>>;
std::string AddDataSource(const std::string& base, const OdbcKeys& keys);
// The drivers and our SQLite extension as found when the project was configured.
std::string SqliteDriverPath();
std::string SqliteExtensionPath();

}  // namespace linkmend::testdb
