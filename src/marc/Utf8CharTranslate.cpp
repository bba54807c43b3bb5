// Single characters between MARC-8 and UTF-8, short MARC-8 strings, display substitutes.
#include "base/Text.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

using namespace marc8;

namespace {

Encoding EncodingOrMarc8(std::string_view code) {
    Encoding encoding = Encoding::Marc8;
    if (!code.empty()) {
        const char c = AsciiUpper(code[0]);
        if (!EncodingFromCode(std::string_view(&c, 1), encoding)) encoding = Encoding::Marc8;
    }
    return encoding;
}

// The sets a set number stands for when it is the one in force.
WorkingSets SetsOfNumber(std::string_view name) {
    WorkingSets sets;
    if (name == "EA") sets.g0 = WorkingSet::EastAsian;
    else if (name == "2") sets.g0 = WorkingSet::GreekSymbols;
    else if (name == "3") sets.g0 = WorkingSet::Subscripts;
    else if (name == "4") sets.g0 = WorkingSet::Superscripts;
    else if (name == "5") sets.g0 = WorkingSet::Hebrew;
    else if (name == "6") sets = {WorkingSet::CyrillicBasic, WorkingSet::CyrillicExtended};
    else if (name == "7") sets = {WorkingSet::ArabicBasic, WorkingSet::ArabicExtended};
    else if (name == "8" || name == "9") sets.g0 = WorkingSet::Greek;
    return sets;
}

std::string NameOfNumber(std::uint8_t number) { return number == kEastAsianSetNumber ? "EA" : std::to_string(number); }

}  // namespace

std::string Utf8CharClass::Marc82Utf8(std::string_view sIn, std::string_view sInputCharacterSet) const {
    WorkingSets sets;
    TranslateOptions options;
    options.encoding = EncodingOrMarc8(sInputCharacterSet);
    std::string out;
    Marc8ToUtf8(sIn, sets, options, out);
    return out;
}

void Utf8CharClass::TranslateMarc2Utf8OneCharacter(std::string_view sCharacterSetIn, std::string_view sTableDesignation,
                                                   std::string_view sMarc8Character, std::string& sUtf8Character,
                                                   bool& bChanged, bool& bCharacterError) const {
    WorkingSets sets;
    WorkingSet set;
    const bool g1 = sTableDesignation.find_first_of(")-") != std::string_view::npos;
    if (SetFromCode(sTableDesignation, g1, set)) (g1 ? sets.g1 : sets.g0) = set;
    TranslateOptions options;
    options.encoding = EncodingOrMarc8(sCharacterSetIn);
    sUtf8Character.clear();
    const TranslateResult r = Marc8ToUtf8(sMarc8Character, sets, options, sUtf8Character);
    bChanged = r.changed;
    bCharacterError = r.error;
}

void Utf8CharClass::TranslateUtf82MarcOneCharacter(std::string& sCharacterSetOut, std::string& sTableName,
                                                   std::string_view sUtf8Character, std::string& sMarc8Character,
                                                   bool& bChanged, bool& bCharacterError) const {
    const Encoding encoding = EncodingOrMarc8(sCharacterSetOut);
    static constexpr const char* kCodes[] = {"M", "V", "O", "L"};
    sCharacterSetOut = kCodes[static_cast<int>(encoding)];
    sMarc8Character.clear();
    bChanged = false;
    bCharacterError = false;
    if (sUtf8Character.empty()) return;
    const Utf8Decoded d = DecodeUtf8(sUtf8Character, 0);
    const std::string_view one = sUtf8Character.substr(0, d.length);
    if (encoding == Encoding::Latin1 || !d.valid) {
        WorkingSets sets;
        TranslateOptions options;
        options.encoding = encoding;
        const TranslateResult r = Utf8ToMarc8(one, sets, options, sMarc8Character);
        sTableName = "0";
        bChanged = r.changed;
        bCharacterError = r.error;
        return;
    }
    const WorkingSets inForce = SetsOfNumber(sTableName);
    Marc8Character c = EncodeCharacter(d.cp, encoding, inForce, WorkingSet::Ascii);
    if (const auto parts = unicode::Decompose(d.cp); c.error && !parts.empty()) {
        // A precomposed letter MARC-8 lacks: its marks, then its base letter.
        const Marc8Character base = EncodeCharacter(parts[0], encoding, inForce, WorkingSet::Ascii);
        std::string octets;
        bool error = base.error;
        for (std::size_t k = 1; k < parts.size(); ++k) {
            const Marc8Character mark = EncodeCharacter(parts[k], encoding, inForce, base.set);
            octets += mark.octets;
            error = error || mark.error;
        }
        c = base;
        c.octets = octets + base.octets;
        c.error = error;
    }
    sMarc8Character = c.octets;
    sTableName = NameOfNumber(c.setNumber);
    bChanged = sMarc8Character != one;
    bCharacterError = c.error;
}

bool Utf8CharClass::SubstituteUtf8Char(std::string_view sInputChar, std::string& sReturnChar) const {
    struct Fraction {
        std::string_view text, character;
    };
    static constexpr Fraction kFractions[] = {{"1/2", "\xC2\xBD"}, {"1/4", "\xC2\xBC"}, {"3/4", "\xC2\xBE"}};
    for (const auto& f : kFractions) {
        if (sInputChar == f.text) {
            sReturnChar = f.character;
            return true;
        }
    }
    if (!sInputChar.empty()) {
        const Utf8Decoded d = DecodeUtf8(sInputChar, 0);
        if (d.valid && d.length == sInputChar.size()) {
            if (const std::uint32_t substitute = PrivateUseSubstitute(d.cp)) {
                sReturnChar.clear();
                AppendUtf8(sReturnChar, substitute);
                return true;
            }
        }
    }
    sReturnChar = sInputChar;
    return false;
}

}  // namespace linkmend
