#pragma once
// Reassembly of a stored MARC record from its segments. Segments are stored without trailing
// blanks; every segment but the last fills a whole segment (990 octets for bibliographic and
// authority records, 300 for holdings).
#include <cstddef>
#include <string>
#include <string_view>

namespace linkmend {

inline constexpr std::size_t kBibSegmentSize = 990;
inline constexpr std::size_t kAuthSegmentSize = 990;
inline constexpr std::size_t kHoldSegmentSize = 300;

// Appends one segment given as hexadecimal text (RAWTOHEX) to the record: a record that does not
// end on a segment boundary is first padded with blanks to the next one (letting pending window
// messages run for each blank). Pairs that are not hexadecimal and a trailing odd digit are dropped.
void AppendHexSegment(std::string& record, std::string_view hex, std::size_t segmentSize);
// The same for a segment given as its octets.
void AppendSegment(std::string& record, std::string_view octets, std::size_t segmentSize);

}  // namespace linkmend
