// The generated character tables: reproducible from their sources, and holding what catalogues
// rely on (the telling rows, the variant placements, the alternatives a plain look-up never finds).
#include <gtest/gtest.h>

#include "Marc8TestSupport.h"
#include "marc/Marc8Lookup.h"

using namespace linkmend;
using namespace linkmend::marc8;

namespace {

TEST(Marc8Tables, GeneratedTablesMatchTheirSources) {
    const std::string data = test::SharedDataDir();
    if (data.empty()) GTEST_SKIP() << "no shared test data (code tables) in this checkout";
    const std::string unicodeData = "/usr/share/unicode/UnicodeData.txt";
    if (!test::FileExists(unicodeData)) GTEST_SKIP() << unicodeData << " is absent (package unicode-data)";
    if (!test::HaveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    test::TempDir dir;
    const std::string source = LINKMEND_SOURCE_DIR;
    const std::string command = "python3 " + source + "/tools/marc8tables/generate.py --xml " + data +
                                "/marc8-codetables.xml --unicode " + unicodeData + " --out " + dir.Path();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"Marc8CodeTables.cpp", "UnicodeCaseTables.cpp", "UnicodeDecompositionTable.cpp"}) {
        const std::string committed = test::ReadFile(source + "/src/marc/generated/" + name);
        ASSERT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(committed == test::ReadFile(dir.File(name))) << name << " differs from a fresh run";
    }
}

// The plain (first) entry of a code point: octet and set number.
std::pair<int, int> Plain(std::uint32_t ucs) {
    for (const auto& e : SingleOctetEntries(ucs))
        if (!e.alternative) return {e.octet, e.set};
    return {0, 0};
}

TEST(Marc8Tables, TellingRowsOfTheSingleOctetTable) {
    EXPECT_EQ(Plain(0x0098), std::make_pair(0x88, 1));
    EXPECT_EQ(Plain(0x009C), std::make_pair(0x89, 1));
    EXPECT_EQ(Plain(0x00A3), std::make_pair(0xB9, 1));
    EXPECT_EQ(Plain(0x00B0), std::make_pair(0xC0, 1));
    EXPECT_EQ(Plain(0x00B2), std::make_pair(0x32, 4));
    EXPECT_EQ(Plain(0x2070), std::make_pair(0x30, 4));
    EXPECT_EQ(Plain(0x00AB), std::make_pair(0x30, 8));
    EXPECT_EQ(Plain(0x0300), std::make_pair(0xE1, 1));
    EXPECT_EQ(Plain(0x0410), std::make_pair(0x61, 6));
    EXPECT_EQ(Plain(0x0430), std::make_pair(0x41, 6));
    EXPECT_EQ(Plain(0x0621), std::make_pair(0x41, 7));
    EXPECT_EQ(Plain(0x200D), std::make_pair(0x8D, 1));
    EXPECT_EQ(Plain(0x200C), std::make_pair(0x8E, 1));
    EXPECT_EQ(Plain(0xFE20), std::make_pair(0xEB, 1));
    EXPECT_EQ(Plain(0xFE21), std::make_pair(0xEC, 1));
    EXPECT_EQ(Plain(0x03E1), std::make_pair(0x7E, 9));
    EXPECT_EQ(Plain('A'), std::make_pair(0, 0));  // basic Latin is never looked up
    EXPECT_EQ(kSingleOctetTableSize, 480u);
}

TEST(Marc8Tables, GreekSymbolLettersAreAlternativesOnly) {
    for (std::uint32_t ucs : {0x03B1u, 0x03B2u, 0x03B3u}) {
        const auto entries = SingleOctetEntries(ucs);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].set, 8);
        EXPECT_FALSE(entries[0].alternative);
        EXPECT_EQ(entries[1].set, 2);
        EXPECT_TRUE(entries[1].alternative);
    }
}

