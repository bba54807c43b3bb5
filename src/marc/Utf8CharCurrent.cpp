// The current character of the workbench and the forms derived from it.
#include "marc/Marc8Lookup.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

using marc8::AppendUtf8;
using marc8::DecodeUtf8;

namespace {

bool ParseHexCodePoint(std::string_view s, std::uint32_t& cp) {
    if (s.size() >= 2 && (s[0] == 'U' || s[0] == 'u') && s[1] == '+') s.remove_prefix(2);
    if (s.empty() || s.size() > 6) return false;
    std::uint32_t value = 0;
    for (char c : s) {
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else return false;
        value = value * 16 + digit;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    cp = value;
    return true;
}

}  // namespace

void Utf8CharClass::Clear() {
    utf8_.clear();
    cp_ = 0;
}

void Utf8CharClass::SetCodePoint(std::uint32_t cp) {
    cp_ = cp;
    utf8_.clear();
    AppendUtf8(utf8_, cp);
}

void Utf8CharClass::Utf8Char(std::string_view vNewValue) {
    if (vNewValue.empty()) return Clear();
    const auto d = DecodeUtf8(vNewValue, 0);
    SetCodePoint(d.valid ? d.cp : 0xFFFD);
}

std::int16_t Utf8CharClass::Utf8CharOctets() const { return static_cast<std::int16_t>(utf8_.size()); }

std::int16_t Utf8CharClass::Utf8CharOctets(std::string_view sChar) const {
    if (sChar.empty()) return 0;
    const unsigned c = static_cast<unsigned char>(sChar[0]);
    if ((c & 0xF0) == 0xF0) return 4;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xE0) == 0xC0) return 2;
    return 1;
}

std::string Utf8CharClass::UcsHex() const {
    if (utf8_.empty()) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    int digits = 4;
    while (digits < 6 && (cp_ >> (4 * digits)) != 0) ++digits;
    for (int d = digits - 1; d >= 0; --d) hex.push_back(kHex[(cp_ >> (4 * d)) & 0xF]);
    return hex;
}

void Utf8CharClass::UcsHex(std::string_view vNewValue) {
    std::uint32_t cp;
    if (ParseHexCodePoint(vNewValue, cp)) SetCodePoint(cp);
    else Clear();
}

std::string Utf8CharClass::UcsChar() const {
    if (utf8_.empty()) return {};
    return Utf82Ucs(utf8_);
}

void Utf8CharClass::UcsChar(std::string_view vNewValue) { Utf8Char(Ucs2Utf8(vNewValue)); }

std::string Utf8CharClass::Utf8CharLCase() const {
    if (utf8_.empty()) return {};
    std::string s;
    AppendUtf8(s, unicode::ToLower(cp_));
    return s;
}

std::string Utf8CharClass::Utf8CharUCase() const {
    if (utf8_.empty()) return {};
    std::string s;
    AppendUtf8(s, unicode::ToUpper(cp_));
    return s;
}

std::string Utf8CharClass::Utf8CharCategory() const {
    if (utf8_.empty()) return {};
    return unicode::Category(cp_);
}

bool Utf8CharClass::Utf8CharNonRoman() const { return !utf8_.empty() && ScriptOf(cp_) != 0; }

char Utf8CharClass::ScriptOf(std::uint32_t cp) {
    struct Range {
        std::uint32_t first, last;
        char script;
    };
    // What MARC-8 Latin carries, then the scripts; anything else is 'Z'.
    static constexpr Range kRanges[] = {
        {0x0000, 0x036F, 0},     {0x0370, 0x03FF, 'G'}, {0x0400, 0x052F, 'R'}, {0x0590, 0x05FF, 'H'},
        {0x0600, 0x06FF, 'A'},   {0x0750, 0x077F, 'A'}, {0x1100, 0x11FF, 'K'}, {0x1AB0, 0x1AFF, 0},
        {0x1D00, 0x1DFF, 0},     {0x1E00, 0x1EFF, 0},   {0x1F00, 0x1FFF, 'G'}, {0x2000, 0x20CF, 0},
        {0x2113, 0x2113, 0},     {0x2117, 0x2117, 0},   {0x266D, 0x266D, 0},   {0x266F, 0x266F, 0},
        {0x2C60, 0x2C7F, 0},     {0x2E80, 0x2FD5, 'C'}, {0x2FF0, 0x2FFB, 'C'}, {0x3040, 0x30FF, 'J'},
        {0x3130, 0x318F, 'K'},   {0x3400, 0x4DFF, 'C'}, {0x4E00, 0x9FFF, 'C'}, {0xA720, 0xA7FF, 0},
        {0xAC00, 0xD7AE, 'K'},   {0xF900, 0xFAFF, 'C'}, {0xFB00, 0xFB06, 0},   {0xFB1D, 0xFB4F, 'H'},
        {0xFB50, 0xFDFF, 'A'},   {0xFE20, 0xFE23, 0},   {0xFE70, 0xFEFF, 'A'}, {0x20000, 0x2A6D6, 'C'},
        {0x2F800, 0x2FA1D, 'C'},
    };
    for (const Range& r : kRanges) {
        if (cp < r.first) break;
        if (cp <= r.last) return r.script;
    }
    return 'Z';
}

}  // namespace linkmend
