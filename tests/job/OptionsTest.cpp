// The Options dialog's rules on both drivers: opening, the two lists, OK with its messages in order,
// the second OK after the lists change, and what is saved.
#include <gtest/gtest.h>

#include "FakeHost.h"
#include "base/INI.h"
#include "job/OptionsForm.h"
#include "job/Program.h"
#include "kit/JobDb.h"
#include "profile/Password.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend::test {
namespace {

const char* kListsChanged =
    "Everything you've supplied is fine, and the changes you've made up to this point have been saved.  You've "
    "changed some important parts of this definition, and some parts of the Options display have been changed to "
    "correspond.\n\nPlease consider all of the options once final time.  Pay special attention to the lists of "
    "owning libraries and happening locations.";

class OptionsDb : public JobDbTest {
protected:
    void SetUp() override {
        JobDbTest::SetUp();
        Set("Miscellaneous", "OwningLibraryString", "1");
        Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    }
    // The main window's start-up, then the dialog's opening. A saved read password is written plain
    // again: scrambled, the PostgreSQL reader's is longer than the key's read size.
    void Open() {
        Set("Read", "PWD", Db().ReadOnlyPwd().empty() ? "reader" : Db().ReadOnlyPwd());
        program_ = std::make_unique<Program>();
        StartUp(*program_, main_);
        host_ = FakeHost{};
        OpenOptions(*program_, lists_, form_, host_);
    }
    bool Ok() {
        host_.questions.clear();
        return ValidateAndSaveOptions(*program_, lists_, form_, main_, host_);
    }
    std::string Saved(const char* section, const char* key) { return ReadIniValue("Linkmend.INI", section, key, 300); }
    std::string Settings() { return ReadFile(Folder() + "Linkmend.INI"); }
    std::string Asked() const { return host_.questions.size() == 1 ? host_.questions[0].text : "(none or several)"; }
    void Add(const std::string& table, const std::string& columns, const std::string& values) {
        Catalog().Exec("INSERT INTO " + Prefix() + table + " (" + columns + ") VALUES (" + values + ")");
    }
    // An operator with a profile of its own and those cataloguing locations.
    void AddOperator(const std::string& id, int profile, const std::vector<int>& locations) {
        Add("CAT_OPERATOR", "OPERATOR_ID, CAT_PROFILE_ID", "'" + id + "', " + std::to_string(profile));
        for (int l : locations)
            Add("CAT_SECURITY_LOCS", "CAT_PROFILE_ID, LOCATION_ID", std::to_string(profile) + ", " + std::to_string(l));
    }
    void AddLocation(int id, const std::string& code, const std::string& name) {
        Add("LOCATION", "LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LIBRARY_ID",
            std::to_string(id) + ", '" + code + "', '" + name + "', 1");
        Add("CAT_POLICY_LOCS", "LOCATION_ID, CATALOGING_LOCATION", std::to_string(id) + ", 'Y'");
    }

    FakeHost host_;
    std::unique_ptr<Program> program_;
    MainFormState main_;
    OptionsLists lists_;
    OptionsFormState form_;
};

TEST_P(OptionsDb, OpeningShowsTheSavedProfileWithItsLists) {
    Set("Miscellaneous", "Happening", "11");
    Open();
    EXPECT_EQ(form_.caption, "Linkmend program - Options");
    EXPECT_EQ(std::vector<std::string>(
                  {form_.txtDSN, form_.txtTNP, form_.txtWriteUID, form_.txtWritePWD, form_.txtFolderForReports}),
              std::vector<std::string>({Db().ReadOnlyDsn(), Prefix(), "cat", "cat-pw", Reports()}));
    EXPECT_EQ(form_.lstOwningLibrary, (std::vector<std::string>{"Law Library", "Main Library"}));  // by name
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, true}));
    EXPECT_TRUE(form_.lstOwningLibraryEnabled && !form_.chkAllOwningLibraries);
    // STORE is not a cataloguing location; the profile's 11 (LAW) is selected.
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"LAW Law stacks", "MAIN Main stacks"}));
    EXPECT_EQ(form_.cmbHappeningIndex, 0);
    EXPECT_EQ(lists_.happeningLocations[0].LocationId, 11);
    EXPECT_EQ(lists_.basis.WriteUID, "cat");
    EXPECT_EQ(host_.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(host_.messages.empty());

    Set("Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT");
    Set("Miscellaneous", "Happening", "999");  // not listed: the first
    Open();
    EXPECT_EQ(form_.cmbHappeningIndex, 0);
    EXPECT_TRUE(form_.chkAllOwningLibraries && !form_.lstOwningLibraryEnabled);
    form_.chkAllOwningLibraries = false;
    AllOwningLibrariesClicked(form_);
    EXPECT_TRUE(form_.lstOwningLibraryEnabled);
}

