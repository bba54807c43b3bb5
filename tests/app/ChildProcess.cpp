#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <utility>

namespace linkmend::test {

ChildResult RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env,
                     const std::function<bool(const std::string&)>& interruptWhen, int timeoutSeconds, int signal) {
    ChildResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool interrupted = false, killed = false;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        poll(fds, 2, 200);
        for (int i = 0; i < 2; ++i) {
            char buf[4096];
            const ssize_t n = fds[i].revents & (POLLIN | POLLHUP) ? read(fds[i].fd, buf, sizeof buf) : -1;
            if (n > 0) (i == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
            if (n == 0 || (n < 0 && fds[i].revents)) close(std::exchange(fds[i].fd, -1));
        }
        if (!interrupted && interruptWhen && interruptWhen(result.err)) interrupted = kill(pid, signal) == 0;
        if (std::chrono::steady_clock::now() > deadline) killed = kill(pid, SIGKILL) == 0;
        if (killed) break;
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!killed && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace linkmend::test
