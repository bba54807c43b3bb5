// Changed records written back through the batch-cataloguing component.
#include "base/Numeric.h"
#include "catalog/CatalogWriter.h"
#include "catalog/ReturnCodes.h"
#include "job/DatabaseRecords.h"
#include "job/Program.h"

namespace linkmend {
namespace {

// Ids travel to the component as 32-bit numbers.
std::int32_t NumberOf(const std::string& id) { return RoundToInt32(Val(id)); }

// The component's answer, with the driver's own words behind a failed statement (code 21 or 26).
SinkAnswer AnswerOf(std::int32_t code, const CatalogWriter& writer) {
    return SinkAnswer{code, ReturnCodeText(code), {}, writer.LastDriverMessage()};
}

}  // namespace

SinkAnswer CatalogSink::SignOn() {
    const ConnectionProfile& p = program_.profile;
    CatalogWriter& writer = program_.Writer();
    return AnswerOf(writer.SignOn(p.VoyagerPath, p.WriteUID, p.WritePWD), writer);
}

SinkAnswer CatalogSink::Write(const Candidate& candidate, const std::string& octets, const RetrievedRecord& stored) {
    CatalogWriter& writer = program_.Writer();
    const std::int32_t id = NumberOf(candidate.id);
    const std::int32_t happening = program_.profile.Happening;
    std::int32_t code = 0;
    if (candidate.type == "B") {
        code = writer.ReplaceBibRecord(id, octets, stored.lastModified, NumberOf(stored.owningLibrary), happening,
                                       stored.suppressed, "", "");
    } else if (candidate.type == "H") {
        code = writer.ReplaceHoldingsRecord(id, octets, stored.lastModified, happening, NumberOf(stored.holdingsBib),
                                            NumberOf(stored.location), stored.suppressed, "", "");
    } else {
        code = writer.ReplaceAuthorityRecord(id, octets, stored.lastModified, happening, "", "");
    }
    SinkAnswer answer = AnswerOf(code, writer);
    // The component refuses a cataloguing location it does not know: the report names the one sent.
    if (code == 24) answer.detail = " happening: " + std::to_string(happening);
    return answer;
}

}  // namespace linkmend
