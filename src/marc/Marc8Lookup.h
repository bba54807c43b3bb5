#pragma once
// Look-ups over the generated character tables: direct indexes and binary searches, built once.
#include <cstdint>
#include <span>

#include "marc/Marc8Tables.h"

namespace linkmend::marc8 {

// A working set of G0 or G1: one of the graphic sets or the three-octet East Asian set.
enum class WorkingSet : std::uint8_t {
    Ascii,
    Ansel,
    GreekSymbols,
    Subscripts,
    Superscripts,
    Hebrew,
    CyrillicBasic,
    CyrillicExtended,
    ArabicBasic,
    ArabicExtended,
    Greek,
    EastAsian,
};

// Forward entry (code point | kCombiningFlag, 0 = none) of a graphic set at position 0x21-0x7E
// (the octet with its high bit cleared).
inline std::uint32_t GraphicSetEntry(WorkingSet set, unsigned position) {
    return kGraphicSets[static_cast<unsigned>(set)][position - 0x21];
}

// Forward entry of an octet 0x80-0xFF in the Latin environment of the variant.
inline std::uint32_t LatinHighEntry(LatinVariant variant, unsigned octet) {
    return kLatinHigh[static_cast<unsigned>(variant)][octet - 0x80];
}

// Code point of a three-octet East Asian code (first octet highest), 0 when it has none.
std::uint32_t EastAsianToUcs(std::uint32_t code);

// The same for the few codes outside the code tables, whose octets need not be graphic (0x7F2014).
std::uint32_t EastAsianSupplementToUcs(std::uint32_t code);

// East Asian code of a code point, 0 when the set lacks it.
std::uint32_t UcsToEastAsian(std::uint32_t ucs);

// Every single-octet table entry of the code point: plain entry first, then the alternatives.
std::span<const SingleOctetEntry> SingleOctetEntries(std::uint32_t ucs);

// The octet a local variant gives the code point, 0 when the variant has no placement for it.
std::uint8_t VariantOctet(LatinVariant variant, std::uint32_t ucs);

// True when the variant puts a character of its own at this extended Latin octet, so that the
// standard character there has no place in the variant.
bool VariantTakesOctet(LatinVariant variant, std::uint8_t octet);

// The display substitute of a private-use character, 0 when it has none.
std::uint32_t PrivateUseSubstitute(std::uint32_t ucs);

}  // namespace linkmend::marc8

namespace linkmend::unicode {

std::uint32_t ToLower(std::uint32_t cp);
std::uint32_t ToUpper(std::uint32_t cp);

// Two-letter general category ("Lu", "Mn", ...); "Cn" for unassigned code points.
const char* Category(std::uint32_t cp);

// True for combining marks (categories Mn, Mc, Me).
bool IsMark(std::uint32_t cp);

// The full canonical decomposition of a precomposed character (base then marks), empty for any
// other character.
std::span<const std::uint32_t> Decompose(std::uint32_t cp);

// The precomposed character that decomposes into exactly `base` and `mark`, 0 when there is none.
std::uint32_t Compose(std::uint32_t base, std::uint32_t mark);

}  // namespace linkmend::unicode
