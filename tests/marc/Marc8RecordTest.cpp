// The record class's character members: translation of whole records on load and on a change of
// the output set, the non-filing count, decomposition and its switches, the alif, characterising,
// and comparison forms of MARC-8 text.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Marc8TestSupport.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8MarcRecordClass;
using linkmend::test::Hex;
using linkmend::test::TempDir;

namespace {

// Every test gets a profile folder of its own, so that no preference file of the machine counts.
class Marc8RecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("LINKMEND_PROFILE_DIR");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_) setenv("LINKMEND_PROFILE_DIR", old_.c_str(), 1);
        else unsetenv("LINKMEND_PROFILE_DIR");
    }

    // A bibliographic record with a control number and the given field (indicators included).
    static std::string One(const std::string& tag, const std::string& field, char coding = ' ') {
        return linkmend::test::BuildTaggedRecord({{"001", "ocm00012345"}, {tag, field}}, coding);
    }

    std::string FieldText(Utf8MarcRecordClass& r, const std::string& tag) {
        EXPECT_TRUE(r.FldFindFirst(tag)) << tag;
        return r.FldText();
    }

    TempDir dir_;
    std::string old_;
    bool hadOld_ = false;
};

TEST_F(Marc8RecordTest, Marc8RecordIsTranslatedOnLoadAndMarkedUtf8) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    r.MarcRecordIn(One("500",
                       "  \x1F"
                       "aDvo\xE9"
                       "r\xE2"
                       "ak \x1B(NAB\x1B(B"));
    EXPECT_EQ(r.CharacterSetIn(), "M");
    EXPECT_TRUE(r.MarcRecordTranslated());
    EXPECT_EQ(Hex(FieldText(r, "500")), Hex("\x1F"
                                            "aDvor\xCC\x8C"
                                            "a\xCC\x81"
                                            "k \xD0\xB0\xD0\xB1"));
    EXPECT_EQ(r.CharacterEncodingScheme(), "a");
    EXPECT_EQ(r.MarcRecordOut().substr(9, 1), "a");
}

TEST_F(Marc8RecordTest, PlainAsciiRecordIsNotTouched) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    const std::string record = One("500",
                                   "  \x1F"
                                   "aplain text");
    r.MarcRecordIn(record);
    EXPECT_EQ(r.CharacterSetIn(), "M");
    EXPECT_FALSE(r.MarcRecordTranslated());
    EXPECT_EQ(r.MarcRecordOut(), record);
}

TEST_F(Marc8RecordTest, NonFilingCountFollowsTheArticleOnLoad) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    r.MarcRecordIn(One("245",
                       "14\x1F"
                       "a\xE2"
                       "El libro"));
    ASSERT_TRUE(r.FldFindFirst("245"));
    EXPECT_EQ(r.FldInd(), "15");
    EXPECT_EQ(Hex(r.FldText()), Hex("\x1F"
                                    "aE\xCC\x81l libro"));
}

TEST_F(Marc8RecordTest, ChangingTheOutputSetTranslatesTheLoadedRecordBothWays) {
    Utf8MarcRecordClass r;
    const std::string utf8 =
        "  \x1F"
        "6245-01/(3\x1F"
        "a\xD8\xA1 caf\xC3\xA9";
    r.MarcRecordIn(One("880", utf8, 'a'));
    EXPECT_EQ(r.CharacterSetIn(), "U");
    r.CharacterSetOut("M");
    EXPECT_EQ(Hex(FieldText(r, "880")), Hex("\x1F"
                                            "6245-01/(3/r\x1F"
                                            "a\x1B(3A \x1B(Bcaf\xE2"
                                            "e"));
    EXPECT_EQ(r.CharacterEncodingScheme(), " ");
    EXPECT_TRUE(r.MarcRecordTranslated());
    r.CharacterSetOut("U");
    EXPECT_EQ(Hex(FieldText(r, "880")), Hex("\x1F"
                                            "6245-01/(3/r\x1F"
                                            "a\xD8\xA1 cafe\xCC\x81"));
    EXPECT_EQ(r.CharacterEncodingScheme(), "a");
    r.CharacterSetOut("V");
    r.CharacterSetOut("O");  // from one MARC-8 form to another, by way of UTF-8
    EXPECT_EQ(Hex(FieldText(r, "880")), Hex("\x1F"
                                            "6245-01/(3/r\x1F"
                                            "a\x1B(3A \x1B(Bcaf\xE2"
                                            "e"));
}

