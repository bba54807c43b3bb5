// String services, comparison forms of texts, headings, standard numbers and call numbers, the
// script survey, and the display renderings the job prints into its reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Numeric.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;
using R = Utf8MarcRecordClass;

namespace {

class Services : public ::testing::Test {
protected:
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

TEST(ServicesStrings, RatSafeStuffAndCharacterReplacement) {
    EXPECT_EQ(
        std::vector<int>({R::Rat("a\\b\\c", "\\"), R::Rat("abcabc", "abc"), R::Rat("abc", "abcd"), R::Rat("abc", "")}),
        std::vector<int>({4, 4, 0, 0}));
    const std::tuple<const char*, int, int, const char*, const char*> stuff[] = {
        {"abcdef", 3, 2, "XY", "abXYef"}, {"abc", 9, 0, "z", "abcz"}, {"abc", 0, 1, "r", "rabc"},
        {"abc", 1, 9, "r", "r"},          {"abc", 3, 9, "r", "abr"},  {"abc", 3, 0, "r", "abrc"}};
    for (const auto& [text, at, length, with, result] : stuff)
        EXPECT_EQ(R::SafeStuff(text, at, static_cast<std::int16_t>(length), with), result) << text << at << length;
    EXPECT_EQ(R::RemoveRepeatedCharacters("--a  b--", "-"), "-a  b-");
    std::string blank = " ", shorter = "b";  // scanned from the end: a replacement can complete a match before it
    EXPECT_EQ(R::ReplaceCharacters("a--b", "-", blank, true) + R::ReplaceCharacters("aab", "ab", shorter, false),
              "a bb");
}

TEST_F(Services, TruthWordsAgreeWithTheSettingsReaders) {
    for (const char* yes : {"TRUE", "true", " yes ", "Y", "t", "1", "-1", "Yes"}) EXPECT_TRUE(rec_.IsTrue(yes)) << yes;
    for (const char* no : {"no", "", "false", "0", "2", "yess", "on"}) EXPECT_FALSE(rec_.IsTrue(no)) << no;
    // Settings readers without a record object judge with IsTrueText; on ASCII they must agree.
    for (const char* text : {"- 1", "T.", "'yes'", "\"Y\"", "1 1", "tr ue", "TRUE!", "yes\t", "Y E S", "&y", "+1", "-"})
        EXPECT_EQ(IsTrueText(text), rec_.IsTrue(text)) << "[" << text << "]";
}

TEST_F(Services, ComparisonForms) {
    EXPECT_EQ(rec_.NormString("  O'Brien,  Pat. ", true, "V"), "OBRIEN PAT");
    EXPECT_EQ(rec_.NormString("Rock & roll", true, "v"), "ROCK & ROLL");
    EXPECT_EQ(rec_.NormString("a,b", false, "P"), "A,B");
    EXPECT_EQ(rec_.NormString(D("$aSmith$dJohn"), true, "V"), "SMITH JOHN");
    EXPECT_EQ(rec_.NormString(X("Cafe{CC}{81} e{CC}{81}t{C3}{A9}"), true, "V"), "CAFE ETE");  // precomposed too
    EXPECT_EQ(rec_.NormString("tab\there", false, "V"), "TAB HERE");
    EXPECT_EQ(rec_.NormalizationScheme(), "V");
    rec_.NormalizationScheme(" p");
    EXPECT_EQ(rec_.NormalizationScheme(), "P");
    EXPECT_EQ(rec_.NormString("a.b"), "A.B");
    rec_.NormalizationScheme("V");
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {"001 1", "245 10 $aThe cat :$bin the hat."}));
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.FldNorm(), "THE CAT IN THE HAT");
    EXPECT_EQ(rec_.SfdNorm(), "THE CAT");
    rec_.NormalizationScheme("P");
    EXPECT_EQ(rec_.SfdNorm(), "THE CAT :");
    rec_.SfdText("Dog");
    EXPECT_EQ(rec_.SfdNorm(), "DOG");
}

TEST_F(Services, HeadingForms) {
    const std::tuple<const char*, const char*, const char*> lists[] = {{"A", "100", "abcdfgklmnoprsqtvxyz"},
                                                                       {"A", "510", "abcdfgklmnoprstvxyz"},
                                                                       {"A", "450", "abcdvxyz"},
                                                                       {"A", "485", "vxyz"},
                                                                       {"B", "600", "abcdfgklmnoprsqt"},
                                                                       {"S", "810", "abcdfgklmnoprst"},
                                                                       {"M", "650", "abcd"},
                                                                       {"P", "655", "ab"},
                                                                       {"B", "245", "abnp"},
                                                                       {"H", "100", "abcdefghijklmnopqrstuvwxyz"}};
    for (const auto& [format, tag, codes] : lists)
        EXPECT_EQ(rec_.ListSubfieldsForNormalization(format, tag), codes) << format << tag;
    std::string kept;
    EXPECT_EQ(rec_.NormalizeWholeField("V", "A", "100", "10", D("$aSandburg, Carl,$d1878-1967.$0n79"), &kept),
              "SANDBURG, CARL 1878 1967");
    EXPECT_EQ(kept, D("$0n79"));
    EXPECT_EQ(rec_.NormalizeWholeField("V", "B", "650", " 0", D("$aArithmetic$xJuvenile poetry.$wa")), "ARITHMETIC");
    EXPECT_EQ(rec_.NormalizeWholeField("P", "B", "245", "10", D("$aArithmetic /$cCarl")), "ARITHMETIC /");
    EXPECT_EQ(rec_.NormalizationScheme(), "V");  // restored afterwards
}

