#include "job/Screening.h"

#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {

Verdict Judge(const std::string& type, const RetrievedRecord& record, const OperatorRights& rights,
              Utf8MarcRecordClass& object, bool needsControlNumber) {
    if (type != "A" && !rights.AllowsOwningLibrary(record.owningLibrary)) return Verdict::WrongOwningLibrary;
    if (type == "I") return Verdict::Item;
    // Also an empty holdings record: its location is "", which only an empty list of locations holds.
    if (type == "H" && !rights.AllowsLocation(record.location)) return Verdict::LocationNotAllowed;
    object.MarcRecordIn(record.octets);
    if (object.Leader().empty()) return Verdict::Empty;
    // A record the object could not read as stored would be written back with what it skipped or
    // guessed (a lost 001, a field holding the whole data): it is left as it is.
    std::uint8_t problems = object.LoadProblems();
    if (!needsControlNumber) problems &= static_cast<std::uint8_t>(~Utf8MarcRecordClass::kNo001);
    return problems != 0 ? Verdict::Damaged : Verdict::Passed;
}

}  // namespace linkmend
