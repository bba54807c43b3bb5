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
    // The first character of BooleansDefaultTrue decides AllOwningLibraries ("TTTTTTTTTT" when missing
    // in both files, false when empty in the default file); a Happening of 0 takes the default's.
    const std::tuple<const char*, const char*, bool, int> cases[] = {{"BooleansDefaultTrue=FTTTTTTTTT", "", false, 0},
                                                                     {"BooleansDefaultTrue=TFFFFFFFFF", "", true, 0},
                                                                     {"", "", true, 0},
                                                                     {"", "BooleansDefaultTrue=", false, 0},
                                                                     {"Happening=abc", "Happening=17", true, 17},
                                                                     {"Happening=0", "Happening=0", true, 0},
                                                                     {"Happening=42 ", "Happening=0", true, 42}};
    for (const auto& [settings, defaults, all, happening] : cases) {
        const auto p =
            Load(std::string("[Miscellaneous]\n") + settings + "\n", std::string("[Miscellaneous]\n") + defaults);
        EXPECT_EQ(p.AllOwningLibraries, all) << settings << defaults;
        EXPECT_EQ(p.Happening, happening) << settings << defaults;
    }
    const auto p = Load("[Miscellaneous]\nOwningLibraryString=3 7\n", "");  // held with a blank at each end
    EXPECT_EQ(p.OwningLibraryString, " 3 7 ");
    EXPECT_TRUE(ProfileHasOwningLibrary(p, "3") && ProfileHasOwningLibrary(p, "7"));
    EXPECT_FALSE(ProfileHasOwningLibrary(p, "37"));
    EXPECT_EQ(Load("", "").OwningLibraryString, "  ");
}

TEST_F(ConnectionProfileTest, SaveWritesInOrderScramblingAfreshAndLoadsBack) {
    const ConnectionProfile p{"reader", "r-secret", "VGER",          "db.",       "/opt/voyager/", " 12 15 40 ",
                              77,       false,      "/srv/reports/", "/srv/cfg/", "cat",           "w-secret"};
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
    EXPECT_EQ(back.ReadPWD + "|" + back.WritePWD + "|" + back.OwningLibraryString + "|" +
                  std::to_string(back.Happening) + (back.AllOwningLibraries ? "T" : "F"),
              "r-secret|w-secret| 12 15 40 |77F");
    SaveConnectionProfile("Linkmend.INI", back);
    EXPECT_NE(ReadIniValue("Linkmend.INI", "Read", "PWD", 80), first);  // scrambled afresh
}

}  // namespace
