// Runs on a real database, performed as the window's Perform does: what the link query, the reader
// and the component decide beyond the ordinary runs the golden tests pin.
#include <gtest/gtest.h>

#include <functional>

#include "FakeHost.h"
#include "base/MessagePump.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"
#include "kit/JobDb.h"

namespace linkmend::test {
namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class RunDb : public JobDbTest {
protected:
    void TearDown() override {
        SetMessagePump(nullptr);
        JobDbTest::TearDown();
    }
    // Start-up and Perform as the window does them, then the run, with the job as `adjust` leaves it.
    RunOutcome Perform(bool production = false, const std::function<void(JobSettings&)>& adjust = {}) {
        ClearReports();
        SetMessagePump([this] { host_.onPump ? host_.onPump() : void(); });
        program_ = std::make_unique<Program>();
        program_->temporaryFolder = Folder();
        MainFormState form;
        StartUp(*program_, form);
        form.chkProductionRun = production;
        EXPECT_TRUE(PrepareToPerform(program_->settingsFile, program_->job, form, host_));
        if (adjust) adjust(program_->job);
        return RunUrlChangeJob(*program_, host_);
    }
    // Bibs first .. last with a link under the stem of `round` (each round its own stem, so that a
    // round's run finds only its own bibs), as a production run with RecordsPerBlock perBlock.
    void Round(int round, int first, int last, const std::string& perBlock) {
        const std::string stem = "http://old" + std::to_string(round) + ".example/";
        for (int bib = first; bib <= last; ++bib)
            Catalog().AddBib(bib, {k008, "245 00 $aT", "856 40 $u" + stem + std::to_string(bib)});
        StemJob(stem);
        Set("Read", "RecordsPerBlock", perBlock);
    }
    // The write-back signs on as "cat"; the other connection's history rows are someone else's.
    bool Written(int bib) {
        return Catalog().Count("BIB_HISTORY WHERE OPERATOR_ID = 'cat' AND BIB_ID = " + std::to_string(bib)) == 1;
    }

    std::string StoppedAt() const { return RunLog().size() < 2 ? "" : RunLog()[RunLog().size() - 2]; }

    FakeHost host_;
    std::unique_ptr<Program> program_;
};

// The checkpoints of the link query: while its rows are read (1) and while the work list is written (2).
TEST_P(RunDb, CancelWhileTheLinkRowsAreReadOrTheWorkListWritten) {
    Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/"});
    StemJob();
    int pumps = 0;
    host_.onStep = [&](const std::string& step) { pumps = step == "Finding records" ? 0 : -100; };
    // The one link row lets messages run three times, its checkpoint at the second; the work list's comes next.
    for (const auto& [pressAt, checkpoint] : {std::pair{1, "(1)"}, std::pair{3, "(2)"}}) {
        host_.onPump = [&, pressAt = pressAt] { host_.cancel = ++pumps >= pressAt; };
        EXPECT_EQ(Perform(), RunOutcome::Cancelled);
        EXPECT_EQ(StoppedAt(), std::string("Cancel button clicked ") + checkpoint);
        EXPECT_EQ(Counts(), "       0 records read\r\n\r\n");
    }
}

// An SQL error ends the run with its report; a location code no location has (the window offers
// none) is location 0, which no holdings have.
TEST_P(RunDb, SqlErrorAndUnknownLocationCode) {
    Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN"});
    StemJob("http://old.example/'broken");
    EXPECT_EQ(Perform(), RunOutcome::SqlError);
    EXPECT_EQ(host_.messages.at(0).second.rfind("Error in SQL: ", 0), 0u);
    EXPECT_EQ(Counts().rfind("       0 records read\r\n\r\nError in SQL statement: ", 0), 0u) << Report();

    StemJob();
    Set("General", "LimitByLocation", "True");
    Set("General", "LimitingLocation", "MAIN");
    EXPECT_EQ(Perform(false, [](JobSettings& job) { job.LimitingLocation = "GONE"; }), RunOutcome::Completed);
    EXPECT_EQ(Counts(), "       0 records read\r\n\r\n");
    EXPECT_TRUE(RunLog()[2].ends_with(" AND T3.LOCATION_ID = 0")) << RunLog()[2];
}

// The link between holdings and bib goes after the work list is written: the holdings have no owning
// library to allow, and are excluded, not fatal.
TEST_P(RunDb, HoldingsThatLostTheirBibAreExcluded) {
    Catalog().AddBib(1, {"245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    StemJob();
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "OwningLibraryString", "1");
    host_.onStep = [&](const std::string& step) {
        if (step == "Retrieving records") Catalog().Exec("DELETE FROM " + Prefix() + "BIB_MFHD");
    };
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Counts(),
              "       2 records read\r\n       1 records excluded by owning library\r\n"
              "       1 records needing the requested change\r\n"
              "       1 records would have been updated\r\n       1 rows in the change report\r\n\r\n");
}

TEST_P(RunDb, DiagnosticModeDumpsTheLinksOfOneRecordAndEnds) {
    Catalog().AddBib(7, {"245 00 $aT", "856 40 $uhttp://old.example/\xC3\xA9$yCaf\xC3\xA9"});
    StemJob("http://old.example/U+00e9");
    Set("General", "RecordOfInterest", "7");
    EXPECT_EQ(Perform(), RunOutcome::Diagnostic);
    EXPECT_EQ(ReadFile(Reports() + "UrlInfo.txt"),
              "LOOKING FOR: 687474703A2F2F6F6C642E6578616D706C652FC3A9\r\n\r\n"
              "B\t7\t687474703A2F2F6F6C642E6578616D706C652FC3A9\t436166C3A9\r\n");
    EXPECT_EQ(RunFile(".Report.txt"), "");
}

// Records are read a block ahead of screening and write-back: a record another connection saves
// after its block was read is refused at the write (code 41), and a block spanning the bib limit
// still stops the run right after the bib that reaches it.
TEST_P(RunDb, RecordSavedElsewhereAfterItsBlockWasReadIsRefused) {
    // Read by the block, bib 3 and the holdings are refused; read on their own when their lines come,
    // they are written.
    const struct {
        const char* perBlock;
        bool refused;
    } cases[] = {{"200", true}, {"1", false}};
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.perBlock);
        const int first = 10 * ++round;
        Round(round, first, first + 2, c.perBlock);
        Catalog().AddHoldings(first + 5, first,
                              {"852 0  $bMAIN", "856 41 $uhttp://old" + std::to_string(round) + ".example/h"});
        const std::string saved = "Read: 1 of 4";
        host_.onRetrieved = [this, first, saved](const std::string& text) {
            if (text != saved) return;  // another operator saves the third bib and the holdings
            for (const auto& [kind, id] : {std::pair{"BIB", first + 2}, std::pair{"MFHD", first + 5}})
                Catalog().Exec("INSERT INTO " + Prefix() + kind + "_HISTORY (" + kind +
                               "_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (" + std::to_string(id) +
                               ", '2099-01-01 00:00:00', 'other', 2)");
        };
        EXPECT_EQ(Perform(true), RunOutcome::Completed);
        const std::string report = Report();
        for (const std::string& record : {"B " + std::to_string(first + 2), "H " + std::to_string(first + 5)})
            EXPECT_EQ(
                report.find("\t" + record + ".  Reason: 41 (Record updated since last read)\r\n") != std::string::npos,
                c.refused)
                << report;
        EXPECT_NE(report.find(c.refused ? "       2 records updated\r\n" : "       4 records updated\r\n"),
                  std::string::npos)
            << report;
        EXPECT_TRUE(Written(first) && Written(first + 1));
        EXPECT_EQ(Written(first + 2), !c.refused);
    }
}

