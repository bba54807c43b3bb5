// Characterising octets: which encoding a record is in, by the octet values it holds.
//
// Decision table (first match wins):
//   no escape sequence, no octet above 0x7F                    -> "M" (plain ASCII reads the same in
//                                                                 every set; a record not marked as
//                                                                 UTF-8 is MARC-8)
//   no escape sequence, high octets mostly valid UTF-8
//     (at most one invalid octet per four valid sequences)    -> "U"
//   escape sequences, and every high octet in well-formed
//     UTF-8 sequences                                          -> "Y" (either; read as MARC-8)
//   every high octet defined in standard MARC-8               -> "M"
//   octets only V defines (0x90, 0x92-0x96, 0xA0, 0xAF, 0xBF,
//     0xC9-0xCD, 0xD0-0xDD), none illegal in V                -> "V"
//   0xBE the only octet standard MARC-8 lacks                 -> "O"
//   octets only V defines, others illegal even in V           -> "X" (read as V)
//   anything else                                             -> "M"
// While an escape sequence has put another set into G1, octets 0xA1-0xFE are not judged. Control
// octets other than ESC and the three structural characters, and DEL, are illegal everywhere and
// listed; so are the high octets the chosen encoding does not define (invalid UTF-8 octets for "U").
#include <array>
#include <cstdint>
#include <cstring>

#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

namespace {

bool IsLegalControl(unsigned octet) {
    return octet >= 0x20 || octet == 0x1B || octet == 0x1D || octet == 0x1E || octet == 0x1F;
}

bool DesignatesG1(std::string_view s) {
    for (std::size_t i = s.find('\x1B'); i != std::string_view::npos; i = s.find('\x1B', i + 1)) {
        std::size_t k = i + 1;
        if (k < s.size() && s[k] == '$') ++k;
        if (k < s.size() && (s[k] == ')' || s[k] == '-')) return true;
    }
    return false;
}

std::string Characterize(std::string_view octets);

std::string WithIllegal(char code, const std::array<bool, 256>& illegal) {
    std::string result(1, code);
    bool any = false;
    for (unsigned v = 0; v < 256; ++v) {
        if (!illegal[v]) continue;
        if (!any) result += "Illegal character(s): ";
        any = true;
        result += std::to_string(v);
        result.push_back(' ');
    }
    return result;
}

}  // namespace

std::string CharacterizeOctets(std::string_view octets) {
    // A record is often characterised twice in a row (checked, then loaded): the last answer is kept.
    thread_local std::string lastOctets, lastCode;
    if (!lastCode.empty() && octets == lastOctets) return lastCode;
    lastCode = Characterize(octets);
    lastOctets.assign(octets);
    return lastCode;
}

namespace {

std::string Characterize(std::string_view octets) {
    // Which octet values occur is all that counts, and only of controls, DEL and octets from 0x80:
    // eight octets of printable ASCII at a time are passed over.
    std::array<bool, 256> present{};
    for (std::size_t i = 0; i < octets.size();) {
        if (i + 8 <= octets.size()) {
            std::uint64_t w = 0;
            std::memcpy(&w, octets.data() + i, 8);
            constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
            const std::uint64_t del = w ^ (0x7F * ones);
            // An octet from 0x80, one below 0x20, or DEL (a zero octet of w ^ 0x7F...).
            if (((w | ((w - 0x20 * ones) & ~w) | ((del - ones) & ~del)) & highs) == 0) {
                i += 8;
                continue;
            }
            for (std::size_t k = i; k < i + 8; ++k) present[static_cast<unsigned char>(octets[k])] = true;
            i += 8;
            continue;
        }
        present[static_cast<unsigned char>(octets[i++])] = true;
    }
    std::array<bool, 256> controls{};
    for (unsigned v = 0; v < 0x20; ++v) controls[v] = present[v] && !IsLegalControl(v);
    controls[0x7F] = present[0x7F];

    bool high = false;
    for (unsigned v = 0x80; v < 256; ++v) high = high || present[v];
    if (high) {
        std::size_t valid = 0, invalid = 0;
        std::array<bool, 256> illegal = controls;
        for (std::size_t i = SkipAscii(octets, 0); i < octets.size(); i = SkipAscii(octets, i)) {
            const Utf8Decoded d = DecodeUtf8Multi(octets, i);  // from 0x80: valid ones are sequences
            if (!d.valid) {
                ++invalid;
                illegal[d.cp] = true;
            } else {
                ++valid;
            }
            i += d.length;
        }
        if (!present[0x1B] && valid > 0 && invalid * 4 <= valid) return WithIllegal('U', illegal);
        if (present[0x1B] && valid > 0 && invalid == 0) return WithIllegal('Y', controls);
    }

    const bool judgeG1 = !DesignatesG1(octets);
    std::array<bool, 256> illegalM = controls, illegalV = controls, illegalO = controls;
    bool anyM = false, anyV = false, anyO = false, vOnly = false;
    for (unsigned v = 0x80; v < 256; ++v) {
        if (!present[v] || (!judgeG1 && v >= 0xA1 && v <= 0xFE)) continue;
        const bool inM = LatinHighEntry(LatinVariant::Marc8, v) != 0;
        const bool inV = LatinHighEntry(LatinVariant::V, v) != 0;
        const bool inO = LatinHighEntry(LatinVariant::O, v) != 0;
        illegalM[v] = !inM;
        illegalV[v] = !inV;
        illegalO[v] = !inO;
        anyM = anyM || !inM;
        anyV = anyV || !inV;
        anyO = anyO || !inO;
        if (inV && !inM && v != 0xBE) vOnly = true;
    }
    if (!anyM) return WithIllegal('M', controls);
    if (vOnly && !anyV) return WithIllegal('V', controls);
    if (!anyO) return WithIllegal('O', controls);
    if (vOnly) return WithIllegal('X', illegalV);
    return WithIllegal('M', illegalM);
}

}  // namespace

bool EncodingFromCode(std::string_view code, Encoding& encoding) {
    if (code.empty()) return false;
    switch (code[0]) {
        case 'M':
        case 'Y': encoding = Encoding::Marc8; return true;
        case 'V':
        case 'X': encoding = Encoding::V; return true;
        case 'O': encoding = Encoding::O; return true;
        case 'L': encoding = Encoding::Latin1; return true;
        default: return false;
    }
}

}  // namespace linkmend::marc8
