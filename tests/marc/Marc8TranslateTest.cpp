// Text translation between MARC-8 and UTF-8: working sets, escape sequences, East Asian groups,
// references, diacritic order, markers for what has no translation, and bad input of every kind.
#include <gtest/gtest.h>

#include <random>

#include "Marc8TestSupport.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

using namespace linkmend::marc8;
using linkmend::test::Hex;

namespace {

struct Read {
    std::string text;
    TranslateResult result;
    WorkingSets sets;
};

Read ToUtf8(const std::string& marc8, WorkingSets sets = {}, Encoding encoding = Encoding::Marc8) {
    Read r;
    TranslateOptions options;
    options.encoding = encoding;
    r.result = Marc8ToUtf8(marc8, sets, options, r.text);
    r.sets = sets;
    return r;
}

Read ToMarc8(const std::string& utf8, WorkingSets sets = {}, Encoding encoding = Encoding::Marc8) {
    Read r;
    TranslateOptions options;
    options.encoding = encoding;
    r.result = Utf8ToMarc8(utf8, sets, options, r.text);
    r.sets = sets;
    return r;
}

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto d = DecodeUtf8(s, i);
        if (!d.valid) return false;
        i += d.length;
    }
    return true;
}

TEST(Marc8ToUtf8, DiacriticsFollowTheirBaseInTheOrderRead) {
    EXPECT_EQ(ToUtf8("\xE1"
                     "e")
                  .text,
              "e\xCC\x80");
    EXPECT_EQ(ToMarc8("e\xCC\x80").text,
              "\xE1"
              "e");
    EXPECT_EQ(Hex(ToUtf8("Vi\xE3\xF2"
                         "et")
                      .text),
              Hex("Vie\xCC\x82\xCC\xA3t"));
    EXPECT_EQ(Hex(ToMarc8("Vie\xCC\x82\xCC\xA3t").text), Hex("Vi\xE3\xF2"
                                                             "et"));
    // A mark with nothing after it in the text stays at the end; before a delimiter, before it.
    EXPECT_EQ(ToUtf8("abc\xE1").text, "abc\xCC\x80");
    EXPECT_EQ(ToUtf8("a\xE1\x1F"
                     "bc")
                  .text,
              "a\xCC\x80\x1F"
              "bc");
    // A mark on a space (a spacing diacritic) stays on the space.
    EXPECT_EQ(ToUtf8("\xE2 x").text, " \xCC\x81x");
}

TEST(Marc8ToUtf8, TechniqueOneSetsAndTheirReturn) {
    EXPECT_EQ(ToUtf8("\x1B"
                     "b2\x1Bs")
                  .text,
              "\xE2\x82\x82");
    EXPECT_EQ(ToUtf8("x\x1Bp2\x1Bs+1").text, "x\xC2\xB2+1");
    EXPECT_EQ(ToUtf8("\x1Bg"
                     "abc\x1Bs")
                  .text,
              "\xCE\xB1\xCE\xB2\xCE\xB3");
}

TEST(Marc8ToUtf8, NumericReferencesBecomeTheirCharacters) {
    EXPECT_EQ(ToUtf8("&#x2113;").text, "\xE2\x84\x93");
    EXPECT_EQ(ToUtf8("&#X41;&#x20AC;").text, "A\xE2\x82\xAC");
    EXPECT_EQ(ToUtf8("&#x1D11E;").text, "\xF0\x9D\x84\x9E");
    // A referenced combining mark waits for its base like any other.
    EXPECT_EQ(ToUtf8("&#x0301;e").text, "e\xCC\x81");
    // Not references: left as text.
    for (const char* text : {"&#x;", "&#xZZ;", "&#x1100000;", "&#xD800;", "&#x41", "&amp;", "& #x41;"})
        EXPECT_EQ(ToUtf8(text).text, text) << text;
    // Inside the East Asian set "&" is part of a code, not a reference.
    WorkingSets eacc{WorkingSet::EastAsian, WorkingSet::Ansel};
    EXPECT_TRUE(ToUtf8("&#x", eacc).result.error);
}

