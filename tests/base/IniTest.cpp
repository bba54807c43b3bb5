// INI access: the sentinel, the size limit of every read, names compared case-blind, writes that
// keep the rest of the file and never leave half a file, the trace of writes, the profile folder.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "base/INI.h"
#include "base/MessagePump.h"
#include "kit/Files.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

class Ini : public ::testing::Test {
protected:
    std::string File(const std::string& name) { return dir_.File(name); }
    std::size_t Entries() const {
        const auto it = std::filesystem::directory_iterator(dir_.Path());
        return static_cast<std::size_t>(std::distance(begin(it), end(it)));
    }
    TempDir dir_;
    ScopedEnv profiles_{"LINKMEND_PROFILE_DIR", dir_.File("profiles")};
};

TEST_F(Ini, ReadsWithSentinelSizeLimitAndCaseBlindNames) {
    WriteFile(
        File("a.ini"),
        "; a comment\r\n[ urlstem ]\r\n  old  =  \"http://a.example/ x\"  \r\n;New=commented\r\nNew = 'quoted'\r\n"
        "Half=\"open\r\nSentinel=NO9999NE\r\nEmpty=\r\nForty=" +
            std::string(40, 'x') + "\r\nOld=second key\r\n[UrlStem]\r\nOld=second section\r\n");
    const std::tuple<const char*, const char*, const char*, int, const char*> reads[] = {
        {"none.ini", "UrlStem", "Old", 15, ""},  // missing file, section, key: all empty
        {"a.ini", "Other", "Old", 15, ""},
        {"a.ini", "UrlStem", "Nothing", 15, ""},
        {"a.ini", "UrlStem", "OLD", 4000, "http://a.example/ x"},  // the first key of the first section wins
        {"a.ini", "URLSTEM", "new", 4000, "quoted"},
        {"a.ini", "UrlStem", "Half", 4000, "\"open"},
        {"a.ini", "UrlStem", ";New", 4000, ""},
        {"a.ini", "UrlStem", "Sentinel", 30, ""},
        {"a.ini", "UrlStem", "Forty", 30, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},  // at most size - 1
        {"a.ini", "UrlStem", "Forty", 1, ""}};
    for (const auto& [file, section, key, size, value] : reads)
        EXPECT_EQ(ReadIniValue(File(file), section, key, static_cast<std::int16_t>(size)), value) << file << key;
    EXPECT_EQ(ReadIniValue(File("a.ini"), "UrlStem", "Forty", 41), std::string(40, 'x'));
    const std::tuple<const char*, const char*, int, const char*> defaults[] = {{"a.ini", "Missing", 20, "TTTTTTTTTT"},
                                                                               {"a.ini", "Empty", 20, ""},
                                                                               {"none.ini", "Old", 20, "TTTTTTTTTT"},
                                                                               {"a.ini", "Missing", 4, "TTT"}};
    for (const auto& [file, key, size, value] : defaults)
        EXPECT_EQ(ReadIniValueOrDefault(File(file), "UrlStem", key, "TTTTTTTTTT", static_cast<std::int16_t>(size)),
                  value)
            << key;
    int pumped = 0;  // every read lets the window run
    auto previous = SetMessagePump([&] { ++pumped; });
    ReadIniValue(File("x.ini"), "S", "K", 10);
    ReadIniValueOrDefault(File("x.ini"), "S", "K", "d", 10);
    SetMessagePump(previous);
    EXPECT_EQ(pumped, 2);
}

