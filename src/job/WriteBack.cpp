// A changed record: listed in a test run, written back through the batch-cataloguing component in a
// production run; the bibliographic change limit stops the run right after the record that reaches it.
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "job/CatalogWriter.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/ReturnCodes.h"
#include "job/RunState.h"

namespace linkmend {

void Run::CountBibChange(const char* logText) {
    ++bibsChanged_;
    if (program_.job.BibLimit >= 1 && bibsChanged_ >= program_.job.BibLimit) {
        stopReason_ = "Cancelled because maximum number of bib changes reached";
        Log(logText);
        throw EndRun{RunOutcome::Completed};
    }
}

void Run::SignOnIfNeeded(bool forItem) {
    if (signedOn_) return;
    const ConnectionProfile& p = program_.profile;
    const std::int32_t code = Writer().SignOn(p.VoyagerPath, p.WriteUID, p.WritePWD);
    if (code != 0) {
        const std::string text = ReturnCodeText(code);
        host_.ShowMessage(kProgramTitle, "Cannot sign on to Voyager.\nReason: " + std::to_string(code) + "\n" + text);
        signOnFailureText_ = "Cannot sign on to Voyager.  Reason: " + std::to_string(code) + " (" + text + ")";
        Log((forItem ? "Cannot connect to Voyager. Reason: " : "Cannot sign on. Reason: ") + std::to_string(code));
        throw EndRun{RunOutcome::SignOnFailed};
    }
    signedOn_ = true;
}

void Run::WriteBack(const std::string& id, const std::string& type) {
    Utf8MarcRecordClass& record = program_.record;
    const JobSettings& job = program_.job;
    if (job.DeleteField == FieldAction::Delete && !record.FldFindFirst("856")) {
        if (!bibsWithNoUrls_.IsOpen()) bibsWithNoUrls_.Create(File(".BibsWithNoURLs.txt"));
        bibsWithNoUrls_.WriteLine(id);
    }
    const std::string text = record.MarcRecordOut();
    host_.ProgressChanged("Changed: " + std::to_string(updated_));
    CheckCancel("6");

    if (!job.ProductionRun) {
        ++updated_;
        ++needing_;
        if (!modifiedRecords_.IsOpen()) modifiedRecords_.Create(File(".RecordsModified.txt"));
        modifiedRecords_.WriteLine(record.TextFormatted(0, false, 10));
        modifiedRecords_.WriteLine("");
        if (type == "B") CountBibChange("Exceeded bib change limit (2)");
        return;
    }

    if (!signedOn_) {
        SignOnIfNeeded(false);
        CheckCancel("7");
    }
    const std::int32_t recordId = RoundToInt32(Val(id));
    const std::int32_t happening = program_.profile.Happening;
    std::int32_t code = 0;
    if (type == "B") {
        LetWindowMessagesRun();
        code = Writer().ReplaceBibRecord(recordId, text, lastModified_, owningLibrary_, happening, suppressed_, "", "");
    } else if (type == "H") {
        code = Writer().ReplaceHoldingsRecord(recordId, text, lastModified_, happening, holdingsBib_, holdingsLocation_,
                                              suppressed_, "", "");
    } else {
        code = Writer().ReplaceAuthorityRecord(recordId, text, lastModified_, happening, "", "");
    }

    if (code == 0) {
        ++updated_;
        ++needing_;
        if (job.ListChangedRecords) {
            if (!changedRecords_.IsOpen()) changedRecords_.Create(File(".ChangedRecords.txt"));
            changedRecords_.WriteLine(type + "\t" + id);
        }
        if (type == "B") CountBibChange("Exceeded bib change limit");
        return;
    }
    std::string entry = type + " " + id + ".  Reason: " + std::to_string(code) + " (" + ReturnCodeText(code) + ")";
    if (code == 24) entry += " happening: " + std::to_string(happening);
    AppendListLine(couldNotList_, entry);
    if (type == "B") problemRecords_ += text;
    ++couldNotUpdate_;
}

}  // namespace linkmend
