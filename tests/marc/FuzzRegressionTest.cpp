// Rules of MARC-8 translation that fuzzing found broken, each with its smallest case.
#include <gtest/gtest.h>

#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

namespace {

std::string ToMarc8(std::string text, bool& error) {
    linkmend::Utf8MarcRecordClass record;
    record.CharacterSetOut("M");
    std::string codes = "s s";
    bool changed = false;
    error = false;
    record.TranslateUtf82MarcOneField(codes, "500", text, changed, error);
    return text;
}

TEST(FuzzRegression, Utf8ToMarc8KeepsMarksInPlaceAndFlagsDel) {
    bool error = false;
    // Meem, superscript alef, fatha, meem: MARC-8 holds the alef as a spacing letter, read as a base,
    // so it stays after the first meem and takes the fatha in front of it.
    EXPECT_EQ(ToMarc8("\xD9\x85\xD9\xB0\xD9\x8E\xD9\x85", error), "\x1B(3ente\x1B(B");
    EXPECT_FALSE(error);
    // An "&" goes after its marks in MARC-8, next to the "#x41;" the marks kept apart in UTF-8.
    EXPECT_EQ(ToMarc8("&\xCC\x95#x41;", error), "\xED&#x0026;#x41;");
    // Marks with no letter before them keep their order.
    EXPECT_EQ(ToMarc8("\xCC\x81\xCC\x82", error), "\xE2\xE3");
    EXPECT_EQ(ToMarc8("\xCD\x84", error), "\xE8\xE2");  // dialytika tonos: diaeresis, then acute
    // DEL is no MARC-8 character (its octet reads as untranslatable): a flagged reference.
    EXPECT_EQ(ToMarc8("a\x7F", error), "a&#x007F;");
    EXPECT_TRUE(error);
}

// A subfield code "&" is the code, whatever follows it: neither written as a reference to "&" (the
// code would become text) nor read as the start of a reference (the code would become "A"). And a
// reference is basic Latin: in the Hebrew set the same octets are "&#", resh and "5148;".
TEST(FuzzRegression, ReferencesAreBasicLatinTextNeverASubfieldCode) {
    const std::string d = "\x1F", field = d + "&#x41;" + d + "b&#x41;";
    for (const char* set : {"M", "L"}) {
        SCOPED_TRACE(set);
        linkmend::Utf8MarcRecordClass record;
        record.CharacterSetIn(set);
        record.CharacterSetOut(set);
        std::string codes = "s s", text = field, g0 = "s", g1 = "s";
        bool changed = false, error = false;
        record.TranslateUtf82MarcOneField(codes, "500", text, changed, error);
        EXPECT_EQ(text, d + "&#x41;" + d + "b&#x0026;#x41;");
        record.TranslateMarc2Utf8Text(g0, g1, "500", text, changed, error);
        EXPECT_EQ(text, field);
        EXPECT_FALSE(error);
    }
    linkmend::Utf8MarcRecordClass record;
    std::string text = "\x1B(2&#x5148;\x1B(B", g0 = "s", g1 = "s";
    bool changed = false, error = false;
    record.TranslateMarc2Utf8Text(g0, g1, "500", text, changed, error);
    EXPECT_EQ(text,
              "&#\xD7\xA8"
              "5148;");
}

TEST(FuzzRegression, Marc8FieldWithNoCodeAfterADelimiterIsTranslatedSubfieldBySubfield) {
    using namespace linkmend::test;
    linkmend::Utf8MarcRecordClass record;
    // An escape read as a subfield code threw out of the load.
    record.MarcRecordIn(AssembleRecord(Leader('a', ' '), {{"001", "1"}, {"500", "  \x1F\x1B(N"}}));
    EXPECT_EQ(record.IsMarcErrorText(), "");
    // A diacritic read as a subfield code left the subfields after it in MARC-8.
    const std::string b = std::string("\x1F") + "b";
    record.MarcRecordIn(AssembleRecord(Leader('a', ' '), {{"001", "1"}, {"500", "  \x1F\xE1x" + b + "\xE2" + "e"}}));
    ASSERT_TRUE(record.FldFindFirst("500"));
    EXPECT_EQ(record.FldText(), "\x1F\xE1x" + b + "e\xCC\x81");
}

}  // namespace
