#pragma once
// The process's ODBC configuration: one temporary folder with odbc.ini and odbcinst.ini, named by
// ODBCSYSINI and ODBCINI (set on first use, before any ODBC call), so /etc is never read.
#include <string>
#include <utility>
#include <vector>

namespace linkmend::testdb {

// Absolute paths of the drivers and of our SQLite extension, found when the project was configured.
const std::string& SqliteDriverPath();
const std::string& PostgresDriverPath();
const std::string& SqliteExtensionPath();

class OdbcIni {
public:
    // The process-wide configuration; the first call creates the folder and sets the environment.
    static OdbcIni& Get();

    const std::string& Folder() const { return folder_; }
    // Adds a data source and returns its name: base followed by a number unique in this process.
    std::string AddDataSource(const std::string& base, const std::vector<std::pair<std::string, std::string>>& keys);

private:
    OdbcIni();
    void Write() const;

    std::string folder_;
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sources_;
    int counter_ = 0;
};

}  // namespace linkmend::testdb
