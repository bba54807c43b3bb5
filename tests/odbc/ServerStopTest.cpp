// A PostgreSQL server that goes away in the middle of a run: the next statement raises the
// engine's error promptly instead of hanging. Uses a cluster of its own, not the shared one.
#include <chrono>
#include <future>

#include "ErrorAssert.h"
#include "OdbcIni.h"
#include "PgCluster.h"
#include "TestDatabase.h"
#include "odbc/VgerReaderDllClass6.h"

using namespace linkmend;
using namespace linkmend::testdb;

namespace {

TEST(ServerStop, TheNextStatementAfterTheServerStoppedRaisesTheEngineErrorWithoutHanging) {
    PgClusterInfo cluster;
    try {
        cluster = PgCluster::Start();
    } catch (const PostgresUnavailable& e) {
        if (PostgresRequired()) FAIL() << "PostgreSQL is required here but unavailable: " << e.what();
        GTEST_SKIP() << "PostgreSQL unavailable: " << e.what();
    }
    struct Cleanup {
        const PgClusterInfo& c;
        ~Cleanup() { PgCluster::Stop(c); }
    } cleanup{cluster};

    const std::string dsn =
        OdbcIni::Get().AddDataSource("LinkmendPgStopping", {{"Driver", PostgresDriverPath()},
                                                            {"Servername", "127.0.0.1"},
                                                            {"Port", std::to_string(cluster.port)},
                                                            {"Database", kPgTemplate},
                                                            {"SSLmode", "disable"},
                                                            {"ConnSettings", "SET client_encoding TO 'SQL_ASCII'"}});
    VgerReaderDllClass6 e;
    e.DSN(dsn);
    e.uID(kPgReader);
    e.PWD(kPgReaderPassword);
    e.SQLString("SELECT COUNT(*) FROM linkmend_db.LIBRARY");
    const std::int16_t set = e.ExecuteSQL(0);
    e.GetNextRow();
    ASSERT_EQ(e.CurrentRow(1), "0");

    PgCluster::Stop(cluster);
    ASSERT_FALSE(PgCluster::IsRunning(cluster));

    auto next = std::async(std::launch::async, [&] {
        return test::CaughtError([&] {
            e.ExecuteSQL(set);
            e.GetNextRow();
        });
    });
    ASSERT_EQ(next.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the engine hangs";
    const LinkmendError error = next.get();
    EXPECT_EQ(error.Number(), -2147220504);
    EXPECT_NE(error.Source().find("VgerReadDLL"), std::string::npos);
    EXPECT_NE(error.Description().find("SELECT COUNT(*) FROM linkmend_db.LIBRARY"), std::string::npos)
        << error.Description();
}

}  // namespace
