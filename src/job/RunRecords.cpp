// Each line of the work list: retrieved from the source, screened, its 856 fields rewritten, and
// when changed handed to the write-back.
#include "base/MessagePump.h"
#include "job/JobHost.h"
#include "job/LinkRewriting.h"
#include "job/Program.h"
#include "job/RunFlow.h"

namespace linkmend {
namespace {

// Candidates asked of the source at a time; it may read ahead for them.
constexpr std::size_t kCandidateBlock = 64;

}  // namespace

void Run::ProcessWorkList() {
    for (auto block = source_.NextCandidates(kCandidateBlock); !block.empty();
         block = source_.NextCandidates(kCandidateBlock)) {
        for (Candidate& candidate : block) ProcessLine(std::move(candidate));
    }
}

void Run::ProcessLine(Candidate candidate) {
    const std::string& id = candidate.id;
    std::string& type = candidate.type;
    if (host_.CancelRequested()) {
        // Holdings lines are still done, so that a bibliographic record already begun gets all its
        // holdings; any other line ends the run.
        if (type != "M" && type != "H") {
            Log("Cancel button clicked (3)");
            throw EndRun{RunOutcome::Cancelled};
        }
    }
    LetWindowMessagesRun();
    if (Log().IsOn()) Log("Retrieved: " + id + "\t" + type);
    if (type == "M") type = "H";
    if (type == "X") return;

    reports_.Read();
    const RunCounters& counts = reports_.Counts();
    std::string progress = "Read: " + std::to_string(counts.read) + " of " + std::to_string(source_.CandidateTotal());
    if (type == "B" && program_.job.BibLimit > 0) {
        progress += " [" + std::to_string(counts.needing) + "/" + std::to_string(program_.job.BibLimit) + "]";
    }
    host_.ProgressRetrieved(progress);
    LetWindowMessagesRun();

    const ScreenedRecord screened = Screen(candidate);
    std::string entry = type + " " + id;
    if (screened.verdict == Verdict::Damaged) entry += ".  Reason: " + program_.record.LoadProblemText();
    reports_.Screened(screened.verdict, entry);
    if (screened.verdict != Verdict::Passed) return;

    Log("Record passes preliminary tests");
    if (!RewriteLinks(program_.record, program_.job, matchStem_, Log())) {
        Log("Record NOT changed");
        if (Log().IsOn()) Log(program_.record.TextFormatted(0, false, 10));
        return;
    }
    WriteBack(candidate, screened.record);
}

ScreenedRecord Run::Screen(const Candidate& candidate) {
    const std::string& type = candidate.type;
    if (!IsRecordType(type)) return {Verdict::OtherType, {}};
    if (!rights_.MayUpdate(type)) return {Verdict::NotAllowed, {}};
    ScreenedRecord screened{Verdict::Passed, source_.Retrieve(candidate)};
    if (type == "I" && program_.job.ProductionRun && !signedOn_) {
        SignOn(true);
        Checkpoint("5");
    }
    screened.verdict = Judge(type, screened.record, rights_, program_.record, sink_.NeedsControlNumber());
    if (screened.verdict == Verdict::Item) source_.HandOverItem(candidate);
    return screened;
}

}  // namespace linkmend
