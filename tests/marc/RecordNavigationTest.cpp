// Field and subfield cursors, searches and tag matching, including the 856 walks the link job makes.
#include <gtest/gtest.h>

#include "RecordBuilder.h"
#include "base/MessagePump.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string kLinks = BuildRecord(kBookLeader, {
                                                        {"001", "12345"},
                                                        {"245", "00$aLinks."},
                                                        {"856", "40$3Volume 1$uhttp://old.example/a$zFirst"},
                                                        {"500", "  $aNote."},
                                                        {"856", "41$uhttp://old.example/b"},
                                                        {"856", "42$zNo link here"},
                                                    });

class RecordNavigationTest : public ::testing::Test {
protected:
    void SetUp() override { rec_.MarcRecordIn(kLinks); }
    ProfileFolder profile_;
    Utf8MarcRecordClass rec_;
};

TEST_F(RecordNavigationTest, FindNextWithEmptyTagReusesTheRememberedList) {
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldInd(), "40");
    ASSERT_TRUE(rec_.FldFindNext());
    EXPECT_EQ(rec_.FldInd(), "41");
    ASSERT_TRUE(rec_.FldFindNext(""));
    EXPECT_EQ(rec_.FldInd(), "42");
    EXPECT_FALSE(rec_.FldFindNext(""));
    EXPECT_EQ(rec_.FldPointer(), -1);
    EXPECT_FALSE(rec_.FldWasFound());
    EXPECT_FALSE(rec_.FldFindNext("856"));  // no current field: fails at once
    EXPECT_TRUE(rec_.FldFindLast("856 245"));
    EXPECT_EQ(rec_.FldInd(), "42");
    EXPECT_TRUE(rec_.FldFindPrev());
    EXPECT_EQ(rec_.FldInd(), "41");
}

TEST_F(RecordNavigationTest, SearchWithoutAnyTagFailsAndClearsTheCursor) {
    EXPECT_TRUE(rec_.FldWasFound());
    EXPECT_FALSE(rec_.FldFindFirst(""));
    EXPECT_EQ(rec_.FldPointer(), -1);
}

TEST_F(RecordNavigationTest, DeletedFieldIsSkippedAndLeftOutThenRestored) {
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    rec_.FldDelete();
    EXPECT_TRUE(rec_.FldDeleted());
    EXPECT_TRUE(rec_.FldWasFound());  // the cursor stays on the deleted field
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldInd(), "41");
    EXPECT_EQ(rec_.MarcRecordOut(), BuildRecord(kBookLeader, {
                                                                 {"001", "12345"},
                                                                 {"245", "00$aLinks."},
                                                                 {"500", "  $aNote."},
                                                                 {"856", "41$uhttp://old.example/b"},
                                                                 {"856", "42$zNo link here"},
                                                             }));
    // Undelete through a plain walk, which does see deleted fields.
    ASSERT_TRUE(rec_.FldMoveFirst());
    while (!rec_.FldDeleted()) ASSERT_TRUE(rec_.FldMoveNext());
    rec_.FldUndelete();
    EXPECT_TRUE(OctetsEqual(kLinks, rec_.MarcRecordOut()));
    // Moves that skip deleted fields step over it.
    rec_.FldDelete();
    ASSERT_TRUE(rec_.FldFindFirst("245"));
    ASSERT_TRUE(rec_.FldMoveNext(true));
    EXPECT_EQ(rec_.FldTag(), "500");
}

TEST_F(RecordNavigationTest, MoveTopThenFindNextVisitsEvery856) {
    std::vector<std::string> seen;
    ASSERT_TRUE(rec_.FldMoveTop());
    while (rec_.FldFindNext("856")) seen.push_back(rec_.FldInd());
    EXPECT_EQ(seen, (std::vector<std::string>{"40", "41", "42"}));

    ASSERT_TRUE(rec_.FldMoveTop());
    ASSERT_TRUE(rec_.FldMoveNext());
    EXPECT_EQ(rec_.FldTag(), "001");
    EXPECT_EQ(rec_.FldPointer(), 0);

    ASSERT_TRUE(rec_.FldMoveBottom());
    ASSERT_TRUE(rec_.FldMovePrev());
    EXPECT_EQ(rec_.FldInd(), "42");
    ASSERT_TRUE(rec_.FldMovePrev());
    EXPECT_EQ(rec_.FldInd(), "41");
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_FALSE(rec_.FldMoveNext());
    EXPECT_EQ(rec_.FldPointer(), -1);
}

