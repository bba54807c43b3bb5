// The record class's character members: whole records translated on load and on a change of the
// output set, non-filing counts, decomposition and its switches, double-width marks, the set a
// record is read in, the one-field and one-text members, and comparison forms of MARC-8 text.
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8MarcRecordClass;
using namespace linkmend::test;

namespace {

class RecordCharacters : public ::testing::Test {
protected:
    // A record with a control number and the one field given ("500    $a..."), leader/09 as given.
    static std::string One(const std::string& field, char coding = ' ') {
        return BuildRecord(Leader('a', coding), {"001 ocm00012345", field});
    }
    std::string Loaded(Utf8MarcRecordClass& r, const std::string& field, char coding = ' ') {
        r.MarcRecordIn(One(field, coding));
        EXPECT_TRUE(r.FldFindFirst(field.substr(0, 3)));
        return r.FldText();
    }
    ProfileFolder profile_;
};

TEST_F(RecordCharacters, Marc8RecordsAreTranslatedOnLoadAndMarkedUtf8) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    EXPECT_OCTETS(D("$aDvor{CC}{8C}a{CC}{81}k {D0}{B0}{D0}{B1}"), Loaded(r, "500    $aDvo{E9}r{E2}ak {1B}(NAB{1B}(B"));
    EXPECT_EQ(r.CharacterSetIn(), "M");
    EXPECT_TRUE(r.MarcRecordTranslated());
    EXPECT_EQ(r.MarcRecordOut().substr(9, 1), "a");
    EXPECT_OCTETS(D("$aE{CC}{81}l libro"), Loaded(r, "245 14 $a{E2}El libro"));
    EXPECT_EQ(r.FldInd(), "15");                   // the non-filing count follows the article
    Loaded(r, "880    $a{1B}(NAB$bAB{1B}(B$cAB");  // sets stay in force across subfields
    ASSERT_TRUE(r.SfdFindFirst("b"));
    EXPECT_EQ(r.SfdText(), X("{D0}{B0}{D0}{B1}"));
    ASSERT_TRUE(r.SfdFindFirst("c"));
    EXPECT_EQ(r.SfdText(), "AB");
    r.MarcRecordIn(One("500    $aplain text"));  // plain ASCII is not touched
    EXPECT_FALSE(r.MarcRecordTranslated());
    EXPECT_EQ(r.MarcRecordOut(), One("500    $aplain text"));
}

TEST_F(RecordCharacters, ChangingTheOutputSetTranslatesTheLoadedRecordBothWays) {
    Utf8MarcRecordClass r;
    Loaded(r, "880    $6245-01/(3$a{D8}{A1} caf{C3}{A9}", 'a');
    EXPECT_EQ(r.CharacterSetIn(), "U");
    const std::string marc8 = D("$6245-01/(3/r$a{1B}(3A {1B}(Bcaf{E2}e");
    r.CharacterSetOut("M");
    ASSERT_TRUE(r.FldFindFirst("880"));
    EXPECT_OCTETS(marc8, r.FldText());
    EXPECT_EQ(r.CharacterEncodingScheme(), " ");
    EXPECT_TRUE(r.MarcRecordTranslated());
    r.CharacterSetOut("U");
    EXPECT_OCTETS(D("$6245-01/(3/r$a{D8}{A1} cafe{CC}{81}"), r.FldText());
    EXPECT_EQ(r.CharacterEncodingScheme(), "a");
    r.CharacterSetOut("V");
    r.CharacterSetOut("O");  // from one MARC-8 form to another, by way of UTF-8
    EXPECT_OCTETS(marc8, r.FldText());
}

TEST_F(RecordCharacters, DecompositionAndItsSwitches) {
    const std::string field = "500    $aP{C3}{A9}rez";
    const struct {
        const char* catalogIni;
        bool disable;
        bool decomposed;
    } cases[] = {{nullptr, false, true},
                 {nullptr, true, false},
                 {"[Preferences]\nBypassAutoDecompose=TRUE\n", false, false},  // the cataloguing client's preference
                 {"[Preferences]\nBypassAutoDecompose = false \n", false, true}};
    for (const auto& c : cases) {
        if (c.catalogIni) WriteFile(profile_.File("Catalog.ini"), c.catalogIni);
        Utf8MarcRecordClass r;
        r.DisableUtf8Decomposition(c.disable);
        EXPECT_OCTETS(D(c.decomposed ? "$aPe{CC}{81}rez" : "$aP{C3}{A9}rez"), Loaded(r, field, 'a'));
        EXPECT_EQ(r.CharactersDecomposed(), c.decomposed);
        EXPECT_FALSE(r.MarcRecordTranslated());
    }
    Utf8MarcRecordClass r;
    Loaded(r, "009 {C3}{A9}x", 'a');  // control fields are never decomposed
    EXPECT_FALSE(r.CharactersDecomposed());
    // The alif becomes the apostrophe modifier, on load and when added.
    EXPECT_OCTETS(D("$a{CA}{BC}Ali"), Loaded(r, "500    $a{CA}{BE}Ali", 'a'));
    r.FldAdd("500", "  ", D("$aQur{CA}{BE}an"));
    EXPECT_NE(r.MarcRecordOut().find(X("Qur{CA}{BC}an")), std::string::npos);
}

