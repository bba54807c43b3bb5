// Text translation between MARC-8 and UTF-8: working sets, escape sequences, East Asian groups,
// references, diacritic order, markers for what has no translation, bad input of every kind; the
// generated tables behind it; whole fields with their non-filing counts and right-to-left marks.
#include <gtest/gtest.h>

#include <random>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
#include "marc/Marc8Field.h"
#include "marc/Marc8Lookup.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8CharClass.h"

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
    Read r;
    TranslateOptions options;
    options.encoding = encoding;
    r.result = toUtf8 ? Marc8ToUtf8(in, sets, options, r.text) : Utf8ToMarc8(in, sets, options, r.text);
    r.sets = sets;
    return r;
}
Read ToUtf8(const std::string& m, WorkingSets s = {}, Encoding e = Encoding::Marc8) { return Translate(true, m, s, e); }
Read ToMarc8(const std::string& u, WorkingSets s = {}, Encoding e = Encoding::Marc8) {
    return Translate(false, u, s, e);
}

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); i += DecodeUtf8(s, i).length)
        if (!DecodeUtf8(s, i).valid) return false;
    return true;
}

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
        const Read r = ToMarc8(X(c.from), c.sets, c.encoding);
        EXPECT_OCTETS(X(c.to), r.text) << c.from;
        EXPECT_EQ(r.result.error, c.error) << c.from;
    }
    EXPECT_EQ(ToUtf8("a&#x0E01;b").text, X("a{E0}{B8}{81}b"));  // references read back
    EXPECT_EQ(ToUtf8("&#x0026;#x2113;").text, "&#x2113;");
}

// Arbitrary octets through every walker: never a crash or a hang, always valid UTF-8 out of the
// MARC-8 reading, always the default sets after writing MARC-8.
TEST(Marc8BadInput, RandomOctetsNeverBreakTheWalkers) {
    std::mt19937 random(20240611);
    const std::string alphabet = X("{1B}{1F}{1E}()$,-!1NQSsgbpE&#x;0123456789ABCDEF !0d{E1}{EB}{C3}{A9}{80}{FF}");
    linkmend::Utf8CharClass c;
    const std::string pieces[] = {X("{C3}"),
                                  X("{A9}"),
                                  X("{E2}{82}"),
                                  X("{AC}"),
                                  X("{F0}{9F}"),
                                  X("{98}{80}"),
                                  X("{C0}{AF}"),
                                  X("{ED}{A0}{80}"),
                                  X("{F4}{90}"),
                                  X("{FF}"),
                                  X("e{CC}{81}"),
                                  X("{EF}{B8}{A0}"),
                                  "a",
                                  " "};
    for (int round = 0; round < 3000; ++round) {
        std::string s(random() % 40, '\0');
        for (auto& o : s)
            o = random() % 3 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        for (Encoding e : {Encoding::Marc8, Encoding::V, Encoding::O, Encoding::Latin1}) {
            for (WorkingSets start :
                 {WorkingSets{}, WorkingSets{WorkingSet::EastAsian, WorkingSet::CyrillicExtended}}) {
                ASSERT_TRUE(IsValidUtf8(ToUtf8(s, start, e).text)) << Hex(s);
                const Read w = ToMarc8(s, start, e);
                ASSERT_EQ(w.sets.g0, WorkingSet::Ascii) << Hex(s);
                ASSERT_EQ(w.sets.g1, WorkingSet::Ansel) << Hex(s);
                ASSERT_TRUE(IsValidUtf8(ToUtf8(w.text, {}, e).text)) << Hex(s);
            }
        }
        // Invalid UTF-8 of every kind through the workbench's UTF-8 walkers.
        std::string u;
        for (int k = static_cast<int>(random() % 12); k > 0; --k) u += pieces[random() % std::size(pieces)];
        std::string decomposed;
        DecomposeUtf8(u, round % 2 == 0, decomposed);
        ASSERT_TRUE(!IsValidUtf8(u) || IsValidUtf8(decomposed)) << Hex(u);
        ASSERT_NE(std::string("UMVOXY").find(CharacterizeOctets(u)[0]), std::string::npos) << Hex(u);
        const std::string ucs = c.Utf82Ucs(u);
        ASSERT_EQ(ucs.size() % 2, 0u);
        ASSERT_TRUE(IsValidUtf8(c.Ucs2Utf8(ucs)));
        ASSERT_TRUE(IsValidUtf8(c.Ucs2Utf8(u)));  // octets taken as UTF-16 units: lone surrogates mended
        for (std::int32_t p = 1; !u.empty() && p <= static_cast<std::int32_t>(u.size()) + 2; ++p) {
            const std::int32_t first = c.Utf8CharFindFirstOctet(u, p);
            ASSERT_GE(first, 1);
            ASSERT_LE(first, static_cast<std::int32_t>(u.size()));
        }
        c.Utf8Char(u);
        ASSERT_TRUE(u.empty() || IsValidUtf8(c.Utf8Char()));
        std::string setOut = "M", table = "0", marc8, normalized;
        bool changed, error;
        c.TranslateUtf82MarcOneCharacter(setOut, table, u, marc8, changed, error);
        for (std::size_t i = 0; i < u.size(); i += DecodeUtf8(u, i).length)
            if (DecodeUtf8(u, i).valid) AppendNormalized(DecodeUtf8(u, i).cp, round % 2 == 0, normalized);
        ASSERT_TRUE(IsValidUtf8(normalized));
    }
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

TEST(Marc8Tables, TellingRowsAndTheAlternativesAPlainLookUpNeverFinds) {
    const std::tuple<std::uint32_t, int, int> plain[] = {
        {0x0098, 0x88, 1}, {0x009C, 0x89, 1}, {0x00A3, 0xB9, 1}, {0x00B0, 0xC0, 1}, {0x00B2, 0x32, 4},
        {0x2070, 0x30, 4}, {0x00AB, 0x30, 8}, {0x0300, 0xE1, 1}, {0x0410, 0x61, 6}, {0x0430, 0x41, 6},
        {0x0621, 0x41, 7}, {0x200D, 0x8D, 1}, {0x200C, 0x8E, 1}, {0xFE20, 0xEB, 1}, {0xFE21, 0xEC, 1},
        {0x03E1, 0x7E, 9}, {0x03B1, 0x61, 8}, {'A', 0, 0}};  // basic Latin is never looked up
    for (const auto& [ucs, octet, set] : plain) {
        const auto entries = SingleOctetEntries(ucs);
        ASSERT_EQ(entries.empty(), octet == 0) << std::hex << ucs;
        if (octet == 0) continue;
        EXPECT_FALSE(entries[0].alternative) << std::hex << ucs;
        EXPECT_EQ(entries[0].octet, octet) << std::hex << ucs;
        EXPECT_EQ(entries[0].set, set) << std::hex << ucs;
    }
    for (std::uint32_t ucs : {0x03B1u, 0x03B2u, 0x03B3u}) {  // Greek symbol letters: an alternative
        const auto entries = SingleOctetEntries(ucs);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[1].set, 2);
        EXPECT_TRUE(entries[1].alternative);
    }
    EXPECT_EQ(kSingleOctetTableSize, 480u);
    EXPECT_EQ(kVariantTableVSize, 38u);
    EXPECT_EQ(kVariantTableOSize, 1u);
    const std::tuple<LatinVariant, std::uint32_t, int> variants[] = {
        {LatinVariant::V, 0x2070, 0xC0}, {LatinVariant::V, 0x208E, 0xDD}, {LatinVariant::V, 0x00A9, 0x93},
        {LatinVariant::V, 0x2113, 0xA0}, {LatinVariant::V, 0x03B3, 0xBF}, {LatinVariant::O, 0x2113, 0xBE},
        {LatinVariant::O, 0x2070, 0},    {LatinVariant::Marc8, 0x2113, 0}};
    for (const auto& [variant, ucs, octet] : variants) EXPECT_EQ(VariantOctet(variant, ucs), octet) << std::hex << ucs;
    EXPECT_TRUE(VariantTakesOctet(LatinVariant::V, 0xC7));
    EXPECT_FALSE(VariantTakesOctet(LatinVariant::O, 0xC7));
    EXPECT_EQ(LatinHighEntry(LatinVariant::V, 0xC1), 0x00B9u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::Marc8, 0xC1), 0x2113u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::O, 0xBE), 0x2113u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::Marc8, 0xBE), 0u);
}

