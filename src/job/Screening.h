#pragma once
// The screening of one retrieved record against the operator's rights, before its links are
// rewritten. Knows only the retrieved values, never where they came from.
#include <cstdint>
#include <string>

#include "job/RecordSource.h"

namespace linkmend {

class Utf8MarcRecordClass;

// What screening decided about one work-list line.
enum class Verdict : std::uint8_t {
    Passed,              // loaded into the record object, ready for rewriting
    NotAllowed,          // the operator may not update this kind of record
    WrongOwningLibrary,  // owned by a library the profile leaves out
    LocationNotAllowed,  // holdings outside the operator's cataloguing locations
    Empty,               // came up empty
    Damaged,             // loaded, but not as stored (the record object says what it had to skip)
    Item,                // an item: it has no MARC record and is never changed
    OtherType,           // no kind of record the job changes
};

// The per-record value of screening: the verdict and the record as retrieved.
struct ScreenedRecord {
    Verdict verdict = Verdict::OtherType;
    RetrievedRecord record;
};

// Judges a retrieved record of `type` ("B", "H", "A" or "I"): the owning library (all but
// authorities), the cataloguing location (holdings), then loads the record object and finds it
// empty, damaged or passed (without a 001 only when `needsControlNumber`). An item ends as Item
// once its library is allowed.
Verdict Judge(const std::string& type, const RetrievedRecord& record, const OperatorRights& rights,
              Utf8MarcRecordClass& object, bool needsControlNumber);

// True for the types screening retrieves; others are read and skipped.
inline bool IsRecordType(const std::string& type) { return type == "B" || type == "H" || type == "A" || type == "I"; }

}  // namespace linkmend
