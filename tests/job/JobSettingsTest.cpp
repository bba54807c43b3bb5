// The job settings: how the settings file loads into the job and the main window's form, Perform's
// checks with their messages in order and what each leaves written, and the form's own rules.
#include <gtest/gtest.h>

#include <functional>

#include "FakeHost.h"
#include "base/INI.h"
#include "job/JobSettings.h"
#include "kit/Files.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;

class JobSettingsTest : public ::testing::Test {
protected:
    std::string File() const { return profile_.File("Linkmend.INI"); }
    void Load(const std::string& ini) {
        WriteFile(File(), ini);
        job_ = JobSettings{};
        form_ = MainFormState{};
        LoadJobSettings(File(), job_, form_);
        ShowJobSettings(job_, form_);
    }
    // The loaded job and form in one line: bib limit (job/up-down), match end (job/option), URL
    // action (job/option), the subfield actions by row, deleting the field, the action boxes, the
    // subfield options by row, the location limit and its code.
    std::string Loaded(const std::string& ini) {
        Load(ini);
        std::string acts, boxes, opts;
        for (const SubfieldChange& c : job_.Subfields) acts += std::to_string(StoredValue(c.Action));
        for (bool checked : form_.chkThingToChange) boxes += checked ? '1' : '0';
        for (int o : form_.optSubfield) opts += std::to_string(o);
        return std::to_string(job_.BibLimit) + "/" + std::to_string(form_.updBibLimit) + " end " +
               std::to_string(StoredValue(job_.MatchEnd)) + "/" + std::to_string(form_.optWorkingEnd) + " url " +
               std::to_string(StoredValue(job_.UrlAction)) + "/" + std::to_string(form_.optUrlAction) + " acts " +
               acts + std::to_string(StoredValue(job_.DeleteField)) + " boxes " + boxes + " opts " + opts + " loc " +
               (form_.chkLimitByLocation ? "1" : "0") + job_.LimitingLocation;
    }
    // Perform on a form with both stems filled and "change the stem" chosen, after `change`.
    bool Perform(const std::function<void(MainFormState&)>& change) {
        Load("");
        form_.txtOldUrlStem = "http://old.example/";
        form_.txtNewUrlStem = "https://new.example/";
        change(form_);
        host_.messages.clear();
        return PrepareToPerform(File(), job_, form_, host_);
    }
    std::string Message() const { return host_.messages.empty() ? "" : host_.messages.back().second; }

    ProfileFolder profile_;
    JobSettings job_;
    MainFormState form_;
    FakeHost host_;
};

TEST_F(JobSettingsTest, SettingsFileLoadsIntoJobAndForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "20000/20000 end 0/0 url 1/0 acts 00000 boxes 100000 opts 0000 loc 0"},
        // $z's digit comes before $3's; its box and row after.
        {"[UrlStem]\nUrlActions=240340\n", "20000/20000 end 0/0 url 2/1 acts 40430 boxes 110110 opts 1010 loc 0"},
        {"[UrlStem]\nUrlActions=000003\n", "20000/20000 end 0/0 url 0/0 acts 00003 boxes 000001 opts 0000 loc 0"},
        // Out of range becomes 0; nothing asked means change the stem.
        {"[UrlStem]\nUrlActions=9\n", "20000/20000 end 0/0 url 1/0 acts 00000 boxes 100000 opts 0000 loc 0"},
        {"[UrlStem]\nUrlActions=058004\n", "20000/20000 end 0/0 url 1/0 acts 00000 boxes 100000 opts 0000 loc 0"},
        // A subfield's 1 is kept: something is asked, though no box shows it.
        {"[UrlStem]\nUrlActions=010000\n", "20000/20000 end 0/0 url 0/0 acts 10000 boxes 000000 opts 0000 loc 0"},
        {"[UrlStem]\nUrlAction=1\n", "20000/20000 end 0/0 url 2/1 acts 00000 boxes 100000 opts 0000 loc 0"},
        {"[UrlStem]\nUrlAction=0\n", "20000/20000 end 0/0 url 1/0 acts 00000 boxes 100000 opts 0000 loc 0"},
        {"[UrlStem]\nUrlActions=\nUrlAction=1\n",
         "20000/20000 end 0/0 url 2/1 acts 00000 boxes 100000 opts 0000 loc 0"},
        {"[UrlStem]\nMatchEnd=1\nBibLimit=250x\n[General]\nLimitByLocation=yes\nLimitingLocation=MAIN\n",
         "250/250 end 1/1 url 1/0 acts 00000 boxes 100000 opts 0000 loc 1MAIN"},
        {"[UrlStem]\nMatchEnd=2\n[General]\nLimitByLocation=Truest\n",
         "20000/20000 end 0/0 url 1/0 acts 00000 boxes 100000 opts 0000 loc 0"},
    };
    for (const auto& [ini, loaded] : cases) EXPECT_EQ(Loaded(ini), loaded) << ini;
}

