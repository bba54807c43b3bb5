// Strict UTF-8 decoding and encoding for every member that walks UTF-8 text.
#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

unsigned HexValue(char c) {
    if (c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

}  // namespace

std::size_t ReadNumericReference(std::string_view s, std::size_t i, std::uint32_t& cp) {
    if (i >= s.size() || s[i] != '&' || s.size() - i < 5 || s[i + 1] != '#' || (s[i + 2] != 'x' && s[i + 2] != 'X'))
        return 0;
    std::size_t k = i + 3;
    std::uint32_t value = 0;
    while (k < s.size() && IsHexDigit(s[k]) && k - (i + 3) < 6) value = value * 16 + HexValue(s[k++]);
    const std::size_t digits = k - (i + 3);
    if (digits == 0 || k >= s.size() || s[k] != ';') return 0;
    if (value < 0x20 || value == 0x7F || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    cp = value;
    return k + 1 - i;
}

Utf8Decoded DecodeUtf8Multi(std::string_view s, std::size_t i) {
    const auto octet = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned c = octet(i);
    if (c < 0x80) return {c, 1, true};
    const Utf8Decoded invalid{c, 1, false};
    std::size_t length;
    std::uint32_t cp;
    unsigned low = 0x80, high = 0xBF;  // allowed range of the second octet
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
        if (c == 0xE0) low = 0xA0;   // overlong
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
        if (c == 0xF0) low = 0x90;   // overlong
        if (c == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return invalid;  // continuation octet, C0/C1 overlong lead, or F5-FF
    }
    if (i + length > s.size()) return invalid;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned t = octet(i + k);
        if (k == 1 ? (t < low || t > high) : (t & 0xC0) != 0x80) return invalid;
        cp = (cp << 6) | (t & 0x3F);
    }
    return {cp, static_cast<std::uint8_t>(length), true};
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendNumericReference(std::string& out, std::uint32_t cp) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "&#x";
    int digits = 4;
    while (digits < 8 && (cp >> (4 * digits)) != 0) ++digits;
    for (int d = digits - 1; d >= 0; --d) out.push_back(kHex[(cp >> (4 * d)) & 0xF]);
    out.push_back(';');
}

}  // namespace linkmend::marc8