TEST_F(Marc8RecordTest, SetsStayInForceAcrossSubfieldsOfALoadedField) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    r.MarcRecordIn(One("880",
                       "  \x1F"
                       "a\x1B(NAB\x1F"
                       "bAB\x1B(B\x1F"
                       "cAB"));
    ASSERT_TRUE(r.FldFindFirst("880"));
    ASSERT_TRUE(r.SfdFindFirst("b"));
    EXPECT_EQ(r.SfdText(), "\xD0\xB0\xD0\xB1");
    ASSERT_TRUE(r.SfdFindFirst("c"));
    EXPECT_EQ(r.SfdText(), "AB");
}

TEST_F(Marc8RecordTest, DecompositionAndItsSwitches) {
    const std::string record = One("500",
                                   "  \x1F"
                                   "aP\xC3\xA9rez",
                                   'a');
    const std::string control =
        "\x1F"
        "aP\xC3\xA9rez";
    {
        Utf8MarcRecordClass r;
        r.MarcRecordIn(record);
        EXPECT_TRUE(r.CharactersDecomposed());
        EXPECT_EQ(FieldText(r, "500"),
                  "\x1F"
                  "aPe\xCC\x81rez");
        EXPECT_FALSE(r.MarcRecordTranslated());
    }
    {
        Utf8MarcRecordClass r;
        r.DisableUtf8Decomposition(true);
        r.MarcRecordIn(record);
        EXPECT_FALSE(r.CharactersDecomposed());
        EXPECT_EQ(FieldText(r, "500"), control);
    }
    // The cataloguing client's preference.
    linkmend::test::WriteFile(dir_.File("Catalog.ini"), "[Preferences]\nBypassAutoDecompose=TRUE\n");
    {
        Utf8MarcRecordClass r;
        r.MarcRecordIn(record);
        EXPECT_FALSE(r.CharactersDecomposed());
        EXPECT_EQ(FieldText(r, "500"), control);
    }
    linkmend::test::WriteFile(dir_.File("Catalog.ini"), "[Preferences]\nBypassAutoDecompose = false \n");
    {
        Utf8MarcRecordClass r;
        r.MarcRecordIn(record);
        EXPECT_TRUE(r.CharactersDecomposed());
    }
    // Control fields are never decomposed.
    Utf8MarcRecordClass r;
    r.MarcRecordIn(One("009", "\xC3\xA9x", 'a'));
    EXPECT_FALSE(r.CharactersDecomposed());
}

TEST_F(Marc8RecordTest, DoubleWidthDiacriticsOnRequest) {
    const std::string marc8 = One("500",
                                  "  \x1F"
                                  "a\xEBt\xECs");
    const std::string halves = One("500",
                                   "  \x1F"
                                   "at\xEF\xB8\xA0s\xEF\xB8\xA1",
                                   'a');
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    r.MarcRecordIn(marc8);
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "at\xEF\xB8\xA0s\xEF\xB8\xA1");
    r.MarcRecordIn(halves);
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "at\xEF\xB8\xA0s\xEF\xB8\xA1");
    r.UseDoubleWidthDiacritics(true);
    r.MarcRecordIn(marc8);
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "at\xCD\xA1s");
    r.MarcRecordIn(halves);
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "at\xCD\xA1s");
    EXPECT_TRUE(r.CharactersDecomposed());
}

TEST_F(Marc8RecordTest, AlifBecomesTheApostropheModifierInUtf8) {
    Utf8MarcRecordClass r;
    r.MarcRecordIn(One("500",
                       "  \x1F"
                       "a\xCA\xBE"
                       "Ali",
                       'a'));
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "a\xCA\xBC"
              "Ali");
    r.FldAdd("500", "  ",
             "\x1F"
             "aQur\xCA\xBE"
             "an");
    EXPECT_NE(r.MarcRecordOut().find("Qur\xCA\xBC"
                                     "an"),
              std::string::npos);
}

