#include "OdbcIni.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace linkmend::testdb {

const std::string& SqliteDriverPath() {
    static const std::string path = LINKMEND_SQLITE_ODBC_DRIVER;
    return path;
}

const std::string& PostgresDriverPath() {
    static const std::string path = LINKMEND_PG_ODBC_DRIVER;
    return path;
}

const std::string& SqliteExtensionPath() {
    static const std::string path = LINKMEND_SQLITE_EXTENSION;
    return path;
}

OdbcIni& OdbcIni::Get() {
    static OdbcIni ini;
    return ini;
}

OdbcIni::OdbcIni() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/linkmend-odbc-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create the ODBC configuration folder " + tmpl);
    folder_ = tmpl;
    Write();
    setenv("ODBCSYSINI", folder_.c_str(), 1);
    setenv("ODBCINI", (folder_ + "/odbc.ini").c_str(), 1);
    // The folder goes with the process; databases register their own clean-up.
    static const std::string remove = folder_;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(remove, ec);
    });
}

std::string OdbcIni::AddDataSource(const std::string& base,
                                   const std::vector<std::pair<std::string, std::string>>& keys) {
    const std::string name = base + std::to_string(++counter_);
    sources_.emplace_back(name, keys);
    Write();
    return name;
}

void OdbcIni::Write() const {
    const std::string tmp = folder_ + "/odbc.ini.tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << "[ODBC Data Sources]\n";
        for (const auto& [name, keys] : sources_) out << name << " = Linkmend test database\n";
        for (const auto& [name, keys] : sources_) {
            out << "\n[" << name << "]\n";
            for (const auto& [k, v] : keys) out << k << " = " << v << "\n";
        }
    }
    std::filesystem::rename(tmp, folder_ + "/odbc.ini");
    std::ofstream inst(folder_ + "/odbcinst.ini", std::ios::trunc);
    inst << "[ODBC]\nTrace = No\n";
}

}  // namespace linkmend::testdb
