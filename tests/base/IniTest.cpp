#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <cstdlib>
#include <sstream>

#include "TestSupport.h"
#include "base/INI.h"
#include "base/MessagePump.h"

using namespace linkmend;
using linkmend::test::ReadFile;
using linkmend::test::TempDir;
using linkmend::test::WriteFile;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("LINKMEND_PROFILE_DIR");
        saved_ = old ? old : "";
        hadSaved_ = old != nullptr;
        setenv("LINKMEND_PROFILE_DIR", dir_.File("profiles").c_str(), 1);
    }
    void TearDown() override {
        if (hadSaved_) setenv("LINKMEND_PROFILE_DIR", saved_.c_str(), 1);
        else unsetenv("LINKMEND_PROFILE_DIR");
    }
    std::string File(const std::string& name) { return dir_.File(name); }

    TempDir dir_;
    std::string saved_;
    bool hadSaved_ = false;
};

TEST_F(IniTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ReadIniValue(File("none.ini"), "General", "Debug", 15), "");
    WriteFile(File("a.ini"), "[General]\nDebug=True\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "Other", "Debug", 15), "");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "General", "Nothing", 15), "");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "General", "Debug", 15), "True");
}

TEST_F(IniTest, StoredSentinelReadsAsEmpty) {
    WriteFile(File("a.ini"), "[S]\nK=NO9999NE\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 30), "");
}

TEST_F(IniTest, DefaultOnlyForMissingKey) {
    WriteFile(File("a.ini"), "[Miscellaneous]\nEmpty=\n");
    EXPECT_EQ(ReadIniValueOrDefault(File("a.ini"), "Miscellaneous", "BooleansDefaultTrue", "TTTTTTTTTT", 20),
              "TTTTTTTTTT");
    EXPECT_EQ(ReadIniValueOrDefault(File("a.ini"), "Miscellaneous", "Empty", "TTTTTTTTTT", 20), "");
    EXPECT_EQ(ReadIniValueOrDefault(File("missing.ini"), "X", "Y", "dflt", 20), "dflt");
}

TEST_F(IniTest, ReadKeepsAtMostSizeMinusOneCharacters) {
    const std::string forty(40, 'x');
    WriteFile(File("a.ini"), "[S]\nK=" + forty + "\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 30), std::string(29, 'x'));
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 41), forty);
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 1), "");
    EXPECT_EQ(ReadIniValueOrDefault(File("a.ini"), "S", "Missing", "abcdef", 4), "abc");
}

