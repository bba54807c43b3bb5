#include "PgCluster.h"

#include <errno.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Process.h"
#include "kit/Files.h"

namespace linkmend::testdb {
namespace fs = std::filesystem;

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    // Through env(1) and the shell, every argument single-quoted (a quote in it as '\'').
    std::string command = "env";
    for (const auto* list : {&extraEnv, &argv}) {
        for (const std::string& arg : *list) {
            command += " '";
            for (char c : arg) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
            command += "'";
        }
    }
    ProcessResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

namespace {

std::string TempBase() {
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

bool Complete(const std::string& dir) {
    for (const char* program : {"/initdb", "/pg_ctl", "/postgres", "/psql"})
        if (access((dir + program).c_str(), X_OK) != 0) return false;
    return true;
}

std::string FindBinDir() {
    if (const char* env = std::getenv("LINKMEND_PG_BINDIR"); env && *env) {
        if (Complete(env)) return env;
        throw PostgresUnavailable(std::string("LINKMEND_PG_BINDIR=") + env + " lacks initdb, pg_ctl, postgres or psql");
    }
    if (Complete("/usr/lib/postgresql/15/bin")) return "/usr/lib/postgresql/15/bin";
    std::string best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string dir = entry.path().string() + "/bin";
        if (Complete(dir) && dir > best) best = dir;
    }
    if (best.empty())
        throw PostgresUnavailable(
            "PostgreSQL server programs not found (no initdb, pg_ctl, postgres and psql under "
            "/usr/lib/postgresql/*/bin): install postgresql-15 or set LINKMEND_PG_BINDIR");
    return best;
}

// initdb and pg_ctl refuse to run as root: as root they run as the postgres account.
std::vector<std::string> AsServerAccount(std::vector<std::string> argv) {
    if (geteuid() == 0) argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    return argv;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    if (fd >= 0) close(fd);
    return bound ? ntohs(addr.sin_port) : 0;
}

// Runs the program; its failure raises runtime_error with the command and what it said.
ProcessResult Require(const std::vector<std::string>& argv, bool failureThrows = true) {
    const ProcessResult r = RunProcess(argv);
    if (r.exitCode != 0 && failureThrows) {
        std::string command;
        for (const auto& a : argv) command += a + " ";
        throw std::runtime_error(command + "failed (exit " + std::to_string(r.exitCode) + "):\n" + r.output);
    }
    return r;
}

void Psql(const PgClusterInfo& info, const std::string& user, const std::string& database,
          const std::vector<std::string>& sql) {
    std::vector<std::string> argv = {
        info.bindir + "/psql",     "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", info.folder, "-p",
        std::to_string(info.port), "-U", user, "-d", database};
    for (const auto& s : sql)
        argv.insert(argv.end(), {s.ends_with(".sql") ? "-f" : "-c", s});  // a script or a statement
    Require(argv);
}

bool IsRunning(const PgClusterInfo& info) {
    std::ifstream pidFile(info.folder + "/data/postmaster.pid");
    long pid = 0;
    return pidFile >> pid && pid > 0 && kill(static_cast<pid_t>(pid), 0) == 0;
}

// Sweeping is a courtesy: a cluster whose owner still lives, or that cannot be stopped, is left alone.
void StopOrphans(const std::string& bindir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(TempBase(), ec)) {
        if (!entry.path().filename().string().starts_with("linkmend-pg-")) continue;
        std::ifstream ownerFile(entry.path() / "owner.pid");
        long owner = 0;
        if ((ownerFile >> owner) && owner > 0 && kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH)
            PgCluster::Stop({entry.path().string(), 0, bindir});
    }
}

}  // namespace

