#include <gtest/gtest.h>

#include <cstdlib>

#include "FakeHost.h"
#include "TestSupport.h"
#include "base/INI.h"
#include "job/JobSettings.h"

using namespace linkmend;
using linkmend::test::FakeHost;
using linkmend::test::ReadFile;
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
    bool Perform() { return PrepareToPerform(File(), job_, form_, host_); }
    // The action boxes, checked or not, as "1" and "0" from box 0 on.
    std::string Boxes() const {
        std::string boxes;
        for (bool checked : form_.chkThingToChange) boxes += checked ? '1' : '0';
        return boxes;
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
    EXPECT_EQ(job_.MatchEnd, MatchEnd::Left);
    EXPECT_EQ(form_.optWorkingEnd, 0);
    EXPECT_EQ(job_.UrlAction, UrlAction::ChangeStem);
    EXPECT_EQ(form_.optUrlAction, 0);
    EXPECT_EQ(Boxes(), "100000");
    for (const SubfieldChange& change : job_.Subfields) EXPECT_EQ(change.Action, SubfieldAction::None);
    EXPECT_EQ(job_.DeleteField, FieldAction::Keep);
    EXPECT_FALSE(job_.LimitByLocation);
}

TEST_F(JobSettingsTest, UrlActionsDigitsGiveTheBoxes) {
    const std::pair<const char*, const char*> digitsAndBoxes[] = {
        {"240340", "110110"},  // $z's digit comes before $3's, its box after
        {"000003", "000001"},  // deleting the field only
        {"9", "100000"},       // 9 becomes 0, and nothing asked means change the stem
        {"058004", "100000"},  // digits out of range become 0
        {"010000", "000000"},  // a subfield's 1 is kept: something is asked, though no box shows it
    };
    for (const auto& [digits, boxes] : digitsAndBoxes) {
        Settings(std::string("[UrlStem]\nUrlActions=") + digits + "\n");
        Load();
        EXPECT_EQ(Boxes(), boxes) << digits;
    }
    EXPECT_EQ(job_.UrlAction, UrlAction::Leave);
    EXPECT_EQ(StoredValue(job_.ActionX()), 1);
}

TEST_F(JobSettingsTest, OlderUrlActionKey) {
    Settings("[UrlStem]\nUrlAction=1\n");
    Load();
    EXPECT_EQ(job_.UrlAction, UrlAction::AddSuffix);
    EXPECT_EQ(form_.optUrlAction, 1);
    Settings("[UrlStem]\nUrlAction=0\n");
    Load();
    EXPECT_EQ(job_.UrlAction, UrlAction::ChangeStem);
    Settings("[UrlStem]\nUrlActions=\nUrlAction=1\n");
    Load();
    EXPECT_EQ(job_.UrlAction, UrlAction::AddSuffix);
}

TEST_F(JobSettingsTest, MatchEndBibLimitAndLocation) {
    Settings("[UrlStem]\nMatchEnd=1\nBibLimit=250x\n[General]\nLimitByLocation=yes\nLimitingLocation=MAIN\n");
    Load();
    EXPECT_EQ(job_.MatchEnd, MatchEnd::Right);
    EXPECT_EQ(form_.optWorkingEnd, 1);
    EXPECT_EQ(job_.BibLimit, 250);
    EXPECT_TRUE(form_.chkLimitByLocation);
    EXPECT_EQ(job_.LimitingLocation, "MAIN");
    Settings("[UrlStem]\nMatchEnd=2\n");
    Load();
    EXPECT_EQ(job_.MatchEnd, MatchEnd::Left);
}

TEST_F(JobSettingsTest, PerformChecksInOrder) {
    Settings("");
    ReadyForm();
    form_.txtOldUrlStem = "   ";
    EXPECT_FALSE(Perform());
    EXPECT_EQ(host_.messages.back(),
              std::make_pair(std::string("Linkmend program"), std::string("Please supply an 'old' URL stem")));
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "Please supply a 'new' URL stem");
    EXPECT_EQ(host_.messages.back().first, "Linkmend program");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = " http://old.example/ ";
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "The 'old' and 'new' URL stems must be different");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "HTTP://OLD.EXAMPLE/";  // differs in case only: accepted
    EXPECT_TRUE(Perform());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(JobSettingsTest, EmptyNewStemAllowedWhenMatchingFromRightOrNotChangingUrl) {
    Settings("");
    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.optWorkingEnd = 1;
    // Matching from the right passes Perform's own check, but saving needs the stem for action 1.
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "You must supply the subfield $u stem to which the program should change matching URLs");
    EXPECT_EQ(host_.messages.back().first, kDefaultMessageTitle);
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.optUrlAction = 1;
    form_.optWorkingEnd = 1;
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "You must supply the subfield $u suffix the program should add");
    host_.messages.clear();

    ReadyForm();
    form_.txtNewUrlStem = "";
    form_.chkThingToChange[0] = false;
    form_.chkThingToChange[5] = true;
    EXPECT_TRUE(Perform());
    EXPECT_EQ(Read("UrlStem", "UrlActions"), "000003");
}

