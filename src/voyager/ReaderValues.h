#pragma once
// Small value rules of the reader: the library system's version text and item prices.
#include <cstdint>
#include <string>
#include <string_view>

namespace linkmend {

struct VgerVersionParts {
    std::int16_t major = 2000;
    std::int16_t minor = 0;
    std::int16_t third = 0;
};

// "2001.2.1" → 2001, 2, 1; "7.2" → 7, 2, 0; a two-digit release year 96..99 becomes 19xx with
// minor and third parts 0. Parts are read as numbers (Val); no text at all gives major 0.
VgerVersionParts ParseVgerVersion(std::string_view version);

// PRICE is kept in the currency's smallest unit: with decimals d > 0 a price of at least d digits
// becomes "<all but the last d>" + delimiter + "<last d>", a shorter one "0." + its last d digits
// padded with zeroes ("5" → "0.05"); with d = 0, or an empty price, it stays as read.
std::string FormatItemPrice(std::string_view price, std::int32_t decimals, std::string_view delimiter);

}  // namespace linkmend