TEST_F(Ini, WritesReplaceInPlaceAppendToTheSectionAndCreateWhatIsMissing) {
    WriteFile(
        File("a.ini"),
        "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=True\r\n\r\n[UrlStem]\r\nOld=x\r\n");
    WriteIniValue(File("a.ini"), "general", "LIMITBYLOCATION", "False", 0);
    WriteIniValue(File("a.ini"), "General", "HLD", "True", 0);
    WriteIniValue(File("a.ini"), "Folders", "FolderForReports", "/tmp/", 0);
    EXPECT_EQ(ReadFile(File("a.ini")),  // in the file's own line ends
              "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=False\r\nHLD=True\r\n\r\n"
              "[UrlStem]\r\nOld=x\r\n\r\n[Folders]\r\nFolderForReports=/tmp/\r\n");
    const std::string octets = "caf\xC3\xA9 \xE9\x1B(B\xFF";  // octets pass through unchanged
    WriteIniValue(File("new.ini"), "Read", "PWD", octets, 0);
    EXPECT_EQ(ReadFile(File("new.ini")), "[Read]\nPWD=" + octets + "\n");
    struct stat st {};
    ASSERT_EQ(stat(File("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // a new file is its owner's; an existing one keeps its mode
    chmod(File("a.ini").c_str(), 0644);
    for (int i = 0; i < 20; ++i) WriteIniValue(File("a.ini"), "S", "K", std::to_string(i), 0);
    ASSERT_EQ(stat(File("a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 10), "19");
    EXPECT_EQ(Entries(), 2u) << "no temporary files are left behind";
}

TEST_F(Ini, FailedWritesLeaveTheOldFileAndShowOnlyInTheTrace) {
    WriteFile(File("a.ini"), "[S]\nK=old\n");
    std::ostringstream trace;
    const auto n = RegisterIniTraceFile(trace);
    WriteIniValue(File("t.ini"), "Report", "1", "Production run? False", n);
    WriteIniValue(File("t.ini"), "Report", "2", "x", 0);  // no trace for 0
    EXPECT_EQ(trace.str(),
              "File: " + File("t.ini") + "\r\n   [Report]\r\n   1=Production run? False\r\n   Returns:  1\r\n");
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
    WriteIniValue(File("no/such/folder/a.ini"), "S", "K", "v", n);
    UnregisterIniTraceFile(n);
    EXPECT_EQ(ReadFile(File("a.ini")), "[S]\nK=old\n");
    EXPECT_FALSE(FileExists(File("no")));
    EXPECT_EQ(Entries(), 2u) << "a temporary file was left behind";
    EXPECT_TRUE(trace.str().ends_with("   Returns:  0\r\nFile: " + File("no/such/folder/a.ini") +
                                      "\r\n   [S]\r\n   K=v\r\n   Returns:  0\r\n"))
        << trace.str();
}

TEST_F(Ini, BareNamesLiveInTheProfileFolder) {
    EXPECT_EQ(ResolveIniPath("Linkmend.INI"), File("profiles") + "/Linkmend.INI");
    EXPECT_EQ(ResolveIniPath("./Linkmend.INI"), "./Linkmend.INI");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "Connection", "DSN", 30), "");
    WriteIniValue("Linkmend.INI", "Connection", "DSN", "VOYAGER", 0);  // the folder is created on first write
    EXPECT_EQ(ReadFile(File("profiles") + "/Linkmend.INI"), "[Connection]\nDSN=VOYAGER\n");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "connection", "dsn", 30), "VOYAGER");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg"), home("HOME", "/home/cat"), none("LINKMEND_PROFILE_DIR", std::nullopt);
    EXPECT_EQ(IniProfileFolder(), "/xdg/linkmend");
    ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(IniProfileFolder(), "/home/cat/.config/linkmend");
}

TEST_F(Ini, SectionsAndKeyLines) {
    WriteFile(File("bibsup.cfg"), "[FieldOrder]\n; order\nTag = 001\t399\t6\n\nGeneric=X\n[Other]\nA=1\n");
    EXPECT_EQ(ReadIniSection(File("bibsup.cfg"), "fieldorder"),
              (std::vector<std::string>{"Tag=001\t399\t6", "Generic=X"}));
    EXPECT_TRUE(ReadIniSection(File("bibsup.cfg"), "Missing").empty());
    const std::pair<const char*, int> lines[] = {{"Tag=001", 4},   {"_x=1=2", 3},       {"|a=b", 3},
                                                 {"tag=lower", 4}, {"[FieldOrder]", 0}, {";Tag=001", 0},
                                                 {"", 0},          {"Tag 001", 0},      {" Tag=001", 0}};
    for (const auto& [line, at] : lines) {
        std::int16_t pos = 99;
        EXPECT_EQ(IsIniKeyLine(line, pos), at > 0) << line;
        EXPECT_EQ(pos, at > 0 ? at : 99) << line;
    }
}

}  // namespace
