// Field and subfield order: built-in instructions, the field-order files, and the options that keep
// a record as it is but report how it deviates.
#include <gtest/gtest.h>

#include "RecordBuilder.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class RecordFieldOrderTest : public ::testing::Test {
protected:
    std::string Out(const std::vector<TestField>& fields, const char* leader = kBookLeader) {
        return BuildRecord(leader, fields);
    }
    ProfileFolder profile_;
    TempDir folder_;
    Utf8MarcRecordClass rec_;
};

const std::vector<TestField> kDeviating = {
    {"001", "1"},           {"245", "10$aTitle."},           {"650", " 0$aSubject."},
    {"100", "1 $aAuthor."}, {"856", "40$uhttp://x.example"}, {"500", "  $aNote."},
};

TEST_F(RecordFieldOrderTest, DeviatingRecordIsReorderedUnderTheBuiltInOrder) {
    rec_.FldOrderFolder(folder_.Path());  // no files there: the built-in order applies
    EXPECT_EQ(rec_.FldOrderFolder(), folder_.Path() + "/");
    rec_.MarcRecordIn(Out(kDeviating));
    EXPECT_TRUE(rec_.FldOrderChanged());
    EXPECT_TRUE(rec_.MarcRecordModified());
    EXPECT_FALSE(rec_.FldsOutOfOrder());
    EXPECT_TRUE(OctetsEqual(Out({{"001", "1"},
                                 {"100", "1 $aAuthor."},
                                 {"245", "10$aTitle."},
                                 {"500", "  $aNote."},
                                 {"650", " 0$aSubject."},
                                 {"856", "40$uhttp://x.example"}}),
                            rec_.MarcRecordOut()));
    EXPECT_EQ(rec_.FldPointer(), 0);
    EXPECT_EQ(rec_.FldTag(), "001");
}

TEST_F(RecordFieldOrderTest, MakeNoChangeKeepsTheOrderAndReportsIt) {
    rec_.FldOrderFolder(folder_.Path());
    rec_.MakeNoChange(true);
    const std::string record = Out(kDeviating);
    rec_.MarcRecordIn(record);
    EXPECT_TRUE(rec_.FldsOutOfOrder());
    EXPECT_FALSE(rec_.FldOrderChanged());
    EXPECT_FALSE(rec_.MarcRecordModified());
    EXPECT_TRUE(OctetsEqual(record, rec_.MarcRecordOut()));
    // The flags belong to the record: an ordered record clears them.
    rec_.MarcRecordIn(Out({{"001", "1"}, {"245", "10$aT"}}));
    EXPECT_FALSE(rec_.FldsOutOfOrder());

    Utf8MarcRecordClass untested;
    untested.FldOrderFolder(folder_.Path());
    untested.TestFieldOrder(false);
    untested.MarcRecordIn(record);
    EXPECT_TRUE(untested.FldsOutOfOrder());
    EXPECT_TRUE(OctetsEqual(record, untested.MarcRecordOut()));
}

TEST_F(RecordFieldOrderTest, NothingMovesUntilAFolderIsSet) {
    const std::string record = Out(kDeviating);
    rec_.MarcRecordIn(record);
    EXPECT_FALSE(rec_.FldsOutOfOrder());
    EXPECT_TRUE(OctetsEqual(record, rec_.MarcRecordOut()));
}

