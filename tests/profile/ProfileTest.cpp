// Password scrambling (padding texts by call counter, the length number, offsets, texts used as they
// stand, the Windows-1252 codes) and the connection profile: groups of keys that fall back to the
// machine-wide default file by their leading key, read sizes, a save that loads back.
#include <gtest/gtest.h>

#include "base/INI.h"
#include "kit/Files.h"
#include "profile/AnsiCodePage.h"
#include "profile/ConnectionProfile.h"
#include "profile/Password.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

TEST(Password, PaddingTextsByCallCounterLengthNumberOffsetsAndEveryCharacterComeBack) {
    ResetPasswordScrambler();
    EXPECT_EQ(ScramblePassword(""), "");  // does not advance the counter
    // Call 1: text one unrotated; "abc" padded with the last seven characters of "q7Z%m2w!Rk4".
    EXPECT_EQ(ScramblePassword("abc"), "114 45 124 28 73 77 112 47 102 93 104");
    // Call 2: text two rotated left by five, "vb=Jd35Tn+8"; its last seven "d35Tn+8" pad "abc"; the
    // characters take plus and minus five by turns, the fifth number is the length plus 70.
    EXPECT_EQ(ScramblePassword("abc"), "105 46 58 79 73 105 48 51 102 93 104");
    ResetPasswordScrambler();
    std::vector<std::string> round;
    for (int i = 0; i < 10; ++i) round.push_back(ScramblePassword("pw"));
    // The tenth call is the first again; six to nine share text six, seven and nine unrotated.
    EXPECT_EQ(std::vector<bool>({round[9] == round[0], round[0] == round[1], round[5] == round[7], round[6] == round[8],
                                 round[5] == round[6]}),
              std::vector<bool>({true, false, true, true, false}));
    for (const auto& s : round) EXPECT_EQ(UnscramblePassword(s), "pw");
    // Twelve characters: no padding, thirteen numbers; character 5 after the length takes minus five.
    EXPECT_EQ(ScramblePassword("ABCDEFGHIJKL"), "70 61 72 63 82 64 75 66 77 68 79 70 81");
    EXPECT_LE(ScramblePassword(std::string(19, '~')).size(), 79u);  // 19 characters fit the read size
    const std::pair<std::string, std::string> back[] = {{"  secret  ", "secret"},
                                                        {"\x01\x02\x03\x04\x01", "\x01\x02\x03\x04\x01"},
                                                        {"caf\xC3\xA9\xE2\x82\xAC", "caf\xC3\xA9\xE2\x82\xAC"},
                                                        {"\xE4\xB8\xAD\xF1\x80\x80\x80", "??"}};  // no code: "?"
    for (const auto& [pw, expected] : back) EXPECT_EQ(UnscramblePassword(ScramblePassword(pw)), expected) << pw;
    // Texts not in the scrambled form are used as they stand.
    for (const char* plain : {"secret", "1secret", "secret1", "12345", " 60 70 ", "12 34 56 78 90 12 34 56 78 90 9999"})
        EXPECT_EQ(UnscramblePassword(plain), plain) << plain;
}

TEST(AnsiCodePage, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");
    EXPECT_EQ(Windows1252ToUtf8("\x93q\x94\x81"), "\xE2\x80\x9Cq\xE2\x80\x9D\xC2\x81");
    // Not UTF-8, or overlong forms: the octets pass as codes.
    EXPECT_EQ(Utf8ToWindows1252("\xFF\xC3|\xC0\x80|\xE0\x80\x80|\xF0\x80\x80\x80"),
              "\xFF\xC3|\xC0\x80|\xE0\x80\x80|\xF0\x80\x80\x80");
}

// Every value of the profile loaded from the two files, "|" between them.
std::string Loaded(const ProfileFolder& profile, const std::string& settings, const std::string& defaults) {
    WriteFile(profile.File("Linkmend.INI"), settings);
    WriteFile(profile.File("TavDefaultConnection.ini"), defaults);
    ConnectionProfile p;
    LoadConnectionProfile("Linkmend.INI", p);
    return p.ReadUID + "|" + p.ReadPWD + "|" + p.DSN + "|" + p.TableNamePrefix + "|" + p.VoyagerPath + "|" +
           p.OwningLibraryString + "|" + std::to_string(p.Happening) + (p.AllOwningLibraries ? "T|" : "F|") +
           p.FolderForReports + "|" + p.ValidationPath + "|" + p.WriteUID + "|" + p.WritePWD;
}

