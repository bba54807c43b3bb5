// A production run undone: the real program writes back, then restores from the originals it saved;
// the tables are read straight (segments, link index, history), the originals file parsed here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "ChildProcess.h"
#include "job/RunFiles.h"
#include "kit/JobDb.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";
const char* const kKinds[] = {"BIB", "MFHD", "AUTH"};

// The rows a run may change, as the tables hold them.
struct Tables {
    std::map<std::string, std::string> records;   // "B 1" -> the segments joined; equal maps: equal segments
    std::map<std::string, std::string> segments;  // "BIB 1 2" -> one segment
    std::multiset<std::string> links;
    long long history = 0;
};

// The originals pair, read independently of the program: "B 1" -> octets, and the lines in order.
struct Saved {
    std::map<std::string, std::string> records;
    std::vector<std::string> lines;
};

class Restore : public JobDbTest {
protected:
    void SetUp() override {
        JobDbTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Writer().Begin();
        Catalog().AddBib(1, {k008, "245 00 $aOne", "590    $aFormerly at http://old.example/ only",
                             "856 40 $3Part 1$uhttp://old.example/1$xNP$yLink$zPublic$zSecond"});
        Catalog().AddBib(2, {k008, "245 00 $aTwo", "856 40 $uhttp://old.example/2", "856 42 $uhttp://other.example/"});
        Catalog().AddBib(3, {k008, "245 00 $aThree", "856 40 $uhttp://elsewhere.example/"});
        Catalog().AddHoldings(10, 2, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h$zOff campus"});
        Catalog().AddAuthority(
            30, {"008 240102n| acannaabn          |a aaa      ", "100 1  $aAuthor", "856 40 $uhttp://old.example/a"});
        Writer().Commit();
        StemJob();
    }

    // The program with the settings file's reports folder set to `reports` (created), so that runs in
    // the same second keep their files apart.
    ChildResult Program(const std::string& reports, std::vector<std::string> args, const std::string& clock = "") {
        std::filesystem::create_directories(reports);
        Set("Folders", "FolderForReports", reports + "/");
        args.insert(args.begin(), LINKMEND_PROGRAM);
        std::vector<std::string> env = {"TMPDIR=" + Folder()};
        if (!clock.empty()) env.push_back("LINKMEND_CLOCK=" + clock);
        return RunChild(args, env);
    }
    static std::string FileEnding(const std::string& folder, const std::string& suffix) {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().string().ends_with(suffix)) return entry.path().string();
        return {};
    }

    Tables Read() {
        Tables t;
        for (const char* kind : kKinds) {
            odbc::Statement s = Writer().Prepare(std::string("SELECT ") + kind + "_ID, SEQNUM, RECORD_SEGMENT FROM " +
                                                 Prefix() + kind + "_DATA ORDER BY 1, 2");
            s.Execute();
            while (s.Fetch()) {
                const std::string id = s.Text(1).value_or(""), segment = s.Binary(3).value_or("");
                t.segments[std::string(kind) + " " + id + " " + s.Text(2).value_or("")] = segment;
                t.records[std::string(1, kind[0] == 'M' ? 'H' : kind[0]) + " " + id] += segment;
            }
            t.history += Catalog().Count(std::string(kind) + "_HISTORY");
        }
        odbc::Statement s = Writer().Prepare("SELECT RECORD_TYPE, RECORD_ID, LINK_SUBTYPE, LINK, LINK_TEXT FROM " +
                                             Prefix() + "ELINK_INDEX");
        s.Execute();
        while (s.Fetch()) {
            std::string row;
            for (int c = 1; c <= 5; ++c) row += s.Text(c).value_or("NULL") + "|";
            t.links.insert(row);
        }
        return t;
    }

    static Saved ReadSaved(const std::string& mrc) {
        Saved saved;
        const std::string octets = ReadFile(mrc), list = ReadFile(mrc.substr(0, mrc.size() - 4) + ".txt");
        for (std::size_t at = 0, end = 0; at < list.size(); at = end + 2) {
            end = std::min(list.find("\r\n", at), list.size());
            saved.lines.push_back(list.substr(at, end - at));
        }
        std::size_t at = 0;
        for (const std::string& line : saved.lines) {
            const std::size_t length = at + 5 <= octets.size() ? std::stoul(octets.substr(at, 5)) : 0;
            const auto tab = line.find('\t');
            saved.records[line.substr(0, tab) + " " + line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1)] =
                octets.substr(at, length);
            at += length;
        }
        return saved;
    }
};

