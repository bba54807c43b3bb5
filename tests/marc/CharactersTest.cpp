// The record class's character members (translation on load and on a change of output set,
// decomposition, double-width marks, comparison forms) and the character workbench.
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "marc/Utf8CharClass.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8CharClass;
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
    Loaded(r, "880    $6245-01/(3$a{D8}{A1} caf{C3}{A9} {E2}{84}{93}", 'a');
    EXPECT_EQ(r.CharacterSetIn(), "U");
    const std::string marc8 = D("$6245-01/(3/r$a{1B}(3A {1B}(Bcaf{E2}e {C1}");
    r.CharacterSetOut("M");
    ASSERT_TRUE(r.FldFindFirst("880"));
    EXPECT_OCTETS(marc8, r.FldText());
    EXPECT_EQ(r.CharacterEncodingScheme(), " ");
    EXPECT_TRUE(r.MarcRecordTranslated());
    r.CharacterSetOut("U");
    EXPECT_OCTETS(D("$6245-01/(3/r$a{D8}{A1} cafe{CC}{81} {E2}{84}{93}"), r.FldText());
    EXPECT_EQ(r.CharacterEncodingScheme(), "a");
    r.CharacterSetOut("V");
    r.CharacterSetOut("O");  // from one MARC-8 form to another, by way of UTF-8: the script l is O's own
    EXPECT_OCTETS(D("$6245-01/(3/r$a{1B}(3A {1B}(Bcaf{E2}e {BE}"), r.FldText());
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
    EXPECT_EQ(r.CharacterizeCharacterSet(X("a{1C}b{91}{FF}")), "MIllegal character(s): 28 145 255 ");
}

TEST_F(RecordCharacters, OneFieldAndOneTextMembersGiveWhatLoadingGives) {
    Utf8MarcRecordClass r;
    r.CharacterSetIn("M");
    std::string indicators = "14", field = D("$aL'{E2}ete$bA story");  // the article "L'e" extended past the mark
    bool changed = false, error = false;
    r.TranslateMarc2Utf8OneField("B", "245", indicators, field, changed, error);
    EXPECT_TRUE(changed && !error);
    EXPECT_OCTETS(D("$aL'e{CC}{81}te$bA story"), field);
    EXPECT_EQ(indicators, "15");
    std::string g0 = "s", g1 = "s", text = X("H{1B}b"), more = "2";  // ends in the subscript set, which carries on
    r.TranslateMarc2Utf8Text(g0, g1, "245", text, changed, error);
    r.TranslateMarc2Utf8Text(g0, g1, "245", more, changed, error);
    EXPECT_OCTETS(X("H|b|{E2}{82}{82}"), text + "|" + g0 + "|" + more);
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

// ---- The character workbench

TEST(CharWorkbench, EveryFormOfTheCurrentCharacter) {
    Utf8CharClass c;
    c.Utf8Char(X("{C3}{A9}tude"));  // only the first character counts
    EXPECT_EQ(c.Utf8Char() + c.UcsHex() + c.UcsChar() + c.Utf8CharUCase() + c.Utf8CharCategory() + c.Utf8CharNorm(),
              X("{C3}{A9}00E9{E9}{00}{C3}{89}LlE"));
    EXPECT_EQ(c.Utf8CharOctets(), 2);
    EXPECT_EQ(c.Utf8CharAsc(), 0xE9);
    EXPECT_FALSE(c.Utf8CharNonRoman());
    c.UcsHex("1F600");  // beyond the 16-bit plane: four octets, a surrogate pair in the UCS form
    EXPECT_EQ(c.Utf8Char() + c.UcsChar() + c.Utf8CharCategory(), X("{F0}{9F}{98}{80}{3D}{D8}{00}{DE}So"));
    c.UcsChar(X("{14}{04}"));  // Cyrillic capital De
    EXPECT_EQ(c.UcsHex() + c.Utf8CharLCase(), X("0414{D0}{B4}"));
    EXPECT_TRUE(c.Utf8CharNonRoman());
    c.UcsHex("U+2113");
    EXPECT_EQ(c.Utf8Char(), X("{E2}{84}{93}"));
    for (const char* bad : {"{C3}", "{C0}{AF}", "{ED}{A0}{80}", "{80}z", "{F4}{90}{80}{80}"}) {
        c.Utf8Char(X(bad));  // invalid input never yields half a character
        EXPECT_EQ(c.UcsHex() + c.Utf8Char(), X("FFFD{EF}{BF}{BD}")) << bad;
    }
    for (const char* bad : {"XYZ", "D800", "110000", "U+"}) {
        c.UcsHex("41");
        c.UcsHex(bad);
        EXPECT_EQ(c.Utf8Char() + c.Utf8CharCategory() + std::to_string(c.Utf8CharAsc() + c.Utf8CharOctets()), "0")
            << bad;
    }
}

TEST(CharWorkbench, ShortMarc8StringsInEachEncoding) {
    Utf8CharClass c;
    // Each set letter picks its placements (the constructs themselves are the translator's tests).
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"{C2}", "V", "{C2}{B2}"},      // superscript two in variant V
        {"{C2}", "M", "{E2}{84}{97}"},  // sound recording copyright in MARC-8
        {"{BE}", "O", "{E2}{84}{93}"},
        {"{E9}", "L", "e{CC}{81}"},
        {"x{FC}", "M", "x[MARC+FC]"}};
    for (const auto& [in, set, out] : cases) EXPECT_OCTETS(X(out), c.Marc82Utf8(X(in), set)) << in;
}

