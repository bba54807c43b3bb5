// The Options dialog's rules on SQLite and PostgreSQL: opening, the two lists, OK with its messages,
// the second OK after the lists change, and what is saved.
#include <gtest/gtest.h>

#include "JobDbFixture.h"
#include "base/INI.h"
#include "job/OptionsForm.h"
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
        if (IsSkipped() || HasFatalFailure()) return;
        Set("Miscellaneous", "OwningLibraryString", "1");
        Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    }

    // The main window's start-up, then the dialog's opening.
    void Open() {
        program_ = std::make_unique<Program>();
        program_->settingsFile = "Linkmend.INI";
        StartUp(*program_, main_);
        OpenOptions(*program_, lists_, form_, host_);
    }
    bool Ok() { return ValidateAndSaveOptions(*program_, lists_, form_, main_, host_); }
    std::string Saved(const char* section, const char* key) { return ReadIniValue("Linkmend.INI", section, key, 300); }
    std::string SettingsText() { return ReadFile(Folder() + "Linkmend.INI"); }
    std::vector<std::string> Questions() const {
        std::vector<std::string> texts;
        for (const auto& q : host_.questions) texts.push_back(q.text);
        return texts;
    }
    // An operator with its own profile and cataloguing locations.
    void AddOperator(const std::string& id, int profile, const std::vector<int>& locations) {
        Catalog().Exec("INSERT INTO " + Prefix() + "CAT_OPERATOR (OPERATOR_ID, CAT_PROFILE_ID) VALUES ('" + id + "', " +
                       std::to_string(profile) + ")");
        for (int l : locations) {
            Catalog().Exec("INSERT INTO " + Prefix() + "CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (" +
                           std::to_string(profile) + ", " + std::to_string(l) + ")");
        }
    }
    void AddLocation(TestCatalog& catalog, int id, const std::string& code, const std::string& name, bool cataloguing) {
        catalog.Exec(
            "INSERT INTO " + Prefix() +
            "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LIBRARY_ID) VALUES (" +
            std::to_string(id) + ", '" + code + "', '" + name + "', '" + name + "', 1)");
        catalog.Exec("INSERT INTO " + Prefix() + "CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (" +
                     std::to_string(id) + ", '" + (cataloguing ? "Y" : "N") + "')");
    }
    void AddLibrary(TestCatalog& catalog, int id, const std::string& name) {
        catalog.Exec("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (" + std::to_string(id) +
                     ", '" + name + "')");
    }

    MainFormState main_;
    OptionsLists lists_;
    OptionsFormState form_;
};

TEST_P(OptionsDb, OpeningShowsTheSavedProfileWithItsLibrariesAndHappeningLocation) {
    Set("Miscellaneous", "Happening", "11");
    Open();
    EXPECT_EQ(form_.caption, "Linkmend program - Options");
    EXPECT_EQ(form_.txtDSN, Db().ReadOnlyDsn());
    EXPECT_EQ(form_.txtTNP, Prefix());
    EXPECT_EQ(form_.txtWriteUID, "cat");
    EXPECT_EQ(form_.txtWritePWD, "cat-pw");
    EXPECT_EQ(form_.txtFolderForReports, Reports());
    // Libraries by name; the profile's library 1 is "Main Library".
    EXPECT_EQ(form_.lstOwningLibrary, (std::vector<std::string>{"Law Library", "Main Library"}));
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, true}));
    EXPECT_FALSE(form_.chkAllOwningLibraries);
    EXPECT_TRUE(form_.lstOwningLibraryEnabled);
    // STORE is not a cataloguing location; the profile's 11 (LAW) is selected.
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"LAW Law stacks", "MAIN Main stacks"}));
    EXPECT_EQ(form_.cmbHappeningIndex, 0);
    EXPECT_EQ(lists_.happeningLocations[0].LocationId, 11);
    EXPECT_EQ(lists_.basis.DSN, Db().ReadOnlyDsn());
    EXPECT_EQ(lists_.basis.WriteUID, "cat");
    EXPECT_EQ(host_.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(host_.messages.empty());

    Set("Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT");
    Set("Miscellaneous", "Happening", "999");  // not listed: the first stays selected
    Open();
    EXPECT_TRUE(form_.chkAllOwningLibraries);
    EXPECT_FALSE(form_.lstOwningLibraryEnabled);
    EXPECT_EQ(form_.cmbHappeningIndex, 0);
    AllOwningLibrariesClicked(form_);  // the box's state has not changed: the list stays disabled
    EXPECT_FALSE(form_.lstOwningLibraryEnabled);
    form_.chkAllOwningLibraries = false;
    AllOwningLibrariesClicked(form_);
    EXPECT_TRUE(form_.lstOwningLibraryEnabled);
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, true}));  // selection kept
}

