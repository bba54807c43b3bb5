// String services, comparison forms of texts, headings, standard numbers and call numbers, script
// survey, and the display renderings the job prints into its reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordBuilder.h"
#include "base/Error.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

using R = Utf8MarcRecordClass;

class ServicesTest : public ::testing::Test {
protected:
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

TEST(ServicesStringTest, RatFindsTheLastOccurrence) {
    EXPECT_EQ(R::Rat("a\\b\\c", "\\"), 4);
    EXPECT_EQ(R::Rat("abc", "abcd"), 0);
    EXPECT_EQ(R::Rat("", "a"), 0);
    EXPECT_EQ(R::Rat("abc", ""), 0);
    EXPECT_EQ(R::Rat("abcabc", "abc"), 4);
    EXPECT_EQ(R::Rat("abc", "x"), 0);
    EXPECT_EQ(R::Rat("abc", "abc"), 1);
}

TEST(ServicesStringTest, SafeStuffReplacesAndInsertsAtEveryPosition) {
    EXPECT_EQ(R::SafeStuff("abcdef", 3, 2, "XY"), "abXYef");
    EXPECT_EQ(R::SafeStuff("abc", 2, 0, " "), "a bc");
    EXPECT_EQ(R::SafeStuff("abc", 9, 0, "z"), "abcz");
    EXPECT_EQ(R::SafeStuff("abc", 1, 0, "z"), "zabc");
    EXPECT_EQ(R::SafeStuff("abc", 0, 0, "z"), "zabc");
    EXPECT_EQ(R::SafeStuff("", 1, 3, "r"), "r");
    EXPECT_EQ(R::SafeStuff("abc", 0, 1, "r"), "rabc");
    EXPECT_EQ(R::SafeStuff("abc", 1, 1, "r"), "rbc");
    EXPECT_EQ(R::SafeStuff("abc", 1, 9, "r"), "r");
    EXPECT_EQ(R::SafeStuff("abc", 3, 9, "r"), "abr");
    EXPECT_EQ(R::SafeStuff("abc", 4, 1, "r"), "abcr");
    EXPECT_EQ(R::SafeStuff("abc", 3, 0, "r"), "abrc");
    // The URL rewrite: stem at the start, and at the end.
    EXPECT_EQ(R::SafeStuff("abc", 1, 1, "xy"), "xybc");
    EXPECT_EQ(R::SafeStuff("abc", R::Rat("abc", "c"), 1, "xy"), "abxy");
}

TEST(ServicesStringTest, RepeatedAndReplacedCharacters) {
    EXPECT_EQ(R::RemoveRepeatedCharacters("a   b", " "), "a b");
    EXPECT_EQ(R::RemoveRepeatedCharacters("--a--", "-"), "-a-");
    EXPECT_EQ(R::RemoveRepeatedCharacters("a  b", ""), "a  b");
    EXPECT_EQ(R::ReplaceCharacters("a-b-c", "-"), "abc");
    EXPECT_EQ(R::ReplaceCharacters("a-b-c", "-", "--"), "a--b--c");
    EXPECT_EQ(R::ReplaceCharacters("a-b", "", "x"), "a-b");
    EXPECT_EQ(R::ReplaceCharacters("a-b", "-", "-"), "a-b");
    EXPECT_EQ(R::ReplaceCharacters("a--b", "-", " ", true), "a b");
    EXPECT_EQ(R::ReplaceCharacters("a--b", "-", " ", false), "a  b");
    // Scanned from the end: a replacement can complete a match that starts before it.
    EXPECT_EQ(R::ReplaceCharacters("aab", "ab", "b"), "b");
}

TEST_F(ServicesTest, IsTrueAcceptsTheTruthWords) {
    for (const char* yes : {"TRUE", "true", " yes ", "Y", "t", "1", "-1", "Yes"}) EXPECT_TRUE(rec_.IsTrue(yes)) << yes;
    for (const char* no : {"no", "", "false", "0", "2", "yess", "on"}) EXPECT_FALSE(rec_.IsTrue(no)) << no;
}

TEST_F(ServicesTest, ComparisonForms) {
    EXPECT_EQ(rec_.NormString("  O'Brien,  Pat. ", true, "V"), "OBRIEN PAT");
    EXPECT_EQ(rec_.NormString("Rock & roll", true, "v"), "ROCK & ROLL");
    EXPECT_EQ(rec_.NormString("a,b", false, "P"), "A,B");
    EXPECT_EQ(rec_.NormString(D("$aSmith$dJohn"), true, "V"), "SMITH JOHN");
    EXPECT_EQ(rec_.NormString("Cafe\xCC\x81 e\xCC\x81t\xC3\xA9", true, "V"), "CAFE ETE");  // precomposed too
    EXPECT_EQ(rec_.NormString("tab\there", false, "V"), "TAB HERE");
    EXPECT_EQ(rec_.NormalizationScheme(), "V");
    rec_.NormalizationScheme(" p");
    EXPECT_EQ(rec_.NormalizationScheme(), "P");
    EXPECT_EQ(rec_.NormString("a.b"), "A.B");
    try {
        rec_.NormalizationScheme("X");
        FAIL() << "no error";
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), 380);
        EXPECT_EQ(e.Source(), "MarcClass");
        EXPECT_EQ(e.Description(), "Invalid value for NormalizationScheme property");
    }
    EXPECT_EQ(rec_.NormalizationScheme(), "P");
}

