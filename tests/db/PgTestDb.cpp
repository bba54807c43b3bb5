// PostgreSQL test databases: a clone of the cluster's template, with owner and read-only DSNs.
#include <unistd.h>

#include <atomic>
#include <random>

#include "OdbcIni.h"
#include "PgCluster.h"
#include "TestDatabase.h"
#include "odbc/Connection.h"

namespace linkmend::testdb {
namespace {

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
    static std::string dsn;
    if (!admin.Connected()) {
        if (dsn.empty()) dsn = OdbcIni::Get().AddDataSource("LinkmendPgAdmin", PgKeys(info, "postgres"));
        admin.Connect(dsn, kPgOwner, kPgOwnerPassword);
    }
    return admin;
}

std::string NewDatabaseName() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    return "lt_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" + std::to_string(rd() % 100000);
}

class PostgresDatabase : public TestDatabase {
public:
    PostgresDatabase() : TestDatabase(DbKind::Postgres), cluster_(TestCluster()) {
        name_ = NewDatabaseName();
        // Copying the files is several times faster than logging a clone of the small template.
        Admin(cluster_).Execute("CREATE DATABASE " + name_ + " TEMPLATE " + kPgTemplate + " OWNER " + kPgOwner +
                                " STRATEGY FILE_COPY");
        prefix_ = "linkmend_db.";
        auto& ini = OdbcIni::Get();
        dsn_ = ini.AddDataSource("LinkmendPg", PgKeys(cluster_, name_));
        readOnlyDsn_ = ini.AddDataSource("LinkmendPgRO", PgKeys(cluster_, name_));
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

std::unique_ptr<TestDatabase> CreatePostgresDatabase() { return std::make_unique<PostgresDatabase>(); }

}  // namespace linkmend::testdb

// LeakSanitizer: the PostgreSQL ODBC driver keeps a few small blocks per connection that it never
// frees (psqlodbc 13.02); they are the driver's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbca.so\n"; }
