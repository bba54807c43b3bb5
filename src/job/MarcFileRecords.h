#pragma once
// A MARC file as the run's record source and sink. There is no link index: the candidates are the
// records whose 856 has a first $u that matches the stem, found by reading the file through once
// into the work list; operator rights and owning libraries do not apply. The sink writes OUT
// beside IN, record by record in IN's order, through one shared stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "job/MarcFileStream.h"
#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/ScratchWorkList.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {

struct Program;

// Candidates: every undamaged bibliographic ("B"), holdings ("H") or authority ("A") record with a
// matching 856 (with a location limit, only those with an 852 $b of that location); the work list
// holds record numbers. Damaged records are reported to the run and left to the stream.
class MarcFileSource final : public RecordSource {
public:
    MarcFileSource(Program& program, MarcFileStream& stream, bool utf8)
        : program_(program), stream_(stream), utf8_(utf8) {}

    void Open() override { stream_.Open(); }
    void Close() override { stream_.Close(); }
    std::string CharacterSet() override { return "U"; }
    OperatorRights Rights() override { return {}; }
    void SelectCandidates(const std::string& stem, RunContext& run) override;
    std::int32_t CandidateTotal() const override { return workList_.Total(); }
    std::vector<Candidate> NextCandidates(std::size_t most) override { return workList_.Next(most); }
    RetrievedRecord Retrieve(const Candidate& candidate) override;
    bool KeepsRecordsWhole() const override { return true; }
    std::vector<std::string> ReportOrigin() const override;

private:
    bool IsCandidate(const std::string& record);

    Program& program_;
    MarcFileStream& stream_;
    bool utf8_;
    ScratchWorkList workList_;
    Utf8MarcRecordClass checker_;  // loads records to test them as the run will load them
    std::string stem_, location_;  // in the form the loaded records hold them
    std::string cut_, cutData_;    // a record cut down to the fields the candidate test reads
    bool plainStem_ = false;       // the stem's octets are in any record that holds it
    std::int32_t records_ = 0;
    std::string format_;
};

// Writes a changed record in place of its original: MARC-8 records go back to MARC-8 (or, asked
// for, UTF-8 with leader/09 "a"); MARCXML in gives MARCXML out.
class MarcFileSink final : public RecordSink {
public:
    MarcFileSink(MarcFileStream& stream, bool utf8);

    SinkAnswer SignOn() override { return {}; }
    SinkAnswer Write(const Candidate& candidate, const std::string& octets, const RetrievedRecord& stored) override;
    bool NeedsControlNumber() const override { return false; }
    bool WritesAtFinish() const override { return true; }  // OUT is put in place at the end
    void Finish(bool completed) override { stream_.Finish(completed); }

private:
    std::string BackToMarc8(const std::string& changed, const std::string& original, char set);

    MarcFileStream& stream_;
    bool utf8_;
    Utf8MarcRecordClass original_, read_, changed_;  // the original as stored and as read, the change
};

// Sets a record object to load records whole: fields in their order, every 035, indicators as they
// stand, so that what it writes differs from what it read only by what was changed.
void KeepRecordsWhole(Utf8MarcRecordClass& record);

}  // namespace linkmend
