#include "DbTest.h"

#include "PgCluster.h"

namespace linkmend::testdb {

void DbTest::SetUp() {
    try {
        db_ = CreateDatabase(GetParam());
    } catch (const PostgresUnavailable& e) {
        if (PostgresRequired())
            FAIL() << "PostgreSQL is required here (LINKMEND_REQUIRE_POSTGRES=1) but unavailable: " << e.what();
        GTEST_SKIP() << "PostgreSQL unavailable: " << e.what();
    } catch (const std::exception& e) {
        FAIL() << "cannot create the " << DbKindName(GetParam()) << " test database: " << e.what();
    }
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

}  // namespace linkmend::testdb
