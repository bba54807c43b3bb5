// Text translation between MARC-8 and UTF-8, the generated tables behind it, and whole fields with
// their non-filing counts and right-to-left marks (arbitrary input is the fuzz targets').
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
#include "marc/Marc8Field.h"
#include "marc/Marc8Lookup.h"
#include "marc/Marc8Text.h"

using namespace linkmend::marc8;
using namespace linkmend::test;
namespace unicode = linkmend::unicode;

namespace {

struct Read {
    std::string text;
    TranslateResult result;
    WorkingSets sets;
};

Read Translate(bool toUtf8, const std::string& in, WorkingSets sets = {}, Encoding encoding = Encoding::Marc8) {
    Read r{"", {}, sets};
    const TranslateOptions options{encoding, false};
    r.result = toUtf8 ? Marc8ToUtf8(in, r.sets, options, r.text) : Utf8ToMarc8(in, r.sets, options, r.text);
    return r;
}
Read ToUtf8(const std::string& m, WorkingSets s = {}, Encoding e = Encoding::Marc8) { return Translate(true, m, s, e); }

const WorkingSets kEacc{WorkingSet::EastAsian, WorkingSet::Ansel};

struct TextCase {
    const char* from;  // {hh} notation
    const char* to;
    bool error;
    Encoding encoding = Encoding::Marc8;
    WorkingSets sets = {};
};

TEST(Marc8ToUtf8, ReadsEveryConstruct) {
    const TextCase cases[] = {
        // Diacritics follow their base in the order read; at the end or before a delimiter they stay.
        {"{E1}e", "e{CC}{80}", false},
        {"Vi{E3}{F2}et", "Vie{CC}{82}{CC}{A3}t", false},
        {"abc{E1}", "abc{CC}{80}", false},
        {"a{E1}{1F}bc", "a{CC}{80}{1F}bc", false},
        {"{E2} x", " {CC}{81}x", false},  // a spacing diacritic stays on its space
        // Technique 1 sets and their return.
        {"{1B}b2{1B}s", "{E2}{82}{82}", false},
        {"x{1B}p2{1B}s+1", "x{C2}{B2}+1", false},
        {"{1B}gabc{1B}s", "{CE}{B1}{CE}{B2}{CE}{B3}", false},
        // Numeric references; a referenced mark waits for its base.
        {"&#x2113;", "{E2}{84}{93}", false},
        {"&#X41;&#x20AC;", "A{E2}{82}{AC}", false},
        {"&#x1D11E;", "{F0}{9D}{84}{9E}", false},
        {"&#x0301;e", "e{CC}{81}", false},
        {"&#x;&#xZZ;&#x1100000;&#xD800;&#x41", "&#x;&#xZZ;&#x1100000;&#xD800;&#x41", false},
        {"&amp;& #x41;", "&amp;& #x41;", false},
        {"&#x", "[MARC+262378]", true, Encoding::Marc8, kEacc},  // "&" is part of a code there
        // Escape sequences: alternative intermediates, G1 designations, extended Latin with "!".
        {"{1B},Na{1B}-Q{C4}", "{D0}{90}{D1}{91}", false},
        {"{1B})Q{C4}{1B})!E{E1}a", "{D1}{91}a{CC}{80}", false},
        {"{1B}(SA{1B}(Ba", "{CE}{91}a", false},
        {"{1B}(N{1F}bab", "{1F}b{D0}{90}{D0}{91}", false},  // a subfield code is never read through G0
        // East Asian groups of three, in G0 or G1; a space between groups is a space.
        {"{1B}$1!0d!# {1B}(B!", "{E4}{BA}{BA}{E3}{80}{80}!", false},
        {"{1B}$,1!0d", "{E4}{BA}{BA}", false},
        {"{1B}$)1{A1}{B0}{E4}", "{E4}{BA}{BA}", false},
        {"{1B}$1!0d !0d", "{E4}{BA}{BA} {E4}{BA}{BA}", false},
        {"!0d!0", "{E4}{BA}{BA}!0", true, Encoding::Marc8, kEacc},   // a trailing partial group
        {"!{1F}a", "[MARC+21]{1F}a", true, Encoding::Marc8, kEacc},  // a group broken by a delimiter
        {"i/\"", "[MARC+692F22]", true, Encoding::Marc8, kEacc},     // a code the set lacks
        // Untranslatable octets and broken escapes are marked, never swallowed.
        {"a{FC}b{80}{7F}", "a[MARC+FC]b[MARC+80][MARC+7F]", true},
        {"{1B}gd", "[MARC+64]", true},  // the Greek-symbol set has three letters only
        {"abc{1B}", "abc[MARC+1B]", true},
        {"{1B}(", "[MARC+1B](", true},
        {"{1B}(Zx", "[MARC+1B](Zx", true},
        {"{1B}$2x", "[MARC+1B]$2x", true},
        {"plain text", "plain text", false},
        // The variants and Latin-1 read their own placements.
        {"{C0}{90}{D2}{A0}", "{E2}{81}{B0}{C2}{B0}{E2}{82}{82}{E2}{84}{93}", false, Encoding::V},
        {"{C0}{90}", "{C2}{B0}[MARC+90]", true},
        {"{BE}{C1}", "{E2}{84}{93}{E2}{84}{93}", false, Encoding::O},
        {"caf{E9} &#x416;", "cafe{CC}{81} {D0}{96}", false, Encoding::Latin1}};
    for (const auto& c : cases) {
        const Read r = ToUtf8(X(c.from), c.sets, c.encoding);
        EXPECT_OCTETS(X(c.to), r.text) << c.from;
        EXPECT_EQ(r.result.error, c.error) << c.from;
        EXPECT_EQ(r.result.changed, X(c.from) != X(c.to)) << c.from;
    }
    Read r = ToUtf8(X("{1B}(NAb"));  // the sets at the end come back, for the next call
    EXPECT_EQ(r.sets.g0, WorkingSet::CyrillicBasic);
    EXPECT_EQ(r.sets.g1, WorkingSet::Ansel);
    EXPECT_EQ(ToUtf8("Ab", r.sets).text, X("{D0}{B0}{D0}{91}"));
    r = ToUtf8(X("{1B})"));
    EXPECT_TRUE(r.result.error);
    EXPECT_EQ(r.sets.g1, WorkingSet::Ansel);
}

TEST(Utf8ToMarc8, WritesEscapesOnlyWhereTheSetChanges) {
    const TextCase cases[] = {
        {"e{CC}{80}", "{E1}e", false},
        {"Vie{CC}{82}{CC}{A3}t", "Vi{E3}{F2}et", false},
        {"{D0}{96} {D0}{96}", "{1B}(Nv v{1B}(B", false},
        {"{D0}{96}, 1", "{1B}(Nv, 1{1B}(B", false},  // digits and comma exist there too
        {"{D0}{96}x", "{1B}(Nv{1B}(Bx", false},
        {"x{E2}{82}{82}{E2}{82}{83}", "x{1B}b23{1B}s", false},
        {"{D1}{91}{D0}{BB}", "{1B})Q{C4}{1B}(NL{1B}(B{1B})E", false},
        {"{E4}{BA}{BA} {E4}{BA}{BA}", "{1B}$1!0d{1B}(B {1B}$1!0d{1B}(B", false},
        {"{CE}{AC}", "{1B}(S\"a{1B}(B", false},  // Greek keeps its own accent
        {"{C3}{A1}", "{E2}a", false},            // Latin takes the extended Latin one
        {"{CE}{B1}", "a{1B}s", false, Encoding::Marc8, {WorkingSet::GreekSymbols, WorkingSet::Ansel}},
        {"{D0}{96}{1F}b{D0}{96}", "{1B}(Nv{1B}(B{1F}b{1B}(Nv{1B}(B", false},  // each subfield from the defaults
        {"a{E0}{B8}{81}b", "a&#x0E01;b", true},                               // no MARC-8 form: a reference
        {"a{C3}b{C0}{AF}", "a[UTF8+C3]b[UTF8+C0][UTF8+AF]", true},
        {"&#x2113;", "&#x0026;#x2113;", false},  // a literal reference text survives the round trip
        {"{C2}{B2}{C2}{B0}{E2}{84}{93}", "{C2}{90}{A0}", false, Encoding::V},
        {"{C3}{9F}", "&#x00DF;", true, Encoding::V},  // 0xC7 is superscript seven in V
        {"{C3}{9F}", "{C7}", false},
        {"{E2}{84}{93}", "{BE}", false, Encoding::O},
        {"cafe{CC}{81} {D0}{96}", "caf{E9} &#x0416;", true, Encoding::Latin1}};
    for (const auto& c : cases) {
        const Read r = Translate(false, X(c.from), c.sets, c.encoding);
        EXPECT_OCTETS(X(c.to), r.text) << c.from;
        EXPECT_EQ(r.result.error, c.error) << c.from;
    }
    EXPECT_EQ(ToUtf8("a&#x0E01;b").text, X("a{E0}{B8}{81}b"));  // references read back
    EXPECT_EQ(ToUtf8("&#x0026;#x2113;").text, "&#x2113;");
}

TEST(Marc8Characterize, DecisionTableOfEncodings) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain ASCII", "M"},
        {"caf{C3}{A9} {E4}{BA}{BA}", "U"},
        {"caf{E2}e {B1}{C0}", "M"},
        {"H{D2}O {C2}{B0}", "V"},  // subscript two: only V has it
        {"{BE}a", "O"},            // 0xBE alone: the script l of O
        {"{1B}(NAb{1B}(B", "M"},   // escapes: MARC-8 even without high octets
        {"{1B})Q{D0}{FC}", "M"},   // another set in G1: its octets are not judged
        {"{D2}{FC}", "XIllegal character(s): 252 "},
        {"{E1}a{91}{FF}", "MIllegal character(s): 145 255 "},
        {"ab{1C}cd", "MIllegal character(s): 28 "},
        {"caf{C3}{A9}{1C}", "UIllegal character(s): 28 "},
        {"{C3}{A9}{C3}{A9}{C3}{A9}{C3}{A9}{FF}", "UIllegal character(s): 255 "},
        {"{C3}{A9}{FF}", "MIllegal character(s): 255 "},  // half invalid: not UTF-8 after all
        {"{1B}(B{C3}{A9}", "Y"}                           // both readings possible
    };
    for (const auto& [octets, code] : cases) EXPECT_EQ(CharacterizeOctets(X(octets)), code) << octets;
}

