// The character workbench: the current character in all its forms, code points and UTF-8, character
// boundaries, single-character translation, substitutes, named characters, comparison forms.
#include <gtest/gtest.h>

#include "Marc8TestSupport.h"
#include "marc/Utf8CharClass.h"

using linkmend::Utf8CharClass;
using linkmend::test::Hex;

namespace {

TEST(CharCurrent, SettingUtf8CharDerivesEveryForm) {
    Utf8CharClass c;
    c.Utf8Char("\xC3\xA9tude");  // only the first character counts
    EXPECT_EQ(c.Utf8Char(), "\xC3\xA9");
    EXPECT_EQ(c.Utf8CharOctets(), 2);
    EXPECT_EQ(c.UcsHex(), "00E9");
    EXPECT_EQ(c.Utf8CharAsc(), 0xE9);
    EXPECT_EQ(Hex(c.UcsChar()), Hex(std::string("\xE9\x00", 2)));
    EXPECT_EQ(c.Utf8CharLCase(), "\xC3\xA9");
    EXPECT_EQ(c.Utf8CharUCase(), "\xC3\x89");
    EXPECT_EQ(c.Utf8CharCategory(), "Ll");
    EXPECT_FALSE(c.Utf8CharNonRoman());
    EXPECT_EQ(c.Utf8CharNorm(), "E");
}

TEST(CharCurrent, SettingUcsHexOrUcsCharDerivesEveryForm) {
    Utf8CharClass c;
    c.UcsHex("1F600");  // beyond the 16-bit plane: four octets, a surrogate pair in the UCS form
    EXPECT_EQ(Hex(c.Utf8Char()), "F0 9F 98 80 ");
    EXPECT_EQ(c.Utf8CharOctets(), 4);
    EXPECT_EQ(Hex(c.UcsChar()), "3D D8 00 DE ");
    EXPECT_EQ(c.Utf8CharCategory(), "So");

    c.UcsChar(std::string("\x14\x04", 2));  // Cyrillic capital De
    EXPECT_EQ(c.Utf8Char(), "\xD0\x94");
    EXPECT_EQ(c.UcsHex(), "0414");
    EXPECT_EQ(c.Utf8CharLCase(), "\xD0\xB4");
    EXPECT_TRUE(c.Utf8CharNonRoman());

    c.UcsHex("U+2113");
    EXPECT_EQ(c.Utf8Char(), "\xE2\x84\x93");
}

TEST(CharCurrent, InvalidInputNeverYieldsAHalfCharacter) {
    Utf8CharClass c;
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xE2\x82", "\xED\xA0\x80", "\x80z", "\xF4\x90\x80\x80", "\xFF"}) {
        c.Utf8Char(bad);
        EXPECT_EQ(c.UcsHex(), "FFFD") << Hex(bad);
        EXPECT_EQ(Hex(c.Utf8Char()), "EF BF BD ") << Hex(bad);
    }
    for (const char* bad : {"XYZ", "D800", "110000", "", "U+", "1234567"}) {
        c.UcsHex("41");
        c.UcsHex(bad);
        EXPECT_EQ(c.Utf8Char(), "") << bad;
        EXPECT_EQ(c.Utf8CharAsc(), 0) << bad;
        EXPECT_EQ(c.Utf8CharCategory(), "") << bad;
    }
    c.Utf8Char("");
    EXPECT_EQ(c.Utf8CharOctets(), 0);
}

TEST(CharOctets, CountFollowsTheFirstOctet) {
    Utf8CharClass c;
    EXPECT_EQ(c.Utf8CharOctets("\xE2\x84\x93"), 3);
    EXPECT_EQ(c.Utf8CharOctets("abc"), 1);
    EXPECT_EQ(c.Utf8CharOctets("\xC3\xA9"), 2);
    EXPECT_EQ(c.Utf8CharOctets("\xF0\x9F\x98\x80"), 4);
    EXPECT_EQ(c.Utf8CharOctets("\x80"), 1);  // a stray continuation octet stands alone
    EXPECT_EQ(c.Utf8CharOctets(""), 0);
}

