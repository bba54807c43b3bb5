// The run over an in-memory record source and sink: screening, rewriting, write-back and the report
// depend on nothing but the seam.
#include <gtest/gtest.h>

#include <map>

#include "FakeHost.h"
#include "MarcBuilder.h"
#include "TestSupport.h"
#include "catalog/ReturnCodes.h"
#include "job/Program.h"
#include "job/RecordSink.h"
#include "job/RecordSource.h"
#include "job/UrlChangeRun.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

std::string Bib(const std::string& link) {
    return BuildRecord({"001 1", "008 240102s2024    xx            000 0 eng d", "245 00 $aT", "856 40 $u" + link});
}

class MemorySource : public RecordSource {
public:
    MemorySource() {
        rights.authUpdate = false;
        rights.allOwningLibraries = rights.allLocations = false;
        rights.owningLibraries = " 1 ";
        rights.locations = " 10 ";
        auto add = [&](const std::string& type, const std::string& id, RetrievedRecord r) {
            workList.push_back({id, type});
            records[(type == "M" ? "H" : type) + " " + id] = std::move(r);
        };
        const std::string holdings = "856 41 $uhttp://old.example/h";
        add("A", "30", {});                                                    // kind not allowed
        add("B", "1", {Bib("http://old.example/1"), {}, "1", "", "", false});  // changed
        add("M", "10", {BuildRecord({"001 10", "852 0  $bMAIN", holdings}, 'y'), {}, "1", "10", "1", true});
        add("H", "11", {BuildRecord({"852 0  $bLAW", holdings}, 'y'), {}, "1", "11", "1", false});  // location
        add("X", "2", {});                                                      // skipped, not counted
        add("B", "3", {Bib("http://old.example/3"), {}, "2", "", "", false});   // library left out
        add("B", "4", {{}, {}, "1", "", "", false});                            // came up empty
        add("I", "500", {{}, {}, "1", "", "", false});                          // an item: never changed
        add("B", "5", {Bib("http://other.example/"), {}, "1", "", "", false});  // no matching link
        add("B", "6", {Bib("http://old.example/6"), {}, "1", "", "", false});   // changed
    }
    void Open() override {}
    void Close() override {}
    std::string CharacterSet() override { return "U"; }
    OperatorRights Rights() override { return rights; }
    void SelectCandidates(const std::string&, RunContext&) override {}
    std::int32_t CandidateTotal() const override { return static_cast<std::int32_t>(workList.size()) - 1; }
    std::vector<Candidate> NextCandidates(std::size_t most) override {
        std::vector<Candidate> block;
        while (block.size() < most && next < workList.size()) block.push_back(workList[next++]);
        return block;
    }
    RetrievedRecord Retrieve(const Candidate& c) override {
        calls.push_back(c.type + " " + c.id);
        return records.at(c.type + " " + c.id);
    }
    void HandOverItem(const Candidate& c) override { calls.push_back("item " + c.id); }

    OperatorRights rights;
    std::vector<Candidate> workList;
    std::map<std::string, RetrievedRecord> records;
    std::size_t next = 0;
    std::vector<std::string> calls;  // retrievals and items handed over, in order
};

class MemorySink : public RecordSink {
public:
    SinkAnswer SignOn() override {
        ++signOns;
        return {signOnCode, ReturnCodeText(signOnCode), {}, {}};
    }
    SinkAnswer Write(const Candidate& c, const std::string& octets, const RetrievedRecord& stored) override {
        written.push_back(c.type + " " + c.id + (stored.suppressed ? " suppressed" : ""));
        lastOctets = octets;
        const auto refusal = refusals.find(c.id);
        return refusal == refusals.end() ? SinkAnswer{} : refusal->second;
    }
    std::int32_t signOnCode = 0;
    std::map<std::string, SinkAnswer> refusals;
    int signOns = 0;
    std::vector<std::string> written;
    std::string lastOctets;
};

struct SeamCase {
    const char* name;
    bool production;
    std::int32_t signOnCode;
    RunOutcome outcome;
    std::vector<std::string> written;  // what the sink got, in order
    std::string counts;                // the report from its counters to its end
};