TEST_F(ServicesTest, FieldAndSubfieldNormsFollowTheScheme) {
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {{"001", "1"}, {"245", "10$aThe cat :$bin the hat."}}));
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldNorm(), "THE CAT IN THE HAT");
    EXPECT_EQ(rec_.SfdNorm(), "THE CAT");
    rec_.NormalizationScheme("P");
    EXPECT_EQ(rec_.SfdNorm(), "THE CAT :");
    rec_.SfdText("Dog");
    EXPECT_EQ(rec_.SfdNorm(), "DOG");
}

TEST_F(ServicesTest, HeadingSubfieldLists) {
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "100"), "abcdfgklmnoprsqtvxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "510"), "abcdfgklmnoprstvxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "450"), "abcdvxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "751"), "avxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "485"), "vxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("A", "186"), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("B", "600"), "abcdfgklmnoprsqt");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("S", "810"), "abcdfgklmnoprst");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("M", "650"), "abcd");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("U", "651"), "a");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("P", "655"), "ab");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("B", "245"), "abnp");
    EXPECT_EQ(rec_.ListSubfieldsForNormalization("H", "100"), "abcdefghijklmnopqrstuvwxyz");
}

TEST_F(ServicesTest, WholeFieldFormKeepsTheNameComma) {
    std::string kept;
    EXPECT_EQ(rec_.NormalizeWholeField("V", "A", "100", "10", D("$aSandburg, Carl,$d1878-1967.$0n79"), &kept),
              "SANDBURG, CARL 1878 1967");
    EXPECT_EQ(kept, D("$0n79"));
    EXPECT_EQ(rec_.NormalizeWholeField("V", "B", "650", " 0", D("$aArithmetic$xJuvenile poetry.$wa")), "ARITHMETIC");
    EXPECT_EQ(rec_.NormalizeWholeField("P", "B", "245", "10", D("$aArithmetic /$cCarl")), "ARITHMETIC /");
    EXPECT_EQ(rec_.NormalizationScheme(), "V");  // restored afterwards
}

TEST_F(ServicesTest, StandardNumbersCompareInOneForm) {
    std::string tag = "020", text = D("$a0-15-203865-5 (pbk.) :$c$15.95");
    const std::string isbn10 = rec_.NormalizeStandardNumber(tag, text);
    EXPECT_EQ(isbn10, "9780152038656");
    EXPECT_EQ(text, "0-15-203865-5");
    tag = "ISBN";
    text = "978-0-15-203865-6";
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), isbn10);
    EXPECT_EQ(tag, "020");
    tag = "022";
    text = D("$a0317-8471");
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), "03178471");
    tag = "issn";
    text = "1234-567x";
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), "1234567X");
    tag = "010";
    text = D("$a   92005291 ");
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), "92005291");
    tag = "LCCN";
    text = "n 79-1234 /AC/r932";
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), "n79001234");
    tag = "024";
    text = "ab-12 3";
    EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), "AB123");
}

TEST_F(ServicesTest, CallNumbersSortInShelfOrder) {
    auto sorted = [&](std::vector<std::string> numbers, const std::string& type) {
        std::vector<std::string> keys;
        for (const auto& n : numbers) keys.push_back(rec_.NormalizeCallNumber(n, type));
        return std::is_sorted(keys.begin(), keys.end());
    };
    EXPECT_TRUE(sorted({"QA9 .A1", "QA76 .C15", "QA76.5 .B2", "QA76.73.C153 1990", "QA76.73.C2 1985", "QA76.8 .A1",
                        "QB1 .A1", "QC1.A1"},
                       "0"));
    EXPECT_FALSE(sorted({"QA76 .C15", "QA9 .A1"}, "0"));
    EXPECT_TRUE(sorted({"5 .A1", "20.5 .B2", "811.52 S213a", "811.54 A1", "811.6 B2"}, "1"));
    EXPECT_TRUE(sorted({"Box 2", "Box 10", "Box 10 v.2", "Box 10 v.11"}, "8"));
    EXPECT_EQ(rec_.NormalizeCallNumber("qa76.73 .c153 1990", "0"), rec_.NormalizeCallNumber("QA76.73.C153 1990", "0"));
    EXPECT_EQ(rec_.NormalizeCallNumber("PS3537.A618 A88 1993", "0"), "PS 3537 A618 A88 01993");
}

