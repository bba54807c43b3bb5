// MARC-8 (and its variants V and O, and the Latin-1 code L) to UTF-8 through the record class's
// translation members and the character workbench. The first octet chooses the input set and the
// member: a whole field of a format and tag (with its non-filing indicator), a text read from given
// working sets, or the workbench's short-string form. Properties checked: the result is UTF-8;
// text that reads the same in every set comes back unchanged; the changed and error flags tell the
// truth; and UTF-8 that MARC-8 can hold goes to MARC-8 and back unchanged.
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
constexpr const char* kFormats[] = {"B", "S", "M", "P", "F", "D", "U", "A", "H"};
constexpr const char* kTags[] = {"245", "130", "240", "222", "730", "530", "880", "856", "500"};
// Working sets a text may start in: G0 code, G1 code.
constexpr const char* kStartSets[][2] = {{"s", "s"},  {"g", "s"},  {"b", "s"},  {"p", "s"},  {"(N", "s"},
                                         {"(2", "s"}, {"(3", "s"}, {"$1", "s"}, {"s", ")Q"}, {"(S", ")2"}};

// Text every set reads as ASCII: no octet from 0x7F (DEL is none of MARC-8's), no escape, no
// character reference.
bool ReadsAsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x7F || c == '\x1B') return false;
    return text.find("&#") == std::string_view::npos;
}

Utf8MarcRecordClass& Reader(const char* set) {
    static Utf8MarcRecordClass readers[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::string_view(kSets[i]) == set) {
            readers[i].CharacterSetIn(set);
            return readers[i];
        }
    }
    return readers[0];
}

// UTF-8 that came out of MARC-8 goes back to MARC-8 and in again unchanged, whenever MARC-8 has a
// form for every character of it and no mark without a letter before it has one after it (a mark
// read before a control octet, or where a code belongs, is left where it is). A reference may have named a precomposed
// letter that MARC-8 writes as letter and mark, so the texts are compared decomposed.
void CheckRoundTrip(const std::string& utf8) {
    // An escape kept in the text (a short last East Asian group) is read as one when it comes back.
    if (linkmend::fuzz::MarkWithoutBase(utf8) || utf8.find('\x1B') != std::string::npos) return;
    static Utf8MarcRecordClass writer;
    writer.CharacterSetOut("M");
    std::string codes = "s s", marc8 = utf8;
    bool changed = false, error = false;
    writer.TranslateUtf82MarcOneField(codes, "500", marc8, changed, error);
    if (error) return;
    std::string g0 = "s", g1 = "s", back = marc8;
    changed = error = false;
    Reader("M").TranslateMarc2Utf8Text(g0, g1, "500", back, changed, error);
    const std::string expected = linkmend::fuzz::HornFirst(writer.DecomposeUnicodeCharactersInString(utf8));
    back = linkmend::fuzz::HornFirst(writer.DecomposeUnicodeCharactersInString(back));
    FUZZ_CHECK(!error && back == expected, Hex(marc8) + "\n" + linkmend::fuzz::Diff(expected, back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    linkmend::fuzz::ScratchFolder();
    linkmend::fuzz::Input in(data, size);
    const std::uint8_t choice = in.Byte();
    const char* set = kSets[choice % 4];
    const int member = (choice >> 2) % 3;
    Utf8MarcRecordClass& reader = Reader(set);

    std::string text, indicators, givenIndicators;
    bool changed = false, error = false, plainStart = true;
    if (member == 0) {
        const char* format = kFormats[in.Byte() % 9];
        const char* tag = kTags[in.Byte() % 9];
        givenIndicators.assign(1, static_cast<char>(in.Byte()));
        givenIndicators += static_cast<char>(in.Byte());
        indicators = givenIndicators;
        text = in.Rest();
        reader.TranslateMarc2Utf8OneField(format, tag, indicators, text, changed, error);
        // A non-filing count keeps its value, unless it reaches past the end of the text after the
        // first code: it then becomes the length there is.
        const std::size_t code = in.Rest().find('\x1F');
        const std::size_t after =
            code == std::string_view::npos ? 0 : in.Rest().size() - std::min(code + 2, in.Rest().size());
        const bool pastEnd =
            std::max(givenIndicators[0], givenIndicators[1]) > static_cast<char>('0' + std::min<std::size_t>(after, 9));
        if (ReadsAsAscii(in.Rest()) && !pastEnd) FUZZ_CHECK(indicators == givenIndicators, Hex(indicators));
    } else if (member == 1) {
        const auto& start = kStartSets[in.Byte() % 10];
        std::string g0 = start[0], g1 = start[1];
        plainStart = g0 == "s" && g1 == "s";
        text = in.Rest();
        reader.TranslateMarc2Utf8Text(g0, g1, "500", text, changed, error);
    } else {
        text = Utf8CharClass().Marc82Utf8(in.Rest(), set);
        changed = text != in.Rest();
        // The text may hold "[MARC+" of its own: only a new one is an error.
        const auto markers = [](std::string_view t) {
            std::size_t n = 0;
            for (auto at = t.find("[MARC+"); at != std::string_view::npos; at = t.find("[MARC+", at + 1)) ++n;
            return n;
        };
        error = markers(text) > markers(in.Rest());
    }
    const std::string_view given = in.Rest();

    FUZZ_CHECK(linkmend::fuzz::IsUtf8(text), Hex(given) + "\n" + Hex(text));
    FUZZ_CHECK(changed == (text != given || indicators != givenIndicators), Hex(given) + "\n" + Hex(text));
    // An error shows in the text, but for a short last group of East Asian text, kept as it was.
    const bool eastAsian = !plainStart || given.find("\x1B$") != std::string_view::npos;
    FUZZ_CHECK(!error || eastAsian || text.find("[MARC+") != std::string::npos, Hex(text));
    if (plainStart && ReadsAsAscii(given)) FUZZ_CHECK(text == given && !error, linkmend::fuzz::Diff(given, text));
    if (std::string_view(set) == "M" && plainStart && !error) CheckRoundTrip(text);
    return 0;
}