TEST_F(RecordCharacters, DoubleWidthDiacriticsOnRequest) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    for (const bool doubleWidth : {false, true}) {
        r.UseDoubleWidthDiacritics(doubleWidth);
        const std::string expected = D(doubleWidth ? "$at{CD}{A1}s" : "$at{EF}{B8}{A0}s{EF}{B8}{A1}");
        EXPECT_OCTETS(expected, Loaded(r, "500    $a{EB}t{EC}s"));
        EXPECT_OCTETS(expected, Loaded(r, "500    $at{EF}{B8}{A0}s{EF}{B8}{A1}", 'a'));
    }
    EXPECT_TRUE(r.CharactersDecomposed());
}

TEST_F(RecordCharacters, LoadReadsTheCharacterisedSetOrTheOneGiven) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("U");
    EXPECT_EQ(Loaded(r, "500    $aH{D2}O at 20{C0}C"), D("$aH{E2}{82}{82}O at 20{E2}{81}{B0}C"));  // variant V
    EXPECT_EQ(r.CharacterSetIn(), "V");
    EXPECT_NE(Loaded(r, "500    $aH{D2}O{FC}").find("[MARC+FC]"), std::string::npos);  // illegal even in V
    EXPECT_EQ(r.CharacterizeCharacterSet().substr(0, 1), "X");
    EXPECT_EQ(r.CharacterSetIn(), "V");
    r.CharacterSetIn("L");  // taken as it is: Latin-1 here
    EXPECT_EQ(Loaded(r, "500    $aP{E9}rez"), D("$aPe{CC}{81}rez"));
    EXPECT_EQ(r.CharacterSetIn(), "L");
    EXPECT_EQ(r.CharacterizeCharacterSet(X("caf{C3}{A9}")), "U");
    EXPECT_EQ(r.CharacterizeCharacterSet("plain"), "M");
    EXPECT_EQ(r.CharacterizeCharacterSet(X("a{1C}b{91}{FF}")), "MIllegal character(s): 28 145 255 ");
}

TEST_F(RecordCharacters, OneFieldAndOneTextMembersGiveWhatLoadingGives) {
    Utf8MarcRecordClass r;
    r.CharacterSetIn("M");
    std::string indicators = "14", field = D("$aL'{E2}ete$bA story");  // the article "L'e" extended past the mark
    bool changed = false, error = false;
    r.TranslateMarc2Utf8OneField("B", "245", indicators, field, changed, error);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(error);
    EXPECT_OCTETS(D("$aL'e{CC}{81}te$bA story"), field);
    EXPECT_EQ(indicators, "15");
    std::string g0 = "s", g1 = "s", text = X("H{1B}b");  // ends in the subscript set, which carries on
    r.TranslateMarc2Utf8Text(g0, g1, "245", text, changed, error);
    EXPECT_EQ(text, "H");
    EXPECT_EQ(g0, "b");
    std::string more = "2";
    r.TranslateMarc2Utf8Text(g0, g1, "245", more, changed, error);
    EXPECT_OCTETS(X("{E2}{82}{82}"), more);
    EXPECT_TRUE(changed);
    r.CharacterSetOut("M");
    std::string codes = "s s", utf8 = D("$acaf{C3}{A9}");
    r.TranslateUtf82MarcOneField(codes, "245", utf8, changed, error);
    EXPECT_OCTETS(D("$acaf{E2}e"), utf8);
    bool decomposed = false;
    EXPECT_OCTETS(X("cafe{CC}{81}"), r.DecomposeUnicodeCharactersInString(X("caf{C3}{A9}"), &decomposed));
    EXPECT_TRUE(decomposed);
    EXPECT_EQ(r.DecomposeUnicodeCharactersInString("plain", &decomposed), "plain");
    EXPECT_FALSE(decomposed);
}

TEST_F(RecordCharacters, ComparisonFormOfMarc8Text) {
    Utf8MarcRecordClass r;
    r.CharacterSetOut("M");
    EXPECT_EQ(r.NormString(X("{E2}Etude {1B}(Nknigi{1B}(B, No. 2"), true, "V"),
              X("ETUDE {D0}{9A}{D0}{9D}{D0}{98}{D0}{93}{D0}{98} NO 2"));
    EXPECT_EQ(r.NormString(X("{A5}sop's {C0}"), true, "P"), X("AESOP'S {C2}{B0}"));
    r.CharacterSetOut("U");
    EXPECT_EQ(r.NormString(X("{C3}{86}sop{E2}{80}{99}s"), true, "V"), "AESOPS");
}

}  // namespace
