// The character workbench: the current character in all its forms, character boundaries, single
// characters translated by their working set, substitutes, named characters, comparison forms.
#include <gtest/gtest.h>

#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "marc/Utf8CharClass.h"

using linkmend::Utf8CharClass;
using namespace linkmend::test;

namespace {

TEST(CharWorkbench, EveryFormOfTheCurrentCharacter) {
    Utf8CharClass c;
    c.Utf8Char(X("{C3}{A9}tude"));  // only the first character counts
    EXPECT_EQ(c.Utf8Char(), X("{C3}{A9}"));
    EXPECT_EQ(c.Utf8CharOctets(), 2);
    EXPECT_EQ(c.UcsHex(), "00E9");
    EXPECT_EQ(c.Utf8CharAsc(), 0xE9);
    EXPECT_EQ(c.UcsChar(), X("{E9}{00}"));
    EXPECT_EQ(c.Utf8CharLCase(), X("{C3}{A9}"));
    EXPECT_EQ(c.Utf8CharUCase(), X("{C3}{89}"));
    EXPECT_EQ(c.Utf8CharCategory(), "Ll");
    EXPECT_FALSE(c.Utf8CharNonRoman());
    EXPECT_EQ(c.Utf8CharNorm(), "E");
    c.UcsHex("1F600");  // beyond the 16-bit plane: four octets, a surrogate pair in the UCS form
    EXPECT_EQ(c.Utf8Char(), X("{F0}{9F}{98}{80}"));
    EXPECT_EQ(c.Utf8CharOctets(), 4);
    EXPECT_EQ(c.UcsChar(), X("{3D}{D8}{00}{DE}"));
    EXPECT_EQ(c.Utf8CharCategory(), "So");
    c.UcsChar(X("{14}{04}"));  // Cyrillic capital De
    EXPECT_EQ(c.UcsHex(), "0414");
    EXPECT_EQ(c.Utf8CharLCase(), X("{D0}{B4}"));
    EXPECT_TRUE(c.Utf8CharNonRoman());
    c.UcsHex("U+2113");
    EXPECT_EQ(c.Utf8Char(), X("{E2}{84}{93}"));
    // Invalid input never yields half a character.
    for (const char* bad : {"{C3}", "{C0}{AF}", "{E2}{82}", "{ED}{A0}{80}", "{80}z", "{F4}{90}{80}{80}", "{FF}"}) {
        c.Utf8Char(X(bad));
        EXPECT_EQ(c.UcsHex(), "FFFD") << bad;
        EXPECT_EQ(c.Utf8Char(), X("{EF}{BF}{BD}")) << bad;
    }
    for (const char* bad : {"XYZ", "D800", "110000", "", "U+", "1234567"}) {
        c.UcsHex("41");
        c.UcsHex(bad);
        EXPECT_EQ(c.Utf8Char(), "") << bad;
        EXPECT_EQ(c.Utf8CharAsc(), 0) << bad;
        EXPECT_EQ(c.Utf8CharCategory(), "") << bad;
    }
    EXPECT_EQ(c.Utf8CharOctets(), 0);
}

TEST(CharWorkbench, OctetCountsBoundariesAndCodePoints) {
    Utf8CharClass c;
    const std::pair<const char*, int> counts[] = {{"{E2}{84}{93}", 3},     {"abc", 1},  {"{C3}{A9}", 2},
                                                  {"{F0}{9F}{98}{80}", 4}, {"{80}", 1}, {"", 0}};
    for (const auto& [s, n] : counts) EXPECT_EQ(c.Utf8CharOctets(X(s)), n) << s;
    const std::string euro = X("{E2}{82}{AC}x");  // steps back over continuation octets
    const std::pair<int, int> firsts[] = {{3, 1}, {2, 1}, {4, 4}, {99, 4}, {1, 1}, {0, 0}};
    for (const auto& [from, first] : firsts) EXPECT_EQ(c.Utf8CharFindFirstOctet(euro, from), first) << from;
    EXPECT_EQ(c.Utf8CharFindFirstOctet(X("{80}{80}{80}"), 3), 1);
    EXPECT_EQ(c.Utf8CharFindFirstOctet("", 5), 0);
    EXPECT_EQ(c.UcsHex2Utf8("2113"), X("{E2}{84}{93}"));
    EXPECT_EQ(c.UcsHex2Utf8("e9"), X("{C3}{A9}"));
    EXPECT_EQ(c.UcsHex2Utf8("DFFF"), "");
    EXPECT_EQ(c.UcsNumericToUtf8(0x10FFFF), X("{F4}{8F}{BF}{BF}"));
    EXPECT_EQ(c.UcsNumericToUtf8(-1), "");
    EXPECT_EQ(c.UcsNumericToUtf8(0x110000), "");
    const std::string text = X("a{C3}{A9}{E4}{BA}{BA}{F0}{A0}{80}{80}");
    EXPECT_EQ(c.Ucs2Utf8(c.Utf82Ucs(text)), text);
    EXPECT_EQ(c.Ucs2Utf8(X("{00}{D8}A")), X("{EF}{BF}{BD}"));  // lone surrogate; odd octet dropped
    EXPECT_EQ(c.Utf82Ucs(X("{C3}")), X("{FD}{FF}"));
}

TEST(CharWorkbench, ShortMarc8StringsInEachEncoding) {
    Utf8CharClass c;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"{E1}e", "M", "e{CC}{80}"},       {"{1B}b2{1B}s", "M", "{E2}{82}{82}"},
        {"&#x2113;", "M", "{E2}{84}{93}"}, {"{1B}gabc{1B}s", "M", "{CE}{B1}{CE}{B2}{CE}{B3}"},
        {"{C2}", "V", "{C2}{B2}"},      // superscript two in variant V
        {"{C2}", "M", "{E2}{84}{97}"},  // sound recording copyright in MARC-8
        {"{BE}", "O", "{E2}{84}{93}"},     {"{E9}", "L", "e{CC}{81}"},
        {"x{FC}", "M", "x[MARC+FC]"}};
    for (const auto& [in, set, out] : cases) EXPECT_OCTETS(X(out), c.Marc82Utf8(X(in), set)) << in;
}

