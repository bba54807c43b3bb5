#pragma once
// The library system's database as the run's record source and sink: the program's global reader
// finds candidates through the link index and retrieves the records with their metadata; the
// batch-cataloguing component writes changed records back.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <string>
#include <unordered_set>
#include <vector>

#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/ScratchWorkList.h"
#include "voyager/RecordBlock.h"

namespace linkmend {

struct Program;
class VgerReaderClass7;

// Reads through the global reader with the profile's read-only account; the work list goes to a
// scratch file of the run's own, removed by Close. Rights are the profile operator's (owning
// libraries as the profile names them). Candidates are read ahead a block at a time (the profile's
// RecordsPerBlock): the block's records come in a few statements, the next block's on a thread of
// its own while the run works through the current one (the reader serves one thread at a time: any
// other use waits for that read). A record asked for again in its block or in the next one (whose
// read may have begun before the run wrote it), and every other kind, is read on its own.
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
    // Takes the next block's lines off the work list and starts reading their records.
    void StartBlockRead();
    // The reader, once no block read is under way.
    VgerReaderClass7& Reader();
    // The record as the block read it; false when the block does not hold it (or gave it already).
    bool FromBlock(const Candidate& candidate, RetrievedRecord& r);

    Program& program_;
    ScratchWorkList workList_;
    OperatorRights rights_;
    std::deque<Candidate> ahead_;  // read ahead, not yet handed out
    RecordBlock block_;
    std::unordered_set<std::string> served_;        // "type id" of the block's records handed out
    std::unordered_set<std::string> servedBefore_;  // and of the block before
    std::deque<Candidate> nextLines_;               // the lines of the block being read
    std::future<RecordBlock> nextBlock_;            // their records, when a block read is under way
    bool primed_ = false;                           // the first block read has been started
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