TEST(Marc8ToUtf8, EscapeSequencesChangeG0AndG1AndCarryToTheEnd) {
    Read r = ToUtf8("\x1B(NAb");
    EXPECT_EQ(r.text, "\xD0\xB0\xD0\x91");
    EXPECT_EQ(r.sets.g0, WorkingSet::CyrillicBasic);
    EXPECT_EQ(r.sets.g1, WorkingSet::Ansel);
    // The caller passes the sets in force at the start.
    EXPECT_EQ(ToUtf8("Ab", r.sets).text, "\xD0\xB0\xD0\x91");
    // Alternative intermediates, G1 designations, and extended Latin written with "!".
    EXPECT_EQ(ToUtf8("\x1B,Na\x1B-Q\xC4").text, "\xD0\x90\xD1\x91");
    EXPECT_EQ(ToUtf8("\x1B)Q\xC4\x1B)!E\xE1"
                     "a")
                  .text,
              "\xD1\x91"
              "a\xCC\x80");
    EXPECT_EQ(ToUtf8("\x1B(S\x41\x1B(Ba").text,
              "\xCE\x91"
              "a");
    // The subfield code after a delimiter is never read through G0.
    EXPECT_EQ(ToUtf8("\x1B(N\x1F"
                     "bab")
                  .text,
              "\x1F"
              "b\xD0\x90\xD0\x91");
}

TEST(Marc8ToUtf8, EastAsianTextIsReadInGroupsOfThree) {
    EXPECT_EQ(ToUtf8("\x1B$1\x21\x30\x64\x21\x23\x20\x1B(B!").text, "\xE4\xBA\xBA\xE3\x80\x80!");
    EXPECT_EQ(ToUtf8("\x1B$,1\x21\x30\x64").text, "\xE4\xBA\xBA");
    // Into G1: the same codes with the high bit set.
    EXPECT_EQ(ToUtf8("\x1B$)1\xA1\xB0\xE4").text, "\xE4\xBA\xBA");
    // A space between groups is a space.
    EXPECT_EQ(ToUtf8("\x1B$1\x21\x30\x64 \x21\x30\x64").text, "\xE4\xBA\xBA \xE4\xBA\xBA");
    // A trailing partial group is kept as it stands and flagged.
    WorkingSets eacc{WorkingSet::EastAsian, WorkingSet::Ansel};
    Read r = ToUtf8("\x21\x30\x64\x21\x30", eacc);
    EXPECT_EQ(r.text, "\xE4\xBA\xBA!0");
    EXPECT_TRUE(r.result.error);
    // A group broken by a delimiter: the first octet is marked, the delimiter survives.
    r = ToUtf8(
        "\x21\x1F"
        "a",
        eacc);
    EXPECT_EQ(r.text,
              "[MARC+21]\x1F"
              "a");
    // A code the set does not have.
    r = ToUtf8("\x69\x2F\x22", eacc);
    EXPECT_EQ(r.text, "[MARC+692F22]");
    EXPECT_TRUE(r.result.error);
}

TEST(Marc8ToUtf8, UntranslatableOctetsAreMarkedAndFlagged) {
    Read r = ToUtf8(
        "a\xFC"
        "b\x80\x7F");
    EXPECT_EQ(r.text, "a[MARC+FC]b[MARC+80][MARC+7F]");
    EXPECT_TRUE(r.result.error);
    EXPECT_TRUE(r.result.changed);
    r = ToUtf8("\x1Bg\x64");  // the Greek-symbol set has three letters only
    EXPECT_EQ(r.text, "[MARC+64]");
    EXPECT_TRUE(r.result.error);
    r = ToUtf8("plain text");
    EXPECT_FALSE(r.result.changed);
    EXPECT_FALSE(r.result.error);
}

TEST(Marc8ToUtf8, BrokenEscapeSequencesAreMarkedNotSwallowed) {
    EXPECT_EQ(ToUtf8("abc\x1B").text, "abc[MARC+1B]");
    EXPECT_EQ(ToUtf8("\x1B(").text, "[MARC+1B](");
    EXPECT_EQ(ToUtf8("\x1B(Zx").text, "[MARC+1B](Zx");
    EXPECT_EQ(ToUtf8("\x1B$").text, "[MARC+1B]$");
    EXPECT_EQ(ToUtf8("\x1B$2x").text, "[MARC+1B]$2x");
    Read r = ToUtf8("\x1B)");
    EXPECT_TRUE(r.result.error);
    EXPECT_EQ(r.sets.g1, WorkingSet::Ansel);
}

TEST(Marc8ToUtf8, VariantsAndLatin1ReadTheirOwnPlacements) {
    EXPECT_EQ(ToUtf8("\xC0\x90\xD2\xA0", {}, Encoding::V).text, "\xE2\x81\xB0\xC2\xB0\xE2\x82\x82\xE2\x84\x93");
    EXPECT_EQ(ToUtf8("\xC0\x90", {}, Encoding::Marc8).text, "\xC2\xB0[MARC+90]");
    EXPECT_EQ(ToUtf8("\xBE\xC1", {}, Encoding::O).text, "\xE2\x84\x93\xE2\x84\x93");
    EXPECT_EQ(ToUtf8("caf\xE9 &#x416;", {}, Encoding::Latin1).text, "cafe\xCC\x81 \xD0\x96");
}

