#pragma once
// The change report ("Changes.csv"): a row for each 856 or 590 field a change touched, with the field
// before and after as display text and the subfields that changed. UTF-8, RFC 4180 quoting.
#include <string>
#include <utility>
#include <vector>

#include "job/RecordSource.h"

namespace linkmend {

class Utf8MarcRecordClass;

// One field as the change report shows it: its display text (tag, indicators, then "|u text" for
// each subfield, as the record display shows it) and its subfields (code, text) in order.
struct FieldImage {
    std::string tag;
    std::string display;
    std::vector<std::pair<std::string, std::string>> subfields;

    bool operator==(const FieldImage&) const = default;
};

// The 856 and 590 fields of the loaded record in record order, deleted ones left out.
std::vector<FieldImage> TakeFieldImages(Utf8MarcRecordClass& record);

inline constexpr const char* kChangeReportHeader =
    "Record type,Record id,Tag,Occurrence,Before,After,Subfields changed";

// The rows (without line ends) for one record whose fields went from `before` to `after`, tag by
// tag (856, then 590). Unchanged fields are matched up first, in order; the others pair off in
// order between them, and what is left was deleted (After empty, "field deleted") or added (Before
// empty, "field added"). The occurrence counts the record's fields of that tag before the change
// (after it, for an added field). Subfields changed: the codes whose texts differ, as "$u $z".
std::vector<std::string> ChangeRows(const Candidate& candidate, const std::vector<FieldImage>& before,
                                    const std::vector<FieldImage>& after);

// A CSV field: quoted, its quotes doubled, when it holds a comma, a quote, CR or LF.
std::string CsvField(const std::string& text);

}  // namespace linkmend