// ---- The generated tables

TEST(Marc8Tables, GeneratedTablesMatchTheirSources) {
    const std::string xml = SharedFile("marc8-codetables.xml");
    if (xml.empty() || !HaveOracle("test -r /usr/share/unicode/UnicodeData.txt", "unicode-data")) return;
    TempDir dir;
    const std::string source = LINKMEND_SOURCE_DIR;
    const std::string command = "python3 " + source + "/tools/marc8tables/generate.py --xml " + xml +
                                " --unicode /usr/share/unicode/UnicodeData.txt --out " + dir.Path();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"Marc8CodeTables.cpp", "UnicodeCaseTables.cpp", "UnicodeDecompositionTable.cpp"}) {
        const std::string committed = ReadFile(source + "/src/marc/generated/" + name);
        ASSERT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(committed == ReadFile(dir.File(name))) << name << " differs from a fresh run";
    }
}

// What a plain look-up never finds (the tables' rows are the oracle and round-trip tests'), the variants'
// placements, the East Asian index, and the Unicode data.
TEST(Marc8Tables, TellingRowsAlternativesVariantsAndUnicodeData) {
    const auto alpha = SingleOctetEntries(0x03B1);  // Greek symbol letters: an alternative
    ASSERT_EQ(alpha.size(), 2u);
    EXPECT_EQ(std::tuple(alpha[1].set, alpha[1].alternative), std::tuple(2, true));
    EXPECT_EQ(std::tuple(kSingleOctetTableSize, kVariantTableVSize, kVariantTableOSize), std::tuple(480u, 38u, 1u));
    EXPECT_EQ(std::tuple(VariantOctet(LatinVariant::V, 0x208E), VariantOctet(LatinVariant::O, 0x2113),
                         VariantOctet(LatinVariant::O, 0x2070)),
              std::tuple(0xDD, 0xBE, 0));
    EXPECT_TRUE(VariantTakesOctet(LatinVariant::V, 0xC7) && !VariantTakesOctet(LatinVariant::O, 0xC7));
    EXPECT_EQ(std::tuple(LatinHighEntry(LatinVariant::V, 0xC1), LatinHighEntry(LatinVariant::O, 0xBE),
                         LatinHighEntry(LatinVariant::Marc8, 0xBE)),
              std::tuple(0x00B9u, 0x2113u, 0u));
    EXPECT_EQ(
        std::tuple(EastAsianToUcs(0x212A21), EastAsianToUcs(0x692F22), UcsToEastAsian(0x4E99), UcsToEastAsian('a')),
        std::tuple(0xE8D0u, 0u, 0x213057u, 0u));  // two codes: the lower one
    EXPECT_EQ(std::tuple(PrivateUseSubstitute(0xE8D0), PrivateUseSubstitute(0x4EBA)), std::tuple(0x3013u, 0u));
    std::size_t found = 0;  // every code of the table through the index, and nothing else
    for (std::size_t i = 0; i < kEastAsianByCodeSize; ++i)
        found += EastAsianToUcs(kEastAsianByCode[i].code) == kEastAsianByCode[i].ucs;
    EXPECT_EQ(found, kEastAsianByCodeSize);
    EXPECT_GT(kEastAsianByCodeSize, 15000u);
    EXPECT_EQ(std::tuple(unicode::ToUpper(0x00E9), unicode::ToLower(0x0416), unicode::ToUpper(0x4EBA)),
              std::tuple(0x00C9u, 0x0436u, 0x4EBAu));
    for (const auto& [cp, category] :
         {std::pair<std::uint32_t, const char*>{0x0301, "Mn"}, {0xAC01, "Lo"}, {0x10FFFF, "Cn"}})
        EXPECT_STREQ(unicode::Category(cp), category) << std::hex << cp;  // AC01 in a range
    const auto d = unicode::Decompose(0x1EAC);                            // A with circumflex and dot below
    EXPECT_EQ(std::vector<std::uint32_t>(d.begin(), d.end()), (std::vector<std::uint32_t>{'A', 0x0323, 0x0302}));
    EXPECT_TRUE(unicode::Decompose(0xF900).empty() && unicode::Decompose(0xAC00).empty());  // compatibility, Hangul
    const auto first = DecodeUtf8(X("{E0}{A0}{80}"), 0);  // the lowest three-octet character
    EXPECT_TRUE(first.valid && first.cp == 0x800 && first.length == 3);
}

