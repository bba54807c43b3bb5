#include "base/Text.h"
#pragma once
// Small helpers shared by the record class's source files.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace linkmend::marc_detail {

inline constexpr char kDelimiter = '\x1F';
inline constexpr char kEndOfField = '\x1E';
inline constexpr char kEndOfRecord = '\x1D';
inline constexpr const char* kDefaultLeader = "00000n    2200000n  4500";

// Numeric value of a text the way the record's number fields are read: leading blanks are skipped,
// then digits are taken up to the first other character; no digits give 0.
inline long DigitValue(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 100000000L) return v;  // far past any MARC number; stops overflow
    }
    return v;
}

// A directory number: all digits is the common case and is read directly; anything else is read
// the lenient way.
inline long FixedDigits(std::string_view s) {
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return DigitValue(s);
        v = v * 10 + (c - '0');
    }
    return v;
}

// The number as exactly `width` digits with leading zeros (the caller keeps it within the width).
inline void AppendDigits(std::string& out, std::size_t value, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, static_cast<std::size_t>(width));
}

// Copies octets into a string whose storage is reused from record to record; unlike assign() it
// takes the short path when the old capacity suffices.
inline void AssignOctets(std::string& dst, std::string_view src) {
    if (src.size() == 1 && dst.size() == 1) {  // subfield codes
        dst[0] = src[0];
        return;
    }
    if (src.size() > dst.capacity()) {
        dst.assign(src);
        return;
    }
    dst.resize(src.size());
    if (!src.empty()) std::memcpy(dst.data(), src.data(), src.size());
}

// True when any octet is 0x80 or above; eight octets at a time, as records are mostly ASCII.
inline bool HasHighOctets(std::string_view s) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        any |= word;
    }
    for (; i < s.size(); ++i) any |= static_cast<unsigned char>(s[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

inline bool IsControlTag(std::string_view tag) { return tag.size() >= 2 && tag[0] == '0' && tag[1] == '0'; }

}  // namespace linkmend::marc_detail

namespace linkmend::marc_detail {

// Decodes the UTF-8 character at s[i]: its code point and octet count. An octet that does not begin
// a well-formed sequence gives code point -1 and a count of 1.
struct Utf8Decoded {
    std::int32_t codePoint;
    std::size_t length;
};

inline Utf8Decoded DecodeUtf8(std::string_view s, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    std::int32_t cp;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else return {-1, 1};
    if (i + length > s.size()) return {-1, 1};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return {-1, 1};
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr std::int32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {-1, 1};
    return {cp, length};
}

}  // namespace linkmend::marc_detail
