// The run reads its records a block ahead of screening and write-back: a record another connection
// saves after its block was read is refused at the write (code 41), and a block that spans the bib
// limit still stops the run right after the bib that reaches it.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeHost.h"
#include "base/MessagePump.h"
#include "job/Program.h"
#include "job/UrlChangeRun.h"
#include "kit/JobDb.h"

namespace linkmend::test {
namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class ReadAheadDb : public JobDbTest {
protected:
    void TearDown() override {
        SetMessagePump(nullptr);
        JobDbTest::TearDown();
    }
    // Start-up and Perform as the window does them, then the run.
    RunOutcome Perform(bool production) {
        std::filesystem::remove_all(Reports());
        std::filesystem::create_directory(Reports());
        program_ = std::make_unique<Program>();
        program_->temporaryFolder = Folder();
        MainFormState form;
        StartUp(*program_, form);
        form.chkProductionRun = production;
        EXPECT_TRUE(PrepareToPerform(program_->settingsFile, program_->job, form, host_));
        return RunUrlChangeJob(*program_, host_);
    }
    // Bibs first .. last with a link under the stem of `round` (each round its own stem, so that a
    // round's run finds only its own bibs), as a production run with RecordsPerBlock perBlock.
    std::string Round(int round, int first, int last, const std::string& perBlock) {
        const std::string stem = "http://old" + std::to_string(round) + ".example/";
        for (int bib = first; bib <= last; ++bib)
            Catalog().AddBib(bib, {k008, "245 00 $aT", "856 40 $u" + stem + std::to_string(bib)});
        StemJob(stem);
        Set("Read", "RecordsPerBlock", perBlock);
        return stem;
    }
    // The write-back signs on as "cat"; the other connection's history rows are someone else's.
    bool Written(int bib) {
        return Catalog().Count("BIB_HISTORY WHERE OPERATOR_ID = 'cat' AND BIB_ID = " + std::to_string(bib)) == 1;
    }

    FakeHost host_;
    std::unique_ptr<Program> program_;
};

TEST_P(ReadAheadDb, RecordSavedElsewhereAfterItsBlockWasReadIsRefused) {
    // Read by the block, bib 3 is refused; read on its own when its line comes, it is written.
    const struct {
        const char* perBlock;
        bool refused;
    } cases[] = {{"200", true}, {"1", false}};
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.perBlock);
        const int first = 10 * ++round;
        Round(round, first, first + 2, c.perBlock);
        const std::string saved = "Read: 1 of 3";
        host_.onRetrieved = [this, first, saved](const std::string& text) {
            if (text == saved)  // another operator saves the third bib
                Catalog().Exec("INSERT INTO " + Prefix() +
                               "BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (" +
                               std::to_string(first + 2) + ", '2099-01-01 00:00:00', 'other', 2)");
        };
        EXPECT_EQ(Perform(true), RunOutcome::Completed);
        const std::string report = Report();
        const std::string refusal =
            "\tB " + std::to_string(first + 2) + ".  Reason: 41 (Record updated since last read)\r\n";
        EXPECT_EQ(report.find(refusal) != std::string::npos, c.refused) << report;
        EXPECT_NE(report.find(c.refused ? "       2 records updated\r\n" : "       3 records updated\r\n"),
                  std::string::npos)
            << report;
        EXPECT_TRUE(Written(first) && Written(first + 1));
        EXPECT_EQ(Written(first + 2), !c.refused);
    }
}

TEST_P(ReadAheadDb, BlockSpanningTheBibLimitStopsRightAfterTheNthBib) {
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

LINKMEND_DB_TEST_SUITE(ReadAheadDb);

}  // namespace
}  // namespace linkmend::test