TEST_F(JobSettingsTest, LocationMessageComesFirstAndItsValuesAreAlreadyWritten) {
    Settings("");
    ReadyForm();
    form_.chkLimitByLocation = true;
    form_.cmbLocation = {"no separator here"};
    form_.cmbLocationIndex = 0;
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "If you want to limit by location, then you need to select a location");
    EXPECT_EQ(Read("General", "LimitByLocation"), "True");
    EXPECT_EQ(Read("General", "LimitingLocation"), "");
    EXPECT_EQ(Read("UrlStem", "Old"), "");  // stems are written only after the location check
}

// Each subfield action in the window's order: its message, the first when the later boxes lack their
// texts too; its digit and text in the file; and its box and option when loaded again.
TEST_F(JobSettingsTest, EachSubfieldActionIsCheckedSavedAndLoadedBack) {
    struct Case {
        char code;
        std::size_t box;
        const char *key, *message, *deleteDigits, *replaceDigits;
    };
    const Case cases[] = {
        {'x', 1, "NewSubfieldX", "You must supply the new text for subfield $x", "030000", "040000"},
        {'y', 2, "NewSubfieldY", "You must supply the new text for subfield $y", "003000", "004000"},
        {'3', 3, "NewSubfield3", "You must supply the new text for subfield $3", "000030", "000040"},
        {'z', 4, "NewSubfieldZ", "You must supply the new text for subfield $z", "000300", "000400"},
    };
    ASSERT_EQ(std::size(cases), kSubfieldActionCount);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::size_t row = SubfieldRow(c.code);
        Settings("");
        ReadyForm();
        host_.messages.clear();
        form_.chkThingToChange[0] = false;
        for (std::size_t box = c.box; box <= 4; ++box) form_.chkThingToChange[box] = true;
        form_.optSubfield.fill(1);
        EXPECT_FALSE(Perform());
        EXPECT_EQ(OnlyMessage(), c.message);
        EXPECT_EQ(Read("UrlStem", "UrlActions"), "");

        for (std::size_t box = c.box + 1; box <= 4; ++box) form_.chkThingToChange[box] = false;
        form_.txtSubfield[row] = "  New text ";
        ASSERT_TRUE(Perform());
        EXPECT_EQ(Read("UrlStem", "UrlActions"), c.replaceDigits);
        EXPECT_EQ(Read("UrlStem", c.key), "New text");
        Load();
        EXPECT_EQ(Boxes(), std::string(6, '0').replace(c.box, 1, "1"));
        EXPECT_EQ(form_.optSubfield[row], 1);
        EXPECT_EQ(form_.txtSubfield[row], "New text");

        // Deleting writes no text: only the replace option takes the text box.
        form_.optSubfield[row] = 0;
        ASSERT_TRUE(Perform());
        EXPECT_EQ(Read("UrlStem", "UrlActions"), c.deleteDigits);
        EXPECT_EQ(Read("UrlStem", c.key), "");
        Load();
        EXPECT_EQ(Boxes(), std::string(6, '0').replace(c.box, 1, "1"));
        EXPECT_EQ(form_.optSubfield[row], 0);
    }
}

TEST_F(JobSettingsTest, MissingSubfieldTextAfterStemsAreWritten) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[4] = true;
    form_.optSubfield[SubfieldRow('z')] = 1;
    form_.txtSubfield[SubfieldRow('z')] = "  ";
    form_.updBibLimit = 5;
    form_.optWorkingEnd = 1;
    form_.cmbLocation = {"MAIN // Main library", "LAW // Law library"};
    form_.cmbLocationIndex = 0;
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "You must supply the new text for subfield $z");
    EXPECT_EQ(ReadFile(File()),
              "[General]\nLimitByLocation=False\nLimitingLocation=MAIN\n\n[UrlStem]\nOld=http://old.example/\n"
              "New=https://new.example/\nBibLimit=5\nMatchEnd=1\n");
}

TEST_F(JobSettingsTest, NothingToDo) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[0] = false;
    EXPECT_FALSE(Perform());
    EXPECT_EQ(OnlyMessage(), "You must select some kind of action for the program to perform.");
}

TEST_F(JobSettingsTest, SaveWritesTheWholeJobAndReloads) {
    Settings("");
    ReadyForm();
    form_.chkThingToChange[1] = true;  // $x delete
    form_.chkThingToChange[4] = true;  // $z replace
    form_.optSubfield[SubfieldRow('z')] = 1;
    form_.txtSubfield[SubfieldRow('z')] = "  Access restricted  ";
    form_.txtSubfield[SubfieldRow('y')] = "ignored: box not checked";
    form_.chkProductionRun = true;
    EXPECT_TRUE(Perform());
    EXPECT_TRUE(job_.ProductionRun);
    EXPECT_EQ(ReadFile(File()),
              "[General]\nLimitByLocation=False\nLimitingLocation=\n\n[UrlStem]\nOld=http://old.example/\n"
              "New=https://new.example/\nBibLimit=20000\nMatchEnd=0\nUrlActions=130400\nNewSubfieldX=\n"
              "NewSubfieldY=\nNewSubfieldZ=Access restricted\nNewSubfield3=\n");
    Load();
    EXPECT_EQ(job_.ActionZ(), SubfieldAction::Replace);
    EXPECT_EQ(job_.ActionX(), SubfieldAction::Delete);
    EXPECT_EQ(form_.txtOldUrlStem, "http://old.example/");
    EXPECT_EQ(form_.txtSubfield[SubfieldRow('z')], "Access restricted");
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
