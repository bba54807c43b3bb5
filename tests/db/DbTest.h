#pragma once
// One body of tests, run on both drivers: derive a fixture from DbTest, write TEST_P cases, and
// instantiate them with LINKMEND_DB_TEST_SUITE(Fixture). Each case gets a fresh database with the
// schema (see TestDatabase.h). Without PostgreSQL its cases skip, saying why, or fail when
// LINKMEND_REQUIRE_POSTGRES=1.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "TestDatabase.h"
#include "odbc/Connection.h"

namespace linkmend::testdb {

class DbTest : public ::testing::TestWithParam<DbKind> {
protected:
    void SetUp() override;
    void TearDown() override;

    DbKind Kind() const { return GetParam(); }
    bool IsSqlite() const { return GetParam() == DbKind::Sqlite; }
    const TestDatabase& Db() const { return *db_; }
    const std::string& Prefix() const { return db_->Prefix(); }

    // A read-write connection (autocommit) to the test database, opened on first use.
    odbc::Connection& Writer();
    // Runs statements through Writer(); returns the affected rows of the last.
    long long Exec(const std::string& sql) { return Writer().Execute(sql); }

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<odbc::Connection> writer_;
};

// Names the driver in test output.
inline void PrintTo(DbKind kind, std::ostream* os) { *os << DbKindName(kind); }

}  // namespace linkmend::testdb

#define LINKMEND_DB_TEST_SUITE(Fixture)                                                                                \
    INSTANTIATE_TEST_SUITE_P(                                                                                          \
        Drivers, Fixture, ::testing::Values(::linkmend::testdb::DbKind::Sqlite, ::linkmend::testdb::DbKind::Postgres), \
        [](const auto& driver) { return std::string(::linkmend::testdb::DbKindName(driver.param)); })
