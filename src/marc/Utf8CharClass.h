#pragma once
// The character workbench: one current character held in all its forms (UTF-8 octets, code point,
// UCS form, case forms, category, comparison form), conversions between code points and UTF-8,
// character boundaries in octet strings, single-character translation between MARC-8 and UTF-8
// by table, display substitutes, and the structural and named special characters of both
// encodings. Nothing here raises; bad input gives empty results or the documented markers.
#include <cstdint>
#include <string>
#include <string_view>

namespace linkmend {

class Utf8CharClass {
public:
    // ---- The current character (setting any of Utf8Char, UcsHex, UcsChar sets all forms) ----

    // Set: the first UTF-8 character of the value; an invalid or truncated sequence gives U+FFFD,
    // an empty value clears the character.
    std::string Utf8Char() const { return utf8_; }
    void Utf8Char(std::string_view vNewValue);
    // Octets of the current character, or of the character sChar begins with (by its first octet:
    // 110xxxxx 2, 1110xxxx 3, 1111xxxx 4, otherwise 1; an empty sChar has 0).
    std::int16_t Utf8CharOctets() const;
    std::int16_t Utf8CharOctets(std::string_view sChar) const;
    // The code point in upper-case hexadecimal, at least four digits ("00E9"); set: hexadecimal
    // digits, optionally after "U+"; anything that names no character clears the character.
    std::string UcsHex() const;
    void UcsHex(std::string_view vNewValue);
    // The UCS form: the character's UTF-16 code units as little-endian octet pairs (what a wide
    // string holds); set: the first character of such a string.
    std::string UcsChar() const;
    void UcsChar(std::string_view vNewValue);
    // The code point as a number; 0 when there is no current character.
    std::int32_t Utf8CharAsc() const { return static_cast<std::int32_t>(cp_); }
    std::string Utf8CharLCase() const;
    std::string Utf8CharUCase() const;
    // The Unicode general category ("Lu", "Ll", "Mn", "Nd", ...); empty without a character.
    std::string Utf8CharCategory() const;
    // True when the character belongs to a script other than Latin (see ScriptOf).
    bool Utf8CharNonRoman() const;
    // The comparison form under scheme "V" (letters upper-cased, marks dropped, punctuation made
    // blank) or "P" (the same, but punctuation kept); see Utf8CharNorm.cpp for the table.
    std::string Utf8CharNorm(std::string_view scheme = "V") const;

    // ---- Octet strings and code points ----

    // 1-based position of the first octet of the character holding position lPtr: from
    // min(lPtr, length) step back over continuation octets, stopping at 1; lPtr 0 or 1 (or less)
    // comes back unchanged.
    std::int32_t Utf8CharFindFirstOctet(std::string_view sIn, std::int32_t lPtr) const;
    // UCS form (UTF-16LE octets, as UcsChar) to UTF-8 and back, every character of the text.
    std::string Ucs2Utf8(std::string_view sUcs) const;
    std::string Utf82Ucs(std::string_view sUtf8) const;
    // Hexadecimal code point (optionally after "U+") to UTF-8; "" when it names no character.
    std::string UcsHex2Utf8(std::string_view sInput) const;
    // Code point to UTF-8; "" for negative values, surrogates and values above U+10FFFF.
    std::string UcsNumericToUtf8(std::int32_t lInputValue) const;

    // ---- Translation ----

    // A short MARC-8 text ("M", "V", "O" or "L"; anything else is read as "M") in UTF-8, read from
    // the default sets, with untranslatable octets as "[MARC+hh]".
    std::string Marc82Utf8(std::string_view sIn, std::string_view sInputCharacterSet = "M") const;
    // One MARC-8 character (one octet, three in the East Asian set) read with the working set
    // sTableDesignation (a set code: "s", "g", "b", "p", "(N", ")Q", "$1", ...; octets above 0x7F
    // use extended Latin unless the code designates G1). bChanged: the UTF-8 differs from the input;
    // bCharacterError: no translation, sUtf8Character is then "[MARC+hh]".
    void TranslateMarc2Utf8OneCharacter(std::string_view sCharacterSetIn, std::string_view sTableDesignation,
                                        std::string_view sMarc8Character, std::string& sUtf8Character, bool& bChanged,
                                        bool& bCharacterError) const;
    // One UTF-8 character to MARC-8 in sCharacterSetOut ("M", "V", "O", "L"; normalised to its first
    // letter upper-cased, anything else taken as "M"). sTableName in: the set in force, out: the set
    // the character needs: "0" basic Latin, "1"-"9" the MARC-8 sets, "EA" East Asian. No escape
    // sequence is written. A character without a MARC-8 form gives its "&#x...;" reference in set
    // "0" and bCharacterError.
    void TranslateUtf82MarcOneCharacter(std::string& sCharacterSetOut, std::string& sTableName,
                                        std::string_view sUtf8Character, std::string& sMarc8Character, bool& bChanged,
                                        bool& bCharacterError) const;
    // Display substitute of a private-use East Asian character, or the character of the fraction
    // texts "1/2", "1/4", "3/4"; false (sReturnChar = sInputChar) when there is none.
    bool SubstituteUtf8Char(std::string_view sInputChar, std::string& sReturnChar) const;

