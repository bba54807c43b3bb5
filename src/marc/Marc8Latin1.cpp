// The character-set code "L": ISO 8859-1 (Latin-1), the single-octet encoding of records exported
// by systems that never used MARC-8. Every octet is the code point of the same value (letters with
// diacritics read decomposed, like MARC-8 text); on the way out a letter with one combining mark is composed where
// Latin-1 has the precomposed letter, and any other character is written as a "&#x...;" reference (which reads back as
// the character).
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

namespace {

struct Composition {
    std::uint32_t base;
    std::uint32_t mark;
    std::uint8_t composed;
};

// Latin-1 letters that are a base letter and one combining mark, sorted by (base, mark).
const std::vector<Composition>& Latin1Compositions() {
    static const std::vector<Composition> table = [] {
        std::vector<Composition> t;
        for (std::uint32_t c = 0xC0; c <= 0xFF; ++c) {
            const auto parts = unicode::Decompose(c);
            if (parts.size() == 2) t.push_back({parts[0], parts[1], static_cast<std::uint8_t>(c)});
        }
        std::sort(t.begin(), t.end(), [](const Composition& a, const Composition& b) {
            return a.base != b.base ? a.base < b.base : a.mark < b.mark;
        });
        return t;
    }();
    return table;
}

std::uint8_t Compose(std::uint32_t base, std::uint32_t mark) {
    const auto& t = Latin1Compositions();
    const auto it = std::lower_bound(t.begin(), t.end(), Composition{base, mark, 0},
                                     [](const Composition& a, const Composition& b) {
                                         return a.base != b.base ? a.base < b.base : a.mark < b.mark;
                                     });
    return it != t.end() && it->base == base && it->mark == mark ? it->composed : 0;
}

bool Differs(const std::string& out, std::size_t start, std::string_view in) {
    return out.size() - start != in.size() || std::memcmp(out.data() + start, in.data(), in.size()) != 0;
}

}  // namespace

TranslateResult Latin1ToUtf8(std::string_view in, std::string& out) {
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < in.size();) {
        if (in[i] == '\x1F' && IsSubfieldCode(in, i + 1)) {  // the code is structure, never a reference
            out.append(in.data() + i, 2);
            i += 2;
            continue;
        }
        std::uint32_t cp;
        if (const std::size_t length = ReadNumericReference(in, i, cp)) {
            AppendUtf8(out, cp);
            i += length;
            continue;
        }
        // Letters with diacritics come out decomposed, as MARC-8 text does.
        const std::uint32_t c = static_cast<unsigned char>(in[i++]);
        const auto parts = unicode::Decompose(c);
        if (parts.empty()) AppendUtf8(out, c);
        for (std::uint32_t part : parts) AppendUtf8(out, part);
    }
    return {Differs(out, start, in), false};
}

TranslateResult Utf8ToLatin1(std::string_view in, std::string& out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::size_t start = out.size();
    bool error = false;
    for (std::size_t i = 0; i < in.size();) {
        if (in[i] == '\x1F' && IsSubfieldCode(in, i + 1)) {
            out.append(in.data() + i, 2);
            i += 2;
            continue;
        }
        const Utf8Decoded ch = DecodeUtf8(in, i);
        i += ch.length;
        std::uint32_t referenced;
        if (!ch.valid) {
            out += "[UTF8+";
            out.push_back(kHex[ch.cp >> 4]);
            out.push_back(kHex[ch.cp & 0xF]);
            out.push_back(']');
            error = true;
        } else if (ch.cp == '&' && ReadNumericReference(in, i - 1, referenced) > 0) {
            AppendNumericReference(out, '&');
        } else if (ch.cp <= 0xFF) {
            std::uint32_t cp = ch.cp;
            if (i < in.size()) {
                const Utf8Decoded next = DecodeUtf8(in, i);
                if (const std::uint8_t composed = next.valid ? Compose(cp, next.cp) : 0) {
                    cp = composed;
                    i += next.length;
                }
            }
            out.push_back(static_cast<char>(cp));
        } else {
            AppendNumericReference(out, ch.cp);
            error = true;
        }
    }
    return {Differs(out, start, in), error};
}

}  // namespace linkmend::marc8
