// A changed record: listed in a test run, written through the record sink in a production run; the
// bibliographic change limit stops the run right after the record that reaches it.
#include "base/MessagePump.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunFlow.h"

namespace linkmend {
namespace {

constexpr const char* kTooLongReason =
    "longer than a MARC record may be after the change (99,999 octets, 9,999 for a field)";

}  // namespace

void Run::CountBibChange(const char* logText) {
    ++bibsChanged_;
    if (program_.job.BibLimit >= 1 && bibsChanged_ >= program_.job.BibLimit) {
        reports_.stopReason = "Cancelled because maximum number of bib changes reached";
        Log(logText);
        throw EndRun{RunOutcome::Completed};
    }
}

void Run::SignOn(bool forItem) {
    const SinkAnswer answer = sink_.SignOn();
    if (answer.code != 0) {
        const std::string code = std::to_string(answer.code);
        host_.ShowMessage(kProgramTitle, "Cannot sign on to Voyager.\nReason: " + code + "\n" + answer.text);
        reports_.signOnFailureText = "Cannot sign on to Voyager.  Reason: " + code + " (" + answer.text + ")";
        Log((forItem ? "Cannot connect to Voyager. Reason: " : "Cannot sign on. Reason: ") + code);
        if (!answer.message.empty()) Log("Driver message: " + answer.message);
        throw EndRun{RunOutcome::SignOnFailed};
    }
    signedOn_ = true;
}

void Run::WriteBack(const Candidate& candidate, const RetrievedRecord& stored, const std::vector<FieldImage>& before) {
    const std::string& id = candidate.id;
    const std::string& type = candidate.type;
    Utf8MarcRecordClass& record = program_.record;
    const JobSettings& job = program_.job;
    // A restore writes the saved original octet for octet; its records count towards no bib limit.
    const bool restore = stored.original.has_value();
    const std::string octets = restore ? *stored.original : record.MarcRecordOut();
    if (octets.empty()) {
        // Only an overgrown field or record assembles to nothing: the stored record stays.
        reports_.TooLong(type + " " + id + ".  Reason: " + kTooLongReason);
        return;
    }
    if (!restore && job.DeleteField == FieldAction::Delete && !record.FldFindFirst("856"))
        reports_.AddLine(ReportFile::BibsWithNoUrls, id);
    const std::vector<std::string> changes = ChangeRows(candidate, before, TakeFieldImages(record));
    host_.ProgressChanged("Changed: " + std::to_string(reports_.Counts().updated));
    Checkpoint("6");

    if (!job.ProductionRun) {
        reports_.WouldUpdate(record.TextFormatted(0, false, 10));
        reports_.AddChanges(changes);
        if (type == "B" && !restore) CountBibChange("Exceeded bib change limit (2)");
        return;
    }

    if (!signedOn_) {
        SignOn(false);
        Checkpoint("7");
    }
    if (type == "B") LetWindowMessagesRun();
    // The original is on disk before the record changes, and leaves the file again when it does not.
    reports_.Originals().Save(candidate, stored.octets);
    const SinkAnswer answer = sink_.Write(candidate, octets, stored);
    if (answer.code == 0) {
        reports_.Originals().Written(answer.written);
        reports_.AddChanges(changes);
        reports_.Updated(type + "\t" + id, job.ListChangedRecords);
        if (type == "B" && !restore) CountBibChange("Exceeded bib change limit");
        return;
    }
    reports_.Originals().Withdraw();
    reports_.NotUpdated(
        type + " " + id + ".  Reason: " + std::to_string(answer.code) + " (" + answer.text + ")" + answer.detail,
        type == "B" ? octets : std::string());
    if (!answer.message.empty()) Log("Driver message: " + answer.message);
}

}  // namespace linkmend
