// The named special characters of both encodings. The MARC-8 form comes from the tables through the
// same encoder as whole texts, so it follows the character set asked for (superscript two is
// ESC p "2" ESC s in MARC-8 and one octet, 0xC2, in variant V).
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

namespace {

std::string Utf8Of(std::uint32_t cp) {
    std::string s;
    marc8::AppendUtf8(s, cp);
    return s;
}

constexpr std::uint32_t kSuperscriptDigits[] = {0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074,
                                                0x2075, 0x2076, 0x2077, 0x2078, 0x2079};

std::uint32_t SuperscriptDigit(int digit) { return digit >= 0 && digit <= 9 ? kSuperscriptDigits[digit] : 0; }

std::uint32_t SubscriptDigit(int digit) {
    return digit >= 0 && digit <= 9 ? 0x2080 + static_cast<std::uint32_t>(digit) : 0;
}

}  // namespace

std::string Utf8CharClass::Marc8Form(std::uint32_t cp, std::string_view set) const {
    if (cp == 0) return {};
    marc8::TranslateOptions options;
    if (set.empty() || !marc8::EncodingFromCode(set.substr(0, 1), options.encoding))
        options.encoding = marc8::Encoding::Marc8;
    marc8::WorkingSets sets;
    std::string out;
    marc8::Utf8ToMarc8(Utf8Of(cp), sets, options, out);
    return out;
}

#define LINKMEND_NAMED_CHARACTER(Name, cp)                                                            \
    std::string Utf8CharClass::Marc8##Name(std::string_view set) const { return Marc8Form(cp, set); } \
    std::string Utf8CharClass::Utf8##Name() const { return Utf8Of(cp); }

LINKMEND_NAMED_CHARACTER(HookAbove, 0x0309)
LINKMEND_NAMED_CHARACTER(Grave, 0x0300)
LINKMEND_NAMED_CHARACTER(Acute, 0x0301)
LINKMEND_NAMED_CHARACTER(Circumflex, 0x0302)
LINKMEND_NAMED_CHARACTER(Tilde, 0x0303)
LINKMEND_NAMED_CHARACTER(Macron, 0x0304)
LINKMEND_NAMED_CHARACTER(Breve, 0x0306)
LINKMEND_NAMED_CHARACTER(DotAbove, 0x0307)
LINKMEND_NAMED_CHARACTER(Umlaut, 0x0308)
LINKMEND_NAMED_CHARACTER(Hacek, 0x030C)
LINKMEND_NAMED_CHARACTER(Angstrom, 0x030A)
LINKMEND_NAMED_CHARACTER(LigatureLeft, 0xFE20)
LINKMEND_NAMED_CHARACTER(LigatureRight, 0xFE21)
LINKMEND_NAMED_CHARACTER(HighCommaOffCenter, 0x0315)
LINKMEND_NAMED_CHARACTER(DoubleAcute, 0x030B)
LINKMEND_NAMED_CHARACTER(Candrabindu, 0x0310)
LINKMEND_NAMED_CHARACTER(Cedilla, 0x0327)
LINKMEND_NAMED_CHARACTER(RightHook, 0x0328)
LINKMEND_NAMED_CHARACTER(DotBelow, 0x0323)
LINKMEND_NAMED_CHARACTER(DoubleDotBelow, 0x0324)
LINKMEND_NAMED_CHARACTER(CircleBelow, 0x0325)
LINKMEND_NAMED_CHARACTER(DoubleUnderscore, 0x0333)
LINKMEND_NAMED_CHARACTER(Underscore, 0x0332)
LINKMEND_NAMED_CHARACTER(LeftHook, 0x0326)
LINKMEND_NAMED_CHARACTER(RightCedilla, 0x031C)
LINKMEND_NAMED_CHARACTER(BreveBelow, 0x032E)
LINKMEND_NAMED_CHARACTER(DoubleTildeLeft, 0xFE22)
LINKMEND_NAMED_CHARACTER(DoubleTildeRight, 0xFE23)
LINKMEND_NAMED_CHARACTER(HighCommaCentered, 0x0313)
LINKMEND_NAMED_CHARACTER(Alif, 0x02BC)
LINKMEND_NAMED_CHARACTER(Ayn, 0x02BB)
LINKMEND_NAMED_CHARACTER(SoftSign, 0x02B9)
LINKMEND_NAMED_CHARACTER(HardSign, 0x02BA)
LINKMEND_NAMED_CHARACTER(SuperscriptPlus, 0x207A)
LINKMEND_NAMED_CHARACTER(SuperscriptMinus, 0x207B)
LINKMEND_NAMED_CHARACTER(SuperscriptOpenParen, 0x207D)
LINKMEND_NAMED_CHARACTER(SuperscriptCloseParen, 0x207E)
LINKMEND_NAMED_CHARACTER(SubscriptPlus, 0x208A)
LINKMEND_NAMED_CHARACTER(SubscriptMinus, 0x208B)
LINKMEND_NAMED_CHARACTER(SubscriptOpenParen, 0x208D)
LINKMEND_NAMED_CHARACTER(SubscriptCloseParen, 0x208E)
LINKMEND_NAMED_CHARACTER(ZeroWidthJoiner, 0x200D)
LINKMEND_NAMED_CHARACTER(ZeroWidthNonJoiner, 0x200C)

#undef LINKMEND_NAMED_CHARACTER

std::string Utf8CharClass::Marc8Superscript(int digit, std::string_view set) const {
    return Marc8Form(SuperscriptDigit(digit), set);
}
std::string Utf8CharClass::Utf8Superscript(int digit) const {
    return SuperscriptDigit(digit) ? Utf8Of(SuperscriptDigit(digit)) : std::string();
}
std::string Utf8CharClass::Marc8Subscript(int digit, std::string_view set) const {
    return Marc8Form(SubscriptDigit(digit), set);
}
std::string Utf8CharClass::Utf8Subscript(int digit) const {
    return SubscriptDigit(digit) ? Utf8Of(SubscriptDigit(digit)) : std::string();
}

std::string Utf8CharClass::Utf8LeftToRightMarker() const { return Utf8Of(0x200E); }
std::string Utf8CharClass::Utf8RightToLeftMarker() const { return Utf8Of(0x200F); }
std::string Utf8CharClass::Utf8LeftToRightEmbedding() const { return Utf8Of(0x202A); }
std::string Utf8CharClass::Utf8RightToLeftEmbedding() const { return Utf8Of(0x202B); }
std::string Utf8CharClass::Utf8PopDirectionalFormatting() const { return Utf8Of(0x202C); }
std::string Utf8CharClass::Utf8LeftToRightOverride() const { return Utf8Of(0x202D); }
std::string Utf8CharClass::Utf8RightToLeftOverride() const { return Utf8Of(0x202E); }

}  // namespace linkmend
