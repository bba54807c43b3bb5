#pragma once
// The library system's database as the run's record source and sink: the program's global reader
// finds candidates through the link index and retrieves the records with their metadata; the
// batch-cataloguing component writes changed records back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/ScratchWorkList.h"

namespace linkmend {

struct Program;

// Reads through the global reader with the profile's read-only account; the work list goes to a
// scratch file of the run's own, removed by Close. Rights are the profile operator's (owning
// libraries as the profile names them).
class DatabaseSource final : public RecordSource {
public:
    explicit DatabaseSource(Program& program) : program_(program) {}

    void Open() override;
    void Close() override;
    std::string CharacterSet() override;
    OperatorRights Rights() override;
    void SelectCandidates(const std::string& stem, RunContext& run) override;
    std::int32_t CandidateTotal() const override { return workList_.Total(); }
    std::vector<Candidate> NextCandidates(std::size_t most) override { return workList_.Next(most); }
    RetrievedRecord Retrieve(const Candidate& candidate) override;
    void HandOverItem(const Candidate& candidate) override;
    std::vector<std::string> LinkDump(const std::string& recordId) override;

private:
    Program& program_;
    ScratchWorkList workList_;
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
