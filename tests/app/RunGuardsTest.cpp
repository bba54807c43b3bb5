// Faults and bad input, through the real program on both drivers: the scratch work list of a run's
// own, stop signals, the read-only reading session, and settings the run must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChildProcess.h"
#include "kit/JobDb.h"
#include "base/INI.h"
#include "profile/ConnectionProfile.h"

using namespace linkmend;
using namespace linkmend::test;
namespace fs = std::filesystem;

namespace {

class RunGuards : public JobDbTest {
protected:
    // The program, headless, started in the test folder with TMPDIR there; its memory is capped so
    // that an endless settings file cannot take the machine's.
    ChildResult Run(std::vector<std::string> args, int signal = 0, const char* signalWhen = "") {
        std::vector<std::string> argv = {"/bin/sh", "-c", kCapped, Folder(), LINKMEND_PROGRAM, "--batch"};
        argv.insert(argv.end(), args.begin(), args.end());
        auto when = [signalWhen](const std::string& err) { return err.find(signalWhen) != std::string::npos; };
        return signal ? RunChild(argv, {"TMPDIR=" + Folder()}, when, 120, signal)
                      : RunChild(argv, {"TMPDIR=" + Folder()});
    }
    void Bibs(int n) {
        Writer().Begin();
        for (int bib = 1; bib <= n; ++bib) {
            Catalog().AddBib(bib, {"008 240102s2024    xx            000 0 eng d", "245 00 $aTitle",
                                   "856 40 $uhttp://old.example/" + std::to_string(bib)});
        }
        Writer().Commit();
        StemJob();
    }
    // Files in the test folder (where the program starts) whose names begin with `front`.
    std::vector<std::string> FilesStarting(const std::string& front) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Folder()))
            if (e.path().filename().string().rfind(front, 0) == 0) names.push_back(e.path().string());
        return names;
    }
    static std::string Path(const ChildResult& r) {
        std::string out = r.out;
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out.substr(out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1);
    }

#if defined(__SANITIZE_ADDRESS__)
    static constexpr const char* kCapped = "cd \"$0\" && exec \"$@\"";
#else
    static constexpr const char* kCapped = "ulimit -v 2000000; cd \"$0\" && exec \"$@\"";
#endif
};

TEST_P(RunGuards, TheScratchWorkListIsTheRunsOwnAndGoneAfterIt) {
    Bibs(3);
    // A link planted at the name every run once used is neither followed nor overwritten.
    WriteFile(Folder() + "victim", "keep");
    fs::create_symlink(Folder() + "victim", Folder() + "LinkmendScratch.$$$");
    const ChildResult r = Run({});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(Folder() + "victim"), "keep");
    const std::string logged = RunLog().at(4);
    const std::string front = "Record IDs will be written to " + Folder() + "LinkmendScratch.";
    ASSERT_EQ(logged.rfind(front, 0), 0u) << logged;
    EXPECT_EQ(logged.size(), front.size() + 10) << logged;  // six characters of its own, then ".$$$"
    EXPECT_EQ(logged.substr(logged.size() - 4), ".$$$");
    EXPECT_EQ(FilesStarting("LinkmendScratch"), (std::vector<std::string>{Folder() + "LinkmendScratch.$$$"}));
}

TEST_P(RunGuards, StopSignalsEndTheRunAsCancelDoes) {
    Bibs(600);
    Set("General", "Debug", "False");
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const ChildResult r = Run({"--production", "--list-changed"}, signal, "Finding records");
        EXPECT_EQ(r.exitCode, 4) << r.err;
        EXPECT_NE(ReadFile(Path(r)).find("records read"), std::string::npos) << r.out;  // the report
        EXPECT_EQ(FilesStarting("LinkmendScratch"), std::vector<std::string>{});
        // What the list names was written, and the run stopped before the end.
        const std::string changed = ReadFile(Path(r).substr(0, Path(r).size() - 10) + "ChangedRecords.txt");
        const auto listed = static_cast<long long>(std::count(changed.begin(), changed.end(), '\n'));
        EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), listed);
        EXPECT_LT(listed, 600);
        Exec("DELETE FROM " + Prefix() + "BIB_HISTORY WHERE ACTION_TYPE_ID = 2");
    }
}