TEST(Utf8ToMarc8, EscapesOnlyWhereTheSetChanges) {
    EXPECT_EQ(ToMarc8("\xD0\x96 \xD0\x96").text, "\x1B(Nv v\x1B(B");
    EXPECT_EQ(ToMarc8("\xD0\x96, 1").text, "\x1B(Nv, 1\x1B(B");  // digits and comma exist there too
    EXPECT_EQ(ToMarc8("\xD0\x96x").text, "\x1B(Nv\x1B(Bx");
    EXPECT_EQ(ToMarc8("x\xE2\x82\x82\xE2\x82\x83").text,
              "x\x1B"
              "b23\x1Bs");
    EXPECT_EQ(ToMarc8("\xD1\x91\xD0\xBB").text, "\x1B)Q\xC4\x1B(NL\x1B(B\x1B)E");
    EXPECT_EQ(ToMarc8("\xE4\xBA\xBA \xE4\xBA\xBA").text, "\x1B$1\x21\x30\x64\x1B(B \x1B$1\x21\x30\x64\x1B(B");
    // Greek keeps its own accent; Latin takes the extended Latin one.
    EXPECT_EQ(Hex(ToMarc8("\xCE\xAC").text), Hex("\x1B(S\x22\x61\x1B(B"));
    EXPECT_EQ(ToMarc8("\xC3\xA1").text,
              "\xE2"
              "a");
    // The Greek-symbol alpha only while that set is in force.
    EXPECT_EQ(ToMarc8("\xCE\xB1", {WorkingSet::GreekSymbols, WorkingSet::Ansel}).text, "a\x1Bs");
    // Every subfield starts from the default sets.
    EXPECT_EQ(ToMarc8("\xD0\x96\x1F"
                      "b\xD0\x96")
                  .text,
              "\x1B(Nv\x1B(B\x1F"
              "b\x1B(Nv\x1B(B");
}

TEST(Utf8ToMarc8, WhatMarc8LacksBecomesAReferenceOrAMarker) {
    Read r = ToMarc8(
        "a\xE0\xB8\x81"
        "b");
    EXPECT_EQ(r.text, "a&#x0E01;b");
    EXPECT_TRUE(r.result.error);
    EXPECT_EQ(ToUtf8(r.text).text,
              "a\xE0\xB8\x81"
              "b");
    r = ToMarc8(
        "a\xC3"
        "b\xC0\xAF");
    EXPECT_EQ(r.text, "a[UTF8+C3]b[UTF8+C0][UTF8+AF]");
    EXPECT_TRUE(r.result.error);
    // A literal reference text survives the round trip.
    r = ToMarc8("&#x2113;");
    EXPECT_EQ(r.text, "&#x0026;#x2113;");
    EXPECT_EQ(ToUtf8(r.text).text, "&#x2113;");
}

TEST(Utf8ToMarc8, VariantsAndLatin1WriteTheirOwnPlacements) {
    EXPECT_EQ(ToMarc8("\xC2\xB2\xC2\xB0\xE2\x84\x93", {}, Encoding::V).text, "\xC2\x90\xA0");
    Read r = ToMarc8("\xC3\x9F", {}, Encoding::V);  // 0xC7 is superscript seven in V
    EXPECT_EQ(r.text, "&#x00DF;");
    EXPECT_TRUE(r.result.error);
    EXPECT_EQ(ToMarc8("\xC3\x9F", {}, Encoding::Marc8).text, "\xC7");
    EXPECT_EQ(ToMarc8("\xE2\x84\x93", {}, Encoding::O).text, "\xBE");
    EXPECT_EQ(ToMarc8("cafe\xCC\x81 \xD0\x96", {}, Encoding::Latin1).text, "caf\xE9 &#x0416;");
}

// Arbitrary octets through every walker: never a crash or a hang, always valid UTF-8 out of the
// MARC-8 reading, always the default sets after writing MARC-8.
TEST(Marc8BadInput, RandomOctetsNeverBreakTheWalkers) {
    std::mt19937 random(20240611);
    const std::string alphabet = "\x1B\x1F\x1E()$,-!1NQSsgbpE&#x;0123456789ABCDEF \x21\x30\x64\xE1\xEB\xC3\xA9\x80\xFF";
    for (int round = 0; round < 3000; ++round) {
        std::string s(random() % 40, '\0');
        for (auto& c : s)
            c = random() % 3 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        for (Encoding e : {Encoding::Marc8, Encoding::V, Encoding::O, Encoding::Latin1}) {
            for (WorkingSets start :
                 {WorkingSets{}, WorkingSets{WorkingSet::EastAsian, WorkingSet::CyrillicExtended}}) {
                const Read r = ToUtf8(s, start, e);
                ASSERT_TRUE(IsValidUtf8(r.text)) << Hex(s);
                const Read w = ToMarc8(s, start, e);
                ASSERT_EQ(w.sets.g0, WorkingSet::Ascii) << Hex(s);
                ASSERT_EQ(w.sets.g1, WorkingSet::Ansel) << Hex(s);
                ASSERT_TRUE(IsValidUtf8(ToUtf8(w.text, {}, e).text)) << Hex(s);
            }
        }
    }
}