TEST(Marc8Tables, EastAsianUnicodeCaseCategoryAndDecomposition) {
    EXPECT_EQ(EastAsianToUcs(0x212320), 0x3000u);
    EXPECT_EQ(EastAsianToUcs(0x212A21), 0xE8D0u);
    EXPECT_EQ(EastAsianToUcs(0x692F22), 0u);
    EXPECT_EQ(EastAsianToUcs(0x7F7F7F), 0u);
    EXPECT_EQ(UcsToEastAsian(0x4EBA), 0x213064u);
    EXPECT_EQ(UcsToEastAsian(0x4E99), 0x213057u);  // two codes: the lower one comes back
    EXPECT_EQ(UcsToEastAsian('a'), 0u);
    EXPECT_EQ(PrivateUseSubstitute(0xE8D0), 0x3013u);
    EXPECT_EQ(PrivateUseSubstitute(0x4EBA), 0u);
    std::size_t found = 0;  // every code of the table through the index, and nothing else
    for (std::size_t i = 0; i < kEastAsianByCodeSize; ++i)
        found += EastAsianToUcs(kEastAsianByCode[i].code) == kEastAsianByCode[i].ucs;
    EXPECT_EQ(found, kEastAsianByCodeSize);
    EXPECT_GT(kEastAsianByCodeSize, 15000u);
    EXPECT_EQ(unicode::ToUpper(0x00E9), 0x00C9u);
    EXPECT_EQ(unicode::ToLower(0x0416), 0x0436u);
    EXPECT_EQ(unicode::ToUpper(0x4EBA), 0x4EBAu);
    const std::pair<std::uint32_t, const char*> categories[] = {
        {0x0301, "Mn"}, {0x4E00, "Lo"}, {0xAC01, "Lo"}, {0x0378, "Cn"}, {0x10FFFF, "Cn"}};  // AC01 in a range
    for (const auto& [cp, category] : categories) EXPECT_STREQ(unicode::Category(cp), category) << std::hex << cp;
    const auto d = unicode::Decompose(0x1EAC);  // A with circumflex and dot below
    EXPECT_EQ(std::vector<std::uint32_t>(d.begin(), d.end()), (std::vector<std::uint32_t>{'A', 0x0323, 0x0302}));
    EXPECT_EQ(unicode::Decompose(0x212B).size(), 2u);  // Angstrom sign: A and ring
    EXPECT_TRUE(unicode::Decompose(0xF900).empty());   // compatibility ideograph kept
    EXPECT_TRUE(unicode::Decompose(0xAC00).empty());   // Hangul syllables kept
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
