// The helpers every subsystem shares: errors, hexadecimal text, date-times, numbers and truth texts of
// settings; INI access: the sentinel, read size limits, case-blind names, writes that keep the rest of
// the file and never leave half a file, their trace, the profile folder, the message pump reads turn.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "base/DateTime.h"
#include "base/Error.h"
#include "base/Hex.h"
#include "base/INI.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"
#include "kit/Files.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

TEST(Base, ErrorsAndHexadecimalText) {
    const LinkmendError e(ObjectError(1012), "VgerRead", "No BibliographicRecordNumber supplied");
    EXPECT_EQ(e.Number(), -2147220492);
    EXPECT_EQ(e.Source() + "|" + e.what(), "VgerRead|No BibliographicRecordNumber supplied");
    EXPECT_EQ(NumberWithSign(1) + NumberWithSign(0) + NumberWithSign(-1), " 1 0-1");
    EXPECT_EQ(TextToHex(std::string("\0\x1F\xAB\xFF", 4)), "001FABFF");
    EXPECT_EQ(HexToText("001fabFF") + "|" + HexToText("41ZZ42") + "|" + HexToText("414"),
              std::string("\0\x1F\xAB\xFF|AB|A", 9));
}

TEST(Base, DateTimeCountsDaysFrom1899AndParsesDriverTexts) {
    EXPECT_EQ(DateTime().Format(), "1899-12-30 00:00:00");
    EXPECT_EQ(DateTime::FromParts({1900, 1, 1, 0, 0, 0}), DateTime(2.0));
    EXPECT_EQ(DateTime::FromParts({2000, 1, 1, 12, 0, 0}).Days(), 36526.5);
    const std::pair<const char*, const char*> texts[] = {{"2024-02-29 13:45:07.123456", "2024-02-29 13:45:07"},
                                                         {"2024-02-29T13:45", "2024-02-29 13:45:00"},
                                                         {"\t 1900-03-01 \t", "1900-03-01 00:00:00"},
                                                         {"2024-03-01 10:00:00+01", "2024-03-01 10:00:00"}};
    for (const auto& [text, formatted] : texts) EXPECT_EQ(DateTime::Parse(text).Format(), formatted) << text;
    EXPECT_EQ(DateTime::Parse("2024-01-31 10:00:00").FileStamp(), "20240131.100000");
    for (const char* bad : {"", "2023-02-29", "2024-13-01", "2024-01-01 24:00:00", "2024-01-01 10:00:00.", "2024-1-1",
                            "2024-01-01x10:00:00", "-01-01"})
        EXPECT_TRUE(DateTime::Parse(bad).IsZero()) << bad;
}

TEST(Base, NumbersAndTruthTextsOfSettings) {
    const std::pair<const char*, double> values[] = {{"  17x", 17}, {"abc", 0},  {"-3.5e1z", -35},
                                                     {"2e", 2},     {".5", 0.5}, {"1e2", 100}};
    for (const auto& [text, value] : values) EXPECT_EQ(Val(text), value) << text;
    const std::pair<double, std::int32_t> rounded[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {1e20, 2147483647}, {-1e20, -2147483647 - 1}};  // half to even, clamped
    for (const auto& [value, n] : rounded) EXPECT_EQ(RoundToInt32(value), n) << value;
    for (const char* yes : {"true", " Yes ", "y", "T", "1", "-1"}) EXPECT_TRUE(IsTrueText(yes)) << yes;
    for (const char* no : {"", "no", "F", "0", "yess", "-", "1 1"}) EXPECT_FALSE(IsTrueText(no)) << no;
}

class Ini : public ::testing::Test {
protected:
    std::string File(const std::string& name) { return dir_.File(name); }
    TempDir dir_;
    ScopedEnv profiles_{"LINKMEND_PROFILE_DIR", dir_.File("profiles")};
};

