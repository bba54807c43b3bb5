// Whole fields: the non-filing count of title fields follows the translated article, the 880
// right-to-left mark, and the set-code pairs the record class passes.
#include <gtest/gtest.h>

#include "Marc8TestSupport.h"
#include "marc/Marc8Field.h"

using namespace linkmend::marc8;

namespace {

struct FieldCase {
    const char* format;
    const char* tag;
    const char* indicators;
    std::string field;
    const char* indicatorsOut;
    std::string fieldOut;
};

TEST(Marc8Field, NonFilingCountFollowsTheTranslatedArticle) {
    const FieldCase cases[] = {
        // Article without diacritics: count unchanged.
        {"B", "245", "14",
         "\x1F"
         "aThe title",
         "14",
         "\x1F"
         "aThe title"},
        // "\xE2" "El " is four octets in MARC-8, five in UTF-8 (E + combining acute).
        {"B", "245", "14",
         "\x1F"
         "a\xE2"
         "El libro",
         "15",
         "\x1F"
         "aE\xCC\x81l libro"},
        // A count ending on a combining mark reaches to its letter: "a\xE2" + "e" -> 4 octets.
        {"B", "245", "02",
         "\x1F"
         "aa\xE2"
         "eb",
         "04",
         "\x1F"
         "aae\xCC\x81"
         "b"},
        // First indicator for 130/630/730, second for 240/830; authority 130 its second.
        {"B", "630", "20",
         "\x1F"
         "a\xE8"
         "Ab",
         "30",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        {"S", "830", " 2",
         "\x1F"
         "a\xE8"
         "Ab",
         " 3",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        {"A", "130", " 2",
         "\x1F"
         "a\xE8"
         "Ab",
         " 3",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        {"A", "630", "2 ",
         "\x1F"
         "a\xE8"
         "Ab",
         "2 ",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        // Holdings have no non-filing counts; other fields keep their indicators.
        {"H", "245", "02",
         "\x1F"
         "a\xE8"
         "Ab",
         "02",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        {"B", "500", "02",
         "\x1F"
         "a\xE8"
         "Ab",
         "02",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        {"B", "245", "10",
         "\x1F"
         "a\xE8"
         "Ab",
         "10",
         "\x1F"
         "aA\xCC\x88"
         "b"},
        // A count that would need two digits is left as it was.
        {"B", "245", "09",
         "\x1F"
         "a\xE8"
         "A\xE8"
         "A\xE8"
         "A\xE8"
         "A\xE8"
         "Ab",
         "09",
         "\x1F"
         "aA\xCC\x88"
         "A\xCC\x88"
         "A\xCC\x88"
         "A\xCC\x88"
         "A\xCC\x88"
         "b"},
        // The rest starts again from the default sets, whatever the article switched to.
        {"B", "245", "04",
         "\x1F"
         "a\x1B(NA A",
         "02",
         "\x1F"
         "a\xD0\xB0 A"},
    };
    for (const auto& k : cases) {
        std::string indicators = k.indicators, field = k.field;
        const auto r = TranslateFieldToUtf8(k.format, k.tag, indicators, field, {});
        EXPECT_EQ(indicators, k.indicatorsOut) << k.format << " " << k.tag << " " << linkmend::test::Hex(k.field);
        EXPECT_EQ(linkmend::test::Hex(field), linkmend::test::Hex(k.fieldOut)) << k.tag;
        EXPECT_FALSE(r.error);
        EXPECT_EQ(r.changed, field != k.field || indicators != k.indicators);
    }
}

TEST(Marc8Field, ArabicAndHebrew880GetTheRightToLeftMark) {
    WorkingSets sets;
    std::string text =
        "\x1F"
        "6245-01/(3\x1F"
        "a\xD8\xA1";
    auto r = TranslateFieldToMarc8("880", text, sets, {});
    EXPECT_EQ(text,
              "\x1F"
              "6245-01/(3/r\x1F"
              "a\x1B(3A\x1B(B");
    EXPECT_TRUE(r.changed);
    text =
        "\x1F"
        "6245-01/(2/r\x1F"
        "ax";
    TranslateFieldToMarc8("880", text, sets, {});
    EXPECT_EQ(text,
              "\x1F"
              "6245-01/(2/r\x1F"
              "ax");  // already marked
    text =
        "\x1F"
        "6245-01/(N\x1F"
        "ax";
    r = TranslateFieldToMarc8("880", text, sets, {});
    EXPECT_EQ(text,
              "\x1F"
              "6245-01/(N\x1F"
              "ax");
    EXPECT_FALSE(r.changed);
    text =
        "\x1F"
        "6245-01/(3";
    TranslateFieldToMarc8("245", text, sets, {});  // only 880 fields carry it
    EXPECT_EQ(text,
              "\x1F"
              "6245-01/(3");
}

TEST(Marc8Field, SetCodePairs) {
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
