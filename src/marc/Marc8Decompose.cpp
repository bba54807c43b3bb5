// Decomposition of precomposed UTF-8 characters, and the double-width marks.
#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

bool DecomposeUtf8(std::string_view in, bool doubleWidth, std::string& out) {
    bool changed = false;
    std::uint32_t openHalf = 0;  // the right half that closes the pair now open
    for (std::size_t i = 0; i < in.size();) {
        const Utf8Decoded d = DecodeUtf8(in, i);
        if (d.cp < 0x80 || !d.valid) {
            out.push_back(in[i]);
            ++i;
            continue;
        }
        if (const auto parts = unicode::Decompose(d.cp); !parts.empty()) {
            for (std::uint32_t part : parts) AppendUtf8(out, part);
            changed = true;
        } else if (doubleWidth && (d.cp == 0xFE20 || d.cp == 0xFE22)) {
            AppendUtf8(out, d.cp == 0xFE20 ? 0x0361 : 0x0360);
            openHalf = d.cp + 1;
            changed = true;
        } else if (doubleWidth && d.cp == openHalf) {
            openHalf = 0;  // the double-width mark on the first letter covers the second
        } else {
            out.append(in.substr(i, d.length));
        }
        i += d.length;
    }
    return changed;
}

}  // namespace linkmend::marc8