TEST(ConnectionProfile, GroupsFallBackToTheDefaultFileByTheirLeadingKey) {
    ProfileFolder profile;
    const std::string u40(40, 'u'), u29(29, 'u');
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // A group goes over whole when its leading key is empty here, even when empty there too.
        {"[Read]\nUID=\nPWD=mine\n[Write]\nPWD=mine\n", "[Read]\nUID=reader\nPWD=theirs\n[Write]\nUID=c2\nPWD=p2\n",
         "reader|theirs||||  |0T|||c2|p2"},
        {"[Read]\nUID=\nPWD=mine\n[Connection]\nDSN=\nTNP=mine.\nVoyagerPath=/mine/\n", "[Connection]\nDSN=VGER\n",
         "||VGER|||  |0T||||"},
        {"[Connection]\nDSN=LOCAL\nTNP=loc.\nVoyagerPath=/v/\n[Write]\nUID=c1\nPWD=p1\n",
         "[Connection]\nDSN=VGER\nTNP=dflt.\n[Write]\nUID=c2\nPWD=p2\n", "||LOCAL|loc.|/v/|  |0T|||c1|p1"},
        // Single values; never the validation path. Read sizes of 30: 29 characters.
        {"[Read]\nUID=" + u40 + "\n[Connection]\nDSN=" + u40 + "\n",
         "[Folders]\nFolderForReports=/srv/r/\nValidationPath=/srv/cfg/\n[Miscellaneous]\nOwningLibraryString=1 2\n",
         u29 + "||" + u29 + "||| 1 2 |0T|/srv/r/|||"},
        // The first character of BooleansDefaultTrue decides AllOwningLibraries ("TTTTTTTTTT" when
        // missing in both files, false when empty in the default file); a Happening of 0 takes the default's.
        {"[Miscellaneous]\nBooleansDefaultTrue=FTTTTTTTTT\nHappening=abc\n", "[Miscellaneous]\nHappening=17\n",
         "|||||  |17F||||"},
        {"[Miscellaneous]\nHappening=42 \n", "[Miscellaneous]\nBooleansDefaultTrue=\nHappening=7\n", "|||||  |42F||||"},
        {"[Miscellaneous]\nBooleansDefaultTrue=TFFF\nOwningLibraryString=3 7\n", "", "||||| 3 7 |0T||||"}};
    for (const auto& [settings, defaults, values] : cases) EXPECT_EQ(Loaded(profile, settings, defaults), values);
    ConnectionProfile p;
    p.OwningLibraryString = " 3 7 ";
    EXPECT_TRUE(ProfileHasOwningLibrary(p, "3") && ProfileHasOwningLibrary(p, "7") &&
                !ProfileHasOwningLibrary(p, "37"));
}

TEST(ConnectionProfile, SaveWritesInOrderScramblingAfreshAndLoadsBack) {
    ProfileFolder profile;
    ResetPasswordScrambler();
    const ConnectionProfile p{"reader", "r-secret", "VGER",          "db.",       "/opt/voyager/", " 12 15 40 ",
                              77,       false,      "/srv/reports/", "/srv/cfg/", "cat",           "w-secret"};
    SaveConnectionProfile("Linkmend.INI", p);
    const std::string read = ReadIniValue("Linkmend.INI", "Read", "PWD", 80);
    const std::string write = ReadIniValue("Linkmend.INI", "Write", "PWD", 80);
    EXPECT_EQ(
        ReadFile(profile.File("Linkmend.INI")),
        "[Read]\nUID=reader\nPWD=" + read +
            "\n\n[Connection]\nDSN=VGER\nTNP=db.\nVoyagerPath=/opt/voyager/\n\n[Folders]\n"
            "FolderForReports=/srv/reports/\nValidationPath=/srv/cfg/\n\n[Miscellaneous]\n"
            "OwningLibraryString=12 15 40\nBooleansDefaultTrue=FTTTTTTTTT\nHappening=77\n\n[Write]\nUID=cat\nPWD=" +
            write + "\n");
    EXPECT_EQ(Loaded(profile, ReadFile(profile.File("Linkmend.INI")), ""),
              "reader|r-secret|VGER|db.|/opt/voyager/| 12 15 40 |77F|/srv/reports/|/srv/cfg/|cat|w-secret");
    SaveConnectionProfile("Linkmend.INI", p);
    EXPECT_NE(ReadIniValue("Linkmend.INI", "Read", "PWD", 80), read);  // scrambled afresh
}

}  // namespace
