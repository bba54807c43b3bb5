// Each line of the work list: retrieve the record, screen it against the operator's rights, the
// owning library and the operator's cataloguing locations, and rewrite its 856 fields.
#include <fstream>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "catalog/CatalogWriter.h"
#include "job/JobHost.h"
#include "job/LinkRewriting.h"
#include "job/Program.h"
#include "job/RunState.h"
#include "job/UtliMiscNonUtf8.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

std::int32_t NumberOf(const std::string& id) { return RoundToInt32(Val(id)); }

}  // namespace

void Run::ProcessWorkList() {
    std::ifstream in(scratchPath_, std::ios::binary);
    if (!in) throw RunFileError(scratchPath_);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string type = line;
        const std::string id = SplitOff(type, "\t");
        ProcessLine(id, type);
    }
}

void Run::ProcessLine(const std::string& id, std::string type) {
    if (host_.CancelRequested()) {
        // Holdings lines are still done, so that a bibliographic record already begun gets all its
        // holdings; any other line ends the run.
        if (type != "M" && type != "H") {
            Log("Cancel button clicked (3)");
            throw EndRun{RunOutcome::Cancelled};
        }
    }
    LetWindowMessagesRun();
    if (log_.IsOn()) Log("Retrieved: " + id + "\t" + type);
    changed_ = false;
    if (type == "M") type = "H";
    if (type == "X") return;

    ++read_;
    std::string progress = "Read: " + std::to_string(read_) + " of " + std::to_string(workListTotal_);
    if (type == "B" && program_.job.BibLimit > 0) {
        progress += " [" + std::to_string(needing_) + "/" + std::to_string(program_.job.BibLimit) + "]";
    }
    host_.ProgressRetrieved(progress);
    LetWindowMessagesRun();

    if (!RetrieveAndScreen(id, type)) return;

    Log("Record passes preliminary tests");
    changed_ = RewriteLinks(program_.record, program_.job, matchStem_, log_);
    if (!changed_) {
        Log("Record NOT changed");
        if (log_.IsOn()) Log(program_.record.TextFormatted(0, false, 10));
        return;
    }
    WriteBack(id, type);
}

bool Run::RetrieveAndScreen(const std::string& id, const std::string& type) {
    VgerReaderClass7& reader = Reader();
    const ConnectionProfile& profile = program_.profile;
    Utf8MarcRecordClass& record = program_.record;
    auto notAllowed = [&] {
        AppendListLine(notAllowedList_, type + " " + id);
        ++notAllowed_;
        return false;
    };
    auto excludedByLibrary = [&](const std::string& libraryId) {
        if (profile.AllOwningLibraries || ProfileHasOwningLibrary(profile, libraryId)) return false;
        ++excludedByLibrary_;
        Log("Rejected: wrong owning library");
        return true;
    };

    if (type == "B") {
        if (!reader.OperatorBibUpdate()) return notAllowed();
        reader.RetrieveBibRecord(id);
        if (excludedByLibrary(reader.BibOwningLibraryNumber())) return false;
        record.MarcRecordIn(reader.BibRecord());
        try {
            lastModified_ = reader.BibDateLastModifiedVB();
        } catch (const LinkmendError&) {
            // An unreadable date leaves the previous value; the component then decides.
        }
        owningLibrary_ = NumberOf(reader.BibOwningLibraryNumber());
        suppressed_ = reader.BibRecordIsSuppressed();
    } else if (type == "H") {
        if (!reader.OperatorHoldUpdate()) return notAllowed();
        reader.RetrieveHoldRecord(id);
        if (!profile.AllOwningLibraries) {
            // Holdings whose bibliographic record is gone have no owning library to allow.
            const std::string bib = reader.HoldBibRecordNumber();
            if (bib.empty()) {
                if (excludedByLibrary("")) return false;
            } else {
                reader.BibRecordNumber(bib);
                reader.RetrieveBibRecord();
                if (excludedByLibrary(reader.BibOwningLibraryNumber())) return false;
            }
        }
        if (catLocations_.find(" " + reader.HoldLocationID() + " ") == std::string::npos) {
            AppendListLine(notInLocationList_, type + " " + id);
            ++notInLocation_;
            Log("Rejected: location not allowed for this operator");
            return false;
        }
        record.MarcRecordIn(reader.HoldRecord());
        try {
            lastModified_ = reader.HoldUpdateDateVB();
        } catch (const LinkmendError&) {}
        holdingsLocation_ = NumberOf(reader.HoldLocationID());
        holdingsBib_ = NumberOf(reader.HoldBibRecordNumber());
        suppressed_ = reader.HoldRecordIsSuppressed();
    } else if (type == "A") {
        if (!reader.OperatorAuthUpdate()) return notAllowed();
        reader.RetrieveAuthRecord(id);
        record.MarcRecordIn(reader.AuthRecord());
        try {
            lastModified_ = reader.AuthDateLastModifiedVB();
        } catch (const LinkmendError&) {}
    } else if (type == "I") {
        if (!reader.OperatorItemUpdate()) return notAllowed();
        reader.RetrieveItemRecord(id);
        if (program_.job.ProductionRun && !signedOn_) {
            SignOnIfNeeded(true);
            CheckCancel("5");
        }
        if (!profile.AllOwningLibraries) {
            std::int16_t& lookup = program_.reader.lookupSet;
            reader.ExecuteSQL(
                "SELECT T2.LIBRARY_ID FROM " + reader.TableNamePrefix() + "BIB_ITEM T1, " + reader.TableNamePrefix() +
                    "BIB_MASTER T2 WHERE T1.ITEM_ID = " + reader.ItemRecordNumber() + " AND T2.BIB_ID = T1.BIB_ID",
                lookup);
            const std::string library = reader.GetNextRow(lookup) ? reader.CurrentRow(1) : std::string();
            reader.ResultSet(program_.reader.standingSet);
            if (excludedByLibrary(library)) return false;
        }
        reader.CopyItemObject(Writer().ItemData());
        // An item has no MARC record: nothing to rewrite, never changed.
        Log("Record NOT changed");
        return false;
    } else {
        return false;
    }

    if (record.Leader().empty()) {
        AppendListLine(emptyList_, type + " " + id);
        ++empty_;
        return false;
    }
    return true;
}

}  // namespace linkmend
