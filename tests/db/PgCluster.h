#pragma once
// A throwaway PostgreSQL cluster for tests: a temporary folder (owned by the postgres account when
// run as root), SQL_ASCII and locale C, its socket in the folder, TCP on 127.0.0.1 at a free port,
// password login over TCP; a read-write owner role, a read-only role that may only SELECT, and a
// template database with the schema loaded. Nothing of it survives Stop.
#include <sys/types.h>

#include <string>

#include "TestDatabase.h"

namespace linkmend::testdb {

inline constexpr const char* kPgOwner = "linkmend_owner";
inline constexpr const char* kPgOwnerPassword = "linkmend-owner-secret";
inline constexpr const char* kPgReader = "linkmend_reader";
inline constexpr const char* kPgReaderPassword = "linkmend-reader-secret";
inline constexpr const char* kPgTemplate = "linkmend_template";

struct PgClusterInfo {
    std::string folder;  // holds data/, the socket and server.log
    int port = 0;
    std::string bindir;  // the server's programs
};

class PgCluster {
public:
    // Starts a new cluster that names its owner (this process, or the one given), after stopping
    // those whose owner died without stopping them. Raises PostgresUnavailable when the server
    // programs are missing (PostgreSQL 15 preferred; LINKMEND_PG_BINDIR overrides), else runtime_error.
    // Unless `durable`, commits are not flushed (fast, but a crash of the server loses the last ones).
    static PgClusterInfo Start(pid_t owner = 0, bool durable = false);
    // Stops the server at once and removes its folder; safe to call for a dead cluster.
    static void Stop(const PgClusterInfo& info) noexcept;

    // The state file shared by the CTest fixture and the test processes: "running" with folder,
    // port and bindir, or "unavailable"/"failed" with a reason; status "" when there is no file.
    struct State {
        std::string status, reason;
        PgClusterInfo info;
    };
    static void WriteState(const std::string& path, const State& state);
    static State ReadState(const std::string& path);
};

// The cluster the tests of this process use: the fixture's (its state file is this build's, or
// LINKMEND_PG_STATE) when it runs, else one started for this process and stopped at its exit.
// Raises PostgresUnavailable (skip, or fail when LINKMEND_REQUIRE_POSTGRES=1) or runtime_error.
const PgClusterInfo& TestCluster();

bool PostgresRequired();

}  // namespace linkmend::testdb