// Each check in Perform's order, with the title of its message and the settings file it leaves.
TEST_F(JobSettingsTest, PerformChecksInOrderAndWritesWhatCameBefore) {
    const std::string head = "[General]\nLimitByLocation=False\nLimitingLocation=MAIN\n\n[UrlStem]\n";
    const std::string written = head + "Old=http://old.example/\nNew=https://new.example/\nBibLimit=5\nMatchEnd=1\n";
    // The boxes from `first` to `last` checked with the replace option and the text, after the stems,
    // the limit, the match end and the location are set.
    const auto replace = [](MainFormState& f, std::size_t first, std::size_t last, const char* text) {
        f.updBibLimit = 5, f.optWorkingEnd = 1, f.cmbLocation = {"MAIN // Main", "LAW // Law"}, f.cmbLocationIndex = 0;
        for (std::size_t box = first; box <= last; ++box) {
            f.chkThingToChange[box] = true, f.optSubfield[box - 1] = 1, f.txtSubfield[box - 1] = text;
        }
    };
    const struct {
        const char* name;
        std::function<void(MainFormState&)> change;
        const char *title, *message;
        std::string file;  // the whole settings file afterwards; "-" not compared
    } cases[] = {
        {"no old stem", [](auto& f) { f.txtOldUrlStem = "   "; }, kProgramTitle, "Please supply an 'old' URL stem", ""},
        {"no new stem", [](auto& f) { f.txtNewUrlStem = ""; }, kProgramTitle, "Please supply a 'new' URL stem", ""},
        {"same stems", [](auto& f) { f.txtNewUrlStem = " http://old.example/ "; }, kProgramTitle,
         "The 'old' and 'new' URL stems must be different", ""},
        {"no location",
         [](auto& f) { f.chkLimitByLocation = true, f.cmbLocation = {"MAIN Main"}, f.cmbLocationIndex = 0; },
         kDefaultMessageTitle, "If you want to limit by location, then you need to select a location",
         "[General]\nLimitByLocation=True\nLimitingLocation=\n"},
        {"no stem to change to", [](auto& f) { f.txtNewUrlStem = "", f.optWorkingEnd = 1; }, kDefaultMessageTitle,
         "You must supply the subfield $u stem to which the program should change matching URLs", "-"},
        {"no suffix", [](auto& f) { f.txtNewUrlStem = "", f.optWorkingEnd = 1, f.optUrlAction = 1; },
         kDefaultMessageTitle, "You must supply the subfield $u suffix the program should add", "-"},
        {"nothing to do", [](auto& f) { f.chkThingToChange[0] = false; }, kDefaultMessageTitle,
         "You must select some kind of action for the program to perform.", "-"},
        {"no $x text, nor the later ones", [&](auto& f) { replace(f, 1, 4, ""); }, kDefaultMessageTitle,
         "You must supply the new text for subfield $x", written},
        {"no $y text", [&](auto& f) { replace(f, 2, 4, ""); }, kDefaultMessageTitle,
         "You must supply the new text for subfield $y", written},
        {"no $3 text", [&](auto& f) { replace(f, 3, 4, " "); }, kDefaultMessageTitle,
         "You must supply the new text for subfield $3", written},
        {"no $z text", [&](auto& f) { replace(f, 4, 4, ""); }, kDefaultMessageTitle,
         "You must supply the new text for subfield $z", written},
        {"$y replaced, $3 deleted", [&](auto& f) { replace(f, 2, 3, " Text "), f.optSubfield[SubfieldRow('3')] = 0; },
         "", "", written + "UrlActions=104030\nNewSubfieldX=\nNewSubfieldY=Text\nNewSubfieldZ=\nNewSubfield3=\n"},
        {"no new stem, deleting the field",
         [](auto& f) { f.txtNewUrlStem = "", f.chkThingToChange = {false, false, false, false, false, true}; }, "", "",
         "-"},
        {"stems differ in case only", [](auto& f) { f.txtNewUrlStem = "HTTP://OLD.EXAMPLE/"; }, "", "", "-"},
        {"the whole job",
         [&](auto& f) {
             replace(f, 1, 1, ""), replace(f, 4, 4, "  Access restricted  ");
             f.optSubfield[SubfieldRow('x')] = 0, f.txtSubfield[SubfieldRow('y')] = "ignored";
         },
         "", "",
         written + "UrlActions=130400\nNewSubfieldX=\nNewSubfieldY=\nNewSubfieldZ=Access restricted\nNewSubfield3=\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Perform(c.change), *c.message == '\0');
        EXPECT_EQ(host_.messages, (*c.message ? Messages{{c.title, c.message}} : Messages{}));
        if (c.file != "-") {
            EXPECT_EQ(ReadFile(File()), c.file);
        }
    }
    EXPECT_EQ(ReadIniValue(File(), "UrlStem", "UrlActions", 50), "130400");
    EXPECT_EQ(job_.ActionX(), SubfieldAction::Delete);
    Load(ReadFile(File()));
    EXPECT_EQ(form_.txtOldUrlStem, "http://old.example/");
    EXPECT_EQ(form_.txtSubfield[SubfieldRow('z')], "Access restricted");
    EXPECT_EQ(Perform([](auto& f) { f.chkProductionRun = f.chkListChangedRecords = true, f.updBibLimit = 0; }), true);
    EXPECT_TRUE(job_.ProductionRun && job_.ListChangedRecords);
    EXPECT_EQ(job_.BibLimit, 0);
}

TEST(ActionBoxTest, DeleteExcludesOthersAndOneBoxStaysChecked) {
    MainFormState form;
    form.chkThingToChange = {true, true, false, true, false, true};
    ActionBoxClicked(form, 5);
    EXPECT_EQ(form.chkThingToChange, (std::array<bool, 6>{false, false, false, false, false, true}));
    form.chkThingToChange[5] = false;
    ActionBoxClicked(form, 5);
    EXPECT_EQ(form.chkThingToChange, (std::array<bool, 6>{true, false, false, false, false, false}));
    form.chkThingToChange = {false, false, true, false, false, false};
    ActionBoxClicked(form, 0);
    EXPECT_FALSE(form.chkThingToChange[0]);  // another box is still checked
    form.actionBoxGuard = true;              // the window's own changes are not acted on
    form.chkThingToChange[2] = false;
    ActionBoxClicked(form, 2);
    EXPECT_FALSE(form.chkThingToChange[0]);
}

TEST(CommandLineTest, SettingsFileName) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "Linkmend.INI"},
        {"linkmend -i  other.ini ", "other.ini"},
        {"linkmend -i \"/home/cat/My Settings/job.ini\" -x", "/home/cat/My Settings/job.ini"},
        {"linkmend -i job.ini -x", "job.ini"},
        {"linkmend -I job.ini", "Linkmend.INI"},  // case-sensitive
        {"linkmend -i\"a b.ini\"", "a b.ini"},
    };
    for (const auto& [line, file] : cases) EXPECT_EQ(SettingsFileFromCommandLine(line), file) << line;
}

TEST(LocationEntriesTest, SelectsLastExactMatchOrFirst) {
    MainFormState form;
    SetLocationEntries(form, {{"LAW", "Law"}, {"MAIN", "Main"}, {"MAIN", "Main again"}}, "MAIN");
    EXPECT_EQ(form.cmbLocation, (std::vector<std::string>{"LAW // Law", "MAIN // Main", "MAIN // Main again"}));
    EXPECT_EQ(form.cmbLocationIndex, 2);
    SetLocationEntries(form, {{"LAW", "Law"}, {"MAIN", "Main"}}, "main");
    EXPECT_EQ(form.cmbLocationIndex, 0);
    SetLocationEntries(form, {}, "");
    EXPECT_EQ(form.cmbLocationIndex, -1);
}

}  // namespace