TEST_F(RecordFieldOrderTest, BuiltInBibliographicMethods) {
    rec_.FldOrderFolder(folder_.Path());
    // 700 name/title after plain names (method 1); subjects by thesaurus (method 3, with $2 sources);
    // 4XX-5XX by hundreds only (method 2); 880s by their linkage.
    rec_.MarcRecordIn(Out({{"001", "1"},
                           {"500", "  $aB"},
                           {"490", "0 $aA"},
                           {"504", "  $aC"},
                           {"650", " 7$aMesh term$2mesh"},
                           {"651", " 0$aPlace"},
                           {"650", " 7$aLC by code$2lcsh"},
                           {"653", "  $aFree"},
                           {"650", " 2$aMesh by indicator"},
                           {"700", "1 $aName$tTitle"},
                           {"700", "1 $aOther name"},
                           {"880", "10$6245-02/(3/r$aB"},
                           {"880", "10$6100-01/(3/r$aA"}}));
    EXPECT_TRUE(OctetsEqual(Out({{"001", "1"},
                                 {"490", "0 $aA"},
                                 {"500", "  $aB"},
                                 {"504", "  $aC"},
                                 {"651", " 0$aPlace"},
                                 {"650", " 7$aLC by code$2lcsh"},
                                 {"650", " 7$aMesh term$2mesh"},
                                 {"650", " 2$aMesh by indicator"},
                                 {"653", "  $aFree"},
                                 {"700", "1 $aOther name"},
                                 {"700", "1 $aName$tTitle"},
                                 {"880", "10$6100-01/(3/r$aA"},
                                 {"880", "10$6245-02/(3/r$aB"}}),
                            rec_.MarcRecordOut()));
}

TEST_F(RecordFieldOrderTest, HoldingsCaptionsFollowTheirLinks) {
    rec_.FldOrderFolder(folder_.Path());
    const char* holdings = "00000ny  a2200000   4500";
    rec_.MarcRecordIn(Out({{"001", "1"},
                           {"863", "40$81.2$a2"},
                           {"853", "20$82$av."},
                           {"863", "40$81.10$a10"},
                           {"853", "20$81$av."},
                           {"852", "0 $bMain"}},
                          holdings));
    EXPECT_TRUE(OctetsEqual(Out({{"001", "1"},
                                 {"852", "0 $bMain"},
                                 {"853", "20$81$av."},
                                 {"853", "20$82$av."},
                                 {"863", "40$81.2$a2"},
                                 {"863", "40$81.10$a10"}},
                                holdings),
                            rec_.MarcRecordOut()));
}

TEST_F(RecordFieldOrderTest, FieldOrderFileInstructionsComeIntoForce) {
    WriteFile(folder_.File("BibSup.CFG"),  // names compare case-blind, as on the server's share
              "[FieldOrder]\nTag=001\t099\t6\n; comment\nnot a key line\n[ExtendedFieldOrder]\n"
              "Tag=856\t2\nGeneric=6\n[SubfieldOrder]\nTag=856\t3uz\n");
    rec_.FldOrderFolder(folder_.Path());
    // 856 comes second to last in the list of instructions, so before everything else but 0XX.
    rec_.MarcRecordIn(Out({{"001", "1"}, {"245", "10$aT"}, {"856", "40$uhttp://x"}, {"020", "  $a1"}}));
    EXPECT_TRUE(OctetsEqual(Out({{"001", "1"}, {"020", "  $a1"}, {"856", "40$uhttp://x"}, {"245", "10$aT"}}),
                            rec_.MarcRecordOut()));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    EXPECT_EQ(rec_.FldOrderKey(), "0018");

    // Subfield order: $3 added last moves in front of $u.
    rec_.SfdAdd("z", "note");
    rec_.SfdAdd("3", "v. 1");
    EXPECT_EQ(rec_.FldText(), D("$3v. 1$uhttp://x$znote"));
    EXPECT_EQ(rec_.SfdCode(), "3");
    EXPECT_TRUE(rec_.SfdOrderChanged());
    EXPECT_EQ(rec_.FldsWithSfdsOutOfOrder(), "856");

    rec_.MakeNoChange(true);
    rec_.MarcRecordIn(Out({{"001", "1"}, {"856", "40$uhttp://x"}}));
    ASSERT_TRUE(rec_.FldFindFirst("856"));
    rec_.SfdAdd("3", "v. 1");
    rec_.SfdAdd("3", "v. 2");
    EXPECT_EQ(rec_.FldText(), D("$uhttp://x$3v. 1$3v. 2"));
    EXPECT_TRUE(rec_.SubfieldsOutOfOrder());
    EXPECT_FALSE(rec_.SfdOrderChanged());
    EXPECT_EQ(rec_.FldsWithSfdsOutOfOrder(), "856");
}