TEST(CharWorkbench, SubstitutesAndNamedCharacters) {
    Utf8CharClass c;
    const std::tuple<const char*, bool, const char*> substitutes[] = {
        {"{EE}{A3}{90}", true, "{E3}{80}{93}"},  // U+E8D0, EACC 212A21
        {"3/4", true, "{C2}{BE}"},
        {"a", false, "a"},
        {"{EE}{A3}", false, "{EE}{A3}"}};  // truncated: left as it is
    for (const auto& [in, found, out] : substitutes) {
        std::string result;
        EXPECT_EQ(c.SubstituteUtf8Char(X(in), result), found) << in;
        EXPECT_EQ(result, X(out)) << in;
    }
    // Named characters in the MARC-8 form of the set asked for (an unknown set is MARC-8's).
    EXPECT_EQ(c.Marc8Superscript(2) + "|" + c.Marc8Superscript(2, "V") + "|" + c.Marc8Subscript(0, "V") + "|" +
                  c.Marc8Acute("Q") + "|" + c.Marc8Superscript(10) + c.Utf8Superscript(10) + "|" +
                  c.Utf8Superscript(1) + "|" + c.Marc8SubscriptCloseParen() + "|" + c.Utf8Umlaut(),
              X("{1B}p2{1B}s|{C2}|{D0}|{E2}||{C2}{B9}|{1B}b){1B}s|{CC}{88}"));
}

TEST(CharWorkbench, ComparisonFormsAndScripts) {
    Utf8CharClass c;  // the comparison forms of whole texts are the record's NormString's
    for (const auto& [in, v, p] : {std::tuple{"{C3}{86}", "AE", "AE"}, {",", " ", ","}, {"'", "", "'"}}) {
        c.Utf8Char(X(in));
        EXPECT_EQ(c.Utf8CharNorm("V") + "|" + c.Utf8CharNorm("P"), std::string(v) + "|" + p) << in;
    }
    const std::pair<std::uint32_t, char> scripts[] = {
        {0x03B1, 'G'}, {0x1F00, 'G'}, {0x0416, 'R'}, {0x05D0, 'H'},  {0x0627, 'A'}, {0xAC00, 'K'},
        {0xD7AF, 'Z'}, {0x3042, 'J'}, {0x4EBA, 'C'}, {0x2A6D6, 'C'}, {0x0E01, 'Z'}, {'a', 0},
        {0x0301, 0},   {0x2070, 0},   {0x2113, 0},   {0x2114, 'Z'},  {0xFE21, 0},   {0x1EA0, 0}};
    for (const auto& [cp, script] : scripts) EXPECT_EQ(Utf8CharClass::ScriptOf(cp), script) << std::hex << cp;
}

}  // namespace
