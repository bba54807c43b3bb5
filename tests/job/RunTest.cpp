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

LINKMEND_DB_TEST_SUITE(RunDb);

}  // namespace
}  // namespace linkmend::test
