// MARC-8 escape sequences. Technique 1: ESC followed by "s" (basic Latin), "g" (Greek symbols),
// "b" (subscripts) or "p" (superscripts) sets G0 directly. Technique 2: ESC, intermediates, final:
// "(" or "," designate a 94-character set into G0, ")" or "-" into G1, "$" a multiple-octet set
// (into G0, or into G1 with a following ")" or "-"); an optional "!" before the final is accepted
// as some systems write extended Latin that way.
#include "marc/Marc8Text.h"

namespace linkmend::marc8 {

namespace {

bool SetFromFinal(char final, WorkingSet& set) {
    switch (final) {
        case 'B': set = WorkingSet::Ascii; return true;
        case 'E': set = WorkingSet::Ansel; return true;
        case '2': set = WorkingSet::Hebrew; return true;
        case 'N': set = WorkingSet::CyrillicBasic; return true;
        case 'Q': set = WorkingSet::CyrillicExtended; return true;
        case '3': set = WorkingSet::ArabicBasic; return true;
        case '4': set = WorkingSet::ArabicExtended; return true;
        case 'S': set = WorkingSet::Greek; return true;
        default: return false;
    }
}

bool TechniqueOne(char c, WorkingSet& set) {
    switch (c) {
        case 's': set = WorkingSet::Ascii; return true;
        case 'g': set = WorkingSet::GreekSymbols; return true;
        case 'b': set = WorkingSet::Subscripts; return true;
        case 'p': set = WorkingSet::Superscripts; return true;
        default: return false;
    }
}

// Parses the text after ESC; returns the octets used (0 = not a sequence we know).
std::size_t Parse(std::string_view s, WorkingSets& sets) {
    if (s.empty()) return 0;
    WorkingSet set;
    if (TechniqueOne(s[0], set)) {
        sets.g0 = set;
        return 1;
    }
    std::size_t k = 0;
    const bool multi = s[0] == '$';
    if (multi) ++k;
    bool g1 = false;
    if (k < s.size() && (s[k] == '(' || s[k] == ',' || s[k] == ')' || s[k] == '-')) {
        g1 = s[k] == ')' || s[k] == '-';
        ++k;
    } else if (!multi) {
        return 0;
    }
    if (k < s.size() && s[k] == '!' && !multi) ++k;
    if (k >= s.size()) return 0;
    const char final = s[k];
    if (multi) {
        if (final != '1') return 0;
        set = WorkingSet::EastAsian;
    } else if (!SetFromFinal(final, set)) {
        return 0;
    }
    (g1 ? sets.g1 : sets.g0) = set;
    return k + 1;
}

}  // namespace

std::size_t ReadEscapeSequence(std::string_view s, std::size_t i, WorkingSets& sets) {
    const std::size_t length = Parse(s.substr(i + 1), sets);
    return length == 0 ? 0 : length + 1;
}

std::string_view DesignationSequence(WorkingSet set, bool intoG1) {
    switch (set) {
        case WorkingSet::Ascii: return intoG1 ? "\x1B)B" : "\x1B(B";
        case WorkingSet::Ansel: return intoG1 ? "\x1B)E" : "\x1B(E";
        case WorkingSet::GreekSymbols: return "\x1Bg";
        case WorkingSet::Subscripts:
            return "\x1B"
                   "b";
        case WorkingSet::Superscripts: return "\x1Bp";
        case WorkingSet::Hebrew: return intoG1 ? "\x1B)2" : "\x1B(2";
        case WorkingSet::CyrillicBasic: return intoG1 ? "\x1B)N" : "\x1B(N";
        case WorkingSet::CyrillicExtended: return intoG1 ? "\x1B)Q" : "\x1B(Q";
        case WorkingSet::ArabicBasic: return intoG1 ? "\x1B)3" : "\x1B(3";
        case WorkingSet::ArabicExtended: return intoG1 ? "\x1B)4" : "\x1B(4";
        case WorkingSet::Greek: return intoG1 ? "\x1B)S" : "\x1B(S";
        case WorkingSet::EastAsian: return intoG1 ? "\x1B$)1" : "\x1B$1";
    }
    return {};
}

bool SetFromCode(std::string_view code, bool g1, WorkingSet& set) {
    if (code == "s" || code.empty()) {
        set = g1 ? WorkingSet::Ansel : WorkingSet::Ascii;
        return true;
    }
    WorkingSets sets;
    if (code.size() == 1 && !g1 && TechniqueOne(code[0], set)) return true;
    // A set code is its designation without ESC; a bare final stands for the set of that final.
    if (code.size() == 1 && code[0] == '1') {
        set = WorkingSet::EastAsian;
        return true;
    }
    if (code.size() == 1) return SetFromFinal(code[0], set);
    const std::size_t length = Parse(code, sets);
    if (length != code.size()) return false;
    set = (code.find_first_of(")-") != std::string_view::npos) ? sets.g1 : sets.g0;
    return true;
}

std::string CodeOfSet(WorkingSet set, bool g1) {
    if ((set == WorkingSet::Ascii && !g1) || (set == WorkingSet::Ansel && g1)) return "s";
    return std::string(DesignationSequence(set, g1).substr(1));
}

}  // namespace linkmend::marc8
