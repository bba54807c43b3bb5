// The headless entry: loads the profile and job settings as start-up does, builds the form the
// window would show, applies --production and --list-changed, and performs the run, on the
// database or on a MARC file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/CliHost.h"
#include "app/CommandLine.h"
#include "app/EntryPoints.h"
#include "base/Error.h"
#include "job/JobSettings.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"

namespace linkmend {
int BatchMain(const CommandLineOptions& options) {
    Program program;
    program.settingsFile = options.settingsFile;
    InjectClockFromEnvironment(program);
    CliHost host(program.now, isatty(STDERR_FILENO) == 1);
    CliHost::InstallInterruptHandler();

    MainFormState form;
    const bool onFile = !options.file.empty();
    auto absolute = [](const std::string& name) {
        return name.empty() ? name : std::filesystem::absolute(name).lexically_normal().string();
    };
    const MarcFiles files{absolute(options.file), absolute(options.out), options.utf8};
    if (onFile) {
        const std::string refusal = CheckMarcFiles(files);
        if (!refusal.empty()) {
            host.ShowMessage(kProgramTitle, refusal);
            return 2;
        }
    }
    try {
        if (onFile) StartUpForFile(program, form);
        else StartUp(program, form);
    } catch (const LinkmendError& e) {
        // The location list could not be read, so no run can: the report says so, and neither the
        // settings file nor the database is touched.
        host.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
        program.job.ProductionRun = options.production;
        const RunOutcome outcome = ReportFailedStartUp(program, host, e.Description());
        if (!program.reportPath.empty()) std::printf("%s\n", program.reportPath.c_str());
        return ExitStatusOf(outcome);
    }
    form.chkProductionRun = options.production;
    form.chkListChangedRecords = options.listChanged;
    if (!(onFile ? PerformChecksOnFile(program, form, host) : PerformChecks(program, form, host))) return 1;
    const RunOutcome outcome = onFile ? RunOnMarcFile(program, host, files) : RunUrlChangeJob(program, host);
    if (!program.reportPath.empty()) std::printf("%s\n", program.reportPath.c_str());
    return ExitStatusOf(outcome);
}

}  // namespace linkmend