TEST_P(OptionsDb, OpeningWithoutConnectionValuesLeavesBothListsEmptyWithoutMessage) {
    Set("Read", "UID", "");
    Open();
    EXPECT_TRUE(form_.lstOwningLibrary.empty());
    EXPECT_TRUE(form_.cmbHappening.empty());
    EXPECT_TRUE(host_.messages.empty());
    // OK then reports the first missing value.
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{"You must supply a read-only signon."});
    EXPECT_EQ(form_.focus, "txtReadUID");
}

TEST_P(OptionsDb, OkStraightAfterOpeningSavesWithoutAskingAgain) {
    Open();
    const std::string before = SettingsText();
    EXPECT_TRUE(Ok());
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_NE(SettingsText(), before);  // passwords are scrambled afresh
    EXPECT_EQ(Saved("Connection", "DSN"), Db().ReadOnlyDsn());
    EXPECT_EQ(Saved("Connection", "TNP"), Prefix());
    EXPECT_EQ(Saved("Connection", "VoyagerPath"), Folder());
    EXPECT_EQ(Saved("Folders", "FolderForReports"), Reports());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString"), "1");
    EXPECT_EQ(Saved("Miscellaneous", "BooleansDefaultTrue"), "FTTTTTTTTT");
    EXPECT_EQ(Saved("Miscellaneous", "Happening"), "10");
    EXPECT_EQ(Saved("Write", "UID"), "cat");
    EXPECT_NE(Saved("Write", "PWD"), "cat-pw");
    EXPECT_EQ(UnscramblePassword(Saved("Write", "PWD")), "cat-pw");
    ConnectionProfile reloaded;
    LoadConnectionProfile("Linkmend.INI", reloaded);
    EXPECT_EQ(reloaded.WritePWD, "cat-pw");
    EXPECT_EQ(reloaded.OwningLibraryString, " 1 ");
}

TEST_P(OptionsDb, ChangingOnlyTheOperatorRefillsOnlyTheHappeningListAndAsksForASecondOk) {
    AddOperator("lawcat", 5, {11, 12});
    Open();
    AddLibrary(Catalog(), 3, "Art Library");  // not listed unless the library list is refilled
    const std::string before = SettingsText();
    form_.txtWriteUID = " lawcat ";
    form_.txtWritePWD = "lawcat-pw";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{kListsChanged});
    EXPECT_EQ(host_.questions[0].title, "Linkmend program");
    EXPECT_EQ(host_.questions[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(form_.lstOwningLibrary, (std::vector<std::string>{"Law Library", "Main Library"}));
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, true}));
    EXPECT_EQ(form_.cmbHappening, std::vector<std::string>{"LAW Law stacks"});
    EXPECT_EQ(SettingsText(), before);  // nothing saved yet

    EXPECT_TRUE(Ok());
    EXPECT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(Saved("Write", "UID"), "lawcat");
    EXPECT_EQ(Saved("Miscellaneous", "Happening"), "11");
    EXPECT_EQ(program_->profile.Happening, 11);
}

