#include <gtest/gtest.h>

#include "TestSupport.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8MarcRecordClass;
using linkmend::test::OctetsEqual;

// The single-field members give what whole-record translation gives on load.
TEST(RecordTranslationMembersTest, FieldToUtf8KeepsNonFilingCountTrue) {
    Utf8MarcRecordClass record;
    record.CharacterSetIn("M");
    std::string indicators = "14";
    // "L'\xE2" + "ete" : the acute sits inside the three-octet article "L'e" (extended past the mark).
    std::string field =
        "\x1F"
        "aL'\xE2"
        "ete\x1F"
        "bA story";
    bool changed = false, error = false;
    record.TranslateMarc2Utf8OneField("B", "245", indicators, field, changed, error);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(error);
    EXPECT_TRUE(
        OctetsEqual("\x1F"
                    "aL'e\xCC\x81"
                    "te\x1F"
                    "bA story",
                    field));
    EXPECT_EQ(indicators, "15");  // the article grew by one octet
}

TEST(RecordTranslationMembersTest, TextKeepsWorkingSetsAcrossCalls) {
    Utf8MarcRecordClass record;
    record.CharacterSetIn("M");
    std::string g0 = "s", g1 = "s";
    std::string text =
        "H\x1B"
        "b";  // ends in the subscript set
    bool changed = false, error = false;
    record.TranslateMarc2Utf8Text(g0, g1, "245", text, changed, error);
    EXPECT_TRUE(OctetsEqual("H", text));
    EXPECT_EQ(g0, "b");
    std::string more = "2";
    record.TranslateMarc2Utf8Text(g0, g1, "245", more, changed, error);
    EXPECT_TRUE(OctetsEqual("\xE2\x82\x82", more));  // subscript two
    EXPECT_TRUE(changed);
}

TEST(RecordTranslationMembersTest, Utf8ToMarc8AndDecomposition) {
    Utf8MarcRecordClass record;
    record.CharacterSetOut("M");
    std::string codes = "s s";
    std::string text =
        "\x1F"
        "acaf\xC3\xA9";
    bool changed = false, error = false;
    record.TranslateUtf82MarcOneField(codes, "245", text, changed, error);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(error);
    EXPECT_TRUE(
        OctetsEqual("\x1F"
                    "acaf\xE2"
                    "e",
                    text));

    bool decomposed = false;
    EXPECT_TRUE(OctetsEqual("cafe\xCC\x81", record.DecomposeUnicodeCharactersInString("caf\xC3\xA9", &decomposed)));
    EXPECT_TRUE(decomposed);
    EXPECT_EQ(record.DecomposeUnicodeCharactersInString("plain", &decomposed), "plain");
    EXPECT_FALSE(decomposed);
}
