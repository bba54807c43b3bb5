#include "DbTest.h"

#include "PgCluster.h"

namespace linkmend::testdb {
namespace {

// Creates the database; on PostgreSQL's absence records a skip (or a failure when it is required).
std::unique_ptr<TestDatabase> Create(DbKind kind, std::string& skipReason, std::string& failure) {
    try {
        return CreateDatabase(kind);
    } catch (const PostgresUnavailable& e) {
        if (PostgresRequired())
            failure =
                std::string("PostgreSQL is required here (LINKMEND_REQUIRE_POSTGRES=1) but unavailable: ") + e.what();
        else skipReason = std::string("PostgreSQL unavailable: ") + e.what();
    } catch (const std::exception& e) {
        failure = std::string("cannot create the ") + DbKindName(kind) + " test database: " + e.what();
    }
    return nullptr;
}

}  // namespace

void DbTest::SetUp() {
    std::string skip, failure;
    db_ = Create(GetParam(), skip, failure);
    if (!failure.empty()) FAIL() << failure;
    if (!skip.empty()) GTEST_SKIP() << skip;
}

void DbTest::TearDown() {
    writer_.reset();
    db_.reset();
}

odbc::Connection& DbTest::Writer() {
    if (!writer_) {
        writer_ = std::make_unique<odbc::Connection>();
        writer_->Connect(db_->Dsn(), db_->Uid(), db_->Pwd());
    }
    return *writer_;
}

long long DbTest::Exec(const std::string& sql) { return Writer().Execute(sql); }

std::unique_ptr<TestDatabase> DatabaseOrSkip(DbKind kind) {
    std::string skip, failure;
    auto db = Create(kind, skip, failure);
    if (!failure.empty()) ADD_FAILURE() << failure;
    else if (!skip.empty()) [&] { GTEST_SKIP() << skip; }();
    return db;
}

std::string DbKindParamName(const ::testing::TestParamInfo<DbKind>& info) { return DbKindName(info.param); }

}  // namespace linkmend::testdb