TEST_P(OptionsDb, ChangingTheDsnReconnectsAndRefillsBothListsAndTheLocationList) {
    // A second database: three libraries and an extra cataloguing location of operator "cat".
    auto other = testdb::CreateDatabase(Kind());
    odbc::Connection otherWriter;
    otherWriter.Connect(other->Dsn(), other->Uid(), other->Pwd());
    TestCatalog otherCatalog(otherWriter, other->Prefix());
    otherCatalog.Basics();
    AddLibrary(otherCatalog, 3, "Art Library");
    AddLocation(otherCatalog, 13, "ART", "Art room", true);
    otherCatalog.Exec("INSERT INTO " + other->Prefix() +
                      "CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (1, 13)");

    Open();
    EXPECT_EQ(main_.cmbLocation.size(), 3u);
    const std::string before = SettingsText();
    form_.txtDSN = other->ReadOnlyDsn();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{kListsChanged});
    EXPECT_EQ(program_->reader.Reader().DSN(), other->ReadOnlyDsn());
    EXPECT_EQ(form_.lstOwningLibrary, (std::vector<std::string>{"Art Library", "Law Library", "Main Library"}));
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"ART Art room", "LAW Law stacks", "MAIN Main stacks"}));
    EXPECT_EQ(main_.cmbLocation, (std::vector<std::string>{"ART // Art room", "LAW // Law stacks",
                                                           "MAIN // Main stacks", "STORE // Store"}));
    EXPECT_EQ(SettingsText(), before);

    // The selection was cleared with the list: the second OK asks for a library, OK button only.
    EXPECT_FALSE(Ok());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], std::make_pair(std::string("Linkmend program"),
                                                std::string("Select one or more owning libraries from the list, or "
                                                            "check the 'all owning libraries' box")));
    EXPECT_EQ(lists_.basis.DSN, other->ReadOnlyDsn());
    EXPECT_EQ(lists_.basis.OwningLibraryString, "  ");
    form_.lstOwningLibrarySelected[0] = true;
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Connection", "DSN"), other->ReadOnlyDsn());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString"), "3");
    EXPECT_FALSE(OptionsClosed(*program_, lists_, main_));  // the reader already serves the saved DSN
    EXPECT_EQ(main_.cmbLocation.size(), 4u);
}

TEST_P(OptionsDb, PrefixTypedWithoutItsDotIsSavedWithIt) {
    Open();
    form_.txtTNP = "  " + Prefix().substr(0, Prefix().size() - 1) + " ";
    EXPECT_TRUE(Ok());  // the same prefix once the dot is added: nothing to refill
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_EQ(form_.txtTNP, Prefix());
    EXPECT_EQ(Saved("Connection", "TNP"), Prefix());
}

TEST_P(OptionsDb, AllTickedWithThreeLibrariesSavesAllThreeIdsInListOrder) {
    AddLibrary(Catalog(), 3, "Art Library");
    Open();
    EXPECT_EQ(form_.lstOwningLibrarySelected, (std::vector<bool>{false, false, true}));
    form_.chkAllOwningLibraries = true;
    AllOwningLibrariesClicked(form_);
    EXPECT_FALSE(form_.lstOwningLibraryEnabled);
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString"), "3 2 1");
    EXPECT_EQ(Saved("Miscellaneous", "BooleansDefaultTrue"), "TTTTTTTTTT");
    EXPECT_EQ(program_->profile.OwningLibraryString, " 3 2 1 ");
}

TEST_P(OptionsDb, OnlyLibraryIsTakenEvenWhenNotSelected) {
    Catalog().Exec("DELETE FROM " + Prefix() + "LIBRARY WHERE LIBRARY_ID = 2");
    Set("Miscellaneous", "OwningLibraryString", "");
    Open();
    EXPECT_EQ(form_.lstOwningLibrarySelected, std::vector<bool>{true});  // the only one is selected
    form_.lstOwningLibrarySelected[0] = false;
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Miscellaneous", "OwningLibraryString"), "1");
}

TEST_P(OptionsDb, OperatorWithTwoProfilesSharingALocationListsItOnce) {
    Catalog().Exec("INSERT INTO " + Prefix() + "CAT_OPERATOR (OPERATOR_ID, CAT_PROFILE_ID) VALUES ('cat', 2)");
    Open();
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"LAW Law stacks", "MAIN Main stacks"}));
}