TEST_F(Marc8RecordTest, LoadReadsTheCharacterisedSet) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    r.MarcRecordIn(One("500",
                       "  \x1F"
                       "aH\xD2O at 20\xC0"
                       "C"));  // variant V: subscript two, superscript zero
    EXPECT_EQ(r.CharacterSetIn(), "V");
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "aH\xE2\x82\x82O at 20\xE2\x81\xB0"
              "C");
    r.MarcRecordIn(One("500",
                       "  \x1F"
                       "aH\xD2O\xFC"));  // V, with an octet illegal even there
    EXPECT_EQ(r.CharacterizeCharacterSet().substr(0, 1), "X");
    EXPECT_EQ(r.CharacterSetIn(), "V");
    EXPECT_NE(FieldText(r, "500").find("[MARC+FC]"), std::string::npos);
    // A set given by the caller is taken as it is: Latin-1 here.
    r.CharacterSetIn("L");
    r.MarcRecordIn(One("500",
                       "  \x1F"
                       "aP\xE9rez"));
    EXPECT_EQ(r.CharacterSetIn(), "L");
    EXPECT_EQ(FieldText(r, "500"),
              "\x1F"
              "aPe\xCC\x81rez");
}

TEST_F(Marc8RecordTest, ComparisonFormOfMarc8Text) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("M");
    EXPECT_EQ(r.NormString("\xE2"
                           "Etude \x1B(Nknigi\x1B(B, No. 2",
                           true, "V"),
              "ETUDE \xD0\x9A\xD0\x9D\xD0\x98\xD0\x93\xD0\x98 NO 2");
    EXPECT_EQ(r.NormString("\xA5"
                           "sop's \xC0",
                           true, "P"),
              "AESOP'S \xC2\xB0");
    r.CharacterSetOut("U");
    EXPECT_EQ(r.NormString("\xC3\x86sop\xE2\x80\x99s", true, "V"), "AESOPS");
}

}  // namespace

namespace {

// Whole MARC-8 records loaded with UTF-8 output and assembled again, against yaz-marcdump's
// conversion of the same file: the same octets, record by record (but for leader/09).
TEST(Marc8RecordOracle, RealMarc8RecordsAssembleAsYazConvertsThem) {
    if (!linkmend::test::HaveProgram("yaz-marcdump")) GTEST_SKIP() << "yaz-marcdump is not installed";
    const std::string data = linkmend::test::SharedDataDir();
    if (data.empty()) GTEST_SKIP() << "no shared test data in this checkout";
    const std::string path = data + "/real-marc/brkrtest.mrc";
    if (!linkmend::test::FileExists(path)) GTEST_SKIP() << path << " is absent";
    TempDir dir;
    const std::string converted = linkmend::test::RunFilter(dir, "yaz-marcdump -f marc8 -t utf8 -o marc " + path, "");
    const std::string original = linkmend::test::ReadFile(path);
    Utf8MarcRecordClass r;
    r.MakeNoChange(true);
    r.UseDoubleWidthDiacritics(true);  // yaz writes the double-width marks
    r.CharacterSetOut("U");
    std::size_t at = 0, theirs = 0;
    int records = 0;
    while (at + 5 <= original.size()) {
        const std::size_t length = std::stoul(original.substr(at, 5));
        const std::size_t theirLength = std::stoul(converted.substr(theirs, 5));
        r.MarcRecordIn(original.substr(at, length));
        ASSERT_EQ(r.IsMarcErrorText(), "");
        EXPECT_EQ(r.CharacterSetIn(), "M");
        // yaz leaves leader/09 as it was; this system marks a translated record as UTF-8 ("a")
        // and leaves a record of plain ASCII as it is.
        std::string expected = converted.substr(theirs, theirLength);
        if (r.MarcRecordTranslated()) expected[9] = 'a';
        EXPECT_EQ(Hex(r.MarcRecordOut()), Hex(expected)) << "record " << records;
        at += length;
        theirs += theirLength;
        ++records;
    }
    EXPECT_EQ(records, 8);
}

}  // namespace
