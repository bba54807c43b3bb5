#pragma once
// Runs a program and waits for it: the PostgreSQL tools the test cluster needs (PgCluster.cpp).
#include <string>
#include <vector>

namespace linkmend::testdb {

struct ProcessResult {
    int exitCode = -1;   // -1 when the program could not start or was killed
    std::string output;  // standard output and standard error together
};

// argv[0] is a path or a name found on PATH; extraEnv entries are "NAME=value".
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});

}  // namespace linkmend::testdb