const std::string kScreenedCounts =
    "       9 records read\r\n"
    "       1 records recalled but empty (listed below)\r\n"
    "       1 operator not allowed to update (listed below)\r\n"
    "       1 operator not allowed to update this location (listed below)\r\n"
    "       1 records excluded by owning library\r\n";
const std::string kScreenedLists =
    "These records came up 'empty' when retrieved\r\n\tB 4\r\n\r\n"
    "These records couldn't be updated; operator not allowed\r\n\tA 30\r\n\r\n"
    "These records couldn't be updated; operator not allowed in this location\r\n\tH 11\r\n\r\n";

TEST(RunSeamTest, ScreeningWriteBackAndReportOverAnyRecordSourceAndSink) {
    // clang-format off
    const SeamCase cases[] = {
        {"test run", false, 0, RunOutcome::Completed, {},
         kScreenedCounts + "       3 records needing the requested change\r\n"
                           "       3 records would have been updated\r\n"
                           "       3 rows in the change report\r\n\r\n" + kScreenedLists},
        {"production, two refused", true, 0, RunOutcome::Completed, {"B 1", "H 10 suppressed", "B 6"},
         kScreenedCounts + "       1 records needing the requested change\r\n"
                           "       1 records updated\r\n"
                           "       2 could not be updated due to Voyager errors (listed below)\r\n"
                           "       1 rows in the change report\r\n\r\n" +
             kScreenedLists +
             "These records couldn't be updated because of a Voyager problem (records saved to a file)\r\n"
             "\tH 10.  Reason: 24 (Cataloging location ID is not valid) happening: 7\r\n"
             "\tB 6.  Reason: 41 (Record updated since last read)\r\n\r\n"},
        {"sign-on refused", true, 27, RunOutcome::SignOnFailed, {},
         "       2 records read\r\n"
         "       1 operator not allowed to update (listed below)\r\n\r\n"
         "Cannot sign on to Voyager.  Reason: 27 (Invalid user name or password)\r\n\r\n"
         "These records couldn't be updated; operator not allowed\r\n\tA 30\r\n\r\n"},
    };
    // clang-format on
    for (const SeamCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Program program;
        program.settingsFile = dir.File("Linkmend.INI");
        program.profile.FolderForReports = dir.Path();
        program.job.OldUrlStem = "http://old.example/";
        program.job.NewUrlStem = "https://new.example/";
        program.job.UrlAction = UrlAction::ChangeStem;
        program.job.ProductionRun = c.production;
        program.job.ListChangedRecords = true;
        MemorySource source;
        MemorySink sink;
        sink.signOnCode = c.signOnCode;
        sink.refusals["10"] = {24, ReturnCodeText(24), " happening: 7", {}};
        sink.refusals["6"] = {41, ReturnCodeText(41), {}, {}};
        FakeHost host;

        EXPECT_EQ(RunJob(program, host, source, sink), c.outcome);
        EXPECT_EQ(sink.written, c.written);
        EXPECT_EQ(sink.signOns, c.production ? 1 : 0);
        const std::string report = ReadFile(program.reportPath);
        const auto counts = report.find(c.counts.substr(0, 21));
        ASSERT_NE(counts, std::string::npos) << report;
        EXPECT_EQ(report.substr(counts), c.counts);

        std::map<std::string, std::string> files;  // by suffix
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            files[entry.path().filename().string().substr(25)] = ReadFile(entry.path().string());
        }
        const bool wrote = !c.written.empty();
        EXPECT_EQ(files["ChangedRecords.txt"], wrote ? "B\t1\r\n" : "");
        // The problems file holds the refused bib as it was assembled for the sink.
        EXPECT_EQ(files["UpdateProblems.mrc"], wrote ? sink.lastOctets : "");
        EXPECT_EQ(files.count("RecordsModified.txt"), c.production ? 0u : 1u);
        if (c.outcome == RunOutcome::Completed) {
            // The kind refused before retrieval is never retrieved; the item is handed over.
            EXPECT_EQ(source.calls, (std::vector<std::string>{"B 1", "H 10", "H 11", "B 3", "B 4", "I 500", "item 500",
                                                              "B 5", "B 6"}));
        }
    }
}

}  // namespace
