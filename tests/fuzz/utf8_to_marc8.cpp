// UTF-8 to MARC-8 (and its variants V and O, and the Latin-1 code L) through the record class's
// field translation, and one character at a time through the character workbench. The first octet
// chooses the output set, the tag and the working sets the text starts in. Properties checked: the
// text ends in the default sets; ASCII comes back unchanged; the changed flag tells the truth; and
// when every character has a MARC-8 form, reading the MARC-8 again gives the same text (compared
// with precomposed characters decomposed).
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "marc/Utf8CharClass.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8CharClass;
using linkmend::Utf8MarcRecordClass;
using linkmend::fuzz::Hex;

namespace {

constexpr const char* kSets[] = {"M", "V", "O", "L"};
constexpr const char* kTags[] = {"500", "245", "856", "880"};
constexpr const char* kStartSets[] = {"s s", "g s", "b s", "p s", "(N s", "(2 s", "(3 s", "$1 s", "s )Q", "(S )2"};

// Text of MARC-8's basic Latin and controls: no octet from 0x7F (DEL is none of MARC-8's), no escape.
bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x7F || c == '\x1B') return false;
    return true;
}

// True when the text holds a ligature or double tilde half (U+FE20-U+FE23).
bool HasHalfMark(std::string_view text) {
    for (std::size_t p = text.find("\xEF\xB8"); p != std::string_view::npos; p = text.find("\xEF\xB8", p + 1)) {
        const auto third = p + 2 < text.size() ? static_cast<unsigned char>(text[p + 2]) : 0;
        if (third >= 0xA0 && third <= 0xA3) return true;
    }
    return false;
}

// MARC-8 writes a tie or double tilde over two letters as two halves; reading back with
// double-width diacritics gives the one double-width mark it was written from.
Utf8MarcRecordClass& Record(std::size_t set) {
    static Utf8MarcRecordClass records[4];
    records[set].CharacterSetIn(kSets[set]);
    records[set].CharacterSetOut(kSets[set]);
    records[set].UseDoubleWidthDiacritics(true);
    return records[set];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    linkmend::fuzz::ScratchFolder();
    linkmend::fuzz::Input in(data, size);
    const std::uint8_t choice = in.Byte();
    const std::size_t set = choice % 4;
    const std::string tag = kTags[(choice >> 2) % 4];
    const std::string start = kStartSets[(choice >> 4) % 10];
    const std::string given(in.Rest());
    Utf8MarcRecordClass& record = Record(set);

    std::string codes = start, marc8 = given;
    bool changed = false, error = false;
    record.TranslateUtf82MarcOneField(codes, tag, marc8, changed, error);
    FUZZ_CHECK(codes == "s s", codes);
    FUZZ_CHECK(changed == (marc8 != given), Hex(given) + "\n" + Hex(marc8));
    // A text that reads as a character reference keeps it from being one: its "&" becomes "&#x0026;".
    if (IsAscii(given) && start == "s s" && tag != "880" && given.find("&#") == std::string::npos) {
        FUZZ_CHECK(marc8 == given && !error, linkmend::fuzz::Diff(given, marc8));
    }

    // Read back, but not where the text holds what MARC-8 reads differently: an escape or a
    // character reference of its own, a mark without a letter before it, a ligature or double
    // tilde half (one without its partner is dropped by a reader that joins them), or the
    // right-to-left mark an 880 gains.
    const bool readsBack = !error && set != 3 && tag != "880" && linkmend::fuzz::IsUtf8(given) &&
                           given.find('\x1B') == std::string::npos && given.find("&#") == std::string::npos &&
                           !linkmend::fuzz::MarkWithoutBase(given) && !HasHalfMark(given);
    if (readsBack) {
        std::string g0 = start.substr(0, start.find(' ')), g1 = start.substr(start.find(' ') + 1), back = marc8;
        bool backChanged = false, backError = false;
        record.TranslateMarc2Utf8Text(g0, g1, tag, back, backChanged, backError);
        // MARC-8 has both forms of some letters (O with horn is a letter of its own), so the two
        // texts are compared decomposed.
        const std::string expected = linkmend::fuzz::HornFirst(record.DecomposeUnicodeCharactersInString(given));
        back = linkmend::fuzz::HornFirst(record.DecomposeUnicodeCharactersInString(back));
        FUZZ_CHECK(!backError && back == expected, Hex(marc8) + "\n" + linkmend::fuzz::Diff(expected, back));
    }

    // One character at a time: each comes back in a set, with octets, and without raising.
    Utf8CharClass workbench;
    std::string setOut = kSets[set];
    std::string table = "0";
    for (std::size_t i = 0, n = 0; i < given.size() && n < 64; ++n) {
        const std::size_t octets =
            static_cast<std::size_t>(workbench.Utf8CharOctets(std::string_view(given).substr(i)));
        FUZZ_CHECK(octets >= 1 && octets <= 4, std::to_string(octets));
        std::string one;
        bool oneChanged = false, oneError = false;
        workbench.TranslateUtf82MarcOneCharacter(setOut, table, std::string_view(given).substr(i, octets), one,
                                                 oneChanged, oneError);
        FUZZ_CHECK(!table.empty() && !one.empty(), Hex(given.substr(i, octets)));
        i += octets;
    }
    return 0;
}
