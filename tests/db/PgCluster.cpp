#include "PgCluster.h"

#include <errno.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "Process.h"
#include "TestDatabase.h"

namespace linkmend::testdb {
namespace fs = std::filesystem;
namespace {

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool RunningAsRoot() { return geteuid() == 0; }

// initdb and pg_ctl refuse to run as root: as root they run as the postgres account.
std::vector<std::string> AsServerAccount(std::vector<std::string> argv) {
    if (!RunningAsRoot()) return argv;
    argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    return argv;
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Require(const ProcessResult& r, const std::vector<std::string>& argv) {
    if (r.exitCode != 0)
        throw std::runtime_error(CommandText(argv) + " failed (exit " + std::to_string(r.exitCode) + "):\n" + r.output);
}

std::vector<std::string> Psql(const PgClusterInfo& info, const std::string& user, const std::string& database) {
    return {info.bindir + "/psql",     "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", info.folder, "-p",
            std::to_string(info.port), "-U", user, "-d", database};
}

void RunPsql(const PgClusterInfo& info, const std::string& user, const std::string& database,
             const std::vector<std::string>& extra) {
    auto argv = Psql(info, user, database);
    argv.insert(argv.end(), extra.begin(), extra.end());
    Require(RunProcess(argv), argv);
}

void CreateRolesAndTemplate(const PgClusterInfo& info) {
    RunPsql(info, "postgres", "postgres",
            {"-c", std::string("CREATE ROLE ") + kPgOwner + " LOGIN CREATEDB PASSWORD '" + kPgOwnerPassword + "'", "-c",
             std::string("CREATE ROLE ") + kPgReader + " LOGIN PASSWORD '" + kPgReaderPassword + "'", "-c",
             std::string("CREATE DATABASE ") + kPgTemplate + " OWNER " + kPgOwner +
                 " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0"});
    RunPsql(info, kPgOwner, kPgTemplate, {"-f", PostgresSchemaPath()});
    RunPsql(info, kPgOwner, kPgTemplate,
            {"-c", std::string("GRANT USAGE ON SCHEMA linkmend_db TO ") + kPgReader, "-c",
             std::string("GRANT SELECT ON ALL TABLES IN SCHEMA linkmend_db TO ") + kPgReader, "-c",
             std::string("ALTER DEFAULT PRIVILEGES IN SCHEMA linkmend_db GRANT SELECT ON TABLES TO ") + kPgReader});
    RunPsql(info, "postgres", "postgres", {"-c", std::string("ALTER DATABASE ") + kPgTemplate + " IS_TEMPLATE true"});
}

}  // namespace

std::string PgCluster::FindBinDir() {
    auto complete = [](const std::string& dir) {
        return IsExecutable(dir + "/initdb") && IsExecutable(dir + "/pg_ctl") && IsExecutable(dir + "/postgres") &&
               IsExecutable(dir + "/psql");
    };
    if (const char* env = std::getenv("LINKMEND_PG_BINDIR"); env && *env) {
        if (complete(env)) return env;
        throw PostgresUnavailable(std::string("LINKMEND_PG_BINDIR=") + env + " lacks initdb, pg_ctl, postgres or psql");
    }
    if (complete("/usr/lib/postgresql/15/bin")) return "/usr/lib/postgresql/15/bin";
    std::string best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string dir = entry.path().string() + "/bin";
        if (complete(dir) && dir > best) best = dir;
    }
    if (best.empty())
        throw PostgresUnavailable(
            "PostgreSQL server programs not found (no initdb, pg_ctl, postgres and psql under "
            "/usr/lib/postgresql/*/bin): install postgresql-15 or set LINKMEND_PG_BINDIR");
    return best;
}

void PgCluster::StopOrphans() noexcept {
    try {
        const char* base = std::getenv("TMPDIR");
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(base && *base ? base : "/tmp", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("linkmend-pg-", 0) != 0) continue;
            std::ifstream ownerFile(entry.path() / "owner.pid");
            long owner = 0;
            if (!(ownerFile >> owner) || owner <= 0 || kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH)
                continue;
            PgClusterInfo orphan;
            orphan.folder = entry.path().string();
            orphan.bindir = FindBinDir();
            Stop(orphan);
        }
    } catch (...) {
        // Sweeping is a courtesy; a cluster that cannot be stopped here is left alone.
    }
}

