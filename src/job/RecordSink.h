#pragma once
// Where the run's changed records go: written back in place of the stored ones. The run knows no
// more of the place than this.
#include <cstdint>
#include <string>

#include "base/DateTime.h"
#include "job/RecordSource.h"

namespace linkmend {

// A sink's answer: code 0 done, otherwise the reason code with its text (the component's return
// codes); `detail` is added to the record's line in the report, `message` holds the driver's own
// words when it gave any. After a write, `written` is the last-modified date it gave the record.
struct SinkAnswer {
    std::int32_t code = 0;
    std::string text;
    std::string detail;
    std::string message;
    DateTime written{};  // brace-initialised: aggregate initialisers may leave it out
};

class RecordSink {
public:
    virtual ~RecordSink() = default;

    // Makes the sink ready to write (the operator signs on); asked once per run, at the first need.
    virtual SinkAnswer SignOn() = 0;
    // Writes a changed record ("B", "H" or "A") in place of the stored one: `octets` as assembled
    // after the change, `stored` as it was retrieved (its last-modified date lets the sink refuse a
    // record changed meanwhile).
    virtual SinkAnswer Write(const Candidate& candidate, const std::string& octets, const RetrievedRecord& stored) = 0;
    // False for a sink that puts each record where its original stood, with no need of a 001 to
    // find it: records without one are then changed like any other.
    virtual bool NeedsControlNumber() const { return true; }
    // True for a sink whose records reach their place only at Finish: what the run lists about
    // them need not be in the system's hands line by line.
    virtual bool WritesAtFinish() const { return false; }
    // The run has ended, `completed` (the work list done or the bib limit reached) or not (cancelled,
    // failed). A sink that writes a whole file puts it in place or throws it away here; it may throw
    // RunFileError.
    virtual void Finish(bool /*completed*/) {}
};

}  // namespace linkmend
