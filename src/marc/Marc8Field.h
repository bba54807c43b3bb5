#pragma once
// Whole fields between MARC-8 and UTF-8, with what a field adds to its text: the non-filing count of
// title fields (kept true when the translated article changes length) and the right-to-left mark of
// Arabic and Hebrew 880 fields.
#include <string>
#include <string_view>

#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

// Which indicator holds the non-filing count of a field: 1 or 2, 0 when none. Bibliographic formats
// ("B", "S", "M", "P", "F", "D", "U"): first of 130, 430, 630, 730, second of 222, 240, 242, 243,
// 245, 440, 830; authority ("A"): second of 130, 430, 530; any other format: none.
int NonFilingIndicator(std::string_view format, std::string_view tag);

// Translates a data field's text (delimiters and codes included, indicators apart) to UTF-8 from
// the default sets. With a non-filing count n >= 1, the first n octets after the first delimiter
// and code (extended past trailing combining marks, 0xE0 and above) are translated on their own;
// when their UTF-8 length differs the indicator takes the new length (kept as it was should the new
// length need two digits); the rest is translated from the default sets again.
TranslateResult TranslateFieldToUtf8(std::string_view format, std::string_view tag, std::string& indicators,
                                     std::string& field, const TranslateOptions& options);

// Translates a field's UTF-8 text to MARC-8 from sets; in an 880 whose subfield 6 names Arabic "(3"
// or Hebrew "(2", "/r" is added to the script code (once).
TranslateResult TranslateFieldToMarc8(std::string_view tag, std::string& text, WorkingSets& sets,
                                      const TranslateOptions& options);

// The "G0 G1" code pair of the record class's sMarc8CharacterSetCodes ("s s" for the defaults; an
// empty or unreadable pair means the defaults) and back.
WorkingSets SetsFromCodes(std::string_view codes);
std::string CodesOfSets(const WorkingSets& sets);

}  // namespace linkmend::marc8