    // The script letter of a code point: 'G' Greek, 'R' Cyrillic, 'H' Hebrew, 'A' Arabic,
    // 'K' Korean, 'J' Japanese kana, 'C' Chinese characters, 'Z' any other non-Latin character, and
    // 0 for Latin and for what MARC-8 Latin carries (punctuation, super/subscripts, marks).
    static char ScriptOf(std::uint32_t cp);

    // ---- Structural characters ----

    static std::string MarcDelimiter() { return "\x1F"; }
    static std::string Utf8Delimiter() { return "\x1F"; }
    static std::string MarcEndOfField() { return "\x1E"; }
    static std::string Utf8EndOfField() { return "\x1E"; }
    static std::string MarcEndOfRecord() { return "\x1D"; }
    static std::string Utf8EndOfRecord() { return "\x1D"; }
    static std::string MarcFill() { return "|"; }
    static std::string Utf8Fill() { return "|"; }
    static std::string MarcEscape() { return "\x1B"; }
    static std::string Utf8Escape() { return "\x1B"; }
    static std::string MarcNonSortBegin() { return "\x88"; }
    static std::string MarcNonSortEnd() { return "\x89"; }
    static std::string Utf8NonSortBegin() { return "\xC2\x98"; }
    static std::string Utf8NonSortEnd() { return "\xC2\x9C"; }

    // ---- Named special characters: UTF-8 form, and MARC-8 form in a character set ("M", "V",
    // "O"), with the escape sequences into and out of the set the character needs there ----