TEST_F(IniTest, NamesAreCaseBlindBlanksAndQuotesDropped) {
    WriteFile(File("a.ini"),
              "; a comment\r\n[ urlstem ]\r\n  old  =  \"http://a.example/ x\"  \r\n;New=commented\r\n"
              "New = 'quoted'\r\nHalf=\"open\r\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "UrlStem", "OLD", 4000), "http://a.example/ x");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "URLSTEM", "new", 4000), "quoted");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "UrlStem", "Half", 4000), "\"open");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "UrlStem", ";New", 4000), "");
}

TEST_F(IniTest, FirstSectionAndFirstKeyWin) {
    WriteFile(File("a.ini"), "[S]\nK=one\nK=two\n[S]\nK=three\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 30), "one");
}

TEST_F(IniTest, OctetsPassThroughUnchanged) {
    const std::string value = "caf\xC3\xA9 \xE9\x1B(B\xFF";
    WriteIniValue(File("o.ini"), "S", "K", value, 0);
    EXPECT_EQ(ReadIniValue(File("o.ini"), "S", "K", 100), value);
}

TEST_F(IniTest, WriteReplacesInPlaceKeepingCommentsAndOrder) {
    const std::string before =
        "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=True\r\n\r\n"
        "[UrlStem]\r\nOld=http://old/\r\nNew=http://new/\r\n";
    WriteFile(File("a.ini"), before);
    WriteIniValue(File("a.ini"), "general", "LIMITBYLOCATION", "False", 0);
    EXPECT_EQ(ReadFile(File("a.ini")),
              "; settings\r\n[General]\r\nDebug=False\r\n; keep me\r\nLimitByLocation=False\r\n\r\n"
              "[UrlStem]\r\nOld=http://old/\r\nNew=http://new/\r\n");
}

TEST_F(IniTest, WriteAppendsKeyToItsSectionAndCreatesSections) {
    WriteFile(File("a.ini"), "[General]\nDebug=False\n\n[UrlStem]\nOld=x\n");
    WriteIniValue(File("a.ini"), "General", "HLD", "True", 0);
    WriteIniValue(File("a.ini"), "Folders", "FolderForReports", "/tmp/", 0);
    EXPECT_EQ(ReadFile(File("a.ini")),
              "[General]\nDebug=False\nHLD=True\n\n[UrlStem]\nOld=x\n\n[Folders]\nFolderForReports=/tmp/\n");
    EXPECT_EQ(ReadIniValue(File("a.ini"), "General", "HLD", 15), "True");
}

TEST_F(IniTest, WriteCreatesNewFileWithPrivateMode) {
    WriteIniValue(File("new.ini"), "Read", "PWD", "60 102", 0);
    EXPECT_EQ(ReadFile(File("new.ini")), "[Read]\nPWD=60 102\n");
    struct stat st {};
    ASSERT_EQ(stat(File("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniTest, WriteKeepsModeOfExistingFileAndLeavesNoTemporaryFiles) {
    WriteFile(File("a.ini"), "[S]\nK=1\n");
    chmod(File("a.ini").c_str(), 0644);
    for (int i = 0; i < 20; ++i) WriteIniValue(File("a.ini"), "S", "K", std::to_string(i), 0);
    struct stat st {};
    ASSERT_EQ(stat(File("a.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(ReadIniValue(File("a.ini"), "S", "K", 10), "19");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(IniTest, WriteThatRunsOutOfSpaceLeavesOldFileIntact) {
    // A file-size limit makes the write of the new content fail half-way, even for root.
    WriteFile(File("a.ini"), "[S]\nK=old\n");
    std::ostringstream trace;
    const auto n = RegisterIniTraceFile(trace);
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
    EXPECT_EQ(ReadFile(File("a.ini")), "[S]\nK=old\n");
    EXPECT_NE(trace.str().find("   Returns:  0\r\n"), std::string::npos) << trace.str();
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

TEST_F(IniTest, WriteIntoMissingFolderFailsQuietly) {
    std::ostringstream trace;
    const auto n = RegisterIniTraceFile(trace);
    WriteIniValue(File("no/such/folder/a.ini"), "S", "K", "v", n);
    UnregisterIniTraceFile(n);
    EXPECT_FALSE(linkmend::test::FileExists(File("no")));
    EXPECT_NE(trace.str().find("   Returns:  0\r\n"), std::string::npos);
}

TEST_F(IniTest, BareNameLivesInProfileFolderCreatedOnFirstWrite) {
    EXPECT_EQ(ResolveIniPath("Linkmend.INI"), File("profiles") + "/Linkmend.INI");
    EXPECT_EQ(ResolveIniPath("./Linkmend.INI"), "./Linkmend.INI");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "Connection", "DSN", 30), "");
    WriteIniValue("Linkmend.INI", "Connection", "DSN", "VOYAGER", 0);
    EXPECT_EQ(ReadFile(File("profiles") + "/Linkmend.INI"), "[Connection]\nDSN=VOYAGER\n");
    EXPECT_EQ(ReadIniValue("Linkmend.INI", "connection", "dsn", 30), "VOYAGER");
}

TEST(IniFolderTest, FallsBackToXdgThenHome) {
    const char* saved = std::getenv("LINKMEND_PROFILE_DIR");
    const std::string keep = saved ? saved : "";
    unsetenv("LINKMEND_PROFILE_DIR");
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(IniProfileFolder(), "/xdg/linkmend");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/cat", 1);
    EXPECT_EQ(IniProfileFolder(), "/home/cat/.config/linkmend");
    setenv("LINKMEND_PROFILE_DIR", "/etc/lm", 1);
    EXPECT_EQ(IniProfileFolder(), "/etc/lm");
    if (saved) setenv("LINKMEND_PROFILE_DIR", keep.c_str(), 1);
    else unsetenv("LINKMEND_PROFILE_DIR");
}

TEST_F(IniTest, TracedWriteAppendsFourLines) {
    std::ostringstream trace;
    const auto n = RegisterIniTraceFile(trace);
    WriteIniValue(File("t.ini"), "Report", "1", "Production run? False", n);
    WriteIniValue(File("t.ini"), "Report", "2", "x", 0);
    UnregisterIniTraceFile(n);
    EXPECT_EQ(trace.str(),
              "File: " + File("t.ini") + "\r\n   [Report]\r\n   1=Production run? False\r\n   Returns:  1\r\n");
}

TEST_F(IniTest, ReadsLetWindowMessagesRun) {
    int pumped = 0;
    auto previous = SetMessagePump([&] { ++pumped; });
    ReadIniValue(File("x.ini"), "S", "K", 10);
    ReadIniValueOrDefault(File("x.ini"), "S", "K", "d", 10);
    SetMessagePump(previous);
    EXPECT_EQ(pumped, 2);
}

TEST_F(IniTest, WholeSectionRead) {
    WriteFile(File("bibsup.cfg"), "[FieldOrder]\n; order\nTag = 001\t399\t6\n\nGeneric=X\n[Other]\nA=1\n");
    const auto lines = ReadIniSection(File("bibsup.cfg"), "fieldorder");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Tag=001\t399\t6");
    EXPECT_EQ(lines[1], "Generic=X");
    EXPECT_TRUE(ReadIniSection(File("bibsup.cfg"), "Missing").empty());
}

TEST(IsIniKeyLineTest, RecognisesKeyLines) {
    std::int16_t pos = 0;
    EXPECT_TRUE(IsIniKeyLine("Tag=001", pos));
    EXPECT_EQ(pos, 4);
    EXPECT_TRUE(IsIniKeyLine("_x=1=2", pos));
    EXPECT_EQ(pos, 3);
    EXPECT_TRUE(IsIniKeyLine("|a=b", pos));
    EXPECT_TRUE(IsIniKeyLine("tag=lower", pos));
    pos = 99;
    EXPECT_FALSE(IsIniKeyLine("[FieldOrder]", pos));
    EXPECT_FALSE(IsIniKeyLine(";Tag=001", pos));
    EXPECT_FALSE(IsIniKeyLine("", pos));
    EXPECT_FALSE(IsIniKeyLine("Tag 001", pos));
    EXPECT_FALSE(IsIniKeyLine(" Tag=001", pos));
    EXPECT_EQ(pos, 99);
}

}  // namespace