PgClusterInfo PgCluster::Start(pid_t owner, bool durable) {
    PgClusterInfo info;
    info.bindir = FindBinDir();
    StopOrphans(info.bindir);
    const passwd* account = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (geteuid() == 0 && !account)
        throw PostgresUnavailable("running as root but there is no postgres account to run the server");
    std::string tmpl = TempBase() + "/linkmend-pg-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a folder for the PostgreSQL cluster");
    info.folder = tmpl;
    try {
        if (account && chown(info.folder.c_str(), account->pw_uid, account->pw_gid) != 0)
            throw std::runtime_error("cannot hand " + info.folder + " to the postgres account");
        test::WriteFile(info.folder + "/owner.pid", std::to_string(owner > 0 ? owner : getpid()) + "\n");
        const std::string data = info.folder + "/data";
        Require(AsServerAccount({info.bindir + "/initdb", "-D", data, "-U", "postgres", "-E", "SQL_ASCII", "--locale=C",
                                 "--auth-local=trust", "--auth-host=scram-sha-256", "--no-sync"}));
        std::ofstream(data + "/postgresql.conf", std::ios::app)
            << "\n# Linkmend test cluster\nlisten_addresses = '127.0.0.1'\nunix_socket_directories = '" << info.folder
            << "'\n"
            << (durable ? "" : "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n")
            << "max_connections = 60\nshared_buffers = 32MB\n";
        // Another program may take the free port before the server binds it: try a few.
        std::string lastLog;
        for (int attempt = 0; attempt < 5 && info.port == 0; ++attempt) {
            const int port = FreePort();
            const auto r =
                Require(AsServerAccount({info.bindir + "/pg_ctl", "-D", data, "-l", info.folder + "/server.log", "-w",
                                         "-t", "60", "-o", "-p " + std::to_string(port), "start"}),
                        false);
            if (r.exitCode == 0) info.port = port;
            lastLog = r.output + "\n" + test::ReadFile(info.folder + "/server.log");
            if (r.exitCode != 0 && lastLog.find("could not bind") == std::string::npos &&
                lastLog.find("already in use") == std::string::npos)
                throw std::runtime_error("pg_ctl start failed:\n" + lastLog);
        }
        if (info.port == 0) throw std::runtime_error("the test cluster found no free port:\n" + lastLog);
        const std::string role = kPgOwner, reader = kPgReader, templ = kPgTemplate;
        Psql(info, "postgres", "postgres",
             {"CREATE ROLE " + role + " LOGIN CREATEDB PASSWORD '" + kPgOwnerPassword + "'",
              "CREATE ROLE " + reader + " LOGIN PASSWORD '" + kPgReaderPassword + "'",
              "CREATE DATABASE " + templ + " OWNER " + role +
                  " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0"});
        Psql(info, role, templ,
             {std::string(LINKMEND_SOURCE_DIR) + "/demo/schema-postgresql.sql",
              "GRANT USAGE ON SCHEMA linkmend_db TO " + reader,
              "GRANT SELECT ON ALL TABLES IN SCHEMA linkmend_db TO " + reader,
              "ALTER DEFAULT PRIVILEGES IN SCHEMA linkmend_db GRANT SELECT ON TABLES TO " + reader});
        Psql(info, "postgres", "postgres", {"ALTER DATABASE " + templ + " IS_TEMPLATE true"});
        return info;
    } catch (...) {
        Stop(info);
        throw;
    }
}

void PgCluster::Stop(const PgClusterInfo& info) noexcept {
    if (info.folder.empty()) return;
    try {
        if (IsRunning(info))
            RunProcess(AsServerAccount(
                {info.bindir + "/pg_ctl", "-D", info.folder + "/data", "-m", "immediate", "-w", "-t", "30", "stop"}));
        std::error_code ec;
        fs::remove_all(info.folder, ec);
    } catch (...) {
        // Stopping is best effort; nothing may escape.
    }
}

void PgCluster::WriteState(const std::string& path, const State& state) {
    std::string reason = state.reason;
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    test::WriteFile(path + ".tmp", "status=" + state.status + "\n" +
                                       (state.status == "running" ? "folder=" + state.info.folder +
                                                                        "\nport=" + std::to_string(state.info.port) +
                                                                        "\nbindir=" + state.info.bindir + "\n"
                                                                  : "reason=" + reason + "\n"));
    fs::rename(path + ".tmp", path);
}

PgCluster::State PgCluster::ReadState(const std::string& path) {
    State state;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (key == "status") state.status = value;
        if (key == "reason") state.reason = value;
        if (key == "folder") state.info.folder = value;
        if (key == "port") state.info.port = std::atoi(value.c_str());
        if (key == "bindir") state.info.bindir = value;
    }
    return state;
}

bool PostgresRequired() {
    const char* env = std::getenv("LINKMEND_REQUIRE_POSTGRES");
    return env && std::string(env) == "1";
}

const PgClusterInfo& TestCluster() {
    // One answer per process: the fixture's cluster, or our own, or the reason there is none.
    struct Holder {
        PgClusterInfo info;
        bool own = false;
        std::exception_ptr error;
        ~Holder() {
            if (own) PgCluster::Stop(info);
        }
    };
    static const std::unique_ptr<Holder> holder = [] {
        auto h = std::make_unique<Holder>();
        const char* env = std::getenv("LINKMEND_PG_STATE");
        const auto state = PgCluster::ReadState(env && *env ? env : LINKMEND_PG_STATE_FILE);
        if (state.status == "running" && IsRunning(state.info)) h->info = state.info;
        else if (state.status == "unavailable") h->error = std::make_exception_ptr(PostgresUnavailable(state.reason));
        else if (state.status == "failed")
            h->error = std::make_exception_ptr(std::runtime_error("the test cluster did not start: " + state.reason));
        else {
            try {  // run by hand, without the CTest fixture: a cluster for this process
                h->info = PgCluster::Start();
                h->own = true;
            } catch (...) {
                h->error = std::current_exception();
            }
        }
        return h;
    }();
    if (holder->error) std::rethrow_exception(holder->error);
    return holder->info;
}

}  // namespace linkmend::testdb
