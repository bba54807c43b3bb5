#pragma once
// Internal state of one run, shared by the files of its phases (start, candidates, screening,
// write-back, end). Not part of the job's public interface.
#include <cstdint>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/DateTime.h"
#include "job/RunFiles.h"
#include "job/UrlChangeRun.h"

namespace linkmend {

class CatalogWriter;
class JobHost;
class VgerReaderClass7;
struct Program;

// Thrown inside the run to go to the end phase; `outcome` says why.
struct EndRun {
    RunOutcome outcome;
};

struct CandidateBib {
    bool OwnLink = false;
    std::string BibId;
    std::string HoldingsIds = " ";  // " 12 57 ": MFHD_IDs that led here, each followed by a blank
};

class Run {
public:
    Run(Program& program, JobHost& host);
    RunOutcome Execute();

private:
    // start
    void Start();
    void WaitForDeferredStart();
    void PrepareStem();
    void DumpRecordOfInterest(const std::string& recordId);
    void PrepareRecordAndRights();
    // candidates
    std::string LinkQuery(const std::string& locationId);
    void SelectCandidates();
    void ReadLinkRows();
    void AddHoldingsRow(const std::string& mfhdId);
    void WriteWorkList();
    // screening and write-back
    void ProcessWorkList();
    void ProcessLine(const std::string& id, std::string type);
    bool RetrieveAndScreen(const std::string& id, const std::string& type);
    void WriteBack(const std::string& id, const std::string& type);
    void SignOnIfNeeded(bool forItem);
    void CountBibChange(const char* logText);
    // end
    RunOutcome EndPhase(RunOutcome outcome);
    void WriteReport();
    void WriteProblemRecords();
    // helpers
    std::string File(const std::string& suffix) const;
    void CheckCancel(const char* number);
    VgerReaderClass7& Reader();
    CatalogWriter& Writer();
    void Log(const std::string& text) { log_.LogLine(text); }

    Program& program_;
    JobHost& host_;

    DateTime start_;
    std::string startText_, stamp_;
    RunLog log_;
    TextFile report_;
    TextFile modifiedRecords_, changedRecords_, bibsWithNoUrls_;

    std::string stem_;       // as converted: the link query and the report use it
    std::string matchStem_;  // as the loaded records hold it (decomposed like them)
    std::string catLocations_ = "  ";
    std::int16_t mainResultSet_ = 0;

    std::vector<CandidateBib> bibs_;
    std::unordered_map<std::string, std::size_t> bibIndex_;
    std::string scratchPath_;
    std::ofstream scratch_;
    std::int32_t rowsRead_ = 0, workListTotal_ = 0;

    // per record
    bool changed_ = false;
    DateTime lastModified_;
    std::int32_t owningLibrary_ = 0, holdingsLocation_ = 0, holdingsBib_ = 0;
    bool suppressed_ = false;

    // counters and lists
    std::int32_t read_ = 0, empty_ = 0, notAllowed_ = 0, notInLocation_ = 0, excludedByLibrary_ = 0;
    std::int32_t needing_ = 0, updated_ = 0, couldNotUpdate_ = 0, bibsChanged_ = 0;
    std::string emptyList_, notAllowedList_, notInLocationList_, couldNotList_;
    std::string problemRecords_;
    std::string stopReason_, sqlErrorText_, signOnFailureText_;
    bool signedOn_ = false;
};

}  // namespace linkmend
