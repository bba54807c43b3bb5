#pragma once
// Runs the program headless as a child process with its standard output and error captured apart,
// and can interrupt it (Ctrl-C, or another signal) at a moment the test chooses from what it has
// printed.
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace linkmend::test {

struct ChildResult {
    int exitCode = -1;  // -1 when it could not start, was killed or timed out
    std::string out, err;
};

// argv[0] is the program's path; extra environment entries are "NAME=value". `interruptWhen` sees
// standard error as printed so far; when it first returns true the child gets `signal`.
ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                     const std::function<bool(const std::string&)>& interruptWhen = {}, int timeoutSeconds = 120,
                     int signal = SIGINT);

// The program itself with these arguments.
inline ChildResult RunProgram(std::vector<std::string> args, const std::vector<std::string>& env = {},
                              const std::function<bool(const std::string&)>& interruptWhen = {}) {
    args.insert(args.begin(), LINKMEND_PROGRAM);
    return RunChild(args, env, interruptWhen);
}

}  // namespace linkmend::test
