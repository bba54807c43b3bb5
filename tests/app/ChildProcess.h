#pragma once
// Runs the program headless as a child process with its standard output and error captured apart,
// and can interrupt it (Ctrl-C) at a moment the test chooses from what it has printed.
#include <functional>
#include <string>
#include <vector>

namespace linkmend::test {

struct ChildResult {
    int exitCode = -1;  // -1 when it could not start, was killed or ran past two minutes
    std::string out, err;
};

// The program with these arguments and extra environment entries ("NAME=value"). `interruptWhen`
// sees standard error as printed so far; when it first returns true the child gets SIGINT.
ChildResult RunProgram(std::vector<std::string> args, const std::vector<std::string>& env = {},
                       const std::function<bool(const std::string&)>& interruptWhen = {});

}  // namespace linkmend::test
