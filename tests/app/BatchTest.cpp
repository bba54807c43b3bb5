// The program itself, run headless as a cataloguer (or a scheduler) would: its exit statuses and what
// it says on standard output and error (the golden tests pin ordinary runs).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "ChildProcess.h"
#include "base/INI.h"
#include "job/RunFiles.h"
#include "kit/JobDb.h"

namespace linkmend::test {
namespace {

ChildResult RunProgram(std::vector<std::string> args, const std::vector<std::string>& env = {},
                       const std::function<bool(const std::string&)>& interruptWhen = {}) {
    args.insert(args.begin(), LINKMEND_PROGRAM);
    return RunChild(args, env, interruptWhen);
}

class Batch : public JobDbTest {};

TEST_P(Batch, ExitStatusesAndMessages) {
    const auto gone = [this] { Set("Folders", "FolderForReports", Folder() + "gone/"); };
    const auto deferred = [this] {
        Set("General", "DeferredDSN", Db().ReadOnlyDsn());
        StemJob("http://old.example/1000");
    };
    // A settings file with blanks in its name, and a default one the run would refuse.
    const auto otherFile = [this] {
        std::filesystem::copy_file(Folder() + "Linkmend.INI", Folder() + "Other Settings.ini");
        WriteIniValue(Folder() + "Other Settings.ini", "UrlStem", "Old", "http://nothing.example/", 0);
        StemJob("");
    };
    const auto atFirst = [](const char* text) {
        return [text](const std::string& err) { return err.find(text) != std::string::npos; };
    };
    // clang-format off
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::vector<std::string> args, env;
        std::function<bool(const std::string&)> interruptWhen;
        int status;
        std::string err;  // a part of standard error
        bool report;      // its path is the last line of standard output
        long long updated;
    } cases[] = {
        {"check", [this] { StemJob(""); }, {}, {}, {}, 1, "Linkmend program: Please supply an 'old' URL stem\n", false, 0},
        {"sign-on", [this] { Set("Write", "PWD", "wrong"); }, {"--production"}, {}, {}, 3,
         "Linkmend program: Cannot sign on to Voyager.\nReason: 27\nInvalid user name or password\n", true, 0},
        {"data source", [this] { Set("Connection", "DSN", "NoSuchDataSource"); }, {}, {}, {}, 3,
         "Linkmend program: Error in SQL: Could not establish a database connection to NoSuchDataSource", true, 0},
        {"Ctrl-C", [this] { Set("General", "Debug", "False"); }, {"--production"}, {}, atFirst("Finding records"), 4,
         "Finding records\n", true, -1},
        {"countdown Ctrl-C", deferred, {"--production"}, {"LINKMEND_CLOCK=2024-05-01 09:00:00"},
         atFirst("Counting down"), 5, "Counting down to start of batch processing of URL change request at 10:00 p.m.\n",
         false, 0},
        {"countdown", deferred, {"--production"}, {"LINKMEND_CLOCK=2024-05-01 21:59:57"}, {}, 0,
         "\nStarting at 2024-05-01 22:00:0", true, 1},
        {"report folder", gone, {"--production"}, {}, {}, 6, "Cannot create or write the file " + Folder() + "gone/LINKMEND.",
         false, 0},
        {"settings file", otherFile, {"-i", Folder() + "Other Settings.ini"}, {}, {}, 0, "Performing task\n", true, 0},
        {"no display", [] {}, {}, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}, {}, 2,
         "Run the job headless with: linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]\n", false, 0},
    };
    // clang-format on
    Writer().Begin();
    for (int bib = 1; bib <= 1000; ++bib)
        Catalog().AddBib(bib, {"245 00 $aT", "856 40 $uhttp://old.example/" + std::to_string(bib)});
    Writer().Commit();
    std::filesystem::copy_file(Folder() + "Linkmend.INI", Folder() + "Pristine.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(Folder() + "Pristine.ini", Folder() + "Linkmend.INI",
                                   std::filesystem::copy_options::overwrite_existing);
        StemJob();
        c.setUp();
        std::vector<std::string> args = c.args;
        if (std::string(c.name) != "no display") args.insert(args.begin(), "--batch");
        std::vector<std::string> env = c.env;
        env.push_back("TMPDIR=" + Folder());
        const ChildResult r = RunProgram(args, env, c.interruptWhen);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        const std::string report = r.out.empty() ? "" : ReadFile(r.out.substr(0, r.out.size() - 1));
        EXPECT_EQ(report.empty(), !c.report) << r.out;
        const long long updated = Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2");
        if (c.updated >= 0) {
            EXPECT_EQ(updated, c.updated);
        } else if (updated > 0) {  // cancelled in the middle: the report says how far it got
            EXPECT_LT(updated, 1000);
            EXPECT_NE(report.find(CountLine(static_cast<std::int32_t>(updated), "records updated")), std::string::npos);
        }
        Catalog().Exec("DELETE FROM " + Prefix() + "BIB_HISTORY WHERE ACTION_TYPE_ID = 2");
        std::filesystem::remove_all(Reports());
        std::filesystem::create_directory(Reports());
    }
}

LINKMEND_DB_TEST_SUITE(Batch);

TEST(BatchUsageTest, HelpVersionAndUsageErrors) {
    const ChildResult help = RunProgram({"--help"}), version = RunProgram({"--version"});
    const ChildResult bad = RunProgram({"--batch", "--productoin"});
    EXPECT_EQ(help.exitCode + version.exitCode, 0);
    EXPECT_NE(help.out.find("linkmend --batch [-i SETTINGS-FILE] [--production] [--list-changed]"), std::string::npos);
    EXPECT_EQ(version.out.rfind("linkmend 1.", 0), 0u);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.rfind("linkmend: unknown option: --productoin\n\nUsage: linkmend [-i SETTINGS-FILE]\n", 0), 0u);
}

}  // namespace
}  // namespace linkmend::test
