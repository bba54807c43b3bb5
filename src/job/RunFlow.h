#pragma once
// The flow of one run: its phases (start, candidates, each record, the end) and the Cancel
// checkpoints between them, over a record source and sink. Internal to the job.
#include <cstdint>
#include <string>

#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/RunReports.h"
#include "job/Screening.h"
#include "job/UrlChangeRun.h"

namespace linkmend {

struct Program;

// Thrown inside the run to go to the end phase; `outcome` says why.
struct EndRun {
    RunOutcome outcome;
};

class Run final : private RunContext {
public:
    Run(Program& program, JobHost& host, RecordSource& source, RecordSink& sink);
    RunOutcome Execute();

private:
    // start
    void Start();
    void WaitForDeferredStart();
    void PrepareStem();
    void DumpRecordOfInterest(const std::string& recordId);
    void PrepareRecordAndRights();
    // each record
    void ProcessWorkList();
    void ProcessLine(Candidate candidate);
    ScreenedRecord Screen(const Candidate& candidate);
    void WriteBack(const Candidate& candidate, const RetrievedRecord& stored);
    void SignOn(bool forItem);
    void CountBibChange(const char* logText);
    // end
    RunOutcome EndPhase(RunOutcome outcome);

    // what the source may use while it selects candidates
    RunLog& Log() override { return reports_.Log(); }
    JobHost& Host() override { return host_; }
    void Checkpoint(const char* number) override;
    void Damaged(const std::string& entry) override { reports_.Damaged(entry); }
    void Log(const std::string& text) { reports_.Log().LogLine(text); }

    Program& program_;
    JobHost& host_;
    RecordSource& source_;
    RecordSink& sink_;
    RunReports reports_;
    OperatorRights rights_;
    std::string startText_;
    std::string stem_;       // as converted: the candidates and the report use it
    std::string matchStem_;  // as the loaded records hold it (decomposed like them)
    bool signedOn_ = false;
    std::int32_t bibsChanged_ = 0;  // towards the bib limit
};

}  // namespace linkmend
