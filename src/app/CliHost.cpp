#include "app/CliHost.h"

#include <csignal>
#include <cstdio>
#include <thread>

#include "base/MessagePump.h"
#include "job/UrlChangeRun.h"

namespace linkmend {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

// The count at the front of "Read: 1234 of 5000 ..." or "Read 120 lines", to report every 1,000.
long LeadingCount(const std::string& text) {
    const auto digit = text.find_first_of("0123456789");
    return digit == std::string::npos ? -1 : std::strtol(text.c_str() + digit, nullptr, 10);
}

}  // namespace

CliHost::CliHost(std::function<DateTime()> now, bool terminal) : now_(std::move(now)), terminal_(terminal) {}

CliHost::~CliHost() { EndStatusLine(); }

void CliHost::InstallInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    // A stop from a scheduler or a closed terminal ends the run as Cancel does: at the next
    // checkpoint, with its report, rather than mid-record with none. Calls the drivers are in
    // carry on rather than fail with EINTR.
    sa.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);
}

bool CliHost::CancelRequested() { return g_interrupted != 0; }

void CliHost::EndStatusLine() {
    if (statusOpen_) {
        std::fputs("\n", stderr);
        statusOpen_ = false;
    }
}

void CliHost::Status(const std::string& line, bool milestone) {
    if (terminal_) {
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        statusOpen_ = true;
    } else if (milestone) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::fflush(stderr);
}

void CliHost::ShowMessage(const std::string& title, const std::string& text) {
    EndStatusLine();
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
}

void CliHost::ProgressStarted(const std::string& text) { Status(text, true); }

void CliHost::ProgressStep(const std::string& text) {
    step_ = text;
    EndStatusLine();
    Status(text, true);
}

void CliHost::ProgressRetrieved(const std::string& text) { ProgressCount(text); }

void CliHost::ProgressChanged(const std::string& text) { ProgressCount(text); }

// A line for each count on a terminal; otherwise one for every 1,000th, and nothing made for the rest.
void CliHost::ProgressCount(const std::string& text) {
    if (text.empty()) return;
    const long n = LeadingCount(text);
    const bool milestone = n > 0 && n % 1000 == 0;
    if (terminal_ || milestone) Status(step_ + ": " + text, milestone);
}

bool CliHost::WaitForScheduledStart() {
    EndStatusLine();
    std::fprintf(stderr, "Counting down to start of batch processing of URL change request at 10:00 p.m.\n");
    const auto secondsLeft = [](const DateTime& at) {
        const DateTimeParts p = at.Parts();
        return (22 * 3600) - (p.hour * 3600 + p.minute * 60 + p.second);
    };
    // The full hour a tick has reached, counted from 22:00: a tick up to a second before the mark
    // has reached it (the timer ticks every two seconds, so one of them lands there), and so has a
    // late tick past it, so that a busy machine does not skip an hour.
    const auto hourMark = [](int left) { return (left + 3598) / 3600; };
    int last = secondsLeft(now_());
    // The timer ticks every two seconds; Ctrl-C is the countdown's Cancel.
    for (;;) {
        for (int i = 0; i < 20; ++i) {
            if (g_interrupted) {
                g_interrupted = 0;
                EndStatusLine();
                return false;
            }
            LetWindowMessagesRun();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const DateTime now = now_();
        if (ScheduledStartReached(now)) {
            EndStatusLine();
            std::fprintf(stderr, "Starting at %s\n", now.Format().c_str());
            return true;
        }
        const int left = secondsLeft(now);
        const bool passedMark = hourMark(left) != hourMark(last);
        last = left;
        char buf[64];
        if (passedMark) std::snprintf(buf, sizeof buf, "Time left: %02d:00:00", hourMark(left));
        else std::snprintf(buf, sizeof buf, "Time left: %02d:%02d:%02d", left / 3600, left / 60 % 60, left % 60);
        Status(buf, passedMark);
    }
}

}  // namespace linkmend
