// The run over an in-memory record source and sink: screening, write-back and the report, the bib
// limit, the Cancel checkpoints, the deferred start and the stem, independent of any database.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "FakeHost.h"
#include "base/INI.h"
#include "catalog/ReturnCodes.h"
#include "job/Program.h"
#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/RunFiles.h"
#include "job/UrlChangeRun.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/RunFiles.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

std::string Bib(const std::string& link) { return BuildRecord({"001 1", "245 00 $aT", "856 40 $u" + link}); }
std::string Holdings(const std::string& location, const std::string& link) {
    return BuildRecord({"001 1", "852 0  $b" + location, "856 41 $u" + link}, 'y');
}

// A work-list line and the record the source gives for it.
struct Line {
    Line(std::string t, std::string i, std::string octets = "", std::string library = "1", std::string location = "",
         bool suppressed = false)
        : type(std::move(t)), id(std::move(i)) {
        record.octets = std::move(octets), record.owningLibrary = std::move(library);
        record.location = std::move(location), record.suppressed = suppressed;
    }
    std::string type, id;
    RetrievedRecord record;
};

// One run over records held in memory: the seam is the run's record source and sink; the run's
// files go to a folder of its own, run log on.
struct Seam : RecordSource, RecordSink {
    Seam() {
        program.settingsFile = dir.File("Linkmend.INI");
        program.profile.FolderForReports = dir.Path();
        program.job.OldUrlStem = "http://old.example/";
        program.job.NewUrlStem = "https://new.example/";
        program.job.UrlAction = UrlAction::ChangeStem;
        Set("Debug", "True");
    }
    void Open() override { ++opens; }
    void Close() override {}
    std::string CharacterSet() override { return "U"; }
    std::string DataSourceName() const override { return program.profile.DSN; }  // the database's stand-in
    OperatorRights Rights() override { return rights; }
    void SelectCandidates(const std::string& s, RunContext&) override { stem = s; }
    std::int32_t CandidateTotal() const override {
        return static_cast<std::int32_t>(
            std::count_if(lines.begin(), lines.end(), [](auto& l) { return l.type != "X"; }));
    }
    std::vector<Candidate> NextCandidates(std::size_t most) override {
        std::vector<Candidate> block;
        for (; block.size() < most && next < lines.size(); ++next) block.push_back({lines[next].id, lines[next].type});
        return block;
    }
    RetrievedRecord Retrieve(const Candidate& c) override {
        calls.push_back(c.type + " " + c.id);
        return std::find_if(lines.begin(), lines.end(), [&](auto& l) { return l.id == c.id; })->record;
    }
    void HandOverItem(const Candidate& c) override { calls.push_back("item " + c.id); }
    SinkAnswer SignOn() override {
        ++signOns;
        if (onSignOn) onSignOn();
        return {signOnCode, ReturnCodeText(signOnCode), {}, signOnCode ? "no such account" : ""};
    }
    SinkAnswer Write(const Candidate& c, const std::string& octets, const RetrievedRecord& stored) override {
        written.push_back(c.type + " " + c.id + (stored.suppressed ? " suppressed" : ""));
        lastOctets = octets;
        return refusals.contains(c.id) ? refusals[c.id] : SinkAnswer{};
    }

    void Set(const std::string& key, const std::string& value) {
        WriteIniValue(program.settingsFile, "General", key, value, 0);
    }
    RunOutcome Run() { return RunJob(program, host, *this, *this); }
    std::string File(const std::string& suffix) const { return RunFile(dir.Path(), suffix); }
    // The report from its first counter line on.
    std::string Counts() const {
        const std::string report = File(".Report.txt");
        return report.substr(report.rfind("\r\n", report.find(" records read\r\n")) + 2);
    }
    // The run log's entry before "All done": where the run stopped.
    std::string StoppedAt() const {
        const auto log = RunLogEntries(dir.Path());
        return log.size() >= 2 && log.back() == "All done" ? log[log.size() - 2] : "(no end)";
    }

    TempDir dir;
    Program program;
    FakeHost host;
    std::vector<Line> lines;  // the work list
    OperatorRights rights;
    std::size_t next = 0;
    int opens = 0, signOns = 0;
    std::string stem;                // as selected
    std::vector<std::string> calls;  // retrievals and items handed over, in order
    std::int32_t signOnCode = 0;
    std::map<std::string, SinkAnswer> refusals;  // by id
    std::function<void()> onSignOn;
    std::vector<std::string> written;  // what was written back, in order
    std::string lastOctets;
};

