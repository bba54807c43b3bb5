#pragma once
// Runs the program as a child process with its standard output and error captured apart, and can
// interrupt it (Ctrl-C) at a moment the test chooses from what it has printed.
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace linkmend::test {

struct ChildResult {
    int exitCode = -1;  // -1 when it could not start, was killed or timed out
    std::string out, err;
};

// `interruptWhen` sees standard error as printed so far; when it first returns true the child gets
// SIGINT (or `signal`). Extra environment entries are "NAME=value".
ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                     const std::function<bool(const std::string&)>& interruptWhen = {}, int timeoutSeconds = 120,
                     int signal = SIGINT);

}  // namespace linkmend::test
