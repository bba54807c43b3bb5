// Editing fields and subfields: the rewrites the link job makes, 010 blanks, 245 $h punctuation,
// adding and inserting fields and subfields.
#include <gtest/gtest.h>

#include "RecordBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class RecordEditTest : public ::testing::Test {
protected:
    void Load(const std::vector<TestField>& fields, const char* leader = kBookLeader) {
        rec_.MarcRecordIn(BuildRecord(leader, fields));
        ASSERT_EQ(rec_.IsMarcErrorText(), "");
    }
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

// The link job's rewrite of one record: new stem in $u, $z replaced (first one kept, later ones
// deleted), $x deleted, and an 856 deleted outright.
TEST_F(RecordEditTest, LinkRewriteProducesExactRecord) {
    Load({{"001", "77"},
          {"245", "00$aTitle."},
          {"856", "40$zOld note$uhttp://old.example/x$xstaff$zSecond note"},
          {"856", "40$uhttp://old.example/gone"},
          {"856", "41$uhttp://elsewhere.example/y"}});
    const std::string stem = "http://old.example/";
    ASSERT_TRUE(rec_.FldMoveTop());
    while (rec_.FldFindNext("856")) {
        if (!rec_.SfdFindFirst("u")) continue;
        const std::string url = rec_.SfdText();
        if (url.rfind(stem, 0) != 0) continue;
        if (url.ends_with("gone")) {
            rec_.FldDelete();
            continue;
        }
        rec_.SfdText(
            Utf8MarcRecordClass::SafeStuff(url, 1, static_cast<std::int16_t>(stem.size()), "https://new.example/"));
        while (rec_.SfdFindFirst("x")) rec_.SfdDelete();
        if (rec_.SfdFindFirst("z")) {
            rec_.SfdText("New note");
            while (rec_.SfdMoveNext(true)) {
                if (rec_.SfdCode() == "z") rec_.SfdDelete();
            }
        } else {
            rec_.SfdAdd("z", "New note");
        }
    }
    EXPECT_TRUE(OctetsEqual(BuildRecord(kBookLeader, {{"001", "77"},
                                                      {"245", "00$aTitle."},
                                                      {"856", "40$zNew note$uhttps://new.example/x"},
                                                      {"856", "41$uhttp://elsewhere.example/y"}}),
                            rec_.MarcRecordOut()));
}

TEST_F(RecordEditTest, SubfieldTextLosesOuterBlanksExceptIn010) {
    Load({{"001", "1"}, {"010", "  $a   85012345 "}, {"245", "00$aTitle"}});
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    ASSERT_TRUE(rec_.SfdFindFirst("a"));
    rec_.SfdText("  Spaced title  ");
    EXPECT_EQ(rec_.SfdText(), "Spaced title");
    ASSERT_TRUE(rec_.FldFindFirst("010"));
    ASSERT_TRUE(rec_.SfdFindFirst("a"));
    EXPECT_EQ(rec_.SfdText(), "   85012345 ");
    rec_.SfdText("   86000001 ");
    EXPECT_EQ(rec_.SfdText(), "   86000001 ");
    rec_.SfdAdd("z", "   99000002 ");
    EXPECT_EQ(rec_.SfdText(), "   99000002 ");

    // In an authority record only the 010's subfield 0 keeps its blanks.
    Load({{"001", "n1"}, {"010", "  $an  79021164 $0 keep "}}, "00000nz  a2200000n  4500");
    ASSERT_TRUE(rec_.FldFindFirst("010"));
    ASSERT_TRUE(rec_.SfdFindFirst("a"));
    rec_.SfdText("n  79021165 ");
    EXPECT_EQ(rec_.SfdText(), "n  79021165");
    ASSERT_TRUE(rec_.SfdFindFirst("0"));
    rec_.SfdText(" still kept ");
    EXPECT_EQ(rec_.SfdText(), " still kept ");
}

TEST_F(RecordEditTest, Deleted245HHandsOnItsPunctuation) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"10$aHamlet$h[videorecording] :$bthe play.", "$aHamlet :$bthe play."},
        {"10$aHamlet$h[videorecording]", "$aHamlet."},
        {"10$aHamlet.$h[videorecording]", "$aHamlet."},
        {"10$aHamlet /$h[videorecording] /$cby W.S.", "$aHamlet /$cby W.S."},
        {"10$aHamlet$h[sound recording] ;$bAct 1.", "$aHamlet ;$bAct 1."},
    };
    for (const auto& c : cases) {
        Load({{"001", "1"}, {"245", c.before}});
        ASSERT_TRUE(rec_.FldFindFirst("245"));
        ASSERT_TRUE(rec_.SfdFindFirst("h"));
        rec_.SfdDelete(true);
        EXPECT_EQ(rec_.FldText(), D(c.after)) << c.before;
    }
    // Without the option the punctuation goes with the subfield.
    Load({{"001", "1"}, {"245", "10$aHamlet$h[videorecording] :$bthe play."}});
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    ASSERT_TRUE(rec_.SfdFindFirst("h"));
    rec_.SfdDelete();
    EXPECT_EQ(rec_.FldText(), D("$aHamlet$bthe play."));
}

