#include <gtest/gtest.h>

#include <cstdlib>

#include "FakeHost.h"
#include "TestSupport.h"
#include "base/INI.h"
#include "job/JobSettings.h"

using namespace linkmend;
using linkmend::test::FakeHost;
using linkmend::test::TempDir;
using linkmend::test::WriteFile;

namespace {

class JobSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1); }
    std::string File() const { return dir_.File("Linkmend.INI"); }
    void Settings(const std::string& text) { WriteFile(File(), text); }
    void Load() {
        job_ = JobSettings{};
        form_ = MainFormState{};
        LoadJobSettings(File(), job_, form_);
        ShowJobSettings(job_, form_);
    }
    std::string Read(const char* section, const char* key) { return ReadIniValue(File(), section, key, 4000); }
    // A form ready for Perform: stems filled, change-the-stem chosen.
    void ReadyForm() {
        Load();
        form_.txtOldUrlStem = "http://old.example/";
        form_.txtNewUrlStem = "https://new.example/";
    }
    std::string OnlyMessage() {
        EXPECT_EQ(host_.messages.size(), 1u);
        return host_.messages.empty() ? std::string() : host_.messages.back().second;
    }

    TempDir dir_;
    JobSettings job_;
    MainFormState form_;
    FakeHost host_;
};

TEST_F(JobSettingsTest, EmptySettingsFileGivesDefaults) {
    Settings("");
    Load();
    EXPECT_EQ(job_.BibLimit, 20000);
    EXPECT_EQ(form_.updBibLimit, 20000);
    EXPECT_EQ(job_.MatchEnd, 0);
    EXPECT_EQ(form_.optWorkingEnd, 0);
    EXPECT_EQ(job_.UrlAction, 1);
    EXPECT_TRUE(form_.chkThingToChange[0]);
    EXPECT_EQ(form_.optUrlAction, 0);
    for (int i = 1; i < 6; ++i) EXPECT_FALSE(form_.chkThingToChange[i]) << i;
    EXPECT_EQ(job_.ActionX + job_.ActionY + job_.ActionZ + job_.Action3 + job_.DeleteField, 0);
    EXPECT_FALSE(job_.LimitByLocation);
}

TEST_F(JobSettingsTest, UrlActionsDigitsMapToBoxesWithZBeforeThree) {
    Settings("[UrlStem]\nUrlActions=240340\nNewSubfieldZ=  public note \nNewSubfieldX=gone\n");
    Load();
    EXPECT_EQ(job_.UrlAction, 2);
    EXPECT_EQ(job_.ActionX, 4);
    EXPECT_EQ(job_.ActionY, 0);
    EXPECT_EQ(job_.ActionZ, 3);
    EXPECT_EQ(job_.Action3, 4);
    EXPECT_EQ(form_.optUrlAction, 1);
    EXPECT_TRUE(form_.chkThingToChange[0]);
    EXPECT_TRUE(form_.chkThingToChange[1]);
    EXPECT_EQ(form_.optSubfieldX, 1);
    EXPECT_FALSE(form_.chkThingToChange[2]);
    EXPECT_TRUE(form_.chkThingToChange[3]);  // box 3 is $3
    EXPECT_EQ(form_.optSubfield3, 1);
    EXPECT_TRUE(form_.chkThingToChange[4]);  // box 4 is $z
    EXPECT_EQ(form_.optSubfieldZ, 0);
    EXPECT_EQ(form_.txtSubfieldZ, "public note");  // blanks around values are dropped by the file
    EXPECT_EQ(job_.NewSubfieldX, "");              // loading fills the text boxes only
}

TEST_F(JobSettingsTest, DeleteFieldOnlyAndOutOfRangeDigits) {
    Settings("[UrlStem]\nUrlActions=000003\n");
    Load();
    EXPECT_TRUE(form_.chkThingToChange[5]);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(form_.chkThingToChange[i]) << i;
    EXPECT_EQ(job_.UrlAction, 0);

    Settings("[UrlStem]\nUrlActions=9\n");
    Load();
    EXPECT_EQ(job_.UrlAction, 1);  // 9 becomes 0, and all zero means change the stem
    EXPECT_TRUE(form_.chkThingToChange[0]);

    Settings("[UrlStem]\nUrlActions=058004\n");
    Load();
    EXPECT_EQ(job_.ActionX, 0);
    EXPECT_EQ(job_.ActionY, 0);
    EXPECT_EQ(job_.DeleteField, 0);
    EXPECT_EQ(job_.UrlAction, 1);
}

