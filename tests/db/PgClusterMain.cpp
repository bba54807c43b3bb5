// The CTest fixture's program: "start STATEFILE" starts the run's PostgreSQL test cluster and
// records it; "stop STATEFILE" stops it and removes the record. "start STATEFILE --keep" starts
// one that outlives its caller (the demo's); "--durable" one whose commits survive a crash of the
// server (the demo's, and where a test crashes it). Without the server programs, start records
// why and succeeds (the tests then skip), unless LINKMEND_REQUIRE_POSTGRES=1.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "PgCluster.h"

using namespace linkmend::testdb;

int main(int argc, char** argv) {
    bool keep = false, durable = false, usage = argc < 3;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        keep |= option == "--keep";
        durable |= option == "--durable";
        usage |= option != "--keep" && option != "--durable";
    }
    if (usage || (std::string(argv[1]) != "start" && std::string(argv[1]) != "stop")) {
        std::fprintf(stderr, "usage: %s start STATEFILE [--keep] [--durable] | stop STATEFILE\n", argv[0]);
        return 2;
    }
    const std::string command = argv[1], stateFile = argv[2];
    // A cluster left behind by an interrupted run goes first.
    const auto old = PgCluster::ReadState(stateFile);
    if (old.status == "running") PgCluster::Stop(old.info);
    std::error_code ec;
    std::filesystem::remove(stateFile, ec);
    if (command == "stop") {
        std::printf("test cluster stopped\n");
        return 0;
    }
    try {
        // The cluster belongs to the CTest run that started this program; with --keep to no one
        // (init), so that it runs until stopped and is never taken for an orphan.
        const PgClusterInfo info = PgCluster::Start(keep ? 1 : getppid(), durable);
        PgCluster::WriteState(stateFile, {"running", "", info});
        std::printf("test cluster running in %s on 127.0.0.1:%d\n", info.folder.c_str(), info.port);
        return 0;
    } catch (const PostgresUnavailable& e) {
        PgCluster::WriteState(stateFile, {"unavailable", e.what(), {}});
        if (!PostgresRequired()) {
            std::printf("PostgreSQL unavailable, its tests will skip: %s\n", e.what());
            return 0;
        }
        std::fprintf(stderr, "PostgreSQL is required (LINKMEND_REQUIRE_POSTGRES=1) but unavailable: %s\n", e.what());
    } catch (const std::exception& e) {
        PgCluster::WriteState(stateFile, {"failed", e.what(), {}});
        std::fprintf(stderr, "test cluster failed to start: %s\n", e.what());
    }
    return 1;
}