TEST(CharWorkbench, OneMarc8CharacterByItsWorkingSet) {
    Utf8CharClass c;
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"M", "s", "{E1}", "{CC}{80}", false},     {"M", "s", "a", "a", false},
        {"M", "(N", "a", "{D0}{90}", false},       {"M", ")Q", "{C4}", "{D1}{91}", false},
        {"M", "$1", "!# ", "{E3}{80}{80}", false}, {"v", "s", "{C0}", "{E2}{81}{B0}", false},
        {"M", "s", "{FC}", "[MARC+FC]", true}};
    for (const auto& [set, table, in, out, error] : cases) {
        std::string result;
        bool changed = false, failed = !error;
        c.TranslateMarc2Utf8OneCharacter(set, table, X(in), result, changed, failed);
        EXPECT_OCTETS(X(out), result) << in;
        EXPECT_EQ(changed, X(in) != X(out)) << in;
        EXPECT_EQ(failed, error) << in;
    }
}

TEST(CharWorkbench, OneUtf8CharacterGivesItsOctetsAndSetNumber) {
    const std::tuple<const char*, const char*, const char*, const char*, const char*, bool> cases[] = {
        {"M", "0", "{C3}{A9}", "{E2}e", "0", false},  // precomposed: mark, then base
        {"M", "0", "{CC}{80}", "{E1}", "1", false},
        {"M", "0", "{C2}{B2}", "2", "4", false},         // superscript set
        {"V", "0", "{C2}{B2}", "{C2}", "1", false},      // variant V: inside extended Latin
        {"O", "0", "{E2}{84}{93}", "{BE}", "1", false},  // variant O
        {"M", "0", "{E2}{84}{93}", "{C1}", "1", false},
        {"M", "0", "{CE}{B1}", "a", "8", false},  // plain look-up: Greek set
        {"M", "2", "{CE}{B1}", "a", "2", false},  // Greek symbols in force: the alternative
        {"M", "0", "{CF}{A1}", "~", "9", false},  // sampi
        {"M", "0", "{D0}{90}", "a", "6", false},
        {"M", "0", "{D1}{91}", "{C4}", "6", false},
        {"M", "0", "{D8}{A1}", "A", "7", false},
        {"M", "0", "{E3}{80}{80}", "!# ", "EA", false},
        {"M", "0", "{C2}{98}", "{88}", "1", false},
        {"M", "6", "1", "1", "6", false},                   // digits exist in Cyrillic: no change of set
        {"M", "0", "{E0}{B8}{81}", "&#x0E01;", "0", true},  // Thai has no MARC-8 form
        {"L", "0", "{C3}{A9}", "{E9}", "0", false},
        {"q", "0", "a", "a", "0", false}};  // an unknown set is taken as MARC-8
    Utf8CharClass c;
    for (const auto& [set, tableIn, utf8, marc8, tableOut, error] : cases) {
        std::string setOut = set, table = tableIn, out;
        bool changed = false, failed = !error;
        c.TranslateUtf82MarcOneCharacter(setOut, table, X(utf8), out, changed, failed);
        EXPECT_OCTETS(X(marc8), out) << utf8;
        EXPECT_EQ(table, tableOut) << utf8;
        EXPECT_EQ(failed, error) << utf8;
        EXPECT_EQ(changed, X(marc8) != X(utf8)) << utf8;
        EXPECT_EQ(setOut, std::string(set) == "q" ? "M" : set);
    }
}