TEST_F(RecordNavigationTest, SearchesLetTheWindowRun) {
    int turns = 0;
    const auto old = SetMessagePump([&] { ++turns; });
    ASSERT_TRUE(rec_.FldMoveTop());
    while (rec_.FldFindNext("856")) {}
    SetMessagePump(old);
    EXPECT_GE(turns, 6);  // one per search and one per field stepped over
}

TEST_F(RecordNavigationTest, TextCriterionComparesNormalisedBeginnings) {
    ASSERT_TRUE(rec_.FldFindFirst("856", "volume 1"));
    EXPECT_EQ(rec_.FldInd(), "40");
    EXPECT_FALSE(rec_.FldFindNext());       // the remembered criterion still applies
    ASSERT_TRUE(rec_.FldFindFirst("856"));  // a new first search drops it
    ASSERT_TRUE(rec_.FldFindNext());
    EXPECT_EQ(rec_.FldInd(), "41");
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_TRUE(rec_.SfdFindFirst("z", "first"));
    EXPECT_EQ(rec_.SfdText(), "First");
    EXPECT_FALSE(rec_.SfdFindFirst("z", "second"));
    EXPECT_EQ(rec_.SfdPointer(), -1);
}

TEST_F(RecordNavigationTest, SubfieldSearchStopsOnTheWantedCode) {
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.SfdCode(), "3");  // moving onto a field puts the subfield cursor on its first subfield
    ASSERT_TRUE(rec_.SfdFindFirst("u"));
    EXPECT_EQ(rec_.SfdText(), "http://old.example/a");
    rec_.SfdText(D("$zReplaced note"));
    EXPECT_EQ(rec_.SfdCode(), "z");
    EXPECT_EQ(rec_.FldText(), D("$3Volume 1$zReplaced note$zFirst"));
    EXPECT_FALSE(rec_.SfdFindFirst("u"));
    ASSERT_TRUE(rec_.SfdFindFirst("xyz"));
    EXPECT_EQ(rec_.SfdText(), "Replaced note");
    ASSERT_TRUE(rec_.SfdFindNext());
    EXPECT_EQ(rec_.SfdText(), "First");
    EXPECT_FALSE(rec_.SfdFindNext());
    EXPECT_TRUE(rec_.SfdFindLast("3"));
    EXPECT_EQ(rec_.SfdPointer(), 0);
}

TEST_F(RecordNavigationTest, SubfieldSearchWithoutCodeOrFieldDoesNotMove) {
    Utf8MarcRecordClass fresh;
    fresh.MarcRecordIn(kLinks);
    ASSERT_TRUE(fresh.FldFindFirst("856"));
    EXPECT_FALSE(fresh.SfdFindFirst(""));
    EXPECT_EQ(fresh.SfdPointer(), 0);
    fresh.FldPointer(-5);
    EXPECT_FALSE(fresh.SfdFindFirst("u"));
    EXPECT_FALSE(fresh.SfdMoveFirst());
    EXPECT_EQ(fresh.SfdText(), "");
    EXPECT_EQ(fresh.FldText(), "");
    fresh.SfdChange("a", "nothing to change");  // no current field: nothing happens, no failure
    fresh.FldDelete();
    EXPECT_TRUE(OctetsEqual(kLinks, fresh.MarcRecordOut()));
}

TEST_F(RecordNavigationTest, DeletingTheLastSubfieldEndsTheWalk) {
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    ASSERT_TRUE(rec_.SfdMoveLast());
    EXPECT_EQ(rec_.SfdCode(), "z");
    rec_.SfdDelete();
    EXPECT_TRUE(rec_.SfdDeleted());
    EXPECT_FALSE(rec_.SfdMoveNext());
    EXPECT_EQ(rec_.FldText(), D("$3Volume 1$uhttp://old.example/a"));
    // Deleting the middle one leaves the cursor there so the walk goes on with the one after it.
    ASSERT_TRUE(rec_.SfdFindFirst("3"));
    ASSERT_TRUE(rec_.SfdMoveNext());
    rec_.SfdDelete();
    EXPECT_FALSE(rec_.SfdMoveNext(true));
    ASSERT_TRUE(rec_.SfdMoveFirst(true));
    EXPECT_EQ(rec_.SfdCode(), "3");
    rec_.SfdDelete();
    EXPECT_FALSE(rec_.SfdMoveFirst(true));  // every subfield deleted
    EXPECT_EQ(rec_.FldText(), "");
    // A field whose subfields are all deleted is left out of the record.
    EXPECT_EQ(rec_.MarcRecordOut().find("old.example/a"), std::string::npos);
}

