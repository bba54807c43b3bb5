// The end phase of a run: the source closed, the lists closed, the report and the problems file.
#include "base/MessagePump.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunFlow.h"

namespace linkmend {

RunOutcome Run::EndPhase(RunOutcome outcome) {
    source_.Close();
    Log("All done");
    reports_.Close(ReportFile::ChangedRecords);
    host_.ProgressStep("Preparing report");
    host_.HideCancel();
    LetWindowMessagesRun();
    reports_.Close(ReportFile::RecordsModified);
    const ConnectionProfile& p = program_.profile;
    const ReportHeader header{startText_,
                              program_.now().Format(),
                              program_.job.ProductionRun,
                              stem_,
                              program_.job.NewUrlStem,
                              p.DSN,
                              p.TableNamePrefix,
                              p.ReadUID,
                              p.WriteUID,
                              source_.RestoresFrom()};
    reports_.WriteReport(header, program_.reportPath);
    reports_.Finish();
    return outcome;
}

}  // namespace linkmend
