#pragma once
// The library system's database as the run's record source and sink: the program's global reader
// finds candidates through the link index and retrieves the records with their metadata; the
// batch-cataloguing component writes changed records back.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/ScratchWorkList.h"
#include "voyager/RecordBlock.h"

namespace linkmend {

struct Program;

// Reads through the global reader with the profile's read-only account; the work list goes to a
// scratch file of the run's own, removed by Close. Rights are the profile operator's (owning
// libraries as the profile names them). Candidates are read ahead a block at a time (the profile's
// RecordsPerBlock): the block's records come in a few statements; a record asked for a second
// time in its block, and every other kind, is read on its own when asked for.
class DatabaseSource final : public RecordSource {
public:
    explicit DatabaseSource(Program& program) : program_(program) {}

    void Open() override;
    void Close() override;
    std::string CharacterSet() override;
    OperatorRights Rights() override;
    void SelectCandidates(const std::string& stem, RunContext& run) override;
    std::int32_t CandidateTotal() const override { return workList_.Total(); }
    std::vector<Candidate> NextCandidates(std::size_t most) override;
    RetrievedRecord Retrieve(const Candidate& candidate) override;
    void HandOverItem(const Candidate& candidate) override;
    std::vector<std::string> LinkDump(const std::string& recordId) override;
    std::string DataSourceName() const override;

private:
    void ReadAhead();
    // The record as the block read it; false when the block does not hold it (or gave it already).
    bool FromBlock(const Candidate& candidate, RetrievedRecord& r);

    Program& program_;
    ScratchWorkList workList_;
    OperatorRights rights_;
    std::deque<Candidate> ahead_;  // read ahead, not yet handed out
    RecordBlock block_;
    std::unordered_set<std::string> served_;  // "type id" of the block's records handed out
};

// Writes through the program's batch-cataloguing component, signed on as the profile's operator
// with its cataloguing ("happening") location.
class CatalogSink final : public RecordSink {
public:
    explicit CatalogSink(Program& program) : program_(program) {}

    SinkAnswer SignOn() override;
    SinkAnswer Write(const Candidate& candidate, const std::string& octets, const RetrievedRecord& stored) override;

private:
    Program& program_;
};

}  // namespace linkmend
