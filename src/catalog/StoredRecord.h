#pragma once
// A record handed to the component, read through the record model exactly as it will be stored:
// nothing translated, decomposed or reordered, so that the link index holds the octets the record
// holds, whatever its character set.
#include <cstdint>
#include <string>
#include <vector>

#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {

// One row of the link index: a $u of an 856, its scheme in upper case as the subtype, and the link
// text (the field's first non-empty $y, else $z, else $3; empty for none).
struct LinkIndexRow {
    std::string subtype, link, text;
};

class StoredRecord {
public:
    StoredRecord();

    // 0 when the record model reads the record as it stands, its leader states its length and it
    // has a 001; otherwise 2 (not a MARC record: invalid, or a directory entry skipped or misread),
    // 15 (length) or 8 (no 001), in that order.
    std::int32_t Load(const std::string& record);
    // leader/06 of the loaded record; '\0' when none is loaded.
    char Type() const;
    // $b of the first 852 into `code`: 0, or 37 (no 852), 38 (no $b), 39 ($b blank).
    std::int32_t LocationCode(std::string& code);
    // One row per $u of every 856, in record order.
    std::vector<LinkIndexRow> LinkIndexRows();

private:
    Utf8MarcRecordClass model_;
};

// The link-index rows of a record, as the component writes them.
std::vector<LinkIndexRow> LinkIndexRows(const std::string& record);

}  // namespace linkmend