TEST(CharWorkbench, SubstitutesAndNamedCharacters) {
    Utf8CharClass c;
    const std::tuple<const char*, bool, const char*> substitutes[] = {
        {"{EE}{A3}{90}", true, "{E3}{80}{93}"},  // U+E8D0, EACC 212A21
        {"3/4", true, "{C2}{BE}"},
        {"a", false, "a"},
        {"{EE}{A3}", false, "{EE}{A3}"}};  // truncated: left as it is
    for (const auto& [in, found, out] : substitutes) {
        std::string result;
        EXPECT_EQ(c.SubstituteUtf8Char(X(in), result), found) << in;
        EXPECT_EQ(result, X(out)) << in;
    }
    // Named characters in the MARC-8 form of the set asked for (an unknown set is MARC-8's).
    EXPECT_EQ(c.Marc8Superscript(2) + "|" + c.Marc8Superscript(2, "V") + "|" + c.Marc8Subscript(0, "V") + "|" +
                  c.Marc8Acute("Q") + "|" + c.Marc8Superscript(10) + c.Utf8Superscript(10) + "|" +
                  c.Utf8Superscript(1) + "|" + c.Marc8SubscriptCloseParen() + "|" + c.Utf8Umlaut(),
              X("{1B}p2{1B}s|{C2}|{D0}|{E2}||{C2}{B9}|{1B}b){1B}s|{CC}{88}"));
}

TEST(CharWorkbench, ComparisonFormsAndScripts) {
    const std::tuple<const char*, const char*, const char*> norms[] = {{"{C3}{86}", "AE", "AE"},
                                                                       {"{C3}{9F}", "SS", "SS"},
                                                                       {"{C7}{BF}", "O", "O"},
                                                                       {"{C5}{82}", "L", "L"},
                                                                       {",", " ", ","},
                                                                       {"&", "&", "&"},
                                                                       {"{CC}{81}", "", ""},
                                                                       {"{C2}{B2}", "2", "2"},
                                                                       {"{D0}{B4}", "{D0}{94}", "{D0}{94}"},
                                                                       {"{E4}{BA}{BA}", "{E4}{BA}{BA}", "{E4}{BA}{BA}"},
                                                                       {"{CA}{BB}", "", ""},
                                                                       {"'", "", "'"},
                                                                       {"{E2}{80}{99}", "", "{E2}{80}{99}"},
                                                                       {"{C2}{98}", "", ""},
                                                                       {"{E2}{80}{8F}", "", ""},
                                                                       {" ", " ", " "},
                                                                       {"{1F}", " ", " "},
                                                                       {"q", "Q", "Q"},
                                                                       {"{E2}{84}{93}", "L", "L"},
                                                                       {"{C2}{A9}", " ", "{C2}{A9}"}};
    Utf8CharClass c;
    for (const auto& [in, v, p] : norms) {
        c.Utf8Char(X(in));
        EXPECT_EQ(c.Utf8CharNorm("V"), X(v)) << in;
        EXPECT_EQ(c.Utf8CharNorm("P"), X(p)) << in;
    }
    const std::pair<std::uint32_t, char> scripts[] = {
        {0x03B1, 'G'}, {0x1F00, 'G'}, {0x0416, 'R'}, {0x05D0, 'H'},  {0x0627, 'A'}, {0xAC00, 'K'},
        {0xD7AF, 'Z'}, {0x3042, 'J'}, {0x4EBA, 'C'}, {0x2A6D6, 'C'}, {0x0E01, 'Z'}, {'a', 0},
        {0x0301, 0},   {0x2070, 0},   {0x2113, 0},   {0x2114, 'Z'},  {0xFE21, 0}};
    for (const auto& [cp, script] : scripts) EXPECT_EQ(Utf8CharClass::ScriptOf(cp), script) << std::hex << cp;
}

}  // namespace