TEST_F(Services, StandardNumbersCompareInOneForm) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"020", "$a0-15-203865-5 (pbk.) :$c{24}15.95", "020", "9780152038656"},
        {"ISBN", "978-0-15-203865-6", "020", "9780152038656"},
        {"022", "$a0317-8471", "022", "03178471"},
        {"issn", "1234-567x", nullptr, "1234567X"},
        {"010", "$a   92005291 ", "010", "92005291"},
        {"LCCN", "n 79-1234 /AC/r932", nullptr, "n79001234"},
        {"024", "ab-12 3", "024", "AB123"}};
    for (const auto& [tagIn, textIn, tagOut, number] : cases) {
        std::string tag = tagIn, text = D(textIn);
        EXPECT_EQ(rec_.NormalizeStandardNumber(tag, text), number) << tagIn;
        if (tagOut) {
            EXPECT_EQ(tag, tagOut);
        }
    }
    std::string tag = "020", text = D("$a0-15-203865-5 (pbk.) :$c{24}15.95");
    rec_.NormalizeStandardNumber(tag, text);
    EXPECT_EQ(text, "0-15-203865-5");
}

TEST_F(Services, CallNumbersSortInShelfOrder) {
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

TEST(ServicesScripts, VernacularDataIsOutsideMarc8Latin) {
    EXPECT_TRUE(R::VernacularDataPresent(X("Tolsto{D0}{B9}")));              // Cyrillic
    EXPECT_FALSE(R::VernacularDataPresent(X("Cafe{CC}{81} {E2}{81}{B0}")));  // combining acute, U+2070
    EXPECT_FALSE(R::VernacularDataPresent(X("{E2}{84}{93} {E2}{99}{AF} {EF}{B8}{A0}")));
    std::string scripts;
    EXPECT_TRUE(R::VernacularDataCharacterize(X("{E4}{B8}{AD} {D7}{90} {CE}{B1} {E0}{B8}{81} {EA}{B0}{80}"), scripts));
    EXPECT_EQ(scripts, "GHKCZ");
    EXPECT_FALSE(R::VernacularDataCharacterize("plain", scripts));
    EXPECT_EQ(scripts, "");
}

TEST_F(Services, FieldDisplayPlainAndRtf) {
    rec_.MarcRecordIn(BuildRecord(kBookLeader, {"001 1", "856 40 $uhttp://x.example/a b$zNote {1}{01}$3P{C3}{A9}"}));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    // UTF-8 records are decomposed on load; MARC-8 holds the acute before its letter.
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "0123456789abcdefghijklmnopqrstuvwxyz", ""),
              X("|u http://x.example/a b |z Note {1}\\&H01 |3 Pe{CC}{81}"));
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "uz", "z"), "|u http://x.example/a b");
    rec_.CharacterSetOut("M");
    EXPECT_EQ(rec_.FldTextFormatted(0, false, 10, "3", ""), "|3 P\\&HE2e");
    rec_.CharacterSetOut("U");
    const std::string rtf = rec_.FldTextFormatted(1, true, 10, "z3", "");
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033")) << rtf;
    EXPECT_NE(rtf.find("Arial Unicode MS"), std::string::npos);
    EXPECT_TRUE(rtf.ends_with("\\viewkind4\\uc1\\pard\\f0\\fs20 {\\b |z} Note \\{1\\}\\'01 {\\b |3} Pe\\u769?\\par}"))
        << rtf;
    ASSERT_TRUE(rec_.FldFindFirst("001"));
    EXPECT_EQ(rec_.FldTextFormatted(), "1");
}

TEST_F(Services, RecordDisplayIsExactAndLeavesTheCursor) {
    rec_.MarcRecordIn(BuildRecord("00000cam a2200000 a 4500",
                                  {"001 92005291", "008 920219s1993    caua   j      000 0 eng  ",
                                   "245 10 $aArithmetic /$cCarl Sandburg.", "856 40 $uhttp://x.example$zNote"}));
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    EXPECT_EQ(rec_.TextFormatted(0, false, 10),
              "Rec stat: c  Entered: 920219\r\nType: a  BLvl: m  ELvl:    Ctrl:    Srce:  \r\n"
              "Lang: eng  Form:    MRec:    Ctry: cau\r\n001    92005291\r\n"
              "008    920219s1993    caua   j      000 0 eng  \r\n245 10 |a Arithmetic / |c Carl Sandburg.\r\n"
              "856 40 |u http://x.example |z Note");
    EXPECT_EQ(rec_.FldTag(), "245");
    rec_.MarcRecordIn(
        BuildRecord("00000nz  a2200000n  4500",
                    {"001 n79", "008 790101n| acannaabn          |a aaa      ", "100 1  $aSandburg, Carl"}));
    EXPECT_TRUE(rec_.TextFormatted().starts_with(
        "Rec stat: n  Entered: 790101\r\nType: z  ELvl: n  Srce:   Ref status: a Upd status: a\r\n"
        "Enc: a  Ctrl:   Geo subd: n Ser use: b"))
        << rec_.TextFormatted();
    EXPECT_NE(rec_.TextFormatted(1, true, 10).find("\\par\r\n100 1  {\\b |a} Sandburg, Carl\\par}"), std::string::npos);
}

}  // namespace