TEST_F(RecordEditTest, SubfieldAddInsertAndUndelete) {
    Load({{"001", "1"}, {"500", "  $aNote"}});
    ASSERT_TRUE(rec_.FldFindFirst("500"));
    rec_.SfdAdd("5", "DLC");
    EXPECT_EQ(rec_.SfdCode(), "5");
    EXPECT_EQ(rec_.SfdPointer(), 1);
    rec_.SfdInsertBefore("3", "v. 1");
    EXPECT_EQ(rec_.FldText(), D("$aNote$3v. 1$5DLC"));
    rec_.SfdInsertAfter("x", "x1");
    EXPECT_EQ(rec_.FldText(), D("$aNote$3v. 1$xx1$5DLC"));
    ASSERT_TRUE(rec_.SfdFindFirst("a"));
    rec_.SfdInsertBefore("8", "1");
    EXPECT_EQ(rec_.FldText(), D("$81$aNote$3v. 1$xx1$5DLC"));
    rec_.SfdDelete();
    EXPECT_EQ(rec_.FldText(), D("$aNote$3v. 1$xx1$5DLC"));
    rec_.SfdUndelete();
    EXPECT_EQ(rec_.FldText(), D("$81$aNote$3v. 1$xx1$5DLC"));
    rec_.SfdChange("9", "  changed  ");
    EXPECT_EQ(rec_.FldText(), D("$9changed$aNote$3v. 1$xx1$5DLC"));
    EXPECT_EQ(Utf8MarcRecordClass::SfdMake("u", "x"), D("$ux"));
    EXPECT_EQ(Utf8MarcRecordClass::SfdDelim("u"), D("$u"));

    // A field without subfields takes the new one as subfield 0.
    rec_.FldAdd("590", "  ", "");
    EXPECT_EQ(rec_.SfdPointer(), -1);
    rec_.SfdAdd("a", "Local");
    EXPECT_EQ(rec_.SfdPointer(), 0);
    EXPECT_EQ(rec_.FldText(), D("$aLocal"));
    // Control fields have no subfields to add.
    ASSERT_TRUE(rec_.FldFindFirst("001"));
    rec_.SfdAdd("a", "x");
    rec_.SfdChange("a", "x");
    EXPECT_EQ(rec_.FldText(), "1");
    EXPECT_EQ(rec_.SfdText(), "1");
}

TEST_F(RecordEditTest, FieldAddChangeAndInsert) {
    Load({{"001", "1"}, {"008", std::string(40, '-')}, {"245", "00$aT"}});
    rec_.FldAdd("008", "", "new008");  // one 008 only: the text overwrites the existing one
    EXPECT_EQ(rec_.FldTag(), "008");
    EXPECT_EQ(rec_.Get008Value(0, 8), "new008--");
    rec_.FldAdd("500", "a", "$aAdded");
    EXPECT_EQ(rec_.FldInd(), "  ");
    EXPECT_EQ(rec_.FldText(), "$aAdded");  // "$" is an ordinary octet here
    rec_.FldText(D("$aAdded$bmore"));
    EXPECT_EQ(rec_.FldText(), D("$aAdded$bmore"));
    rec_.FldInd1("1");
    rec_.FldInd2("x");
    EXPECT_EQ(rec_.FldInd(), "1 ");
    EXPECT_EQ(rec_.FldInd2(), " ");

    ASSERT_TRUE(rec_.FldFindFirst("245"));
    rec_.FldInsertBefore("240", "10", D("$aUniform"));
    rec_.FldInsertAfter("246", "3 ", D("$aVariant"));
    rec_.FldChange("247", "00", D("$aFormer"));
    rec_.FldTag("250");
    EXPECT_EQ(rec_.FldText(), D("$aFormer"));
    rec_.FldTag("006");  // as control text it loses its leading delimiter and code
    EXPECT_TRUE(rec_.FldIsControl());
    EXPECT_EQ(rec_.FldInd(), "");
    EXPECT_EQ(rec_.FldText(), "Former");
    // Insertions stand next to the current field: 246 went after the new 240, then became 006.
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {{"001", "1"},
                                                              {"008", "new008" + std::string(34, '-')},
                                                              {"240", "10$aUniform"},
                                                              {"006", "Former"},
                                                              {"245", "00$aT"},
                                                              {"500", "1 $aAdded$bmore"}}));
}

TEST_F(RecordEditTest, Added008IsPaddedOrCutToItsFormatLength) {
    Load({{"001", "1"}, {"245", "00$aT"}});
    rec_.FldAdd("008", "", std::string(38, '8'));
    EXPECT_EQ(rec_.FldText(), std::string(38, '8') + "  ");
    Load({{"001", "1"}, {"852", "0 $bMain"}}, "00000nx  a2200000   4500");
    rec_.FldAdd("008", "", std::string(45, '8'));
    EXPECT_EQ(rec_.FldText(), std::string(32, '8'));
}

TEST_F(RecordEditTest, Added035MarksItsDuplicateDeleted) {
    Load({{"001", "1"}, {"035", "  $a(OCoLC)123"}, {"035", "  $a(OCoLC)456"}});
    rec_.FldAdd("035", "  ");
    rec_.SfdAdd("a", "(ocolc) 123");
    EXPECT_EQ(rec_.MarcRecordOut(),
              BuildRecord(kBookLeader, {{"001", "1"}, {"035", "  $a(OCoLC)456"}, {"035", "  $a(ocolc) 123"}}));
}

TEST_F(RecordEditTest, ThousandsOfSubfieldsRoundTrip) {
    std::string text = "  ";
    for (int i = 0; i < 3000; ++i) text += "$a" + std::to_string(i % 10);
    Load({{"001", "1"}, {"500", text}});
    ASSERT_TRUE(rec_.FldFindFirst("500"));
    ASSERT_TRUE(rec_.SfdFindLast("a"));
    EXPECT_EQ(rec_.SfdPointer(), 2999);
    EXPECT_TRUE(OctetsEqual(BuildRecord(kBookLeader, {{"001", "1"}, {"500", text}}), rec_.MarcRecordOut()));
}

}  // namespace