TEST_P(RunDb, BlockSpanningTheBibLimitStopsRightAfterTheNthBib) {
    // Blocks of 2 put the limit's bib first in the second block; a block of 200 holds all five.
    int round = 0;
    for (const char* perBlock : {"2", "200"}) {
        SCOPED_TRACE(perBlock);
        const int first = 10 * ++round;
        Round(round, first, first + 4, perBlock);
        Set("UrlStem", "BibLimit", "3");
        EXPECT_EQ(Perform(true), RunOutcome::Completed);
        const std::string report = Report();
        EXPECT_NE(report.find("Cancelled because maximum number of bib changes reached"), std::string::npos);
        EXPECT_NE(report.find("       3 records read\r\n       3 records needing the requested change\r\n"
                              "       3 records updated\r\n"),
                  std::string::npos)
            << report;
        for (int bib = first; bib <= first + 4; ++bib) EXPECT_EQ(Written(bib), bib < first + 3) << bib;
    }
}

// An authority with two links under the stem has two lines in the work list; in blocks of two its
// second line opens the next block, which is read while the first is written back. It is read again
// after its write, found already changed, and not written twice.
TEST_P(RunDb, RecordMetAgainInTheNextBlockIsReadAfterItsWrite) {
    const std::string stem = "http://old.example/";
    Catalog().AddAuthority(4, {"100 1  $aA", "856 40 $u" + stem + "4"});
    Catalog().AddAuthority(5, {"100 1  $aB", "856 40 $u" + stem + "5", "856 40 $u" + stem + "5b"});
    StemJob(stem);
    Set("Read", "RecordsPerBlock", "2");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_NE(Report().find("       3 records read\r\n       2 records needing the requested change\r\n"
                            "       2 records updated\r\n"),
              std::string::npos)
        << Report();
    EXPECT_EQ(Report().find("could not be updated"), std::string::npos) << Report();
    EXPECT_EQ(Catalog().Count("AUTH_HISTORY WHERE OPERATOR_ID = 'cat' AND AUTH_ID = 5"), 1);
}

LINKMEND_DB_TEST_SUITE(RunDb);

}  // namespace
}  // namespace linkmend::test
