#include "ui/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace linkmend::ui {
namespace {

int gPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char octet = 1;
    // A full pipe already holds a stop: dropping this one loses nothing.
    [[maybe_unused]] const ssize_t n = write(gPipe[1], &octet, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (gPipe[0] >= 0 || pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char octets[64];
        while (read(gPipe[0], octets, sizeof octets) > 0) {}
        emit Stopped();
    });
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);
}

StopSignals::~StopSignals() {
    if (!notifier_) return;
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (const int signal : {SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);
    delete notifier_;
    close(gPipe[0]);
    close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

}  // namespace linkmend::ui
