#pragma once
// Numeric values of settings texts, read the way the settings have always been read: the leading
// numeric part of the text counts, the rest is ignored.
#include <cstdint>
#include <string_view>

namespace linkmend {

// Leading numeric part of the text: blanks, an optional sign, digits, an optional fraction and
// exponent; 0 when the text does not start with a number ("abc" → 0, "17x" → 17, " -3.5" → -3.5).
double Val(std::string_view text);

// Rounds half to even into a 32-bit integer, clamping values outside its range.
std::int32_t RoundToInt32(double value);

// True for "TRUE", "YES", "Y", "T", "1" and "-1" in any case, blanks around ignored (judged on the
// text's comparison form, so punctuation around the word does not count).
bool IsTrueText(std::string_view text);

}  // namespace linkmend