TEST_F(Ini, ReadsWithSentinelSizeLimitAndCaseBlindNames) {
    WriteFile(File("a.ini"),
              "; a comment\r\n[ urlstem ]\r\n  old  =  \"http://a.example/ x\"  \r\n;New=commented\r\n"
              "New = 'quoted'\r\nHalf=\"open\r\nSentinel=NO9999NE\r\nEmpty=\r\nForty=" +
                  std::string(40, 'x') + "\r\nOld=second key\r\n[UrlStem]\r\nOld=second section\r\n");
    const std::tuple<const char*, const char*, const char*, int, const char*> reads[] = {
        {"none.ini", "UrlStem", "Old", 15, ""},                    // missing file, section, key: all empty
        {"a.ini", "URLSTEM", "OLD", 4000, "http://a.example/ x"},  // the first key of the first section wins
        {"a.ini", "UrlStem", "new", 4000, "quoted"},
        {"a.ini", "UrlStem", "Half", 4000, "\"open"},
        {"a.ini", "UrlStem", "Sentinel", 30, ""},
        {"a.ini", "UrlStem", "Forty", 30, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}};  // at most size - 1
    for (const auto& [file, section, key, size, value] : reads)
        EXPECT_EQ(ReadIniValue(File(file), section, key, static_cast<std::int16_t>(size)), value) << file << key;
    int pumped = 0;  // every read lets the window run
    auto previous = SetMessagePump([&] { ++pumped; });
    EXPECT_EQ(ReadIniValueOrDefault(File("a.ini"), "UrlStem", "Missing", "TTTTTTTTTT", 4), "TTT");
    EXPECT_EQ(ReadIniValueOrDefault(File("a.ini"), "UrlStem", "Empty", "TTTTTTTTTT", 20), "");
    SetMessagePump(previous);
    ReadIniValue(File("a.ini"), "S", "K", 10);
    EXPECT_EQ(pumped, 2);
}

TEST_F(Ini, WritesKeepTheRestOfTheFileNeverLeaveHalfOneAndShowInTheTrace) {
    WriteFile(File("a.ini"),
              "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=True\r\n\r\n"
              "[UrlStem]\r\nOld=x\r\n");
    std::ostringstream trace;
    const auto n = RegisterIniTraceFile(trace);
    WriteIniValue(File("a.ini"), "general", "LIMITBYLOCATION", "False", n);
    WriteIniValue(File("a.ini"), "General", "HLD", "True", 0);  // no trace for 0
    WriteIniValue(File("a.ini"), "Folders", "FolderForReports", "/tmp/", 0);
    const std::string written =  // in the file's own line ends
        "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=False\r\nHLD=True\r\n\r\n"
        "[UrlStem]\r\nOld=x\r\n\r\n[Folders]\r\nFolderForReports=/tmp/\r\n";
    EXPECT_EQ(ReadFile(File("a.ini")), written);
    // A file-size limit makes the write of the new content fail half-way, even for root.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tiny);
    WriteIniValue(File("a.ini"), "S", "K", std::string(200, 'n'), n);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    UnregisterIniTraceFile(n);
    EXPECT_EQ(ReadFile(File("a.ini")), written);
    EXPECT_EQ(trace.str(),
              "File: " + File("a.ini") + "\r\n   [general]\r\n   LIMITBYLOCATION=False\r\n   Returns:  1\r\n" +
                  "File: " + File("a.ini") + "\r\n   [S]\r\n   K=" + std::string(200, 'n') + "\r\n   Returns:  0\r\n");
    const std::string octets = "caf\xC3\xA9 \xE9\x1B(B\xFF";  // octets pass through unchanged
    WriteIniValue(File("new.ini"), "Read", "PWD", octets, 0);
    EXPECT_EQ(ReadFile(File("new.ini")), "[Read]\nPWD=" + octets + "\n");
    struct stat st {};
    EXPECT_EQ(stat(File("new.ini").c_str(), &st) == 0 ? st.st_mode & 0777 : 0, 0600u);  // a new file is its owner's
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 2) << "a temporary file was left";
}

TEST_F(Ini, BareNamesLiveInTheProfileFolderAndSectionsListTheirKeyLines) {
    WriteIniValue("Linkmend.INI", "Connection", "DSN", "VOYAGER", 0);  // the folder is created on first write
    EXPECT_EQ(ReadFile(File("profiles") + "/Linkmend.INI"), "[Connection]\nDSN=VOYAGER\n");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "connection", "dsn", 30), "VOYAGER");
    WriteFile(File("bibsup.cfg"), "[FieldOrder]\n; order\nTag = 001\t399\t6\n\nGeneric=X\n[Other]\nA=1\n");
    EXPECT_EQ(ReadIniSection(File("bibsup.cfg"), "fieldorder"),
              (std::vector<std::string>{"Tag=001\t399\t6", "Generic=X"}));
    const std::pair<const char*, int> lines[] = {{"Tag=001", 4}, {"_x=1=2", 3}, {";Tag=001", 0}, {" Tag=001", 0}};
    for (const auto& [line, at] : lines) {
        std::int16_t pos = 99;
        EXPECT_EQ(IsIniKeyLine(line, pos), at > 0) << line;
        EXPECT_EQ(pos, at > 0 ? at : 99) << line;
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt), home("HOME", "/home/c"), none("LINKMEND_PROFILE_DIR", std::nullopt);
    EXPECT_EQ(IniProfileFolder(), "/home/c/.config/linkmend");
}

}  // namespace