// Each required value in turn, with its box for the focus; nothing is saved meanwhile.
TEST_P(OptionsDb, RequiredValuesAreCheckedInOrder) {
    Open();
    const std::string before = Settings();
    std::string* boxes[] = {&form_.txtDSN,     &form_.txtTNP,      &form_.txtReadUID,
                            &form_.txtReadPWD, &form_.txtWriteUID, &form_.txtWritePWD};
    const std::pair<const char*, const char*> expected[] = {
        {"txtDSN", "You must supply a Data Set Name."},
        {"txtTNP", "You must supply a table name prefix."},
        {"txtReadUID", "You must supply a read-only signon."},
        {"txtReadPWD", "You must supply a read-only password."},
        {"txtWriteUID", "You must supply a Voyager user ID."},
        {"txtWritePWD", "You must supply a Voyager user password."},
        {"txtVoyagerPath", "You must supply a path to Voyager.INI."}};
    std::vector<std::string> values;
    for (std::string* box : boxes) values.push_back(std::exchange(*box, " "));
    form_.txtVoyagerPath = "  ";
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_FALSE(Ok());
        ASSERT_EQ(host_.questions.size(), 1u);
        EXPECT_EQ(host_.questions[0].title, "Linkmend program");
        EXPECT_EQ(host_.questions[0].buttons, MessageButtons::OkCancel);
        EXPECT_EQ(host_.questions[0].text, expected[i].second);
        EXPECT_EQ(form_.focus, expected[i].first);
        if (i < values.size()) *boxes[i] = values[i];
    }
    EXPECT_EQ(Settings(), before);
}

TEST_P(OptionsDb, WithoutConnectionValuesTheListsStayEmptyWithoutMessage) {
    Set("Read", "UID", "");
    Open();
    EXPECT_TRUE(form_.lstOwningLibrary.empty() && form_.cmbHappening.empty() && main_.cmbLocation.empty());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_P(OptionsDb, OkStraightAfterOpeningSavesWithoutAskingAgain) {
    Open();
    form_.txtFolderForReports = " /srv/linkmend/reports ";
    form_.txtVoyagerPath = "/opt/voyager";
    form_.txtTNP = "  " + Prefix().substr(0, Prefix().size() - 1) + " ";  // the same prefix once its dot is added
    EXPECT_TRUE(Ok());
    EXPECT_TRUE(host_.questions.empty() && host_.messages.empty());
    const std::pair<std::string, std::string> saved[] = {
        {Saved("Connection", "DSN"), Db().ReadOnlyDsn()},
        {Saved("Connection", "TNP"), Prefix()},
        {Saved("Connection", "VoyagerPath"), "/opt/voyager/"},
        {Saved("Folders", "FolderForReports"), "/srv/linkmend/reports/"},
        {Saved("Miscellaneous", "OwningLibraryString"), "1"},
        {Saved("Miscellaneous", "BooleansDefaultTrue"), "FTTTTTTTTT"},
        {Saved("Miscellaneous", "Happening"), "10"},
        {Saved("Write", "UID"), "cat"},
        {UnscramblePassword(Saved("Write", "PWD")), "cat-pw"}};
    for (const auto& [value, expected] : saved) EXPECT_EQ(value, expected);
    EXPECT_NE(Saved("Write", "PWD"), "cat-pw");
}

TEST_P(OptionsDb, ChangingTheOperatorRefillsTheHappeningListAndAsksForASecondOk) {
    AddOperator("lawcat", 5, {11, 12});
    Open();
    Add("LIBRARY", "LIBRARY_ID, LIBRARY_NAME", "3, 'Art Library'");  // not listed unless the libraries are refilled
    const std::string before = Settings();
    form_.txtWriteUID = " lawcat ";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Asked(), kListsChanged);
    EXPECT_EQ(form_.lstOwningLibrary.size(), 2u);
    EXPECT_EQ(form_.cmbHappening, std::vector<std::string>{"LAW Law stacks"});
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Write", "UID") + Saved("Miscellaneous", "Happening"), "lawcat11");

    // An operator without happening locations is refused, again at a second OK, and nothing saved.
    AddOperator("storeonly", 7, {12});
    Open();
    form_.txtWriteUID = "storeonly";
    for (int ok = 0; ok < 3; ++ok) {
        if (ok == 2) form_.txtDSN = Db().Dsn();  // and with the other data source, after the libraries
        EXPECT_FALSE(Ok());
        EXPECT_EQ(Asked(), "There don't seem to be any Voyager happening locations defined for this operator.");
    }
    EXPECT_TRUE(host_.messages.empty());
    // Saved with that operator already, the check after the folders refuses it.
    Set("Write", "UID", "storeonly");
    Open();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Asked(),
              "The user ID you've given doesn't seem to be defined properly--it has no 'happening' "
              "locations associated with it.");
    EXPECT_EQ(Saved("Write", "UID"), "storeonly");
    EXPECT_EQ(Saved("Miscellaneous", "Happening"), "11");
}

