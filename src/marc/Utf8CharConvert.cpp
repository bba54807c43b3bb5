// Code points, UTF-8 and the UCS form; character boundaries in octet strings.
#include <algorithm>

#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

using marc8::AppendUtf8;
using marc8::DecodeUtf8;

std::int32_t Utf8CharClass::Utf8CharFindFirstOctet(std::string_view sIn, std::int32_t lPtr) const {
    if (lPtr <= 1) return lPtr;
    if (sIn.empty()) return 0;
    std::size_t p = std::min(static_cast<std::size_t>(lPtr), sIn.size());
    while (p > 1 && (static_cast<unsigned char>(sIn[p - 1]) & 0xC0) == 0x80) --p;
    return static_cast<std::int32_t>(p);
}

std::string Utf8CharClass::Ucs2Utf8(std::string_view sUcs) const {
    std::string out;
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(sUcs[i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(sUcs[i + 1])) << 8;
    };
    for (std::size_t i = 0; i + 1 < sUcs.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < sUcs.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, cp);  // a lone surrogate becomes U+FFFD
    }
    return out;
}

std::string Utf8CharClass::Utf82Ucs(std::string_view sUtf8) const {
    std::string out;
    const auto put = [&](std::uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (std::size_t i = 0; i < sUtf8.size();) {
        const auto d = DecodeUtf8(sUtf8, i);
        i += d.length;
        const std::uint32_t cp = d.valid ? d.cp : 0xFFFD;
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string Utf8CharClass::UcsHex2Utf8(std::string_view sInput) const {
    Utf8CharClass c;
    c.UcsHex(sInput);
    return c.Utf8Char();
}

std::string Utf8CharClass::UcsNumericToUtf8(std::int32_t lInputValue) const {
    if (lInputValue < 0 || lInputValue > 0x10FFFF || (lInputValue >= 0xD800 && lInputValue <= 0xDFFF)) return {};
    std::string out;
    AppendUtf8(out, static_cast<std::uint32_t>(lInputValue));
    return out;
}

}  // namespace linkmend