    std::string Marc8HookAbove(std::string_view set = "M") const;
    std::string Utf8HookAbove() const;
    std::string Marc8Grave(std::string_view set = "M") const;
    std::string Utf8Grave() const;
    std::string Marc8Acute(std::string_view set = "M") const;
    std::string Utf8Acute() const;
    std::string Marc8Circumflex(std::string_view set = "M") const;
    std::string Utf8Circumflex() const;
    std::string Marc8Tilde(std::string_view set = "M") const;
    std::string Utf8Tilde() const;
    std::string Marc8Macron(std::string_view set = "M") const;
    std::string Utf8Macron() const;
    std::string Marc8Breve(std::string_view set = "M") const;
    std::string Utf8Breve() const;
    std::string Marc8DotAbove(std::string_view set = "M") const;
    std::string Utf8DotAbove() const;
    std::string Marc8Umlaut(std::string_view set = "M") const;
    std::string Utf8Umlaut() const;
    std::string Marc8Hacek(std::string_view set = "M") const;
    std::string Utf8Hacek() const;
    std::string Marc8Angstrom(std::string_view set = "M") const;
    std::string Utf8Angstrom() const;
    std::string Marc8LigatureLeft(std::string_view set = "M") const;
    std::string Utf8LigatureLeft() const;
    std::string Marc8LigatureRight(std::string_view set = "M") const;
    std::string Utf8LigatureRight() const;
    std::string Marc8HighCommaOffCenter(std::string_view set = "M") const;
    std::string Utf8HighCommaOffCenter() const;
    std::string Marc8DoubleAcute(std::string_view set = "M") const;
    std::string Utf8DoubleAcute() const;
    std::string Marc8Candrabindu(std::string_view set = "M") const;
    std::string Utf8Candrabindu() const;
    std::string Marc8Cedilla(std::string_view set = "M") const;
    std::string Utf8Cedilla() const;
    std::string Marc8RightHook(std::string_view set = "M") const;
    std::string Utf8RightHook() const;
    std::string Marc8DotBelow(std::string_view set = "M") const;
    std::string Utf8DotBelow() const;
    std::string Marc8DoubleDotBelow(std::string_view set = "M") const;
    std::string Utf8DoubleDotBelow() const;
    std::string Marc8CircleBelow(std::string_view set = "M") const;
    std::string Utf8CircleBelow() const;
    std::string Marc8DoubleUnderscore(std::string_view set = "M") const;
    std::string Utf8DoubleUnderscore() const;
    std::string Marc8Underscore(std::string_view set = "M") const;
    std::string Utf8Underscore() const;
    std::string Marc8LeftHook(std::string_view set = "M") const;
    std::string Utf8LeftHook() const;
    std::string Marc8RightCedilla(std::string_view set = "M") const;
    std::string Utf8RightCedilla() const;
    std::string Marc8BreveBelow(std::string_view set = "M") const;
    std::string Utf8BreveBelow() const;
    std::string Marc8DoubleTildeLeft(std::string_view set = "M") const;
    std::string Utf8DoubleTildeLeft() const;
    std::string Marc8DoubleTildeRight(std::string_view set = "M") const;
    std::string Utf8DoubleTildeRight() const;
    std::string Marc8HighCommaCentered(std::string_view set = "M") const;
    std::string Utf8HighCommaCentered() const;
    std::string Marc8Alif(std::string_view set = "M") const;
    std::string Utf8Alif() const;
    std::string Marc8Ayn(std::string_view set = "M") const;
    std::string Utf8Ayn() const;
    std::string Marc8SoftSign(std::string_view set = "M") const;
    std::string Utf8SoftSign() const;
    std::string Marc8HardSign(std::string_view set = "M") const;
    std::string Utf8HardSign() const;
    // Superscripts and subscripts: digits 0-9 by number; Plus, Minus, OpenParen, CloseParen.
    std::string Marc8Superscript(int digit, std::string_view set = "M") const;
    std::string Utf8Superscript(int digit) const;
    std::string Marc8SuperscriptPlus(std::string_view set = "M") const;
    std::string Utf8SuperscriptPlus() const;
    std::string Marc8SuperscriptMinus(std::string_view set = "M") const;
    std::string Utf8SuperscriptMinus() const;
    std::string Marc8SuperscriptOpenParen(std::string_view set = "M") const;
    std::string Utf8SuperscriptOpenParen() const;
    std::string Marc8SuperscriptCloseParen(std::string_view set = "M") const;
    std::string Utf8SuperscriptCloseParen() const;
    std::string Marc8Subscript(int digit, std::string_view set = "M") const;
    std::string Utf8Subscript(int digit) const;
    std::string Marc8SubscriptPlus(std::string_view set = "M") const;
    std::string Utf8SubscriptPlus() const;
    std::string Marc8SubscriptMinus(std::string_view set = "M") const;
    std::string Utf8SubscriptMinus() const;
    std::string Marc8SubscriptOpenParen(std::string_view set = "M") const;
    std::string Utf8SubscriptOpenParen() const;
    std::string Marc8SubscriptCloseParen(std::string_view set = "M") const;
    std::string Utf8SubscriptCloseParen() const;
    // Joiners (MARC-8 has them among its controls) and the directional controls (UTF-8 only).
    std::string Marc8ZeroWidthJoiner(std::string_view set = "M") const;
    std::string Utf8ZeroWidthJoiner() const;
    std::string Marc8ZeroWidthNonJoiner(std::string_view set = "M") const;
    std::string Utf8ZeroWidthNonJoiner() const;
    std::string Utf8LeftToRightMarker() const;
    std::string Utf8RightToLeftMarker() const;
    std::string Utf8LeftToRightEmbedding() const;
    std::string Utf8RightToLeftEmbedding() const;
    std::string Utf8PopDirectionalFormatting() const;
    std::string Utf8LeftToRightOverride() const;
    std::string Utf8RightToLeftOverride() const;

private:
    void SetCodePoint(std::uint32_t cp);
    void Clear();
    // The MARC-8 form of one code point in a character set, escape sequences included.
    std::string Marc8Form(std::uint32_t cp, std::string_view set) const;

    std::string utf8_;
    std::uint32_t cp_ = 0;
};

}  // namespace linkmend