TEST_P(OptionsDb, ChangingTheDsnRefillsBothListsAndTheLocationList) {
    Open();
    // The same database by its other data source, with a third library and a location of "cat" more.
    Add("LIBRARY", "LIBRARY_ID, LIBRARY_NAME", "3, 'Art Library'");
    AddLocation(13, "ART", "Art room");
    Add("CAT_SECURITY_LOCS", "CAT_PROFILE_ID, LOCATION_ID", "1, 13");
    const std::string before = Settings();
    form_.txtDSN = Db().Dsn();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Asked(), kListsChanged);
    EXPECT_EQ(program_->reader.Reader().DSN(), Db().Dsn());
    EXPECT_EQ(form_.lstOwningLibrary, (std::vector<std::string>{"Art Library", "Law Library", "Main Library"}));
    EXPECT_EQ(form_.lstOwningLibrarySelected, std::vector<bool>(3, false));
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"ART Art room", "LAW Law stacks", "MAIN Main stacks"}));
    EXPECT_EQ(main_.cmbLocation.front() + main_.cmbLocation.back(), "ART // Art roomSTORE // Store");
    EXPECT_EQ(Settings(), before);
    // The selection went with the list: the second OK asks for a library, with an OK button only.
    EXPECT_FALSE(Ok());
    EXPECT_EQ(host_.messages, (std::vector<std::pair<std::string, std::string>>{
                                  {"Linkmend program",
                                   "Select one or more owning libraries from the list, or check "
                                   "the 'all owning libraries' box"}}));
    EXPECT_EQ(lists_.basis.DSN, Db().Dsn());
    form_.lstOwningLibrarySelected[0] = true;
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Connection", "DSN") + " " + Saved("Miscellaneous", "OwningLibraryString"), Db().Dsn() + " 3");
    EXPECT_FALSE(OptionsClosed(*program_, lists_, main_));  // the reader already serves the saved DSN
}

// Saved in list order: all ticked takes every library; the only library is taken even unselected.
TEST_P(OptionsDb, OwningLibrariesSavedInListOrder) {
    Add("LIBRARY", "LIBRARY_ID, LIBRARY_NAME", "3, 'Art Library'");
    Open();
    form_.chkAllOwningLibraries = true;
    AllOwningLibrariesClicked(form_);
    EXPECT_FALSE(form_.lstOwningLibraryEnabled);
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString") + " " + Saved("Miscellaneous", "BooleansDefaultTrue"),
              "3 2 1 TTTTTTTTTT");
    EXPECT_EQ(program_->profile.OwningLibraryString, " 3 2 1 ");

    Catalog().Exec("DELETE FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID <> 1");
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "OwningLibraryString", "");
    Open();
    EXPECT_EQ(form_.lstOwningLibrarySelected, std::vector<bool>{true});
    form_.lstOwningLibrarySelected[0] = false;
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString"), "1");

    // Another read-only account refills the lists too; here it finds no library at all.
    Catalog().Exec("DELETE FROM " + Prefix() + "LIBRARY");
    Open();
    form_.txtReadUID = IsSqlite() ? "someone" : Db().Uid();
    form_.txtReadPWD = IsSqlite() ? "else" : Db().Pwd();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Asked(),
              "There don't seem to be any Voyager owning libraries defined at the ODBC connection you've "
              "supplied.");
}

