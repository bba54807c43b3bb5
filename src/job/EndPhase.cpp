// The end phase of a run: the source closed, the lists closed, the report and the problems file.
// Also the report of a run that could not begin.
#include "base/MessagePump.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunFlow.h"

namespace linkmend {
namespace {

ReportHeader HeaderOf(const Program& program, const std::string& started, const std::string& stem,
                      const std::string& restoredFrom = std::string()) {
    const ConnectionProfile& p = program.profile;
    return ReportHeader{started,
                        program.now().Format(),
                        program.job.ProductionRun,
                        stem,
                        program.job.NewUrlStem,
                        p.DSN,
                        p.TableNamePrefix,
                        p.ReadUID,
                        p.WriteUID,
                        {},
                        restoredFrom};
}

}  // namespace

RunOutcome Run::EndPhase(RunOutcome outcome) {
    reports_.HandOverHeldLines();
    sink_.Finish(outcome == RunOutcome::Completed);
    source_.Close();
    Log("All done");
    reports_.Close(ReportFile::ChangedRecords);
    host_.ProgressStep("Preparing report");
    host_.HideCancel();
    LetWindowMessagesRun();
    reports_.Close(ReportFile::RecordsModified);
    ReportHeader header = HeaderOf(program_, startText_, stem_, source_.RestoresFrom());
    header.origin = source_.ReportOrigin();
    reports_.WriteReport(header, program_.reportPath);
    reports_.Finish();
    return outcome;
}

RunOutcome ReportFailedStartUp(Program& program, JobHost& host, const std::string& description) {
    RunReports reports;
    const DateTime now = program.now();
    reports.Begin(program.profile.FolderForReports, now, program.job.ProductionRun);
    reports.sqlErrorText = "Error in SQL statement: " + description;
    try {
        reports.WriteReport(HeaderOf(program, now.Format(), TrimBlanks(program.job.OldUrlStem)), program.reportPath);
        reports.Finish();
    } catch (const RunFileError& e) {
        host.ShowMessage(kProgramTitle, std::string(e.what()) + ".");
        reports.Abandon();
        return RunOutcome::FileError;
    }
    return RunOutcome::SqlError;
}

}  // namespace linkmend