PgClusterInfo PgCluster::Start(pid_t owner, bool durable) {
    PgClusterInfo info;
    info.bindir = FindBinDir();
    StopOrphans();
    if (RunningAsRoot() && getpwnam("postgres") == nullptr)
        throw PostgresUnavailable("running as root but there is no postgres account to run the server");
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/linkmend-pg-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a folder for the PostgreSQL cluster");
    info.folder = tmpl;
    try {
        if (RunningAsRoot()) {
            const passwd* pw = getpwnam("postgres");
            if (chown(info.folder.c_str(), pw->pw_uid, pw->pw_gid) != 0)
                throw std::runtime_error("cannot hand " + info.folder + " to the postgres account");
        }
        std::ofstream(info.folder + "/owner.pid") << (owner > 0 ? owner : getpid()) << "\n";
        const std::string data = info.folder + "/data";
        auto initdb = AsServerAccount({info.bindir + "/initdb", "-D", data, "-U", "postgres", "-E", "SQL_ASCII",
                                       "--locale=C", "--auth-local=trust", "--auth-host=scram-sha-256", "--no-sync"});
        Require(RunProcess(initdb), initdb);
        {
            std::ofstream conf(data + "/postgresql.conf", std::ios::app);
            conf << "\n# Linkmend test cluster\n"
                 << "listen_addresses = '127.0.0.1'\n"
                 << "unix_socket_directories = '" << info.folder << "'\n"
                 << (durable ? "" : "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n")
                 << "max_connections = 60\nshared_buffers = 32MB\n";
        }
        // Another program may take the free port before the server binds it: try a few.
        std::string lastLog;
        for (int attempt = 0; attempt < 5 && info.port == 0; ++attempt) {
            const int port = FreePort();
            const std::string log = info.folder + "/server.log";
            auto start = AsServerAccount({info.bindir + "/pg_ctl", "-D", data, "-l", log, "-w", "-t", "60", "-o",
                                          "-p " + std::to_string(port), "start"});
            const ProcessResult r = RunProcess(start);
            if (r.exitCode == 0) {
                info.port = port;
                break;
            }
            lastLog = r.output + "\n" + ReadWhole(log);
            if (lastLog.find("could not bind") == std::string::npos &&
                lastLog.find("already in use") == std::string::npos)
                throw std::runtime_error(CommandText(start) + " failed:\n" + lastLog);
        }
        if (info.port == 0) throw std::runtime_error("the test cluster found no free port:\n" + lastLog);
        CreateRolesAndTemplate(info);
        return info;
    } catch (...) {
        Stop(info);
        throw;
    }
}

void PgCluster::Stop(const PgClusterInfo& info) noexcept {
    if (info.folder.empty()) return;
    try {
        if (IsRunning(info)) {
            RunProcess(AsServerAccount(
                {info.bindir + "/pg_ctl", "-D", info.folder + "/data", "-m", "immediate", "-w", "-t", "30", "stop"}));
        }
        std::error_code ec;
        fs::remove_all(info.folder, ec);
    } catch (...) {
        // Stopping is best effort; nothing may escape.
    }
}

bool PgCluster::IsRunning(const PgClusterInfo& info) {
    std::ifstream pidFile(info.folder + "/data/postmaster.pid");
    long pid = 0;
    if (!(pidFile >> pid) || pid <= 0) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0;
}

void PgCluster::Superuser(const PgClusterInfo& info, const std::string& database, const std::string& sql) {
    RunPsql(info, "postgres", database, {"-c", sql});
}

void PgCluster::WriteState(const std::string& path, const PgClusterInfo& info) {
    std::ofstream out(path + ".tmp", std::ios::trunc);
    out << "status=running\nfolder=" << info.folder << "\nport=" << info.port << "\nbindir=" << info.bindir << "\n";
    out.close();
    fs::rename(path + ".tmp", path);
}

void PgCluster::WriteStateProblem(const std::string& path, const std::string& status, const std::string& reason) {
    std::string oneLine = reason;
    for (char& c : oneLine)
        if (c == '\n') c = ' ';
    std::ofstream out(path + ".tmp", std::ios::trunc);
    out << "status=" << status << "\nreason=" << oneLine << "\n";
    out.close();
    fs::rename(path + ".tmp", path);
}

PgCluster::State PgCluster::ReadState(const std::string& path) {
    State state;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "status") state.status = value;
        else if (key == "reason") state.reason = value;
        else if (key == "folder") state.info.folder = value;
        else if (key == "port") state.info.port = std::atoi(value.c_str());
        else if (key == "bindir") state.info.bindir = value;
    }
    return state;
}

std::string PgStateFilePath() {
    if (const char* env = std::getenv("LINKMEND_PG_STATE"); env && *env) return env;
    return LINKMEND_PG_STATE_FILE;
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
        std::string unavailable, failed;
        ~Holder() {
            if (own) PgCluster::Stop(info);
        }
    };
    static const std::unique_ptr<Holder> holder = [] {
        auto h = std::make_unique<Holder>();
        const auto state = PgCluster::ReadState(PgStateFilePath());
        if (state.status == "running" && PgCluster::IsRunning(state.info)) {
            h->info = state.info;
        } else if (state.status == "unavailable") {
            h->unavailable = state.reason;
        } else if (state.status == "failed") {
            h->failed = "the test cluster did not start: " + state.reason;
        } else {
            // Run by hand, without the CTest fixture: start a cluster for this process.
            try {
                h->info = PgCluster::Start();
                h->own = true;
            } catch (const PostgresUnavailable& e) {
                h->unavailable = e.what();
            } catch (const std::exception& e) {
                h->failed = e.what();
            }
        }
        return h;
    }();
    if (!holder->unavailable.empty()) throw PostgresUnavailable(holder->unavailable);
    if (!holder->failed.empty()) throw std::runtime_error(holder->failed);
    return holder->info;
}

}  // namespace linkmend::testdb
