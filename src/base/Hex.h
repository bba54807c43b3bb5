#pragma once
// Hexadecimal text to octets and back, as the database returns raw columns (RAWTOHEX) and as the
// diagnostics print stems.
#include <string>
#include <string_view>

namespace linkmend {

// Each pair of hexadecimal digits (either case) becomes one octet; a trailing odd digit and pairs
// that are not hexadecimal are dropped.
std::string HexToText(std::string_view hex);

// Each octet as two upper-case hexadecimal digits.
std::string TextToHex(std::string_view text);

}  // namespace linkmend