// ---- Whole fields

TEST(Marc8Field, NonFilingCountFollowsTheTranslatedArticle) {
    const std::tuple<const char*, const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"B", "245", "14", "$aThe title", "14", "$aThe title"},
        {"B", "245", "14", "$a{E2}El libro", "15", "$aE{CC}{81}l libro"},  // 4 octets in MARC-8, 5 in UTF-8
        {"B", "245", "02", "$aa{E2}eb", "04", "$aae{CC}{81}b"},  // a count ending on a mark reaches its letter
        {"B", "630", "20", "$a{E8}Ab", "30", "$aA{CC}{88}b"},    // first indicator of 130/630/730
        {"S", "830", " 2", "$a{E8}Ab", " 3", "$aA{CC}{88}b"},    // second of 240/830
        {"A", "130", " 2", "$a{E8}Ab", " 3", "$aA{CC}{88}b"},    // authority 130: its second
        {"A", "630", "2 ", "$a{E8}Ab", "2 ", "$aA{CC}{88}b"},
        {"H", "245", "02", "$a{E8}Ab", "02", "$aA{CC}{88}b"},  // holdings have no non-filing counts
        {"B", "500", "02", "$a{E8}Ab", "02", "$aA{CC}{88}b"},
        {"B", "245", "10", "$a{E8}Ab", "10", "$aA{CC}{88}b"},
        {"B", "245", "09", "$a{E8}A{E8}A{E8}A{E8}A{E8}Ab", "09",  // two digits would be needed: kept
         "$aA{CC}{88}A{CC}{88}A{CC}{88}A{CC}{88}A{CC}{88}b"},
        {"B", "245", "04", "$a{1B}(NA A", "02", "$a{D0}{B0} A"}  // the rest starts from the default sets
    };
    for (const auto& [format, tag, indicators, field, indicatorsOut, fieldOut] : cases) {
        std::string ind = indicators, text = D(field);
        const auto r = TranslateFieldToUtf8(format, tag, ind, text, {});
        EXPECT_EQ(ind, indicatorsOut) << format << " " << tag << " " << field;
        EXPECT_OCTETS(D(fieldOut), text) << tag;
        EXPECT_FALSE(r.error);
        EXPECT_EQ(r.changed, text != D(field) || ind != indicators);
    }
}