TEST_F(RecordNavigationTest, SubfieldMoveTopAndBottom) {
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    ASSERT_TRUE(rec_.SfdMoveTop());
    ASSERT_TRUE(rec_.SfdMoveNext());
    EXPECT_EQ(rec_.SfdCode(), "3");
    ASSERT_TRUE(rec_.SfdMoveBottom());
    ASSERT_TRUE(rec_.SfdMovePrev());
    EXPECT_EQ(rec_.SfdCode(), "z");
    ASSERT_TRUE(rec_.SfdMovePrev());
    EXPECT_EQ(rec_.SfdCode(), "u");
    EXPECT_TRUE(rec_.SfdTestPrev("3"));
    EXPECT_TRUE(rec_.SfdTestNext("z"));
    EXPECT_FALSE(rec_.SfdTestNext("u"));
    EXPECT_TRUE(rec_.SfdTestFirst("u"));
    EXPECT_EQ(rec_.SfdCode(), "u");  // tests do not move
}

TEST_F(RecordNavigationTest, PointersOutOfRangeMeanNone) {
    rec_.FldPointer(2);
    EXPECT_EQ(rec_.FldTag(), "856");
    EXPECT_EQ(rec_.SfdPointer(), 0);
    rec_.SfdPointer(2);
    EXPECT_EQ(rec_.SfdCode(), "z");
    rec_.SfdPointer(3);
    EXPECT_EQ(rec_.SfdPointer(), -1);
    EXPECT_FALSE(rec_.SfdWasFound());
    rec_.FldPointer(6);
    EXPECT_EQ(rec_.FldPointer(), -1);
    EXPECT_EQ(rec_.FldTag(), "");
    EXPECT_EQ(rec_.FldInd(), "");
    rec_.SfdPointer(0);
    EXPECT_EQ(rec_.SfdPointer(), -1);
}

TEST_F(RecordNavigationTest, ExistenceTestsDoNotMove) {
    ASSERT_TRUE(rec_.FldFindFirst("500"));
    EXPECT_TRUE(rec_.FldTestNext("856"));
    EXPECT_TRUE(rec_.FldTestPrev("856"));
    EXPECT_FALSE(rec_.FldTestPrev("500"));
    EXPECT_TRUE(rec_.FldTestFirst("5XX"));
    EXPECT_TRUE(rec_.FldTestLast("001"));
    EXPECT_FALSE(rec_.FldTestFirst("650"));
    EXPECT_EQ(rec_.FldTag(), "500");
}

TEST(RecordTagCompareTest, ListsEntriesAndWildcards) {
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("6XX 7", "710"));
    EXPECT_FALSE(Utf8MarcRecordClass::TagCompare("245", "246"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("856", "856"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("85X", "851"));
    EXPECT_FALSE(Utf8MarcRecordClass::TagCompare("85X", "861"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("6", "655"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("100 110 111", "111"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("  245   100 ", "100"));
    EXPECT_FALSE(Utf8MarcRecordClass::TagCompare("", "100"));
    EXPECT_FALSE(Utf8MarcRecordClass::TagCompare("8566", "856"));
    EXPECT_TRUE(Utf8MarcRecordClass::TagCompare("246", "245", 2));
}

TEST_F(RecordNavigationTest, TagListsAreCaseBlindAndBlankTolerant) {
    ASSERT_TRUE(rec_.FldFindFirst("5xx   8XX"));
    EXPECT_EQ(rec_.FldTag(), "856");
    ASSERT_TRUE(rec_.FldFindNext());
    EXPECT_EQ(rec_.FldTag(), "500");
}

}  // namespace
