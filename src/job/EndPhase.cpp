// The end phase of a run: disconnect, close the lists, write the report and the problems file.
#include "base/MessagePump.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunState.h"

namespace linkmend {

RunOutcome Run::EndPhase(RunOutcome outcome) {
    program_.reader.DropReader();
    Log("All done");
    changedRecords_.Close();
    host_.ProgressStep("Preparing report");
    host_.HideCancel();
    LetWindowMessagesRun();
    modifiedRecords_.Close();
    WriteReport();
    WriteProblemRecords();
    bibsWithNoUrls_.Close();
    log_.Close();
    return outcome;
}

void Run::WriteReport() {
    const std::string stars(38, '*');
    const std::string endText = program_.now().Format();
    const JobSettings& job = program_.job;
    const ConnectionProfile& p = program_.profile;
    TextFile& r = report_;
    if (!r.IsOpen()) r.Create(File(".Report.txt"));
    r.WriteLine(stars);
    r.WriteLine("*");
    r.WriteLine(std::string("* ") + kProgramTitle);
    r.WriteLine("*");
    r.WriteLine("* Run started: " + startText_);
    r.WriteLine("* Run ended:   " + endText);
    r.WriteLine("*");
    r.WriteLine(stars);
    r.WriteLine("");
    r.WriteLine(job.ProductionRun ? "Run performed as production" : "Run performed as test");
    r.WriteLine("");
    if (!stopReason_.empty()) {
        r.WriteLine(stopReason_);
        r.WriteLine("");
    }
    r.WriteLine("Old stem: " + stem_);
    r.WriteLine("New stem: " + job.NewUrlStem);
    r.WriteLine("");
    r.WriteLine("Voyager connection information:");
    r.WriteLine("Data source:       \t" + p.DSN);
    r.WriteLine("Table name prefix: \t" + p.TableNamePrefix);
    r.WriteLine("Read-only UID:     \t" + p.ReadUID);
    r.WriteLine("Voyager UID:       \t" + p.WriteUID);
    r.WriteLine("");
    WriteCountLine(r, read_, "records read", true);
    WriteCountLine(r, empty_, "records recalled but empty (listed below)", false);
    WriteCountLine(r, notAllowed_, "operator not allowed to update (listed below)", false);
    WriteCountLine(r, notInLocation_, "operator not allowed to update this location (listed below)", false);
    WriteCountLine(r, excludedByLibrary_, "records excluded by owning library", false);
    WriteCountLine(r, needing_, "records needing the requested change", false);
    WriteCountLine(r, updated_, job.ProductionRun ? "records updated" : "records would have been updated", false);
    WriteCountLine(r, couldNotUpdate_, "could not be updated due to Voyager errors (listed below)", false);
    r.WriteLine("");
    if (bibsWithNoUrls_.IsOpen()) {
        r.WriteLine("SEE SEPARATE FILE of bib records with no URLs");
        r.WriteLine("");
    }
    for (const std::string* text : {&sqlErrorText_, &signOnFailureText_}) {
        if (!text->empty()) {
            r.WriteLine(*text);
            r.WriteLine("");
        }
    }
    auto list = [&](const std::string& heading, const std::string& entries) {
        if (entries.empty()) return;
        r.WriteLine(heading);
        r.WriteLine(entries);
        r.WriteLine("");
    };
    list("These records came up 'empty' when retrieved", emptyList_);
    list("These records couldn't be updated; operator not allowed", notAllowedList_);
    list("These records couldn't be updated; operator not allowed in this location", notInLocationList_);
    program_.reportPath = r.Path();
    list(problemRecords_.empty()
             ? "These records couldn't be updated because of a Voyager problem"
             : "These records couldn't be updated because of a Voyager problem (records saved to a file)",
         couldNotList_);
    r.Close();
}

void Run::WriteProblemRecords() {
    if (problemRecords_.empty()) return;
    TextFile problems;
    problems.Create(File(".UpdateProblems.mrc"));
    problems.WriteRaw(problemRecords_);
    problems.Close();
}

}  // namespace linkmend
