#pragma once
// MARCXML records (a record element as the file reader returns it) turned into ISO 2709 records and
// back. Only leader, controlfield, datafield and subfield count; other elements inside a record are
// passed over on the way in and kept, as they stood, on the way back.
#include <string>
#include <string_view>

namespace linkmend::marcxml {

// The ISO 2709 form of a record element: record length and base address computed, every other
// leader position as the element gives it. False, with the reason in `problem`, when the element is
// not well formed or holds no MARC record (leader not 24 octets, tag not 3, code not 1).
bool ToIso2709(std::string_view element, std::string& record, std::string& problem);

// A record element holding the ISO 2709 `record`, written in the manner of `model` (an element as
// read): its opening tag as it stands, its namespace prefix, its line breaks and indentation, and
// its elements that are no part of the MARC record, kept at the front.
std::string FromIso2709(std::string_view record, std::string_view model);

}  // namespace linkmend::marcxml