TEST(ServicesScriptTest, VernacularDataIsOutsideMarc8Latin) {
    EXPECT_TRUE(R::VernacularDataPresent("Tolsto\xD0\xB9"));              // Cyrillic
    EXPECT_FALSE(R::VernacularDataPresent("Cafe\xCC\x81 \xE2\x81\xB0"));  // combining acute, U+2070
    EXPECT_FALSE(R::VernacularDataPresent("\xE2\x84\x93 \xE2\x99\xAF \xEF\xB8\xA0"));
    std::string scripts;
    EXPECT_TRUE(R::VernacularDataCharacterize("\xE4\xB8\xAD \xD7\x90 \xCE\xB1 \xE0\xB8\x81", scripts));
    EXPECT_EQ(scripts, "GHCZ");
    EXPECT_FALSE(R::VernacularDataCharacterize("plain", scripts));
    EXPECT_EQ(scripts, "");
}

TEST_F(ServicesTest, FieldDisplayPlainAndRtf) {
    rec_.MarcRecordIn(BuildRecord("00000nam a2200000 a 4500",
                                  {{"001", "1"}, {"856", "40$uhttp://x.example/a b$zNote {1}\x01$3P\xC3\xA9"}}));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    // UTF-8 records are decomposed on load; MARC-8 holds the acute before its letter.
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "0123456789abcdefghijklmnopqrstuvwxyz", ""),
              "|u http://x.example/a b |z Note {1}\\&H01 |3 Pe\xCC\x81");
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "uz", "z"), "|u http://x.example/a b");
    rec_.CharacterSetOut("M");
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "3", ""), "|3 P\\&HE2e");
    rec_.CharacterSetOut("U");
    const std::string rtf = rec_.FldTextFormatted(1, true, 10, "z3", "");
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033")) << rtf;
    EXPECT_NE(rtf.find("Arial Unicode MS"), std::string::npos);
    EXPECT_NE(rtf.find("\\viewkind4\\uc1\\pard\\f0\\fs20 {\\b |z} Note \\{1\\}\\'01 {\\b |3} Pe\\u769?\\par}"),
              std::string::npos)
        << rtf;
    EXPECT_TRUE(rtf.ends_with("\\par}"));
    ASSERT_TRUE(rec_.FldFindFirst("001"));
    EXPECT_EQ(rec_.FldTextFormatted(), "1");
}

TEST_F(ServicesTest, RecordDisplayIsExactAndLeavesTheCursor) {
    rec_.MarcRecordIn(BuildRecord("00000cam a2200000 a 4500", {{"001", "92005291"},
                                                               {"008", "920219s1993    caua   j      000 0 eng  "},
                                                               {"245", "10$aArithmetic /$cCarl Sandburg."},
                                                               {"856", "40$uhttp://x.example$zNote"}}));
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.TextFormatted(0, false, 10),
              "Rec stat: c  Entered: 920219\r\n"
              "Type: a  BLvl: m  ELvl:    Ctrl:    Srce:  \r\n"
              "Lang: eng  Form:    MRec:    Ctry: cau\r\n"
              "001    92005291\r\n"
              "008    920219s1993    caua   j      000 0 eng  \r\n"
              "245 10 |a Arithmetic / |c Carl Sandburg.\r\n"
              "856 40 |u http://x.example |z Note");
    EXPECT_EQ(rec_.FldTag(), "245");

    rec_.MarcRecordIn(BuildRecord(
        "00000nz  a2200000n  4500",
        {{"001", "n79"}, {"008", "790101n| acannaabn          |a aaa      "}, {"100", "1 $aSandburg, Carl"}}));
    const std::string auth = rec_.TextFormatted();
    EXPECT_TRUE(
        auth.starts_with("Rec stat: n  Entered: 790101\r\nType: z  ELvl: n  Srce:   Ref status: a Upd status: a\r\n"
                         "Enc: a  Ctrl:   Geo subd: n Ser use: b"))
        << auth;
    const std::string rtf = rec_.TextFormatted(1, true, 10);
    EXPECT_NE(rtf.find("\\par\r\n100 1  {\\b |a} Sandburg, Carl\\par}"), std::string::npos) << rtf;
}

}  // namespace