TEST(Marc8Field, RightToLeftMarkOfArabicAndHebrew880AndSetCodePairs) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"880", "$6245-01/(3$a{D8}{A1}", "$6245-01/(3/r$a{1B}(3A{1B}(B", true},
        {"880", "$6245-01/(2/r$ax", "$6245-01/(2/r$ax", false},  // already marked
        {"880", "$6245-01/(N$ax", "$6245-01/(N$ax", false},
        {"245", "$6245-01/(3", "$6245-01/(3", false}};  // only 880 fields carry it
    for (const auto& [tag, in, out, changed] : cases) {
        WorkingSets sets;
        std::string text = D(in);
        EXPECT_EQ(TranslateFieldToMarc8(tag, text, sets, {}).changed, changed) << in;
        EXPECT_OCTETS(D(out), text);
    }
    EXPECT_EQ(CodesOfSets({}), "s s");
    const WorkingSets s = SetsFromCodes("(N )Q");
    EXPECT_EQ(s.g0, WorkingSet::CyrillicBasic);
    EXPECT_EQ(s.g1, WorkingSet::CyrillicExtended);
    EXPECT_EQ(CodesOfSets(s), "(N )Q");
    EXPECT_EQ(SetsFromCodes("$1 s").g0, WorkingSet::EastAsian);
    EXPECT_EQ(SetsFromCodes("g").g0, WorkingSet::GreekSymbols);
    const WorkingSets bad = SetsFromCodes("?? (Z");
    EXPECT_EQ(bad.g0, WorkingSet::Ascii);
    EXPECT_EQ(bad.g1, WorkingSet::Ansel);
}

}  // namespace
