// Candidate selection in the database: the link index is queried case-blind for the old stem;
// holdings hits are mapped to their bibliographic records, duplicates removed, and the work list
// written to the scratch file. The exact, case-sensitive test happens later, on the record itself.
#include <unordered_map>

#include "base/MessagePump.h"
#include "base/Text.h"
#include "job/DatabaseRecords.h"
#include "job/JobHost.h"
#include "job/Program.h"
#include "job/RunFiles.h"
#include "job/UtliMiscNonUtf8.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

struct CandidateBib {
    bool ownLink = false;
    std::string bibId;
    std::string holdingsIds = " ";  // " 12 57 ": MFHD_IDs that led here, each followed by a blank
};

// The bibs in the order the query first named them, with the index of each by BIB_ID.
struct CandidateBibs {
    std::vector<CandidateBib> list;
    std::unordered_map<std::string, std::size_t> index;

    CandidateBib& Entry(const std::string& bibId, bool ownLink) {
        const auto [at, added] = index.emplace(bibId, list.size());
        if (added) list.push_back(CandidateBib{ownLink, bibId, " "});
        return list[at->second];
    }
};

void AddHoldingsRow(RunLog& log, CandidateBibs& bibs, const std::string& mfhdId,
                    const std::unordered_map<std::string, std::string>& bibOfHoldings) {
    const auto found = bibOfHoldings.find(mfhdId);
    const std::string bib = found == bibOfHoldings.end() ? std::string() : found->second;
    if (bib.empty()) {
        // Holdings without a bibliographic record cannot be screened or written back.
        log.LogLine("No bibliographic record for holdings " + mfhdId);
        return;
    }
    std::string& holdings = bibs.Entry(bib, false).holdingsIds;
    if (holdings.find(" " + mfhdId + " ") == std::string::npos) holdings += mfhdId + " ";
}

}  // namespace

void DatabaseSource::SelectCandidates(const std::string& stem, RunContext& run) {
    VgerReaderClass7& reader = Reader();
    std::int16_t& standing = program_.reader.standingSet;
    RunLog& log = run.Log();
    const JobSettings& job = program_.job;

    std::string locationId;
    if (job.LimitByLocation) {
        locationId = reader.LocationIdForCode(job.LimitingLocation);
        if (locationId.empty()) locationId = "0";  // matches no holdings
    }
    const std::string sql = reader.LinkIndexSql(stem, job.MatchEnd == MatchEnd::Right, locationId);
    log.LogLine("SQL command to retrieve records: " + sql);
    reader.ExecuteSQL(sql, standing);
    log.LogLine("SQL command returned OK");
    run.Host().EnableCancel(true);
    LetWindowMessagesRun();

    run.Host().ProgressStep("Finding records");
    workList_.Create(program_.temporaryFolder);
    log.LogLine("Record IDs will be written to " + workList_.Path());

    // The rows are taken up a thousand at a time, so that the bibs of their holdings links are looked
    // up together and memory does not grow with the rows; the window's messages run, and the cancel
    // checkpoint comes, once per row as they are taken up.
    constexpr std::size_t kRowsPerLookup = 1000;
    std::vector<std::pair<std::string, std::string>> links;  // RECORD_ID, RECORD_TYPE
    std::vector<std::string> holdingsIds;
    CandidateBibs bibs;
    std::int32_t rows = 0;
    for (bool more = true; more;) {
        links.clear();
        holdingsIds.clear();
        while (links.size() < kRowsPerLookup && (more = reader.GetNextRow(standing))) {
            links.emplace_back(reader.CurrentRow(1), reader.CurrentRow(2));
            if (links.back().second == "H" || links.back().second == "M") holdingsIds.push_back(links.back().first);
        }
        const std::unordered_map<std::string, std::string> bibOfHoldings = reader.BibNumbersForHoldLinks(holdingsIds);
        for (const auto& [id, type] : links) {
            LetWindowMessagesRun();
            if (log.IsOn()) log.LogLine("Line from SQL: " + id + " " + type);
            ++rows;
            if (rows % 10 == 0 && !bibs.list.empty())
                run.Host().ProgressRetrieved("Read " + std::to_string(rows) + " lines");
            run.Checkpoint("1");
            if (type == "H" || type == "M") {
                AddHoldingsRow(log, bibs, id, bibOfHoldings);
            } else if (type == "B") {
                bibs.Entry(id, true).ownLink = true;
            } else {
                workList_.Add(id, type);
            }
            LetWindowMessagesRun();
        }
    }
    log.LogLine("SQL lines all processed; retained " + std::to_string(bibs.list.size()) + " bibs");

    // A bib's own line comes before the lines of its holdings.
    for (const CandidateBib& bib : bibs.list) {
        run.Checkpoint("2");
        workList_.Add(bib.bibId, bib.ownLink ? "B" : "X");
        std::string holdings = TrimBlanks(bib.holdingsIds);
        while (!holdings.empty()) workList_.Add(SplitOff(holdings, " "), "H");
    }
    workList_.Finish();
    log.LogLine(std::to_string(workList_.Total()) + " record IDs written; ready to retrieve records");
}

}  // namespace linkmend
