// The headless entry: loads the profile and job settings as start-up does, builds the form the
// window would show, applies --production and --list-changed, and performs the run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/CliHost.h"
#include "app/CommandLine.h"
#include "app/EntryPoints.h"
#include "base/Error.h"
#include "job/JobSettings.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"

namespace linkmend {
namespace {

// A test hook: LINKMEND_CLOCK="yyyy-mm-dd hh:mm:ss" starts the program's clock at that time.
void InjectClock(Program& program) {
    const char* start = std::getenv("LINKMEND_CLOCK");
    if (!start || !*start) return;
    const DateTime begin = DateTime::Parse(start);
    const DateTime realBegin = DateTime::Now();
    program.now = [begin, realBegin] { return DateTime(begin.Days() + (DateTime::Now().Days() - realBegin.Days())); };
}

int ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
        case RunOutcome::Diagnostic: return 0;
        case RunOutcome::SqlError:
        case RunOutcome::SignOnFailed: return 3;
        case RunOutcome::Cancelled: return 4;
        case RunOutcome::CountdownCancelled: return 5;
        case RunOutcome::FileError: return 6;
    }
    return 3;
}

}  // namespace

int BatchMain(const CommandLineOptions& options) {
    Program program;
    program.settingsFile = options.settingsFile;
    InjectClock(program);
    CliHost host(program.now, isatty(STDERR_FILENO) == 1);
    CliHost::InstallInterruptHandler();

    MainFormState form;
    try {
        StartUp(program, form);
    } catch (const LinkmendError& e) {
        // The location list could not be read: the run's own checks will say more.
        host.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
        return 3;
    }
    form.chkProductionRun = options.production;
    form.chkListChangedRecords = options.listChanged;
    if (!PrepareToPerform(program.settingsFile, program.job, form, host)) return 1;
    const RunOutcome outcome = RunUrlChangeJob(program, host);
    if (!program.reportPath.empty()) std::printf("%s\n", program.reportPath.c_str());
    return ExitCodeOf(outcome);
}

}  // namespace linkmend