TEST_F(RecordFieldOrderTest, InstructionsChangeOnlyWhileTheRecordIsEmpty) {
    rec_.MarcRecordIn(Out({{"001", "1"}, {"245", "10$aT"}}));
    rec_.FldOrderFolder(folder_.Path());
    EXPECT_EQ(rec_.FldOrderFolder(), "");
    rec_.ClearFldOrder("B");
    rec_.SetFldOrder("B", "000", "999", 6);
    rec_.MarcRecordIn(Out(kDeviating));
    EXPECT_TRUE(OctetsEqual(Out(kDeviating), rec_.MarcRecordOut()));

    rec_.MarcRecordIn("");
    rec_.ClearFldOrder("B");
    rec_.SetFldOrder("B", "000", "999", 6);
    rec_.MarcRecordIn(Out(kDeviating));
    EXPECT_TRUE(rec_.FldOrderChanged());
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_EQ(rec_.FldTag(), "856");
}

TEST_F(RecordFieldOrderTest, AddedFieldsFindTheirPlace) {
    rec_.FldOrderFolder(folder_.Path());
    rec_.MarcRecordIn(Out({{"001", "1"}, {"245", "10$aT"}, {"500", "  $aFirst note"}, {"856", "40$ux"}}));
    rec_.FldAdd("500", "  ", D("$aSecond note"));
    rec_.FldAdd("020", "  ", D("$a123"));
    EXPECT_EQ(rec_.FldTag(), "020");  // the cursor follows the new field
    rec_.FldAdd("500", "  ", D("$aFirst of all notes"), true);
    EXPECT_TRUE(OctetsEqual(Out({{"001", "1"},
                                 {"020", "  $a123"},
                                 {"245", "10$aT"},
                                 {"500", "  $aFirst of all notes"},
                                 {"500", "  $aFirst note"},
                                 {"500", "  $aSecond note"},
                                 {"856", "40$ux"}}),
                            rec_.MarcRecordOut()));

    rec_.MakeNoChange(true);
    rec_.FldAdd("010", "  ", D("$a1"));
    EXPECT_TRUE(rec_.FldsOutOfOrder());
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_EQ(rec_.FldTag(), "010");
}

TEST_F(RecordFieldOrderTest, TagsOutsideEveryRangeStayWhereTheyStand) {
    rec_.ClearFldOrder("B");
    rec_.SetFldOrder("B", "100", "199", 6);
    rec_.SetFldOrder("B", "600", "699", 6);
    const std::string record =
        Out({{"001", "1"}, {"650", " 0$aS"}, {"CAT", "  $aLocal"}, {"245", "10$aT"}, {"100", "1 $aN"}});
    rec_.MarcRecordIn(record);
    // 001, CAT and 245 have no instruction: they keep the key of the field before them.
    EXPECT_TRUE(
        OctetsEqual(Out({{"001", "1"}, {"100", "1 $aN"}, {"650", " 0$aS"}, {"CAT", "  $aLocal"}, {"245", "10$aT"}}),
                    rec_.MarcRecordOut()));
}

TEST_F(RecordFieldOrderTest, NewRecordInstallsTheDefaultsOfItsFormat) {
    rec_.NewRecord("a", "m");
    rec_.FldAdd("856", "40", D("$ux"));
    rec_.FldAdd("245", "10", D("$aT"));
    ASSERT_TRUE(rec_.FldMoveLast());
    EXPECT_EQ(rec_.FldTag(), "856");
    ASSERT_TRUE(rec_.FldMovePrev());
    EXPECT_EQ(rec_.FldTag(), "245");
}

}  // namespace