TEST_P(Restore, EveryKindOfChangeIsUndoneOctetForOctet) {
    struct Kind {
        const char* name;
        std::vector<std::pair<std::string, std::string>> settings;  // "UrlStem" keys, then "General"/"HLD"
        std::string restored;                                       // the records the run changed
        std::string row;                                            // a row of its change report
    };
    // clang-format off
    const Kind kinds[] = {
        {"stem", {{"UrlActions", "100000"}}, "A 30 B 1 B 2 H 10",
         "A,30,856,1,856 40 |u http://old.example/a,856 40 |u https://new.example/a,$u"},
        {"suffix", {{"UrlActions", "200000"}, {"New", "?via=proxy"}}, "A 30 B 1 B 2 H 10",
         "B,2,856,1,856 40 |u http://old.example/2,856 40 |u http://old.example/2?via=proxy,$u"},
        {"delete x y z 3", {{"UrlActions", "033330"}}, "B 1 H 10",
         "B,1,856,1,856 40 |3 Part 1 |u http://old.example/1 |x NP |y Link |z Public |z Second,"
         "856 40 |u http://old.example/1,$3 $x $y $z"},
        {"replace x y z 3", {{"UrlActions", "044440"}, {"NewSubfieldX", "X"}, {"NewSubfieldY", "Y, \"quoted\""},
                             {"NewSubfieldZ", "Z"}, {"NewSubfield3", "3"}}, "A 30 B 1 B 2 H 10",
         "B,1,856,1,856 40 |3 Part 1 |u http://old.example/1 |x NP |y Link |z Public |z Second,"
         "\"856 40 |3 3 |u http://old.example/1 |x X |y Y, \"\"quoted\"\" |z Z\",$3 $x $y $z"},
        {"delete field", {{"UrlActions", "000003"}}, "A 30 B 1 B 2 H 10",
         "H,10,856,1,856 41 |u http://old.example/h |z Off campus,,field deleted"},
        {"site option", {{"UrlActions", "100000"}, {"HLD", "True"}}, "A 30 B 1 B 2 H 10",
         "B,1,590,1,590    |a Formerly at http://old.example/ only,590    |a Formerly at https://new.example/ only,$a"},
    };
    // clang-format on
    const Tables before = Read();
    int step = 0;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        StemJob();
        Set("General", "HLD", "False");
        for (const auto& [key, value] : kind.settings) Set(key == "HLD" ? "General" : "UrlStem", key, value);
        const std::string runFolder = Reports() + std::to_string(++step) + "-run";
        const ChildResult run = Program(runFolder, {"--batch", "--production"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Tables changed = Read();
        const std::string mrc = FileEnding(runFolder, ".Originals.mrc");
        const Saved saved = ReadSaved(mrc);
        std::string names;
        for (const auto& [name, octets] : saved.records) {
            names += (names.empty() ? "" : " ") + name;
            EXPECT_TRUE(OctetsEqual(before.records.at(name), octets)) << name;
            EXPECT_NE(changed.records.at(name), octets) << name;
        }
        EXPECT_EQ(names, kind.restored);
        const std::string changes = ReadFile(FileEnding(runFolder, ".Changes.csv"));
        EXPECT_EQ(changes.rfind("Record type,Record id,Tag,Occurrence,Before,After,Subfields changed\r\n", 0), 0u);
        EXPECT_NE(changes.find("\r\n" + kind.row + "\r\n"), std::string::npos) << changes;

        const std::string restoreFolder = Reports() + std::to_string(step) + "-restore";
        const ChildResult restore = Program(restoreFolder, {"--batch", "--restore", mrc, "--production"});
        ASSERT_EQ(restore.exitCode, 0) << restore.err;
        const Tables after = Read();
        EXPECT_EQ(after.segments, before.segments);
        EXPECT_EQ(after.links, before.links);
        EXPECT_EQ(after.history, changed.history + static_cast<long long>(saved.records.size()));
        const std::string report = ReadFile(FileEnding(restoreFolder, ".Report.txt"));
        EXPECT_NE(report.find("Restore performed as production\r\n\r\nOriginals file: " + mrc + "\r\n"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find(CountLine(static_cast<std::int32_t>(saved.records.size()), "records restored") + "\r\n"),
                  std::string::npos)
            << report;
    }
}

TEST_P(Restore, ARecordEditedSinceTheRunIsRefusedAndTheRestoreCanBeUndoneToo) {
    const Tables before = Read();
    ASSERT_EQ(Program(Reports() + "run", {"--batch", "--production"}, "2030-01-01 10:00:00").exitCode, 0);
    const Tables changed = Read();
    const std::string runOriginals = FileEnding(Reports() + "run", ".Originals.mrc");
    EXPECT_EQ(ReadSaved(runOriginals).lines[0].rfind("A\t30\t2030-01-01 10:00:", 0), 0u);

    // A cataloguer edits bib 2 after the run.
    const std::string edited = BuildRecord({"001 2", k008, "245 00 $aTwo, edited", "856 40 $uhttps://new.example/2"});
    Writer().Execute("DELETE FROM " + Prefix() + "BIB_DATA WHERE BIB_ID = 2");
    odbc::Statement insert =
        Writer().Prepare("INSERT INTO " + Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (2, 1, ?)");
    insert.BindBinary(1, edited);
    insert.Execute();
    Catalog().Exec("INSERT INTO " + Prefix() + "BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) " +
                   "VALUES (2, '2030-01-01 11:00:00', 'other', 2)");

    const ChildResult restore =
        Program(Reports() + "restore", {"--batch", "--restore", runOriginals, "--production"}, "2030-01-01 12:00:00");
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    // Bib 2 keeps the edit; every other record is as `expected` has it.
    const auto editedAnd = [this, &edited](std::map<std::string, std::string> expected) {
        const std::map<std::string, std::string> now = Read().records;
        EXPECT_TRUE(OctetsEqual(edited, now.at("B 2")));
        expected["B 2"] = now.at("B 2");
        EXPECT_EQ(now, expected);
    };
    editedAnd(before.records);
    const std::string report = ReadFile(FileEnding(Reports() + "restore", ".Report.txt"));
    EXPECT_NE(report.find(CountLine(3, "records restored") + "\r\n" +
                          CountLine(1, "could not be restored due to Voyager errors (listed below)") + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(
        report.find("These records couldn't be restored because of a Voyager problem (records saved to a file)\r\n"
                    "\tB 2.  Reason: 41 (Record updated since last read)\r\n"),
        std::string::npos)
        << report;

    // The restore saved its own originals: restoring them puts back what the run had written.
    const std::string restoreOriginals = FileEnding(Reports() + "restore", ".Originals.mrc");
    EXPECT_EQ(ReadSaved(restoreOriginals).records.count("B 2"), 0u);
    ASSERT_EQ(
        Program(Reports() + "redo", {"--batch", "--restore", restoreOriginals, "--production"}, "2030-01-01 13:00:00")
            .exitCode,
        0);
    editedAnd(changed.records);
}

TEST_P(Restore, AnOriginalsFileThatCannotBeUsedIsRefusedAndNothingIsWritten) {
    ASSERT_EQ(Program(Reports() + "run", {"--batch", "--production"}).exitCode, 0);
    const std::string mrc = FileEnding(Reports() + "run", ".Originals.mrc");
    const std::string good = ReadFile(mrc), goodList = ReadFile(mrc.substr(0, mrc.size() - 4) + ".txt");
    const auto folderIn = [this](const std::string& name) { return Reports() + name + "-in/"; };
    struct Case {
        const char* name;
        std::string mrc, list;  // none of the file, of the list beside it, when empty
        std::string says;
    };
    const Case cases[] = {
        {"missing", "", "", "cannot be read"},
        {"no list", good, "", "has no list of its records beside it"},
        {"bad line", good, "B\t1\t2030-01-01 10:00:00\r\nQ\t2\tyesterday\r\n",
         "Line 2 of " + folderIn("bad line") +
             "LINKMEND.1.Originals.txt is not the type, id and date of a saved record."},
        {"truncated", good.substr(0, good.size() - 40), goodList, "is truncated: its list names 4 records; record 4"},
        {"not MARC", "These are not the records you are looking for.\r\n", "B\t1\t2030-01-01 10:00:00\r\n",
         "is not a file of MARC records (record 1)."},
        {"another database", good.substr(0, std::stoul(good.substr(0, 5))), "B\t999\t2030-01-01 10:00:00\r\n",
         "names records that are not in this database: B 999. Compared: the type and id of each of the 1 records"},
    };
    const Tables before = Read();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = Reports() + c.name;
        std::filesystem::create_directories(folderIn(c.name));
        const std::string path = folderIn(c.name) + "LINKMEND.1.Originals.mrc";
        if (!c.mrc.empty()) WriteFile(path, c.mrc);
        if (!c.list.empty()) WriteFile(folderIn(c.name) + "LINKMEND.1.Originals.txt", c.list);
        const ChildResult r = Program(folder, {"--batch", "--restore", path, "--production"});
        EXPECT_EQ(r.exitCode, 7) << r.err;
        EXPECT_NE(r.err.find("Linkmend program: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "a refused restore writes nothing";
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Read().segments, before.segments);
    // The window has its own way to a restore: on the command line it goes with --batch.
    const ChildResult windowed = RunChild({LINKMEND_PROGRAM, "--restore", mrc}, {});
    EXPECT_EQ(windowed.exitCode, 2);
    EXPECT_NE(windowed.err.find("--restore works with --batch"), std::string::npos) << windowed.err;
}

// The program is killed (SIGKILL) at random instants of production runs; every record is whole, every
// record it changed has its original in the file, and the restore puts the tables back as they were.
// Each instant is a random number of saved records plus a random share of one record's time, so that
// the kills fall across the write-back however busy the machine is.
TEST_P(Restore, AProductionRunKilledAnywhereCanBeRestored) {
    Writer().Begin();
    for (int bib = 100; bib < 160; ++bib) {
        Catalog().AddBib(bib, {k008, "245 00 $aTitle " + std::to_string(bib),
                               "856 40 $uhttp://old.example/" + std::to_string(bib) + "$zNote"});
    }
    Writer().Commit();
    const Tables pristine = Read();
    // How long a whole run takes here; undone at once.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Program(Reports() + "whole", {"--batch", "--production"}).exitCode, 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    const std::string wholeOriginals = FileEnding(Reports() + "whole", ".Originals.mrc");
    const std::size_t all = ReadSaved(wholeOriginals).records.size();
    ASSERT_EQ(Program(Reports() + "whole-undo", {"--batch", "--restore", wholeOriginals, "--production"}).exitCode, 0);
    ASSERT_EQ(Read().segments, pristine.segments);

    const std::string tmpdir = Folder();
    std::mt19937 random(20250612);
    std::uniform_int_distribution<std::size_t> savedSoFar(0, all - 1);
    std::uniform_int_distribution<long long> share(
        0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count() / static_cast<long long>(all));
    int midWrite = 0;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string folder = Reports() + "kill" + std::to_string(round);
        std::filesystem::create_directories(folder);
        Set("Folders", "FolderForReports", folder + "/");
        char program[] = LINKMEND_PROGRAM, batch[] = "--batch", production[] = "--production";
        char* argv[] = {program, batch, production, nullptr};
        const std::size_t after = savedSoFar(random);
        const auto extra = std::chrono::microseconds(share(random));
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            setenv("TMPDIR", tmpdir.c_str(), 1);
            execv(program, argv);
            _exit(127);
        }
        // Waits for the list to name `after` records (two TABs each), then lets the program go on a little.
        const auto listed = [&folder] {
            const std::string list = FileEnding(folder, ".Originals.txt");
            const std::string text = list.empty() ? std::string() : ReadFile(list);
            return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\t')) / 2;
        };
        bool ended = false;
        while (!ended && listed() < after) {
            ended = waitpid(pid, nullptr, WNOHANG) == pid;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_FALSE(ended) << "the run ended before saving " << after << " records";
        std::this_thread::sleep_for(extra);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        const std::string mrc = FileEnding(folder, ".Originals.mrc");
        const Saved saved = mrc.empty() ? Saved() : ReadSaved(mrc);
        std::size_t changed = 0;
        for (const auto& [name, octets] : Read().records) {
            if (octets == pristine.records.at(name)) continue;
            ++changed;
            // Each record is whole: a changed one is the new record entire, never part of it.
            EXPECT_TRUE(octets.size() > 5 && std::stoul(octets.substr(0, 5)) == octets.size() &&
                        octets.back() == '\x1D')
                << name;
            ASSERT_EQ(saved.records.count(name), 1u) << name << " changed without its original";
            EXPECT_TRUE(OctetsEqual(pristine.records.at(name), saved.records.at(name))) << name;
        }
        if (changed == 0) continue;
        midWrite += changed < all ? 1 : 0;
        const ChildResult r = Program(folder + "-undo", {"--batch", "--restore", mrc, "--production"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Tables restored = Read();
        EXPECT_EQ(restored.segments, pristine.segments);
        EXPECT_EQ(restored.links, pristine.links);
    }
    EXPECT_GE(midWrite, 4) << "too few kills fell in the middle of the write-back";
}

LINKMEND_DB_TEST_SUITE(Restore);

}  // namespace
