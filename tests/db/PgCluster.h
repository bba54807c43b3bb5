#pragma once
// A throwaway PostgreSQL cluster for tests: a temporary folder (owned by the postgres account when
// run as root), SQL_ASCII and locale C, its socket in the folder, TCP on 127.0.0.1 at a free port,
// password login over TCP; a read-write owner role, a read-only role that may only SELECT, and a
// template database with the schema loaded. Nothing of it survives Stop.
#include <sys/types.h>

#include <optional>
#include <string>

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
    // Finds the server programs (PostgreSQL 15 preferred; LINKMEND_PG_BINDIR overrides); raises
    // PostgresUnavailable with the reason when they are missing.
    static std::string FindBinDir();
    // Starts a new cluster with roles and template; raises PostgresUnavailable or runtime_error.
    // The cluster records its owner (this process, or the one given); Start first stops clusters
    // whose owner has died without stopping them. Unless `durable`, commits are not flushed (fast,
    // but a crash of the server loses the last ones).
    static PgClusterInfo Start(pid_t owner = 0, bool durable = false);
    static void StopOrphans() noexcept;
    // Stops the server at once and removes its folder; safe to call for a dead cluster.
    static void Stop(const PgClusterInfo& info) noexcept;
    static bool IsRunning(const PgClusterInfo& info);

    // Runs SQL as the superuser over the socket; raises runtime_error with psql's output.
    static void Superuser(const PgClusterInfo& info, const std::string& database, const std::string& sql);

    // The state file shared by the CTest fixture and the test processes:
    // "running" with folder, port and bindir, or "unavailable"/"failed" with a reason.
    static void WriteState(const std::string& path, const PgClusterInfo& info);
    static void WriteStateProblem(const std::string& path, const std::string& status, const std::string& reason);
    struct State {
        std::string status;  // "running", "unavailable", "failed" or "" when there is no file
        std::string reason;
        PgClusterInfo info;
    };
    static State ReadState(const std::string& path);
};

// The state file this build's fixture writes (LINKMEND_PG_STATE overrides).
std::string PgStateFilePath();

// The cluster the tests of this process use: the fixture's when it runs, else one started for this
// process and stopped at its exit. Raises PostgresUnavailable (skip, or fail when
// LINKMEND_REQUIRE_POSTGRES=1) or runtime_error.
const PgClusterInfo& TestCluster();

bool PostgresRequired();

}  // namespace linkmend::testdb