TEST_P(OptionsDb, LocationsAreSortedByCharacterCodesOfTheirDisplayText) {
    AddLocation(Catalog(), 20, "Zeta", "Annex  ", true);
    AddLocation(Catalog(), 21, "alpha", "Attic", true);
    AddLocation(Catalog(), 22, "BETA", "Basement", true);
    AddOperator("sorter", 6, {21, 10, 20, 22, 11});
    Set("Write", "UID", "sorter");
    Open();
    // Upper case before lower case; the name's trailing blanks are dropped.
    EXPECT_EQ(form_.cmbHappening, (std::vector<std::string>{"BETA Basement", "LAW Law stacks", "MAIN Main stacks",
                                                            "Zeta Annex", "alpha Attic"}));
    EXPECT_EQ(lists_.happeningLocations[3].LocationId, 20);
}

TEST_P(OptionsDb, OperatorWithoutHappeningLocationsIsRefusedAndNothingSaved) {
    AddOperator("storeonly", 7, {12});  // STORE is not a cataloguing location
    Open();
    const std::string before = SettingsText();
    form_.txtWriteUID = "storeonly";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{
                               "There don't seem to be any Voyager happening locations defined for this operator."});
    EXPECT_FALSE(Ok());  // the list basis has not moved on: refused again
    EXPECT_EQ(host_.questions.size(), 2u);
    EXPECT_EQ(SettingsText(), before);

    // Saved with that operator already: the check after the folders refuses it.
    Set("Write", "UID", "storeonly");
    host_.questions.clear();
    Open();
    EXPECT_TRUE(form_.cmbHappening.empty());
    const std::string saved = SettingsText();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{"The user ID you've given doesn't seem to be defined "
                                                    "properly--it has no 'happening' locations associated with it."});
    EXPECT_EQ(SettingsText(), saved);
}

TEST_P(OptionsDb, EmptyReportsFolderSavesAsTheHomeFolder) {
    TempDir home;
    const char* savedHome = std::getenv("HOME");
    const std::string oldHome = savedHome ? savedHome : "";
    setenv("HOME", home.Path().c_str(), 1);
    Open();
    form_.txtFolderForReports = "   ";
    const bool ok = Ok();
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Saved("Folders", "FolderForReports"), home.Path() + "/");

    // A scrambled password of more than 19 characters may not fit the key's read size (the
    // PostgreSQL reader's does not): the file gets it plain again before the next opening.
    Set("Read", "PWD", lists_.basis.ReadPWD);
    Open();
    form_.txtFolderForReports = " /srv/linkmend/reports ";
    form_.txtVoyagerPath = "/opt/voyager";
    EXPECT_TRUE(Ok());
    EXPECT_EQ(Saved("Folders", "FolderForReports"), "/srv/linkmend/reports/");
    EXPECT_EQ(Saved("Connection", "VoyagerPath"), "/opt/voyager/");
}

TEST_P(OptionsDb, RequiredValuesAreCheckedInOrderAndNothingIsSaved) {
    Open();
    const std::string before = SettingsText();
    form_.txtDSN = form_.txtTNP = form_.txtReadUID = form_.txtReadPWD = form_.txtWriteUID = form_.txtWritePWD = " ";
    const std::pair<std::string*, std::string> fills[] = {{&form_.txtDSN, Db().ReadOnlyDsn()},
                                                          {&form_.txtTNP, Prefix()},
                                                          {&form_.txtReadUID, lists_.basis.ReadUID},
                                                          {&form_.txtReadPWD, lists_.basis.ReadPWD},
                                                          {&form_.txtWriteUID, "cat"},
                                                          {&form_.txtWritePWD, "cat-pw"}};
    const std::pair<const char*, const char*> expected[] = {
        {"txtDSN", "You must supply a Data Set Name."},
        {"txtTNP", "You must supply a table name prefix."},
        {"txtReadUID", "You must supply a read-only signon."},
        {"txtReadPWD", "You must supply a read-only password."},
        {"txtWriteUID", "You must supply a Voyager user ID."},
        {"txtWritePWD", "You must supply a Voyager user password."}};
    for (std::size_t i = 0; i < 6; ++i) {
        host_.questions.clear();
        EXPECT_FALSE(Ok());
        ASSERT_EQ(host_.questions.size(), 1u) << i;
        EXPECT_EQ(host_.questions[0].text, expected[i].second);
        EXPECT_EQ(host_.questions[0].title, "Linkmend program");
        EXPECT_EQ(host_.questions[0].buttons, MessageButtons::OkCancel);
        EXPECT_EQ(form_.focus, expected[i].first);
        *fills[i].first = fills[i].second;
    }
    host_.questions.clear();
    form_.txtVoyagerPath = "  ";
    EXPECT_FALSE(Ok());
    EXPECT_EQ(Questions(), std::vector<std::string>{"You must supply a path to Voyager.INI."});
    EXPECT_EQ(form_.focus, "txtVoyagerPath");
    EXPECT_EQ(SettingsText(), before);
}