TEST_F(JobSettingsTest, OlderUrlActionKey) {
    Settings("[UrlStem]\nUrlAction=1\n");
    Load();
    EXPECT_EQ(job_.UrlAction, 2);
    EXPECT_EQ(form_.optUrlAction, 1);
    Settings("[UrlStem]\nUrlAction=0\n");
    Load();
    EXPECT_EQ(job_.UrlAction, 1);
    Settings("[UrlStem]\nUrlActions=\nUrlAction=1\n");
    Load();
    EXPECT_EQ(job_.UrlAction, 2);
}

TEST_F(JobSettingsTest, MatchEndBibLimitAndLocation) {
    Settings("[UrlStem]\nMatchEnd=1\nBibLimit=250x\n[General]\nLimitByLocation=yes\nLimitingLocation=MAIN\n");
    Load();
    EXPECT_EQ(job_.MatchEnd, 1);
    EXPECT_EQ(form_.optWorkingEnd, 1);
    EXPECT_EQ(job_.BibLimit, 250);
    EXPECT_TRUE(form_.chkLimitByLocation);
    EXPECT_EQ(job_.LimitingLocation, "MAIN");
    Settings("[UrlStem]\nMatchEnd=2\n");
    Load();
    EXPECT_EQ(job_.MatchEnd, 0);
}

TEST_F(JobSettingsTest, PerformChecksInOrder) {
    Settings("");
    ReadyForm();
    form_.txtOldUrlStem = "   ";
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(host_.messages.back(),
              std::make_pair(std::string("Linkmend program"), std::string("Please supply an 'old' URL stem")));
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "Please supply a 'new' URL stem");
    EXPECT_EQ(host_.messages.back().first, "Linkmend program");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = " http://old.example/ ";
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "The 'old' and 'new' URL stems must be different");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "HTTP://OLD.EXAMPLE/";  // differs in case only: accepted
    EXPECT_TRUE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(JobSettingsTest, EmptyNewStemAllowedWhenMatchingFromRightOrNotChangingUrl) {
    Settings("");
    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.optWorkingEnd = 1;
    // Matching from the right passes Perform's own check, but saving needs the stem for action 1.
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "You must supply the subfield $u stem to which the program should change matching URLs");
    EXPECT_EQ(host_.messages.back().first, kDefaultMessageTitle);
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.optUrlAction = 1;
    form_.optWorkingEnd = 1;
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "You must supply the subfield $u suffix the program should add");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.chkThingToChange[0] = false;
    form_.chkThingToChange[5] = true;
    EXPECT_TRUE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(Read("UrlStem", "UrlActions"), "000003");
}

TEST_F(JobSettingsTest, LocationMessageComesFirstAndItsValuesAreAlreadyWritten) {
    Settings("");
    ReadyForm();
    form_.chkLimitByLocation = true;
    form_.cmbLocation = {"no separator here"};
    form_.cmbLocationIndex = 0;
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "If you want to limit by location, then you need to select a location");
    EXPECT_EQ(Read("General", "LimitByLocation"), "True");
    EXPECT_EQ(Read("General", "LimitingLocation"), "");
    EXPECT_EQ(Read("UrlStem", "Old"), "");  // stems are written only after the location check
}

TEST_F(JobSettingsTest, MissingSubfieldTextAfterStemsAreWritten) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[4] = true;
    form_.optSubfieldZ = 1;
    form_.txtSubfieldZ = "  ";
    form_.updBibLimit = 5;
    form_.optWorkingEnd = 1;
    form_.cmbLocation = {"MAIN // Main library", "LAW // Law library"};
    form_.cmbLocationIndex = 0;
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "You must supply the new text for subfield $z");
    EXPECT_EQ(Read("General", "LimitingLocation"), "MAIN");
    EXPECT_EQ(Read("UrlStem", "Old"), "http://old.example/");
    EXPECT_EQ(Read("UrlStem", "New"), "https://new.example/");
    EXPECT_EQ(Read("UrlStem", "BibLimit"), "5");
    EXPECT_EQ(Read("UrlStem", "MatchEnd"), "1");
    EXPECT_EQ(Read("UrlStem", "UrlActions"), "");
}

