// The comparison form of a character, as searches and heading matches compare text:
// - a precomposed letter loses its marks (canonical decomposition), a lone combining mark is dropped;
// - letters are upper-cased; letters without a decomposition fold to their base letters:
//   AE, OE, O (slashed o), D (eth, barred d), TH (thorn), I (dotless i), L (barred l, script l), SS;
// - superscript and subscript digits and signs become the plain ones;
// - the alif, ayn, soft and hard signs, the non-sort markers and invisible format characters are
//   dropped; spaces and controls become one blank;
// - scheme "V": apostrophes (straight and curly) are dropped, "&", "#", "+" and "@" kept, and any
//   other punctuation or symbol becomes a blank (so words stay apart);
// - scheme "P": punctuation and symbols are kept as they are.
#include "base/Text.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

namespace linkmend {

namespace marc8 {

namespace {

struct Folding {
    std::uint32_t cp;
    const char* text;
};

constexpr Folding kFoldings[] = {
    {0x00C6, "AE"}, {0x00D0, "D"}, {0x00D8, "O"},  {0x00DE, "TH"}, {0x00DF, "SS"}, {0x00E6, "AE"},
    {0x00F0, "D"},  {0x00F8, "O"}, {0x00FE, "TH"}, {0x0110, "D"},  {0x0111, "D"},  {0x0131, "I"},
    {0x0141, "L"},  {0x0142, "L"}, {0x0152, "OE"}, {0x0153, "OE"}, {0x2113, "L"},
};

bool IsDropped(std::uint32_t cp) {
    switch (cp) {
        case 0x0098:
        case 0x009C:
        case 0x02B9:
        case 0x02BA:
        case 0x02BB:
        case 0x02BC:
        case 0x02BE:
        case 0x02BF: return true;
        default: return false;
    }
}

bool IsApostrophe(std::uint32_t cp) { return cp == 0x0027 || cp == 0x2018 || cp == 0x2019; }

// The plain character of a superscript or subscript digit or sign, 0 for any other.
std::uint32_t PlainOfScript(std::uint32_t cp) {
    switch (cp) {
        case 0x00B9: return '1';
        case 0x00B2: return '2';
        case 0x00B3: return '3';
        default: break;
    }
    if (cp == 0x2070 || (cp >= 0x2074 && cp <= 0x2079)) return '0' + (cp - 0x2070);
    if (cp >= 0x2080 && cp <= 0x2089) return '0' + (cp - 0x2080);
    switch (cp) {
        case 0x207A:
        case 0x208A: return '+';
        case 0x207B:
        case 0x208B: return '-';
        case 0x207D:
        case 0x208D: return '(';
        case 0x207E:
        case 0x208E: return ')';
        default: return 0;
    }
}

}  // namespace

void AppendNormalized(std::uint32_t cp, bool schemeP, std::string& out) {
    if (cp < 0x80) {  // basic Latin without table look-ups
        const char c = static_cast<char>(cp);
        if (c >= 'a' && c <= 'z') out.push_back(AsciiUpper(c));
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') out.push_back(c);
        else if (cp < 0x20 || cp == 0x7F) out.push_back(' ');
        else if (schemeP || c == '&' || c == '#' || c == '+' || c == '@') out.push_back(c);
        else if (c != '\'') out.push_back(' ');
        return;
    }
    if (const std::uint32_t plain = PlainOfScript(cp)) cp = plain;
    if (const auto parts = unicode::Decompose(cp); !parts.empty()) cp = parts[0];
    for (const Folding& f : kFoldings) {
        if (f.cp == cp) {
            out += f.text;
            return;
        }
    }
    if (IsDropped(cp) || (!schemeP && IsApostrophe(cp))) return;
    if (cp == '&' || cp == '#' || cp == '+' || cp == '@') {
        out.push_back(static_cast<char>(cp));
        return;
    }
    const char* category = unicode::Category(cp);
    switch (category[0]) {
        case 'L': AppendUtf8(out, unicode::ToUpper(cp)); return;
        case 'N': AppendUtf8(out, cp); return;
        case 'M': return;
        case 'Z': out.push_back(' '); return;
        case 'C':
            if (category[1] == 'f') return;  // joiners, directional marks
            if (category[1] == 'c') {
                out.push_back(' ');
                return;
            }
            AppendUtf8(out, cp);  // private use and unassigned stay as they are
            return;
        default:  // punctuation and symbols
            if (schemeP) AppendUtf8(out, cp);
            else out.push_back(' ');
            return;
    }
}

}  // namespace marc8

std::string Utf8CharClass::Utf8CharNorm(std::string_view scheme) const {
    if (utf8_.empty()) return {};
    std::string out;
    marc8::AppendNormalized(cp_, !scheme.empty() && (scheme[0] == 'P' || scheme[0] == 'p'), out);
    return out;
}

}  // namespace linkmend
