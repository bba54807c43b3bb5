#pragma once
// Text walking of the character workbench: strict UTF-8 decoding and encoding, MARC-8 escape
// sequences and working sets, and the translation of a field's text between MARC-8 (with its local
// variants V and O, and the Latin-1 code "L") and UTF-8.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "marc/Marc8Lookup.h"

namespace linkmend::marc8 {

// ---- UTF-8 -------------------------------------------------------------------------------------

struct Utf8Decoded {
    std::uint32_t cp;     // the code point, or the octet itself when invalid
    std::uint8_t length;  // octets taken: 1 for an invalid octet
    bool valid;
};

// The character starting at s[i] (i < s.size()). Overlong forms, surrogates, values above U+10FFFF,
// stray continuation octets and truncated sequences are invalid and take one octet.
Utf8Decoded DecodeUtf8Multi(std::string_view s, std::size_t i);  // the same, out of line
inline Utf8Decoded DecodeUtf8(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    return c < 0x80 ? Utf8Decoded{c, 1, true} : DecodeUtf8Multi(s, i);  // most text is ASCII: no call
}

// The first position from i on with an octet from 0x80 up, s.size() when there is none. ASCII is
// passed over eight octets at a time.
inline std::size_t SkipAscii(std::string_view s, std::size_t i) {
    for (std::uint64_t word = 0; i + 8 <= s.size(); i += 8) {
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

// Appends the UTF-8 form of cp; values above U+10FFFF and surrogates append U+FFFD.
void AppendUtf8(std::string& out, std::uint32_t cp);

// Appends "&#x" + at least four upper-case hexadecimal digits + ";".
void AppendNumericReference(std::string& out, std::uint32_t cp);

// The reference "&#x" + 1 to 6 hexadecimal digits + ";" at s[i]: its length, with its code point
// in cp; 0 when s[i] does not begin one, or it names no character or a control (a reference never
// makes a delimiter or terminator).
std::size_t ReadNumericReference(std::string_view s, std::size_t i, std::uint32_t& cp);

// True when s[i] is a subfield code as the translations read one after a delimiter: a graphic
// ASCII octet, copied as it stands in every direction (an "&" there is the code, not a reference).
inline bool IsSubfieldCode(std::string_view s, std::size_t i) { return i < s.size() && s[i] > 0x20 && s[i] < 0x7F; }

// ---- Working sets and escape sequences -----------------------------------------------------------

struct WorkingSets {
    WorkingSet g0 = WorkingSet::Ascii;
    WorkingSet g1 = WorkingSet::Ansel;
};

// Reads the escape sequence at s[i] (s[i] is ESC) into sets; returns its length, or 0 when it is
// truncated or designates nothing this system knows (the sets are then unchanged).
std::size_t ReadEscapeSequence(std::string_view s, std::size_t i, WorkingSets& sets);

// The escape sequence that designates set into G0 (or G1).
std::string_view DesignationSequence(WorkingSet set, bool intoG1);

// A set's code as the record class passes it: what follows ESC in its designation ("s" stands for
// the default of either set: basic Latin in G0, extended Latin in G1). Unknown codes give false.
bool SetFromCode(std::string_view code, bool g1, WorkingSet& set);
std::string CodeOfSet(WorkingSet set, bool g1);

// ---- Translation ----------------------------------------------------------------------------------

// "M" MARC-8, "V" and "O" its local variants, "L" Latin-1 (ISO 8859-1; see Marc8Latin1.cpp).
enum class Encoding : std::uint8_t { Marc8, V, O, Latin1 };

// The extended Latin placements an encoding reads and writes.
inline LatinVariant VariantOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::V: return LatinVariant::V;
        case Encoding::O: return LatinVariant::O;
        default: return LatinVariant::Marc8;
    }
}

// The encoding a character-set code names ("M", "V", "O", "L"; "Y" as "M", "X" as "V"); false for
// "U" and anything else.
bool EncodingFromCode(std::string_view code, Encoding& encoding);

struct TranslateOptions {
    Encoding encoding = Encoding::Marc8;
    // The ligature and double-tilde pairs (0xEB/0xEC, 0xFA/0xFB) become the double-width marks
    // U+0361 and U+0360 on the first letter (the second half is dropped) instead of the halves
    // U+FE20-U+FE23.
    bool doubleWidthDiacritics = false;
};

struct TranslateResult {
    bool changed = false;  // the output differs from the input
    bool error = false;    // something had no translation (marked in the output)
};

// Appends the UTF-8 form of MARC-8 text to out. Escape sequences change sets (in: sets at the
// start; out: sets at the end); "&#x...;" references become their characters; combining marks
// follow their base; an octet without translation becomes "[MARC+hh]" and sets the error flag.
TranslateResult Marc8ToUtf8(std::string_view in, WorkingSets& sets, const TranslateOptions& options, std::string& out);

// Appends the MARC-8 form of UTF-8 text to out, starting from sets and ending in the default sets.
// Escape sequences are written only where the set changes; combining marks go before their base.
// A character with no MARC-8 form becomes a "&#x...;" reference and an invalid UTF-8 octet
// "[UTF8+hh]"; both set the error flag.
TranslateResult Utf8ToMarc8(std::string_view in, WorkingSets& sets, const TranslateOptions& options, std::string& out);

// One character's MARC-8 form, without escape sequences: its octets, the set and half (G0, G1, or
// none for controls and the Latin C1 characters) it needs, and its set number ("0" basic Latin,
// 1-9 the single-octet sets, kEastAsianSetNumber). Among several homes the one in force (or in
// the preferred set) wins, else the plain one. A character MARC-8 lacks gives its "&#x...;"
// reference in basic Latin with the error flag.
enum class Region : std::uint8_t { None, G0, G1 };
inline constexpr std::uint8_t kEastAsianSetNumber = 10;
struct Marc8Character {
    std::string octets;
    WorkingSet set = WorkingSet::Ascii;
    Region region = Region::None;
    std::uint8_t setNumber = 0;
    bool error = false;
};
Marc8Character EncodeCharacter(std::uint32_t cp, Encoding encoding, const WorkingSets& inForce, WorkingSet preferred);

// ---- Decomposition ---------------------------------------------------------------------------

// Appends UTF-8 text with every precomposed character replaced by its base and combining marks.
// With doubleWidth, the ligature and double-tilde halves (U+FE20 ... U+FE21, U+FE22 ... U+FE23)
// become the double-width marks U+0361 and U+0360 on the first letter. Invalid octets are copied
// as they are. Returns whether anything changed.
bool DecomposeUtf8(std::string_view in, bool doubleWidth, std::string& out);

// ---- Comparison form ------------------------------------------------------------------------

// Appends the comparison form of one character (see Utf8CharNorm.cpp): letters folded to upper case
// without their marks; scheme "V" makes punctuation blank, scheme "P" keeps it.
void AppendNormalized(std::uint32_t cp, bool schemeP, std::string& out);

// ---- Characterising -----------------------------------------------------------------------------

// One-letter code of the encoding the octets look like, followed by "Illegal character(s): " and
// the decimal values of octets not allowed in it, each followed by a space, when there are any.
// Codes: "U" UTF-8, "M" MARC-8 (also plain ASCII), "V" and "O" the local variants, "X" looks like V
// but holds octets illegal even there, "Y" well-formed UTF-8 with escape sequences (read as MARC-8).
std::string CharacterizeOctets(std::string_view octets);

}  // namespace linkmend::marc8