TEST_P(RunGuards, AStemCannotWriteThroughTheReader) {
    Bibs(2);
    // The owner's account in [Read]: the database (PostgreSQL's read-only session) or the driver
    // (SQLite's runs one statement a call) must refuse the write the stem carries.
    Set("Connection", "DSN", Db().Dsn());
    Set("Read", "UID", Db().Uid().empty() ? "owner" : Db().Uid());
    Set("Read", "PWD", Db().Pwd().empty() ? "owner" : Db().Pwd());
    Set("UrlStem", "Old", "x'; DELETE FROM " + Prefix() + "BIB_DATA; --");
    const ChildResult r = Run({"--production"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("Linkmend program: Error in SQL: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(IsSqlite() ? "only one SQL statement allowed" : "cannot execute DELETE in a read-only"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Catalog().Count("BIB_DATA"), 2);
}

// Settings a run must refuse: a usage error (2) or a validation message (1), never a run that
// does the wrong thing, and what was refused stays in the settings file as it was.
TEST_P(RunGuards, SettingsTheRunRefuses) {
    Bibs(2);
    struct Case {
        std::vector<std::string> args;
        std::string section, key, value;  // a setting changed for the case ("" none)
        bool endlessDefaultFile;
        int exitCode;
        std::string message;
    };
    const std::string usage = "linkmend: the settings file ", must = "Linkmend: You must supply a";
    const std::string nul = "Linkmend program: The 'old' URL stem must not contain a NUL character\n";
    const std::string tooLong = "Linkmend program: The 'new' URL stem must not be longer than 3999 octets\n";
    const std::string happening = " happening location (a LOCATION_ID number).\n";
    const std::string stemWithNul("http://old.example/\0x", 21), longStem(4020, 'x');
    const Case cases[] = {
        {{"-i", Folder() + "none.INI"}, "", "", "", false, 2, usage + Folder() + "none.INI does not exist\n"},
        {{"-i", Folder() + "reports"}, "", "", "", false, 2, usage + Folder() + "reports is a folder\n"},
        {{"-i", "/dev/zero"}, "", "", "", false, 2, usage + "/dev/zero is not a regular file\n"},
        {{}, "Read", "UID", "", true, 1, must + " read-only signon.\n"},
        {{}, "Read", "UID", "", false, 1, must + " read-only signon.\n"},
        {{}, "Folders", "FolderForReports", "", false, 1, must + " folder for the reports.\n"},
        {{}, "UrlStem", "Old", stemWithNul, false, 1, nul},
        {{}, "UrlStem", "New", longStem, false, 1, tooLong},
        {{"--production"}, "Miscellaneous", "Happening", "MAIN", false, 1, must + happening},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string saved = c.key.empty() ? "" : ReadIniValue("Linkmend.INI", c.section, c.key, 4000);
        if (!c.key.empty()) Set(c.section, c.key, c.value);
        if (c.endlessDefaultFile) fs::create_symlink("/dev/zero", Folder() + kDefaultConnectionFile);
        const ChildResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
        EXPECT_EQ(FilesStarting("LINKMEND."), std::vector<std::string>{});  // no report in the current folder
        if (!c.key.empty()) {
            EXPECT_NE(ReadFile(Folder() + "Linkmend.INI").find("\n" + c.key + "=" + c.value + "\n"), std::string::npos);
            Set(c.section, c.key, saved);
        }
        fs::remove(Folder() + kDefaultConnectionFile);
    }
    EXPECT_TRUE(fs::is_empty(Reports()));
}

LINKMEND_DB_TEST_SUITE(RunGuards);

}  // namespace