// The same for every other member that walks UTF-8: invalid sequences of every kind (overlong,
// truncated, surrogates, stray continuation octets) give defined results, never a read past the end.
TEST(Marc8BadInput, RandomOctetsThroughEveryUtf8Walker) {
    std::mt19937 random(7);
    linkmend::Utf8CharClass c;
    const std::string pieces[] = {
        "\xC3",         "\xA9",     "\xE2\x82", "\xAC",      "\xF0\x9F",     "\x98\x80", "\xC0\xAF",
        "\xED\xA0\x80", "\xF4\x90", "\xFF",     "e\xCC\x81", "\xEF\xB8\xA0", "a",        " "};
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        for (int k = static_cast<int>(random() % 12); k > 0; --k) s += pieces[random() % std::size(pieces)];
        std::string decomposed;
        DecomposeUtf8(s, round % 2 == 0, decomposed);
        ASSERT_TRUE(!IsValidUtf8(s) || IsValidUtf8(decomposed)) << Hex(s);
        ASSERT_NE(std::string("UMVOXY").find(CharacterizeOctets(s)[0]), std::string::npos) << Hex(s);
        const std::string ucs = c.Utf82Ucs(s);
        ASSERT_EQ(ucs.size() % 2, 0u);
        ASSERT_TRUE(IsValidUtf8(c.Ucs2Utf8(ucs)));
        ASSERT_TRUE(IsValidUtf8(c.Ucs2Utf8(s)));  // octets taken as UTF-16 units: lone surrogates mended
        for (std::int32_t p = 1; !s.empty() && p <= static_cast<std::int32_t>(s.size()) + 2; ++p) {
            const std::int32_t first = c.Utf8CharFindFirstOctet(s, p);
            ASSERT_GE(first, 1);
            ASSERT_LE(first, static_cast<std::int32_t>(s.size()));
        }
        c.Utf8Char(s);
        ASSERT_TRUE(s.empty() || IsValidUtf8(c.Utf8Char()));
        std::string setOut = "M", table = "0", marc8;
        bool changed, error;
        c.TranslateUtf82MarcOneCharacter(setOut, table, s, marc8, changed, error);
        std::string normalized;
        for (std::size_t i = 0; i < s.size();) {
            const auto d = DecodeUtf8(s, i);
            if (d.valid) AppendNormalized(d.cp, round % 2 == 0, normalized);
            i += d.length;
        }
        ASSERT_TRUE(IsValidUtf8(normalized));
    }
}

TEST(Marc8Characterize, DecisionTableOfEncodings) {
    struct Case {
        std::string octets;
        std::string code;
    };
    const Case cases[] = {
        {"plain ASCII", "M"},
        {"caf\xC3\xA9 \xE4\xBA\xBA", "U"},
        {"caf\xE2"
         "e \xB1\xC0",
         "M"},
        {"H\xD2O \xC2\xB0", "V"},  // subscript two: only V has it
        {"\xBE"
         "a",
         "O"},                    // 0xBE alone: the script l of O
        {"\x1B(NAb\x1B(B", "M"},  // escapes: MARC-8 even without high octets
        {"\x1B)Q\xD0\xFC", "M"},  // another set in G1: its octets are not judged
        {"\xD2\xFC", "XIllegal character(s): 252 "},
        {"\xE1"
         "a\x91\xFF",
         "MIllegal character(s): 145 255 "},
        {"ab\x1C"
         "cd",
         "MIllegal character(s): 28 "},
        {"caf\xC3\xA9\x1C", "UIllegal character(s): 28 "},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xFF", "UIllegal character(s): 255 "},
        {"\xC3\xA9\xFF", "MIllegal character(s): 255 "},  // half invalid: not UTF-8 after all
        {"\x1B(B\xC3\xA9", "Y"},                          // both readings possible
    };
    for (const auto& k : cases) EXPECT_EQ(CharacterizeOctets(k.octets), k.code) << Hex(k.octets);
}

}  // namespace
