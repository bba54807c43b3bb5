#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"
#include "base/INI.h"
#include "profile/ConnectionProfile.h"
#include "profile/Password.h"

using namespace linkmend;
using linkmend::test::TempDir;
using linkmend::test::WriteFile;

namespace {

class ConnectionProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1);
        ResetPasswordScrambler();
    }
    void Settings(const std::string& text) { WriteFile(dir_.File("Linkmend.INI"), text); }
    void Defaults(const std::string& text) { WriteFile(dir_.File("TavDefaultConnection.ini"), text); }
    ConnectionProfile Load() {
        ConnectionProfile p;
        LoadConnectionProfile("Linkmend.INI", p);
        return p;
    }
    TempDir dir_;
};

TEST_F(ConnectionProfileTest, EmptyReadUidTakesWholeGroupFromDefault) {
    Settings("[Read]\nUID=\nPWD=mine\n");
    Defaults("[Read]\nUID=reader\nPWD=theirs\n");
    const auto p = Load();
    EXPECT_EQ(p.ReadUID, "reader");
    EXPECT_EQ(p.ReadPWD, "theirs");
    Defaults("");
    EXPECT_EQ(Load().ReadPWD, "");
}

TEST_F(ConnectionProfileTest, EmptyDsnTakesPrefixAndVoyagerPathFromDefaultEvenWhenEmpty) {
    Settings("[Connection]\nDSN=\nTNP=mine.\nVoyagerPath=/mine/\n");
    Defaults("[Connection]\nDSN=VGER\n");
    const auto p = Load();
    EXPECT_EQ(p.DSN, "VGER");
    EXPECT_EQ(p.TableNamePrefix, "");
    EXPECT_EQ(p.VoyagerPath, "");
}

TEST_F(ConnectionProfileTest, SettingsWinWhenTheirLeadingKeyIsSet) {
    Settings("[Connection]\nDSN=LOCAL\nTNP=loc.\n[Write]\nUID=cat1\nPWD=pw1\n");
    Defaults("[Connection]\nDSN=VGER\nTNP=dflt.\n[Write]\nUID=cat2\nPWD=pw2\n");
    const auto p = Load();
    EXPECT_EQ(p.DSN, "LOCAL");
    EXPECT_EQ(p.TableNamePrefix, "loc.");
    EXPECT_EQ(p.WriteUID, "cat1");
    EXPECT_EQ(p.WritePWD, "pw1");
}

TEST_F(ConnectionProfileTest, BooleansFirstCharacterDecidesAllOwningLibraries) {
    Settings("[Miscellaneous]\nBooleansDefaultTrue=FTTTTTTTTT\n");
    EXPECT_FALSE(Load().AllOwningLibraries);
    Settings("[Miscellaneous]\nBooleansDefaultTrue=TFFFFFFFFF\n");
    EXPECT_TRUE(Load().AllOwningLibraries);
    Settings("");
    EXPECT_TRUE(Load().AllOwningLibraries);  // missing in both files: "TTTTTTTTTT"
    Defaults("[Miscellaneous]\nBooleansDefaultTrue=\n");
    EXPECT_FALSE(Load().AllOwningLibraries);  // present but empty in the default file
}

TEST_F(ConnectionProfileTest, HappeningFallsBackWhenZero) {
    Settings("[Miscellaneous]\nHappening=abc\n");
    Defaults("[Miscellaneous]\nHappening=17\n");
    EXPECT_EQ(Load().Happening, 17);
    Settings("[Miscellaneous]\nHappening=0\n");
    Defaults("[Miscellaneous]\nHappening=0\n");
    EXPECT_EQ(Load().Happening, 0);
    Settings("[Miscellaneous]\nHappening=42 \n");
    EXPECT_EQ(Load().Happening, 42);
}

TEST_F(ConnectionProfileTest, OwningLibrariesHeldWithBlankAtEachEnd) {
    Settings("[Miscellaneous]\nOwningLibraryString=3 7\n");
    const auto p = Load();
    EXPECT_EQ(p.OwningLibraryString, " 3 7 ");
    EXPECT_TRUE(ProfileHasOwningLibrary(p, "3"));
    EXPECT_TRUE(ProfileHasOwningLibrary(p, "7"));
    EXPECT_FALSE(ProfileHasOwningLibrary(p, "37"));
    Settings("");
    EXPECT_EQ(Load().OwningLibraryString, "  ");
}

TEST_F(ConnectionProfileTest, FoldersFallBackButValidationPathNever) {
    Settings("");
    Defaults("[Folders]\nFolderForReports=/srv/reports/\nValidationPath=/srv/cfg/\n");
    const auto p = Load();
    EXPECT_EQ(p.FolderForReports, "/srv/reports/");
    EXPECT_EQ(p.ValidationPath, "");
}

TEST_F(ConnectionProfileTest, LongValuesAreCutToTheirReadSize) {
    Settings("[Read]\nUID=" + std::string(40, 'u') + "\n");
    EXPECT_EQ(Load().ReadUID, std::string(29, 'u'));
}

TEST_F(ConnectionProfileTest, SaveWritesInOrderScramblingAfreshAndLoadsBack) {
    ConnectionProfile p;
    p.ReadUID = "reader";
    p.ReadPWD = "r-secret";
    p.DSN = "VGER";
    p.TableNamePrefix = "db.";
    p.VoyagerPath = "/opt/voyager/";
    p.OwningLibraryString = " 12 15 40 ";
    p.Happening = 77;
    p.AllOwningLibraries = false;
    p.FolderForReports = "/srv/reports/";
    p.ValidationPath = "/srv/cfg/";
    p.WriteUID = "cat";
    p.WritePWD = "w-secret";
    SaveConnectionProfile("Linkmend.INI", p);
    const std::string first = ReadIniValue("Linkmend.INI", "Read", "PWD", 80);
    EXPECT_NE(first, "r-secret");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "Miscellaneous", "OwningLibraryString", 260), "12 15 40");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "Miscellaneous", "BooleansDefaultTrue", 20), "FTTTTTTTTT");

    const std::string text = linkmend::test::ReadFile(dir_.File("Linkmend.INI"));
    const char* order[] = {"[Read]",
                           "UID=reader",
                           "PWD=",
                           "[Connection]",
                           "DSN=VGER",
                           "TNP=db.",
                           "VoyagerPath=",
                           "[Folders]",
                           "FolderForReports=",
                           "ValidationPath=",
                           "[Miscellaneous]",
                           "OwningLibraryString=",
                           "BooleansDefaultTrue=",
                           "Happening=77",
                           "[Write]",
                           "UID=cat",
                           "PWD="};
    std::size_t at = 0;
    for (const char* piece : order) {
        const auto found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " out of order in\n" << text;
        at = found;
    }

    const auto back = Load();
    EXPECT_EQ(back.ReadPWD, "r-secret");
    EXPECT_EQ(back.WritePWD, "w-secret");
    EXPECT_EQ(back.OwningLibraryString, " 12 15 40 ");
    EXPECT_EQ(back.Happening, 77);
    EXPECT_FALSE(back.AllOwningLibraries);

    SaveConnectionProfile("Linkmend.INI", back);
    EXPECT_NE(ReadIniValue("Linkmend.INI", "Read", "PWD", 80), first);  // scrambled afresh
    EXPECT_EQ(Load().ReadPWD, "r-secret");
}

}  // namespace
