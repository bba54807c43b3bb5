// Candidate selection: the link index is queried case-blind for the old stem; holdings hits are
// mapped to their bibliographic records, duplicates removed, and the work list written to the
// scratch file. The exact, case-sensitive test happens later, on the record itself.
#include <cstdlib>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "base/Text.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunState.h"
#include "job/UtliMiscNonUtf8.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

std::string TemporaryFolder(const std::string& configured) {
    std::string folder = configured;
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = tmp && *tmp ? tmp : "/tmp";
    }
    return WithFolderSeparator(folder);
}

}  // namespace

std::string Run::LinkQuery(const std::string& locationId) {
    // The reader's prefix, read anew: it is the one its queries use (with the dot it adds).
    const std::string prefix = Reader().TableNamePrefix();
    // ASCII letters only, as the database upper-cases the link; UTF-8 octets pass through untouched.
    const std::string stem = AsciiUpper(stem_);
    const bool fromLeft = program_.job.MatchEnd == MatchEnd::Left;
    if (!program_.job.LimitByLocation) {
        return "SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + prefix + "ELINK_INDEX WHERE UPPER(LINK) LIKE '" +
               (fromLeft ? stem + "%'" : "%" + stem + "'");
    }
    const std::string join = std::string(" (") +
                             "(T1.RECORD_TYPE = 'B' AND T2.BIB_ID = T1.RECORD_ID AND T3.MFHD_ID = T2.MFHD_ID) OR " +
                             "(T1.RECORD_TYPE ='M' AND T3.MFHD_ID = T1.RECORD_ID)" + ") ";
    return "SELECT T1.RECORD_ID, T1.RECORD_TYPE, T1.LINK FROM " + prefix + "ELINK_INDEX T1, " + prefix +
           "BIB_MFHD T2, " + prefix + "MFHD_MASTER T3 " +
           (fromLeft ? " WHERE UPPER(T1.LINK) LIKE '" + stem + "%' AND "
                     : " WHERE UPPER(T1.LINK) LIKE '%" + stem + "' AND ") +
           join + " AND T3.LOCATION_ID = " + locationId;
}

void Run::SelectCandidates() {
    VgerReaderClass7& reader = Reader();
    std::int16_t& standing = program_.reader.standingSet;

    std::string locationId;
    if (program_.job.LimitByLocation) {
        reader.ExecuteSQL("SELECT LOCATION_ID FROM " + reader.TableNamePrefix() + "LOCATION WHERE LOCATION_CODE = '" +
                              program_.job.LimitingLocation + "'",
                          standing);
        locationId = reader.GetNextRow(standing) ? reader.CurrentRow(1) : std::string();
        if (locationId.empty()) locationId = "0";
    }

    const std::string sql = LinkQuery(locationId);
    Log("SQL command to retrieve records: " + sql);
    try {
        reader.ExecuteSQL(sql, standing);
    } catch (const LinkmendError& e) {
        host_.ShowMessage(kProgramTitle, "Error in SQL: " + e.Description());
        sqlErrorText_ = "Error in SQL statement: " + e.Description();
        throw EndRun{RunOutcome::SqlError};
    }
    Log("SQL command returned OK");
    host_.EnableCancel(true);
    LetWindowMessagesRun();
    mainResultSet_ = reader.ResultSet();

    host_.ProgressStep("Finding records");
    scratchPath_ = TemporaryFolder(program_.temporaryFolder) + "LinkmendScratch.$$$";
    scratch_.open(scratchPath_, std::ios::binary | std::ios::trunc);
    if (!scratch_) throw RunFileError(scratchPath_);
    Log("Record IDs will be written to " + scratchPath_);

    ReadLinkRows();
    WriteWorkList();
}

void Run::ReadLinkRows() {
    VgerReaderClass7& reader = Reader();
    while (reader.GetNextRow(program_.reader.standingSet)) {
        LetWindowMessagesRun();
        const std::string id = reader.CurrentRow(1);
        const std::string type = reader.CurrentRow(2);
        if (log_.IsOn()) Log("Line from SQL: " + id + " " + type);
        ++rowsRead_;
        if (rowsRead_ % 10 == 0 && !bibs_.empty()) {
            host_.ProgressRetrieved("Read " + std::to_string(rowsRead_) + " lines");
        }
        CheckCancel("1");
        if (type == "H" || type == "M") {
            AddHoldingsRow(id);
        } else if (type == "B") {
            const auto found = bibIndex_.find(id);
            if (found != bibIndex_.end()) {
                bibs_[found->second].OwnLink = true;
            } else {
                bibIndex_.emplace(id, bibs_.size());
                bibs_.push_back(CandidateBib{true, id, " "});
            }
        } else {
            scratch_ << id << '\t' << type << "\r\n";
            ++workListTotal_;
        }
        LetWindowMessagesRun();
    }
    Log("SQL lines all processed; retained " + std::to_string(bibs_.size()) + " bibs");
}

void Run::AddHoldingsRow(const std::string& mfhdId) {
    VgerReaderClass7& reader = Reader();
    std::int16_t& lookup = program_.reader.lookupSet;
    reader.ExecuteSQL("SELECT BIB_ID FROM " + reader.TableNamePrefix() + "BIB_MFHD WHERE MFHD_ID = " + mfhdId, lookup);
    const std::string bib = reader.GetNextRow(lookup) ? reader.CurrentRow(1) : std::string();
    reader.ResultSet(mainResultSet_);
    if (bib.empty()) {
        // Holdings without a bibliographic record cannot be screened or written back.
        Log("No bibliographic record for holdings " + mfhdId);
        return;
    }
    auto found = bibIndex_.find(bib);
    if (found == bibIndex_.end()) {
        found = bibIndex_.emplace(bib, bibs_.size()).first;
        bibs_.push_back(CandidateBib{false, bib, " "});
    }
    std::string& holdings = bibs_[found->second].HoldingsIds;
    if (holdings.find(" " + mfhdId + " ") == std::string::npos) holdings += mfhdId + " ";
}

void Run::WriteWorkList() {
    for (const CandidateBib& bib : bibs_) {
        CheckCancel("2");
        if (bib.OwnLink) {
            scratch_ << bib.BibId << "\tB\r\n";
            ++workListTotal_;
        } else {
            scratch_ << bib.BibId << "\tX\r\n";
        }
        std::string holdings = TrimBlanks(bib.HoldingsIds);
        while (!holdings.empty()) {
            scratch_ << SplitOff(holdings, " ") << "\tH\r\n";
            ++workListTotal_;
        }
    }
    scratch_.close();
    if (!scratch_) throw RunFileError(scratchPath_);
    Log(std::to_string(workListTotal_) + " record IDs written; ready to retrieve records");
    host_.ProgressStep("Retrieving records");
}

}  // namespace linkmend
