// Rules of MARC-8 translation that fuzzing found broken, each with its smallest case.
#include <gtest/gtest.h>

#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

namespace {

// Each row's UTF-8 written in its set (MARC-8 or Latin-1), then read back to the same UTF-8.
TEST(FuzzRegression, TranslationsWriteAndReadBack) {
    const std::string d = "\x1F";
    const struct {
        const char* set;
        std::string utf8, written;
        bool error;
    } rows[] = {
        // Meem, superscript alef, fatha, meem: MARC-8 holds the alef as a spacing letter, read as a
        // base, so it stays after the first meem and takes the fatha in front of it.
        {"M", "\xD9\x85\xD9\xB0\xD9\x8E\xD9\x85", "\x1B(3ente\x1B(B", false},
        // An "&" goes after its marks in MARC-8, next to the "#x41;" the marks kept apart in UTF-8.
        {"M", "&\xCC\x95#x41;", "\xED&#x0026;#x41;", false},
        // Marks with no letter before them keep their order, also those MARC-8 has only in parts
        // (dialytika tonos: diaeresis, then acute).
        {"M", "\xCC\x81\xCC\x82", "\xE2\xE3", false},
        {"M", "\xCD\x84", "\xE8\xE2", false},
        // DEL is no MARC-8 character (its octet reads as untranslatable): a flagged reference.
        {"M", "a\x7F", "a&#x007F;", true},
        // A subfield code "&" is the code, whatever follows it: neither written as a reference (the
        // code would become text) nor read as the start of one (the code would become "A").
        {"M", d + "&#x41;" + d + "b&#x41;", d + "&#x41;" + d + "b&#x0026;#x41;", false},
        {"L", d + "&#x41;" + d + "b&#x41;", d + "&#x41;" + d + "b&#x0026;#x41;", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.utf8);
        linkmend::Utf8MarcRecordClass record;
        record.CharacterSetIn(row.set);
        record.CharacterSetOut(row.set);
        std::string codes = "s s", text = row.utf8, g0 = "s", g1 = "s";
        bool changed = false, error = false;
        record.TranslateUtf82MarcOneField(codes, "500", text, changed, error);
        EXPECT_EQ(text, row.written);
        EXPECT_EQ(error, row.error);
        if (row.error) continue;
        record.TranslateMarc2Utf8Text(g0, g1, "500", text, changed, error);
        EXPECT_EQ(record.DecomposeUnicodeCharactersInString(text), record.DecomposeUnicodeCharactersInString(row.utf8));
    }
    // A reference is basic Latin: in the Hebrew set the same octets are "&#", resh and "5148;".
    linkmend::Utf8MarcRecordClass record;
    std::string text = "\x1B(2&#x5148;\x1B(B", g0 = "s", g1 = "s";
    bool changed = false, error = false;
    record.TranslateMarc2Utf8Text(g0, g1, "500", text, changed, error);
    EXPECT_EQ(text, "&#\xD7\xA8" + std::string("5148;"));
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
