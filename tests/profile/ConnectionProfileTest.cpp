// The connection profile: which groups of keys fall back to the machine-wide default file, the
// values' read sizes and forms, and a save that loads back.
#include <gtest/gtest.h>

#include "base/INI.h"
#include "kit/Files.h"
#include "profile/ConnectionProfile.h"
#include "profile/Password.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class ConnectionProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPasswordScrambler(); }
    ConnectionProfile Load(const std::string& settings, const std::string& defaults) {
        WriteFile(profile_.File("Linkmend.INI"), settings);
        WriteFile(profile_.File("TavDefaultConnection.ini"), defaults);
        ConnectionProfile p;
        LoadConnectionProfile("Linkmend.INI", p);
        return p;
    }
    ProfileFolder profile_;
};

TEST_F(ConnectionProfileTest, GroupsFallBackToTheDefaultFileByTheirLeadingKey) {
    auto p = Load("[Read]\nUID=\nPWD=mine\n", "[Read]\nUID=reader\nPWD=theirs\n");  // the whole group goes over
    EXPECT_EQ(p.ReadUID + "/" + p.ReadPWD, "reader/theirs");
    EXPECT_EQ(Load("[Read]\nUID=\nPWD=mine\n", "").ReadPWD, "");
    p = Load("[Connection]\nDSN=\nTNP=mine.\nVoyagerPath=/mine/\n", "[Connection]\nDSN=VGER\n");  // even when empty
    EXPECT_EQ(p.DSN + "/" + p.TableNamePrefix + "/" + p.VoyagerPath, "VGER//");
    p = Load("[Connection]\nDSN=LOCAL\nTNP=loc.\n[Write]\nUID=cat1\nPWD=pw1\n",
             "[Connection]\nDSN=VGER\nTNP=dflt.\n[Write]\nUID=cat2\nPWD=pw2\n");
    EXPECT_EQ(p.DSN + "/" + p.TableNamePrefix + "/" + p.WriteUID + "/" + p.WritePWD, "LOCAL/loc./cat1/pw1");
    p = Load("", "[Folders]\nFolderForReports=/srv/reports/\nValidationPath=/srv/cfg/\n");  // never the validation path
    EXPECT_EQ(p.FolderForReports + "|" + p.ValidationPath, "/srv/reports/|");
    EXPECT_EQ(Load("[Read]\nUID=" + std::string(40, 'u') + "\n", "").ReadUID, std::string(29, 'u'));  // read size 30
}

TEST_F(ConnectionProfileTest, MiscellaneousValues) {
    // The first character of BooleansDefaultTrue decides AllOwningLibraries; missing in both files
    // it is "TTTTTTTTTT", present but empty in the default file it is false.
    const std::tuple<const char*, const char*, bool> booleans[] = {
        {"BooleansDefaultTrue=FTTTTTTTTT", "", false},
        {"BooleansDefaultTrue=TFFFFFFFFF", "", true},
        {"", "", true},
        {"", "[Miscellaneous]\nBooleansDefaultTrue=\n", false}};
    for (const auto& [settings, defaults, all] : booleans)
        EXPECT_EQ(Load(std::string("[Miscellaneous]\n") + settings + "\n", defaults).AllOwningLibraries, all)
            << settings;
    const std::tuple<const char*, const char*, int> happening[] = {
        {"abc", "17", 17}, {"0", "0", 0}, {"42 ", "0", 42}};  // zero falls back
    for (const auto& [settings, defaults, location] : happening)
        EXPECT_EQ(Load(std::string("[Miscellaneous]\nHappening=") + settings + "\n",
                       std::string("[Miscellaneous]\nHappening=") + defaults + "\n")
                      .Happening,
                  location)
            << settings;
    const auto p = Load("[Miscellaneous]\nOwningLibraryString=3 7\n", "");  // held with a blank at each end
    EXPECT_EQ(p.OwningLibraryString, " 3 7 ");
    EXPECT_TRUE(ProfileHasOwningLibrary(p, "3") && ProfileHasOwningLibrary(p, "7"));
    EXPECT_FALSE(ProfileHasOwningLibrary(p, "37"));
    EXPECT_EQ(Load("", "").OwningLibraryString, "  ");
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
    const std::string write = ReadIniValue("Linkmend.INI", "Write", "PWD", 80);
    EXPECT_EQ(
        ReadFile(profile_.File("Linkmend.INI")),
        "[Read]\nUID=reader\nPWD=" + first +
            "\n\n[Connection]\nDSN=VGER\nTNP=db.\nVoyagerPath=/opt/voyager/\n\n[Folders]\n"
            "FolderForReports=/srv/reports/\nValidationPath=/srv/cfg/\n\n[Miscellaneous]\n"
            "OwningLibraryString=12 15 40\nBooleansDefaultTrue=FTTTTTTTTT\nHappening=77\n\n[Write]\nUID=cat\nPWD=" +
            write + "\n");
    EXPECT_EQ(UnscramblePassword(first), "r-secret");
    EXPECT_EQ(UnscramblePassword(write), "w-secret");
    ConnectionProfile back;
    LoadConnectionProfile("Linkmend.INI", back);
    EXPECT_EQ(back.ReadPWD + "|" + back.WritePWD + "|" + back.OwningLibraryString, "r-secret|w-secret| 12 15 40 ");
    EXPECT_EQ(back.Happening, 77);
    EXPECT_FALSE(back.AllOwningLibraries);
    SaveConnectionProfile("Linkmend.INI", back);
    EXPECT_NE(ReadIniValue("Linkmend.INI", "Read", "PWD", 80), first);  // scrambled afresh
}

}  // namespace