const std::string kScreenedCounts =
    "       9 records read\r\n       1 records recalled but empty (listed below)\r\n"
    "       1 operator not allowed to update (listed below)\r\n"
    "       1 operator not allowed to update this location (listed below)\r\n"
    "       1 records excluded by owning library\r\n";
const std::string kScreenedLists =
    "These records came up 'empty' when retrieved\r\n\tB 4\r\n\r\n"
    "These records couldn't be updated; operator not allowed\r\n\tA 30\r\n\r\n"
    "These records couldn't be updated; operator not allowed in this location\r\n\tH 11\r\n\r\n";

TEST(RunSeamTest, ScreeningWriteBackAndReport) {
    // clang-format off
    const struct {
        const char* name;
        bool production;
        std::int32_t signOnCode;
        RunOutcome outcome;
        std::vector<std::string> written;
        std::string counts;  // the report from its counters on
    } cases[] = {
        {"test run", false, 0, RunOutcome::Completed, {},
         kScreenedCounts + "       3 records needing the requested change\r\n"
                           "       3 records would have been updated\r\n"
                           "       3 rows in the change report\r\n\r\n" + kScreenedLists},
        {"production, two refused", true, 0, RunOutcome::Completed, {"B 1", "H 10 suppressed", "B 6"},
         kScreenedCounts + "       1 records needing the requested change\r\n       1 records updated\r\n"
                           "       2 could not be updated due to Voyager errors (listed below)\r\n"
                           "       1 rows in the change report\r\n\r\n" +
             kScreenedLists +
             "These records couldn't be updated because of a Voyager problem (records saved to a file)\r\n"
             "\tH 10.  Reason: 24 (Cataloging location ID is not valid) happening: 7\r\n"
             "\tB 6.  Reason: 41 (Record updated since last read)\r\n\r\n"},
        {"sign-on refused", true, 27, RunOutcome::SignOnFailed, {},
         "       2 records read\r\n       1 operator not allowed to update (listed below)\r\n\r\n"
         "Cannot sign on to Voyager.  Reason: 27 (Invalid user name or password)\r\n\r\n"
         "These records couldn't be updated; operator not allowed\r\n\tA 30\r\n\r\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Seam s;
        s.program.job.ProductionRun = s.program.job.ListChangedRecords = c.production;
        s.rights = {.authUpdate = false,
                    .allOwningLibraries = false,
                    .owningLibraries = " 1 ",
                    .allLocations = false,
                    .locations = " 10 "};
        const std::string h = "http://old.example/h";
        // clang-format off
        s.lines = {{"A", "30"},                                        // kind not allowed
                   {"B", "1", Bib("http://old.example/1")},            // changed
                   {"M", "10", Holdings("MAIN", h), "1", "10", true},  // changed
                   {"H", "11", Holdings("LAW", h), "1", "11"},         // location refused
                   {"X", "2"},                                         // skipped, not counted
                   {"B", "3", Bib("http://old.example/3"), "2"},       // library left out
                   {"B", "4"},                                         // came up empty
                   {"I", "500"},                                       // an item: never changed
                   {"B", "5", Bib("http://other.example/")},           // no matching link
                   {"B", "6", Bib("http://old.example/6")}};           // changed
        // clang-format on
        s.signOnCode = c.signOnCode;
        s.refusals["10"] = {24, ReturnCodeText(24), " happening: 7", {}};
        s.refusals["6"] = {41, ReturnCodeText(41), {}, "stale"};

        EXPECT_EQ(s.Run(), c.outcome);
        EXPECT_EQ(s.written, c.written);
        EXPECT_EQ(s.signOns, c.production ? 1 : 0);
        EXPECT_EQ(s.Counts(), c.counts);
        // The problems file holds the refused bib as it was assembled for the sink; holdings are not kept.
        EXPECT_EQ(s.File(".UpdateProblems.mrc"), c.written.empty() ? "" : s.lastOctets);
        EXPECT_EQ(s.File(".ChangedRecords.txt"), c.written.empty() ? "" : "B\t1\r\n");
        EXPECT_EQ(s.File(".RecordsModified.txt").empty(), c.production);
        const auto log = RunLogEntries(s.dir.Path());
        const char* driverWords = c.signOnCode ? "Driver message: no such account" : "Driver message: stale";
        EXPECT_EQ(std::count(log.begin(), log.end(), driverWords), c.production ? 1 : 0);
        // The kind refused before retrieval is never retrieved; the item is handed over.
        if (c.outcome == RunOutcome::Completed) {
            EXPECT_EQ(s.calls, (std::vector<std::string>{"B 1", "H 10", "H 11", "B 3", "B 4", "I 500", "item 500",
                                                         "B 5", "B 6"}));
        }
    }
    // A type that is no kind of record is never allowed, whatever the rights.
    EXPECT_TRUE(OperatorRights{}.MayUpdate("I") && !OperatorRights{}.MayUpdate("X"));
}

// Bibs 1, 2 and 3 with one holdings each, all to change: the limit counts bibs, the run stops right
// after the bib that reaches it, and the progress line shows the count against the limit.
TEST(RunSeamTest, BibLimitStopsRightAfterTheBibThatReachesIt) {
    // clang-format off
    const struct {
        std::int32_t limit;
        bool production;
        std::vector<std::string> written;
        const char *stoppedAt, *lastProgress;
    } cases[] = {
        {2, true, {"B 1", "H 10", "B 2"}, "Exceeded bib change limit", "Read: 3 of 6 [2/2]"},
        {2, false, {}, "Exceeded bib change limit (2)", "Read: 3 of 6 [2/2]"},
        {1, true, {"B 1"}, "Exceeded bib change limit", "Read: 1 of 6 [0/1]"},
        {0, true, {"B 1", "H 10", "B 2", "H 20", "B 3", "H 30"}, "", "Read: 6 of 6"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        Seam s;
        s.program.job.BibLimit = c.limit;
        s.program.job.ProductionRun = c.production;
        for (const std::string n : {"1", "2", "3"}) {
            s.lines.push_back({"B", n, Bib("http://old.example/" + n)});
            s.lines.push_back({"H", n + "0", Holdings("MAIN", "http://old.example/h")});
        }
        EXPECT_EQ(s.Run(), RunOutcome::Completed);
        EXPECT_EQ(s.written, c.written);
        EXPECT_EQ(s.host.retrieved, c.lastProgress);
        EXPECT_EQ(s.StoppedAt() == c.stoppedAt, *c.stoppedAt != '\0');
        const std::string stop = "\r\nCancelled because maximum number of bib changes reached\r\n\r\nOld stem";
        EXPECT_EQ(s.File(".Report.txt").find(stop) != std::string::npos, *c.stoppedAt != '\0');
    }
}

// Each checkpoint, pressed at its moment: the run logs it, ends with its report, writes nothing.
TEST(RunSeamTest, CancelAtEachCheckpoint) {
    const Line b1{"B", "1", Bib("http://old.example/1")}, b2{"B", "2", Bib("http://old.example/2")};
    const auto when = [](const char* text) {
        return [text](Seam& s) {
            s.host.onRetrieved = s.host.onChanged = [&s, text](const std::string& t) { s.host.cancel |= t == text; };
        };
    };
    // clang-format off
    const struct {
        const char* checkpoint;
        bool production;
        std::vector<Line> lines;
        std::function<void(Seam&)> press;
        std::vector<std::string> retrieved;
    } cases[] = {
        // Holdings selected but not changed: those of the bib begun are finished, the next bib is not.
        {"(3)", false, {b1, {"H", "10", Holdings("MAIN", "http://x/")}, {"M", "11", Holdings("MAIN", "http://x/")}, b2},
         when("Read: 2 of 4"), {"B 1", "H 10", "H 11"}},
        {"(5)", true, {{"I", "500"}}, when("Read: 1 of 1"), {"I 500"}},
        {"(6)", true, {b1}, when("Changed: 0"), {"B 1"}},
        {"(7)", true, {b1}, [](Seam& s) { s.onSignOn = [&s] { s.host.cancel = true; }; }, {"B 1"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.checkpoint);
        Seam s;
        s.program.job.ProductionRun = c.production;
        s.lines = c.lines;
        c.press(s);
        EXPECT_EQ(s.Run(), RunOutcome::Cancelled);
        EXPECT_EQ(s.StoppedAt(), std::string("Cancel button clicked ") + c.checkpoint);
        EXPECT_EQ(s.calls, c.retrieved);
        EXPECT_TRUE(s.written.empty());
        EXPECT_EQ(s.Counts().substr(0, 23), "       " + std::to_string(c.retrieved.size()) + " records read\r\n");
        EXPECT_EQ(s.host.steps.back(), "Preparing report");
        EXPECT_TRUE(s.host.cancelHidden);
    }
}

// Only a production run on the deferred data source waits; the countdown's Cancel ends it unreported.
TEST(RunSeamTest, DeferredStartWaitsForProductionOnTheDeferredSource) {
    const struct {
        bool production;
        std::string dsn;
        bool start;
        RunOutcome outcome;
        int countdowns, opens;
    } cases[] = {
        {true, "PRODDB", true, RunOutcome::Completed, 1, 2},  // a fresh connection after the wait
        {true, "PRODDB", false, RunOutcome::CountdownCancelled, 1, 0},
        {false, "PRODDB", false, RunOutcome::Completed, 0, 1},
        {true, "TESTDB", false, RunOutcome::Completed, 0, 1},
        {true, "", false, RunOutcome::Completed, 0, 1},
    };
    for (const auto& c : cases) {
        Seam s;
        s.Set("DeferredDSN", c.dsn == "" ? "" : "PRODDB");
        s.program.profile.DSN = c.dsn;
        s.program.job.ProductionRun = c.production;
        s.host.startWhenScheduled = c.start;
        s.lines = {{"B", "1", Bib("http://old.example/1")}};
        EXPECT_EQ(s.Run(), c.outcome) << c.dsn;
        EXPECT_EQ(s.host.countdowns, c.countdowns) << c.dsn;
        EXPECT_EQ(s.opens, c.opens) << c.dsn;
        EXPECT_EQ(s.File(".Report.txt").empty(), !c.opens) << c.dsn;
    }
}

// "U+" and four hexadecimal digits are that character; the record, decomposed when loaded, matches.
TEST(RunSeamTest, StemCodePointsBecomeCharactersOthersStayText) {
    const std::pair<const char*, const char*> cases[] = {
        {"  http://a.example/cafU+00E9/U+zz/U+00  ", "http://a.example/caf\xC3\xA9/U+zz/U+00"},
        {"U+0041U+0042u+0043U+00e9", "ABu+0043\xC3\xA9"},
        {"http://old.example/deadbeef/U+", "http://old.example/deadbeef/U+"},
    };
    for (const auto& [typed, stem] : cases) {
        Seam s;
        s.program.job.OldUrlStem = typed;
        s.program.job.ProductionRun = true;
        s.lines = {{"B", "1", Bib(std::string(stem) + "/x")}};
        EXPECT_EQ(s.Run(), RunOutcome::Completed);
        EXPECT_EQ(s.stem, stem);
        EXPECT_NE(s.File(".Report.txt").find("Old stem: " + std::string(stem) + "\r\n"), std::string::npos);
        EXPECT_EQ(s.written, std::vector<std::string>{"B 1"}) << typed;
        EXPECT_NE(s.lastOctets.find("https://new.example//x"), std::string::npos) << typed;
    }
}

// Runs name their files by the second they start: three in a row into one folder keep three reports.
TEST(RunSeamTest, RunsStartedWithinOneSecondKeepTheirOwnReports) {
    Seam s;
    s.lines.push_back({"B", "1", Bib("http://old.example/1")});
    for (int run = 0; run < 3; ++run) {
        s.next = 0;
        EXPECT_EQ(s.Run(), RunOutcome::Completed);
    }
    int reports = 0;
    for (const auto& entry : std::filesystem::directory_iterator(s.dir.Path()))
        reports += entry.path().string().ends_with(".Report.txt");
    EXPECT_EQ(reports, 3);
}

TEST(RunSeamTest, ExitStatusesAndTheScheduledHours) {
    const std::pair<RunOutcome, int> statuses[] = {{RunOutcome::Completed, 0}, {RunOutcome::Diagnostic, 0},
                                                   {RunOutcome::SqlError, 3},  {RunOutcome::SignOnFailed, 3},
                                                   {RunOutcome::Cancelled, 4}, {RunOutcome::CountdownCancelled, 5},
                                                   {RunOutcome::FileError, 6}};
    for (const auto& [outcome, status] : statuses) EXPECT_EQ(ExitStatusOf(outcome), status);
    const std::pair<const char*, bool> hours[] = {{"09:00:00", false}, {"21:59:59", false}, {"22:00:00", true},
                                                  {"23:30:00", true},  {"01:59:59", true},  {"02:00:00", false}};
    for (const auto& [time, reached] : hours)
        EXPECT_EQ(ScheduledStartReached(DateTime::Parse(std::string("2024-05-01 ") + time)), reached) << time;
}

TEST(RunFilesTest, CountsRightAlignedInEightAndCutToTheirLastEight) {
    EXPECT_EQ(CountLine(7, "records read"), "       7 records read");
    EXPECT_EQ(CountLine(12345678, "x"), "12345678 x");
    EXPECT_EQ(CountLine(123456789, "records read"), "23456789 records read");
    TextFile full;
    full.Create("/dev/full");  // the disk is full: an error, not silent loss
    EXPECT_THROW(full.WriteLine(std::string(100, 'x')), RunFileError);
}

}  // namespace
