#include "catalog/StoredRecord.h"

#include <cstdlib>

#include "base/Text.h"
#include "catalog/ReturnCodes.h"

namespace linkmend {
using namespace catalog_code;

namespace {

// The scheme of a link ("HTTP"), empty when the link has none within its first ten octets.
std::string Scheme(const std::string& link) {
    const auto colon = link.find(':');
    return colon == std::string::npos || colon > 10 ? std::string()
                                                    : AsciiUpper(std::string_view(link).substr(0, colon));
}

}  // namespace

// The model translates a record only when its input and output sets differ, and decomposes and
// replaces the alif only in records it reads as UTF-8: read as MARC-8 into MARC-8, every octet
// stays as stored. Fields and subfields stay in the order stored, whatever the order instructions.
StoredRecord::StoredRecord() {
    model_.CharacterSetIn("M");
    model_.CharacterSetOut("M");
    model_.MakeNoChange(true);
}

std::int32_t StoredRecord::Load(const std::string& record) {
    if (!model_.IsMarc(record)) {
        model_.MarcRecordIn(std::string());
        return kNotMarc;
    }
    // leader/09 "a" makes the model read a record as UTF-8 whatever CharacterSetIn says, and a UTF-8
    // load turns U+02BE into U+02BC even with decomposition off; the copy it reads says otherwise.
    if (record[9] == 'a') {
        std::string copy = record;
        copy[9] = ' ';
        model_.MarcRecordIn(copy);
    } else {
        model_.MarcRecordIn(record);
    }
    const std::string& leader = model_.Leader();
    if (leader.size() != 24) return kNotMarc;  // a leader the model repaired into an invalid record
    // A directory the model could not read as it stands would be stored as it stands: refused. The
    // length and the 001 have codes of their own.
    constexpr std::uint8_t kOwnCodes = Utf8MarcRecordClass::kLengthMismatch | Utf8MarcRecordClass::kNo001;
    if ((model_.LoadProblems() & ~kOwnCodes) != 0) return kNotMarc;
    if (std::atoi(leader.substr(0, 5).c_str()) != static_cast<int>(record.size())) return kBadLength;
    if ((model_.LoadProblems() & Utf8MarcRecordClass::kNo001) != 0) return kNo001;
    return kSuccess;
}

char StoredRecord::Type() const {
    const std::string& leader = model_.Leader();
    return leader.size() > 6 ? leader[6] : '\0';
}

std::int32_t StoredRecord::LocationCode(std::string& code) {
    if (!model_.FldFindFirst("852")) return kNo852;
    if (!model_.SfdFindFirst("b")) return kNo852b;
    code = model_.SfdText();
    return code.find_first_not_of(' ') == std::string::npos ? kEmpty852b : kSuccess;
}

std::vector<LinkIndexRow> StoredRecord::LinkIndexRows() {
    std::vector<LinkIndexRow> rows;
    for (bool field = model_.FldFindFirst("856"); field; field = model_.FldFindNext()) {
        std::string text;
        for (const char* code : {"y", "z", "3"}) {
            for (bool found = model_.SfdFindFirst(code); found && text.empty(); found = model_.SfdFindNext()) {
                text = model_.SfdText();
            }
        }
        for (bool found = model_.SfdFindFirst("u"); found; found = model_.SfdFindNext()) {
            std::string link = model_.SfdText();
            rows.push_back({Scheme(link), link, text});
        }
    }
    return rows;
}

std::vector<LinkIndexRow> LinkIndexRows(const std::string& record) {
    StoredRecord stored;
    stored.Load(record);
    return stored.LinkIndexRows();
}

}  // namespace linkmend