TEST_P(OptionsDb, UnreadableDataSourceAsksToTryAgainAndNoClosesWithoutSaving) {
    Open();
    const std::string before = SettingsText();
    form_.txtDSN = "LinkmendNoSuchSource";
    host_.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(Ok());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].first, kDefaultMessageTitle);
    EXPECT_EQ(host_.messages[0].second.rfind(
                  "Severe problem encountered while retrieving a list of Voyager owning libraries:\n\n", 0),
              0u)
        << host_.messages[0].second;
    EXPECT_GT(host_.messages[0].second.size(), 85u);  // the error's own text follows
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.questions[0].text,
              "There are one or more problems with your definition so far.\n\nDo you want to try again ?");
    EXPECT_EQ(host_.questions[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(main_.cmbLocation.empty());  // the location list followed the unreadable source

    host_.answers = {MessageAnswer::No};
    EXPECT_TRUE(Ok());  // closes the dialog
    EXPECT_EQ(SettingsText(), before);
    // Back in the main window the reader and the location list return to the saved data source.
    EXPECT_TRUE(OptionsClosed(*program_, lists_, main_));
    EXPECT_EQ(main_.cmbLocation.size(), 3u);
    EXPECT_EQ(program_->reader.Reader().DSN(), Db().ReadOnlyDsn());
}

TEST_P(OptionsDb, HappeningQueryFailureAsksToTryAgain) {
    Open();
    form_.txtWriteUID = "it's";  // the quote breaks the statement: the database refuses it
    host_.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(Ok());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].second.rfind(
                  "Severe error encountered while retrieving a list of Voyager 'happening' locations:\n\n", 0),
              0u)
        << host_.messages[0].second;
    ASSERT_EQ(host_.questions.size(), 1u);
    EXPECT_EQ(host_.questions[0].buttons, MessageButtons::YesNo);
}

LINKMEND_DB_TEST_SUITE(OptionsDb);

TEST(OptionsBrowse, OnlyVoyagerIniSetsItsFolderAndValidationTakesAnyFile) {
    OptionsFormState form;
    form.txtVoyagerPath = "/old/";
    VoyagerIniChosen(form, "/opt/voyager/other.ini");
    EXPECT_EQ(form.txtVoyagerPath, "/old/");
    VoyagerIniChosen(form, "/opt/voyager/Voyager.ini");
    EXPECT_EQ(form.txtVoyagerPath, "/opt/voyager/");
    VoyagerIniChosen(form, "/srv/Ex Libris/VOYAGER.INI");
    EXPECT_EQ(form.txtVoyagerPath, "/srv/Ex Libris/");
    VoyagerIniChosen(form, "");
    EXPECT_EQ(form.txtVoyagerPath, "/srv/Ex Libris/");

    form.txtValidationPath = "/old/";
    ValidationFileChosen(form, "/opt/voyager/cfg/bibsup.cfg");
    EXPECT_EQ(form.txtValidationPath, "/opt/voyager/cfg/");
    ValidationFileChosen(form, "");  // the dialog was cancelled
    EXPECT_EQ(form.txtValidationPath, "/opt/voyager/cfg/");
}

TEST(OptionsBrowse, DefaultReportsFolderIsHomeWithItsSlash) {
    const char* saved = std::getenv("HOME");
    const std::string old = saved ? saved : "";
    setenv("HOME", "/home/cataloguer", 1);
    EXPECT_EQ(DefaultReportsFolder(), "/home/cataloguer/");
    setenv("HOME", "/", 1);
    EXPECT_EQ(DefaultReportsFolder(), "/");
    setenv("HOME", old.c_str(), 1);
}

}  // namespace
}  // namespace linkmend::test