// Each location once, sorted by the character codes of its text (upper case first), blanks dropped.
TEST_P(OptionsDb, HappeningLocationsAreListedOnceInCharacterCodeOrder) {
    AddLocation(20, "Zeta", "Annex  ");
    AddLocation(21, "alpha", "Attic");
    AddLocation(22, "BETA", "Basement");
    AddOperator("sorter", 6, {21, 10, 20, 22});
    AddOperator("sorter", 8, {11, 10});
    Set("Write", "UID", "sorter");
    Open();
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"BETA Basement", "LAW Law stacks", "MAIN Main stacks",
                                                            "Zeta Annex", "alpha Attic"}));
    EXPECT_EQ(lists_.happeningLocations[3].LocationId, 20);
}

// A database that cannot be read: its message, then "try again?"; No closes without saving, and back
// in the main window the reader and the location list return to the saved data source.
TEST_P(OptionsDb, UnreadableListsAskToTryAgain) {
    Open();
    const std::string before = Settings();
    form_.txtWriteUID = "it's";  // the quote breaks the statement
    EXPECT_FALSE(Ok());
    EXPECT_EQ(host_.messages.at(0).second.rfind(
                  "Severe error encountered while retrieving a list of Voyager 'happening' locations:\n\n", 0),
              0u);
    EXPECT_EQ(Asked(), "There are one or more problems with your definition so far.\n\nDo you want to try again ?");
    form_.txtWriteUID = "cat";
    form_.txtDSN = "LinkmendNoSuchSource";
    host_.messages.clear();
    host_.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(Ok());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].first, "Linkmend");
    EXPECT_EQ(host_.messages[0].second.rfind(
                  "Severe problem encountered while retrieving a list of Voyager owning libraries:\n\nCould not", 0),
              0u);
    EXPECT_EQ(Asked(), "There are one or more problems with your definition so far.\n\nDo you want to try again ?");
    EXPECT_EQ(host_.questions[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(main_.cmbLocation.empty());
    host_.answers = {MessageAnswer::No};
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(OptionsClosed(*program_, lists_, main_));
    EXPECT_EQ(main_.cmbLocation.size(), 3u);
    EXPECT_EQ(program_->reader.Reader().DSN(), Db().ReadOnlyDsn());
}

LINKMEND_DB_TEST_SUITE(OptionsDb);

TEST(OptionsBrowse, OnlyVoyagerIniSetsItsFolderAndValidationTakesAnyFile) {
    OptionsFormState form;
    const std::pair<const char*, const char*> voyager[] = {{"/opt/voyager/other.ini", "/old/"},
                                                           {"/opt/voyager/Voyager.ini", "/opt/voyager/"},
                                                           {"/srv/Ex Libris/VOYAGER.INI", "/srv/Ex Libris/"},
                                                           {"", "/srv/Ex Libris/"}};
    form.txtVoyagerPath = "/old/";
    for (const auto& [chosen, folder] : voyager) {
        VoyagerIniChosen(form, chosen);
        EXPECT_EQ(form.txtVoyagerPath, folder);
    }
    ValidationFileChosen(form, "/opt/voyager/cfg/bibsup.cfg");
    ValidationFileChosen(form, "");  // the dialog was cancelled
    EXPECT_EQ(form.txtValidationPath, "/opt/voyager/cfg/");
    ScopedEnv home("HOME", "/");
    EXPECT_EQ(DefaultReportsFolder(), "/");
}

}  // namespace
}  // namespace linkmend::test