TEST(CharOctets, FindFirstOctetStepsBackOverContinuationOctets) {
    Utf8CharClass c;
    const std::string s =
        "\xE2\x82\xAC"
        "x";  // euro sign, then x
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 3), 1);
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 2), 1);
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 4), 4);
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 99), 4);  // past the end: from the last octet
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 1), 1);
    EXPECT_EQ(c.Utf8CharFindFirstOctet(s, 0), 0);
    EXPECT_EQ(c.Utf8CharFindFirstOctet("\x80\x80\x80", 3), 1);  // stray continuations stop at 1
    EXPECT_EQ(c.Utf8CharFindFirstOctet("", 5), 0);
}

TEST(CharConvert, CodePointsAndUcsForms) {
    Utf8CharClass c;
    EXPECT_EQ(c.UcsHex2Utf8("2113"), "\xE2\x84\x93");
    EXPECT_EQ(c.UcsHex2Utf8("e9"), "\xC3\xA9");
    EXPECT_EQ(c.UcsHex2Utf8("DFFF"), "");
    EXPECT_EQ(c.UcsNumericToUtf8(0x2113), "\xE2\x84\x93");
    EXPECT_EQ(c.UcsNumericToUtf8(0x10FFFF), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(c.UcsNumericToUtf8(-1), "");
    EXPECT_EQ(c.UcsNumericToUtf8(0x110000), "");
    const std::string text = "a\xC3\xA9\xE4\xBA\xBA\xF0\xA0\x80\x80";
    EXPECT_EQ(c.Ucs2Utf8(c.Utf82Ucs(text)), text);
    EXPECT_EQ(Hex(c.Ucs2Utf8(std::string("\x00\xD8"
                                         "A",
                                         3))),
              "EF BF BD ");  // lone surrogate; odd octet dropped
    EXPECT_EQ(Hex(c.Utf82Ucs("\xC3")), "FD FF ");
}

TEST(CharTranslate, Marc82Utf8ReadsShortStringsInEachEncoding) {
    Utf8CharClass c;
    EXPECT_EQ(c.Marc82Utf8("\xE1"
                           "e"),
              "e\xCC\x80");
    EXPECT_EQ(c.Marc82Utf8("\x1B"
                           "b2\x1Bs"),
              "\xE2\x82\x82");
    EXPECT_EQ(c.Marc82Utf8("&#x2113;"), "\xE2\x84\x93");
    EXPECT_EQ(c.Marc82Utf8("\x1Bg"
                           "abc\x1Bs"),
              "\xCE\xB1\xCE\xB2\xCE\xB3");
    EXPECT_EQ(c.Marc82Utf8("\xC2", "V"), "\xC2\xB2");      // superscript two in variant V
    EXPECT_EQ(c.Marc82Utf8("\xC2", "M"), "\xE2\x84\x97");  // sound recording copyright in MARC-8
    EXPECT_EQ(c.Marc82Utf8("\xBE", "O"), "\xE2\x84\x93");
    EXPECT_EQ(c.Marc82Utf8("\xE9", "L"), "e\xCC\x81");
    EXPECT_EQ(c.Marc82Utf8("x\xFC"), "x[MARC+FC]");
}

TEST(CharTranslate, OneMarc8CharacterByItsWorkingSet) {
    Utf8CharClass c;
    std::string out;
    bool changed = false, error = true;
    c.TranslateMarc2Utf8OneCharacter("M", "s", "\xE1", out, changed, error);
    EXPECT_EQ(out, "\xCC\x80");
    EXPECT_TRUE(changed);
    EXPECT_FALSE(error);
    c.TranslateMarc2Utf8OneCharacter("M", "s", "a", out, changed, error);
    EXPECT_EQ(out, "a");
    EXPECT_FALSE(changed);
    c.TranslateMarc2Utf8OneCharacter("M", "(N", "a", out, changed, error);
    EXPECT_EQ(out, "\xD0\x90");
    c.TranslateMarc2Utf8OneCharacter("M", ")Q", "\xC4", out, changed, error);
    EXPECT_EQ(out, "\xD1\x91");
    c.TranslateMarc2Utf8OneCharacter("M", "$1", "\x21\x23\x20", out, changed, error);
    EXPECT_EQ(out, "\xE3\x80\x80");
    c.TranslateMarc2Utf8OneCharacter("v", "s", "\xC0", out, changed, error);
    EXPECT_EQ(out, "\xE2\x81\xB0");
    c.TranslateMarc2Utf8OneCharacter("M", "s", "\xFC", out, changed, error);
    EXPECT_EQ(out, "[MARC+FC]");
    EXPECT_TRUE(error);
}

struct OneCharacterCase {
    const char* setOut;
    const char* tableIn;
    const char* utf8;
    const char* marc8;
    const char* tableOut;
    bool error;
};

TEST(CharTranslate, OneUtf8CharacterGivesItsOctetsAndSetNumber) {
    const OneCharacterCase cases[] = {
        {"M", "0", "\xC3\xA9",
         "\xE2"
         "e",
         "0", false},  // precomposed: mark, then base
        {"M", "0", "\xCC\x80", "\xE1", "1", false},
        {"M", "0", "\xC2\xB2", "2", "4", false},         // superscript set
        {"V", "0", "\xC2\xB2", "\xC2", "1", false},      // variant V: inside extended Latin
        {"O", "0", "\xE2\x84\x93", "\xBE", "1", false},  // variant O
        {"M", "0", "\xE2\x84\x93", "\xC1", "1", false},
        {"M", "0", "\xCE\xB1", "a", "8", false},  // plain look-up: Greek set
        {"M", "2", "\xCE\xB1", "a", "2", false},  // Greek symbols in force: the alternative
        {"M", "0", "\xCF\xA1", "~", "9", false},  // sampi
        {"M", "0", "\xD0\x90", "a", "6", false},
        {"M", "0", "\xD1\x91", "\xC4", "6", false},
        {"M", "0", "\xD8\xA1", "A", "7", false},
        {"M", "0", "\xE3\x80\x80", "\x21\x23\x20", "EA", false},
        {"M", "0", "\xC2\x98", "\x88", "1", false},
        {"M", "6", "1", "1", "6", false},                   // digits exist in Cyrillic: no change of set
        {"M", "0", "\xE0\xB8\x81", "&#x0E01;", "0", true},  // Thai has no MARC-8 form
        {"L", "0", "\xC3\xA9", "\xE9", "0", false},
    };
    Utf8CharClass c;
    for (const auto& k : cases) {
        std::string setOut = k.setOut, table = k.tableIn, marc8;
        bool changed = false, error = !k.error;
        c.TranslateUtf82MarcOneCharacter(setOut, table, k.utf8, marc8, changed, error);
        EXPECT_EQ(Hex(marc8), Hex(k.marc8)) << Hex(k.utf8);
        EXPECT_EQ(table, k.tableOut) << Hex(k.utf8);
        EXPECT_EQ(error, k.error) << Hex(k.utf8);
        EXPECT_EQ(changed, std::string(k.marc8) != k.utf8);
    }
    std::string setOut = "q", table = "0", marc8;
    bool changed, error;
    c.TranslateUtf82MarcOneCharacter(setOut, table, "a", marc8, changed, error);
    EXPECT_EQ(setOut, "M");  // an unknown set is taken as MARC-8
}

TEST(CharSubstitute, PrivateUseAndFractionsHaveDisplayForms) {
    Utf8CharClass c;
    std::string out;
    EXPECT_TRUE(c.SubstituteUtf8Char("\xEE\xA3\x90", out));  // U+E8D0, EACC 212A21
    EXPECT_EQ(out, "\xE3\x80\x93");
    EXPECT_TRUE(c.SubstituteUtf8Char("3/4", out));
    EXPECT_EQ(out, "\xC2\xBE");
    EXPECT_FALSE(c.SubstituteUtf8Char("a", out));
    EXPECT_EQ(out, "a");
    EXPECT_FALSE(c.SubstituteUtf8Char("\xEE\xA3", out));  // truncated: left as it is
    EXPECT_EQ(out, "\xEE\xA3");
}

TEST(CharNamed, SpecialCharactersInBothEncodings) {
    Utf8CharClass c;
    EXPECT_EQ(c.Utf8Umlaut(), "\xCC\x88");
    EXPECT_EQ(c.Marc8Umlaut(), "\xE8");
    EXPECT_EQ(c.Marc8Acute("V"), "\xE2");
    EXPECT_EQ(c.Marc8LigatureLeft(), "\xEB");
    EXPECT_EQ(c.Marc8DoubleTildeRight(), "\xFB");
    EXPECT_EQ(c.Marc8Superscript(2), "\x1Bp2\x1Bs");
    EXPECT_EQ(c.Marc8Superscript(2, "V"), "\xC2");
    EXPECT_EQ(c.Marc8Subscript(0, "V"), "\xD0");
    EXPECT_EQ(c.Marc8SubscriptCloseParen(),
              "\x1B"
              "b)\x1Bs");
    EXPECT_EQ(c.Utf8Superscript(1), "\xC2\xB9");
    EXPECT_EQ(c.Utf8Superscript(10), "");
    EXPECT_EQ(c.Marc8ZeroWidthJoiner(), "\x8D");
    EXPECT_EQ(c.Utf8RightToLeftMarker(), "\xE2\x80\x8F");
    EXPECT_EQ(c.Utf8PopDirectionalFormatting(), "\xE2\x80\xAC");
    EXPECT_EQ(Utf8CharClass::MarcNonSortBegin(), "\x88");
    EXPECT_EQ(Utf8CharClass::Utf8NonSortEnd(), "\xC2\x9C");
    EXPECT_EQ(Utf8CharClass::MarcDelimiter(), "\x1F");
    EXPECT_EQ(Utf8CharClass::Utf8EndOfRecord(), "\x1D");
}

TEST(CharNorm, ComparisonFormsFoldLettersAndPunctuation) {
    struct Case {
        const char* in;
        const char* v;
        const char* p;
    };
    const Case cases[] = {
        {"\xC3\x86", "AE", "AE"},
        {"\xC3\x9F", "SS", "SS"},
        {"\xC7\xBF", "O", "O"},
        {"\xC5\x82", "L", "L"},
        {",", " ", ","},
        {"&", "&", "&"},
        {"\xCC\x81", "", ""},
        {"\xC2\xB2", "2", "2"},
        {"\xD0\xB4", "\xD0\x94", "\xD0\x94"},
        {"\xE4\xBA\xBA", "\xE4\xBA\xBA", "\xE4\xBA\xBA"},
        {"\xCA\xBB", "", ""},
        {"'", "", "'"},
        {"\xE2\x80\x99", "", "\xE2\x80\x99"},
        {"\xC2\x98", "", ""},
        {"\xE2\x80\x8F", "", ""},
        {" ", " ", " "},
        {"\x1F", " ", " "},
        {"q", "Q", "Q"},
        {"\xE2\x84\x93", "L", "L"},
        {"\xC2\xA9", " ", "\xC2\xA9"},
    };
    Utf8CharClass c;
    for (const auto& k : cases) {
        c.Utf8Char(k.in);
        EXPECT_EQ(c.Utf8CharNorm("V"), k.v) << Hex(k.in);
        EXPECT_EQ(c.Utf8CharNorm("P"), k.p) << Hex(k.in);
    }
}

TEST(CharScript, ScriptLettersOfTheVernacularRanges) {
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x03B1), 'G');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x1F00), 'G');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x0416), 'R');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x05D0), 'H');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x0627), 'A');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0xAC00), 'K');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0xD7AF), 'Z');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x3042), 'J');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x4EBA), 'C');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x2A6D6), 'C');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x0E01), 'Z');
    EXPECT_EQ(Utf8CharClass::ScriptOf('a'), 0);
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x0301), 0);
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x2070), 0);
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x2113), 0);
    EXPECT_EQ(Utf8CharClass::ScriptOf(0x2114), 'Z');
    EXPECT_EQ(Utf8CharClass::ScriptOf(0xFE21), 0);
}

}  // namespace