TEST_F(JobSettingsTest, SubfieldMessagesInFormOrder) {
    const char* texts[] = {
        "You must supply the new text for subfield $x", "You must supply the new text for subfield $y",
        "You must supply the new text for subfield $3", "You must supply the new text for subfield $z"};
    for (int box = 1; box <= 4; ++box) {
        Settings("");
        ReadyForm();
        host_.messages.clear();
        for (int b = box; b <= 4; ++b) form_.chkThingToChange[b] = true;
        form_.optSubfieldX = form_.optSubfieldY = form_.optSubfieldZ = form_.optSubfield3 = 1;
        EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
        EXPECT_EQ(OnlyMessage(), texts[box - 1]) << box;
    }
}

TEST_F(JobSettingsTest, NothingToDo) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[0] = false;
    EXPECT_FALSE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_EQ(OnlyMessage(), "You must select some kind of action for the program to perform.");
}

TEST_F(JobSettingsTest, SaveWritesActionsAndTextsAndReloads) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[1] = true;  // $x delete
    form_.chkThingToChange[4] = true;  // $z replace
    form_.optSubfieldZ = 1;
    form_.txtSubfieldZ = "  Access restricted  ";
    form_.txtSubfieldY = "ignored: box not checked";
    form_.chkProductionRun = true;
    EXPECT_TRUE(PrepareToPerform(File(), job_, form_, host_));
    EXPECT_TRUE(job_.ProductionRun);
    EXPECT_EQ(Read("UrlStem", "UrlActions"), "130400");
    EXPECT_EQ(Read("UrlStem", "NewSubfieldZ"), "Access restricted");
    EXPECT_EQ(Read("UrlStem", "NewSubfieldY"), "");
    EXPECT_EQ(Read("General", "LimitByLocation"), "False");
    Load();
    EXPECT_EQ(job_.ActionZ, 4);
    EXPECT_EQ(job_.ActionX, 3);
    EXPECT_EQ(form_.txtOldUrlStem, "http://old.example/");
    EXPECT_EQ(form_.txtSubfieldZ, "Access restricted");
}

TEST(ActionBoxTest, DeleteExcludesOthersAndOneBoxStaysChecked) {
    MainFormState form;
    form.chkThingToChange = {true, true, false, true, false, false};
    form.chkThingToChange[5] = true;
    ActionBoxClicked(form, 5);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(form.chkThingToChange[i]) << i;
    form.chkThingToChange[5] = false;
    ActionBoxClicked(form, 5);
    EXPECT_TRUE(form.chkThingToChange[0]);
    form.chkThingToChange[0] = false;
    form.chkThingToChange[2] = true;
    ActionBoxClicked(form, 0);
    EXPECT_FALSE(form.chkThingToChange[0]);  // another box is still checked
    form.actionBoxGuard = true;              // the window's own changes are not acted on
    form.chkThingToChange[2] = false;
    ActionBoxClicked(form, 2);
    EXPECT_FALSE(form.chkThingToChange[0]);
}

TEST(CommandLineTest, SettingsFileName) {
    EXPECT_EQ(SettingsFileFromCommandLine(""), "Linkmend.INI");
    EXPECT_EQ(SettingsFileFromCommandLine("linkmend -i  other.ini "), "other.ini");
    EXPECT_EQ(SettingsFileFromCommandLine("linkmend -i \"/home/cat/My Settings/job.ini\" -x"),
              "/home/cat/My Settings/job.ini");
    EXPECT_EQ(SettingsFileFromCommandLine("linkmend -i job.ini -x"), "job.ini");
    EXPECT_EQ(SettingsFileFromCommandLine("linkmend -I job.ini"), "Linkmend.INI");  // case-sensitive
    EXPECT_EQ(SettingsFileFromCommandLine("linkmend -i\"a b.ini\""), "a b.ini");
}

TEST(LocationEntriesTest, SelectsLastExactMatchOrFirst) {
    MainFormState form;
    SetLocationEntries(form, {{"LAW", "Law"}, {"MAIN", "Main"}, {"MAIN", "Main again"}}, "MAIN");
    ASSERT_EQ(form.cmbLocation.size(), 3u);
    EXPECT_EQ(form.cmbLocation[1], "MAIN // Main");
    EXPECT_EQ(form.cmbLocationIndex, 2);
    SetLocationEntries(form, {{"LAW", "Law"}, {"MAIN", "Main"}}, "main");
    EXPECT_EQ(form.cmbLocationIndex, 0);
    SetLocationEntries(form, {}, "");
    EXPECT_EQ(form.cmbLocationIndex, -1);
}

}  // namespace