TEST(Marc8Tables, VariantPlacements) {
    EXPECT_EQ(kVariantTableVSize, 38u);
    EXPECT_EQ(kVariantTableOSize, 1u);
    EXPECT_EQ(VariantOctet(LatinVariant::V, 0x2070), 0xC0);
    EXPECT_EQ(VariantOctet(LatinVariant::V, 0x208E), 0xDD);
    EXPECT_EQ(VariantOctet(LatinVariant::V, 0x00A9), 0x93);
    EXPECT_EQ(VariantOctet(LatinVariant::V, 0x2113), 0xA0);
    EXPECT_EQ(VariantOctet(LatinVariant::V, 0x03B3), 0xBF);
    EXPECT_EQ(VariantOctet(LatinVariant::O, 0x2113), 0xBE);
    EXPECT_EQ(VariantOctet(LatinVariant::O, 0x2070), 0);
    EXPECT_EQ(VariantOctet(LatinVariant::Marc8, 0x2113), 0);
    EXPECT_TRUE(VariantTakesOctet(LatinVariant::V, 0xC7));
    EXPECT_FALSE(VariantTakesOctet(LatinVariant::O, 0xC7));
    // What the variants read at the octets they move.
    EXPECT_EQ(LatinHighEntry(LatinVariant::V, 0xC1), 0x00B9u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::Marc8, 0xC1), 0x2113u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::O, 0xBE), 0x2113u);
    EXPECT_EQ(LatinHighEntry(LatinVariant::Marc8, 0xBE), 0u);
}

TEST(Marc8Tables, EastAsianBothWaysAndItsPrivateUseSubstitutes) {
    EXPECT_EQ(EastAsianToUcs(0x212320), 0x3000u);
    EXPECT_EQ(EastAsianToUcs(0x213064), 0x4EBAu);
    EXPECT_EQ(EastAsianToUcs(0x212A21), 0xE8D0u);
    EXPECT_EQ(EastAsianToUcs(0x692F22), 0u);
    EXPECT_EQ(EastAsianToUcs(0x7F7F7F), 0u);
    EXPECT_EQ(UcsToEastAsian(0x4EBA), 0x213064u);
    EXPECT_EQ(UcsToEastAsian(0x4E99), 0x213057u);  // two codes: the lower one comes back
    EXPECT_EQ(UcsToEastAsian('a'), 0u);
    EXPECT_EQ(PrivateUseSubstitute(0xE8D0), 0x3013u);
    EXPECT_EQ(PrivateUseSubstitute(0x4EBA), 0u);
    // Every code of the table is found through the index, and the index finds nothing else.
    std::size_t found = 0;
    for (std::size_t i = 0; i < kEastAsianByCodeSize; ++i)
        found += EastAsianToUcs(kEastAsianByCode[i].code) == kEastAsianByCode[i].ucs;
    EXPECT_EQ(found, kEastAsianByCodeSize);
    EXPECT_GT(kEastAsianByCodeSize, 15000u);
}

TEST(Marc8Tables, UnicodeCaseCategoryAndDecomposition) {
    EXPECT_EQ(unicode::ToUpper(0x00E9), 0x00C9u);
    EXPECT_EQ(unicode::ToLower(0x0416), 0x0436u);
    EXPECT_EQ(unicode::ToUpper(0x4EBA), 0x4EBAu);
    EXPECT_STREQ(unicode::Category(0x0301), "Mn");
    EXPECT_STREQ(unicode::Category(0x4E00), "Lo");
    EXPECT_STREQ(unicode::Category(0xAC01), "Lo");  // inside a First/Last range of the database
    EXPECT_STREQ(unicode::Category(0x0378), "Cn");
    EXPECT_STREQ(unicode::Category(0x10FFFF), "Cn");
    const auto d = unicode::Decompose(0x1EA0 + 0x0C);  // U+1EAC: A with circumflex and dot below
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0], 'A');
    EXPECT_EQ(d[1], 0x0323u);
    EXPECT_EQ(d[2], 0x0302u);
    EXPECT_EQ(unicode::Decompose(0x212B).size(), 2u);  // Angstrom sign: A and ring
    EXPECT_TRUE(unicode::Decompose(0xF900).empty());   // compatibility ideograph kept
    EXPECT_TRUE(unicode::Decompose(0xAC00).empty());   // Hangul syllables kept
}

}  // namespace
