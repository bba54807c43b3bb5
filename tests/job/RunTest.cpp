// Whole runs of the job on a real database, performed as the window's Perform does.
#include <gtest/gtest.h>

#include <algorithm>

#include "JobDbFixture.h"
#include "MarcBuilder.h"
#include "base/INI.h"
#include "base/MessagePump.h"
#include "catalog/CatalogWriter.h"
#include "marc/Utf8MarcRecordClass.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

const std::string k008 = "008 240102s2024    xx            000 0 eng d";

class RunDb : public JobDbTest {
protected:
    // The report from its first line to the connection block, as every run writes it.
    std::string Head(bool production, const std::string& stop = "", const std::string& oldStem = "http://old.example/",
                     const std::string& newStem = "https://new.example/") {
        std::string h =
            "**************************************\r\n*\r\n* Linkmend program\r\n*\r\n"
            "* Run started: TIME\r\n* Run ended:   TIME\r\n*\r\n**************************************\r\n\r\n";
        h += production ? "Run performed as production\r\n\r\n" : "Run performed as test\r\n\r\n";
        if (!stop.empty()) h += stop + "\r\n\r\n";
        h += "Old stem: " + oldStem + "\r\nNew stem: " + newStem + "\r\n\r\n";
        h += "Voyager connection information:\r\n";
        h += "Data source:       \t" + Db().ReadOnlyDsn() + "\r\n";
        h += "Table name prefix: \t" + Prefix() + "\r\n";
        h += "Read-only UID:     \t" + (Db().ReadOnlyUid().empty() ? std::string("reader") : Db().ReadOnlyUid()) +
             "\r\n";
        h += "Voyager UID:       \tcat\r\n\r\n";
        return h;
    }
    // The stored bibliographic record as the job's record object shows its fields from 245 on.
    std::vector<std::string> StoredFields(const std::string& kind, std::int32_t id) {
        Utf8MarcRecordClass r;
        r.MarcRecordIn(Catalog().Stored(kind, id));
        std::vector<std::string> out;
        for (bool ok = r.FldMoveFirst(); ok; ok = r.FldMoveNext()) {
            if (r.FldTag() < "245" || r.FldTag() == "004") continue;
            std::string text = r.FldText();
            std::replace(text.begin(), text.end(), '\x1F', '$');
            out.push_back(r.FldTag() + " " + r.FldInd() + " " + text);
        }
        return out;
    }
};

TEST_P(RunDb, TestRunReportsWhatWouldChange) {
    Catalog().AddBib(1, {k008, "245 00 $aFirst", "856 40 $uhttp://old.example/one$zNote"});
    Catalog().AddBib(2, {k008, "245 00 $aSecond", "856 40 $uhttp://elsewhere.example/"});
    Catalog().AddBib(3, {k008, "245 00 $aThird", "856 40 $uHTTP://OLD.EXAMPLE/upper"});  // selected, not changed
    Catalog().AddHoldings(20, 2, {"852 0  $bMAIN", "856 41 $uhttp://old.example/holdings"});
    StemJob();
    const std::string before = Catalog().Stored("BIB", 1);

    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) +
                            "       3 records read\r\n"
                            "       2 records needing the requested change\r\n"
                            "       2 records would have been updated\r\n"
                            "       2 rows in the change report\r\n"
                            "\r\n");
    EXPECT_TRUE(OctetsEqual(before, Catalog().Stored("BIB", 1)));  // a test run writes nothing
    const std::string modified = RunFile(".RecordsModified.txt");
    EXPECT_NE(modified.find("856 40 |u https://new.example/one |z Note\r\n"), std::string::npos) << modified;
    EXPECT_NE(modified.find("856 41 |u https://new.example/holdings"), std::string::npos) << modified;
    EXPECT_EQ(modified.find("upper"), std::string::npos);

    // Bib 2 is reached only through its holdings: an "X" line, skipped, not counted.
    const auto log = RunLog();
    const std::vector<std::string> expectedStart = {
        "Production run? False", "Halden? False",
        "SQL command to retrieve records: SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
            "ELINK_INDEX WHERE UPPER(LINK) LIKE 'HTTP://OLD.EXAMPLE/%'",
        "SQL command returned OK"};
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), expectedStart);
    EXPECT_NE(std::find(log.begin(), log.end(), "SQL lines all processed; retained 3 bibs"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "3 record IDs written; ready to retrieve records"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Retrieved: 2\tX"), log.end());
    EXPECT_EQ(log.back(), "All done");
    EXPECT_EQ(host_.steps, (std::vector<std::string>{"Performing task", "Finding records", "Retrieving records",
                                                     "Preparing report"}));
    EXPECT_EQ(program_->reportPath.find(Reports() + "LINKMEND."), 0u);
}

TEST_P(RunDb, ProductionRunRewritesRecordsAndASecondRunFindsNothing) {
    Catalog().AddBib(1, {k008, "245 00 $aFirst", "856 40 $uhttp://old.example/one$zNote", "856 42 $uhttp://keep/"});
    Catalog().AddHoldings(20, 1, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    StemJob();
    EXPECT_EQ(Perform(true, true), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(true) +
                            "       2 records read\r\n"
                            "       2 records needing the requested change\r\n"
                            "       2 records updated\r\n"
                            "       2 rows in the change report\r\n"
                            "\r\n");
    EXPECT_EQ(StoredFields("BIB", 1),
              (std::vector<std::string>{"245 00 $aFirst", "856 40 $uhttps://new.example/one$zNote",
                                        "856 42 $uhttp://keep/"}));
    EXPECT_EQ(Catalog().Links(1, "B"),
              (std::vector<std::string>{"B https://new.example/one | Note", "B http://keep/ | "}));
    EXPECT_EQ(Catalog().Links(20, "M"), (std::vector<std::string>{"M https://new.example/h | "}));
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE BIB_ID = 1 AND ACTION_TYPE_ID = 2 AND OPERATOR_ID = 'cat'"), 1);
    EXPECT_EQ(Catalog().Count("MFHD_HISTORY WHERE MFHD_ID = 20 AND ACTION_TYPE_ID = 2"), 1);
    EXPECT_EQ(RunFile(".ChangedRecords.txt"), "B\t1\r\nH\t20\r\n");

    std::filesystem::remove_all(Reports());
    std::filesystem::create_directory(Reports());
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(true) + "       0 records read\r\n\r\n");
}

TEST_P(RunDb, BibLimitStopsRightAfterTheBibThatReachesIt) {
    for (int bib : {1, 2, 3}) {
        Catalog().AddBib(bib, {k008, "245 00 $aT", "856 40 $uhttp://old.example/" + std::to_string(bib)});
        Catalog().AddHoldings(bib * 10, bib, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h" + std::to_string(bib)});
    }
    StemJob();
    Set("UrlStem", "BibLimit", "2");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(true, "Cancelled because maximum number of bib changes reached") +
                            "       3 records read\r\n"
                            "       3 records needing the requested change\r\n"
                            "       3 records updated\r\n"
                            "       3 rows in the change report\r\n"
                            "\r\n");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 2);
    EXPECT_EQ(Catalog().Count("MFHD_HISTORY WHERE ACTION_TYPE_ID = 2 AND MFHD_ID = 10"), 1);
    EXPECT_EQ(Catalog().Count("MFHD_HISTORY WHERE ACTION_TYPE_ID = 2 AND MFHD_ID = 20"), 0);  // not processed
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Exceeded bib change limit");
}

TEST_P(RunDb, LocationLimitKeepsOnlyHoldingsInThatLocation) {
    Catalog().AddBib(1, {k008, "245 00 $aMain", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN"}, 10);
    Catalog().AddBib(2, {k008, "245 00 $aLaw", "856 40 $uhttp://old.example/2"});
    Catalog().AddHoldings(20, 2, {"852 0  $bLAW", "856 41 $uhttp://old.example/h2"}, 11);
    Catalog().AddHoldings(21, 1, {"852 0  $bMAIN"}, 10);  // a second holdings: bib 1 comes twice, listed once
    StemJob();
    Set("General", "LimitByLocation", "True");
    Set("General", "LimitingLocation", "MAIN");
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) +
                            "       1 records read\r\n"
                            "       1 records needing the requested change\r\n"
                            "       1 records would have been updated\r\n"
                            "       1 rows in the change report\r\n\r\n");
    const auto log = RunLog();
    EXPECT_EQ(log[2], "SQL command to retrieve records: SELECT T1.RECORD_ID, T1.RECORD_TYPE, T1.LINK FROM " + Prefix() +
                          "ELINK_INDEX T1, " + Prefix() + "BIB_MFHD T2, " + Prefix() +
                          "MFHD_MASTER T3  WHERE UPPER(T1.LINK) "
                          "LIKE 'HTTP://OLD.EXAMPLE/%' AND  ((T1.RECORD_TYPE = 'B' AND T2.BIB_ID = T1.RECORD_ID AND "
                          "T3.MFHD_ID = T2.MFHD_ID) OR (T1.RECORD_TYPE ='M' AND T3.MFHD_ID = T1.RECORD_ID))  AND "
                          "T3.LOCATION_ID = 10");
}

TEST_P(RunDb, UnknownLocationCodeSelectsNothing) {
    Catalog().AddBib(1, {k008, "245 00 $aMain", "856 40 $uhttp://old.example/1"});
    StemJob();
    Set("General", "LimitByLocation", "True");
    Set("General", "LimitingLocation", "GONE");
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) + "       0 records read\r\n\r\n");
}

TEST_P(RunDb, RightEndMatchAddsSuffix) {
    Catalog().AddBib(1,
                     {k008, "245 00 $aT", "856 40 $uhttp://a.example/doc.pdf", "856 40 $uhttp://a.example/doc.pdf/x"});
    StemJob(".pdf", "?download=1", "200000");
    Set("UrlStem", "MatchEnd", "1");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(StoredFields("BIB", 1),
              (std::vector<std::string>{"245 00 $aT", "856 40 $uhttp://a.example/doc.pdf?download=1",
                                        "856 40 $uhttp://a.example/doc.pdf/x"}));
    EXPECT_EQ(RunLog()[2], "SQL command to retrieve records: SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                               "ELINK_INDEX WHERE UPPER(LINK) LIKE '%.PDF'");
}

TEST_P(RunDb, SubfieldActionsAndDeleteFieldWithRecordsWithoutLinks) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $xold$uhttp://old.example/1$yText$zz1$zz2$3Part"});
    Catalog().AddBib(2, {k008, "245 00 $aU", "856 40 $uhttp://old.example/2", "856 40 $uhttp://keep/"});
    Catalog().AddBib(3, {k008, "245 00 $aV", "856 40 $uhttp://old.example/3"});
    StemJob("http://old.example/", "", "034430");  // $x delete, $y replace, $z replace, $3 delete
    Set("UrlStem", "NewSubfieldY", "Online version");
    Set("UrlStem", "NewSubfieldZ", "Members only");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(StoredFields("BIB", 1),
              (std::vector<std::string>{"245 00 $aT", "856 40 $uhttp://old.example/1$yOnline version$zMembers only"}));

    StemJob("http://old.example/", "", "000003");
    std::filesystem::remove_all(Reports());
    std::filesystem::create_directory(Reports());
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(StoredFields("BIB", 2), (std::vector<std::string>{"245 00 $aU", "856 40 $uhttp://keep/"}));
    EXPECT_EQ(StoredFields("BIB", 3), (std::vector<std::string>{"245 00 $aV"}));
    EXPECT_EQ(StoredFields("BIB", 1), (std::vector<std::string>{"245 00 $aT"}));  // its one link went too
    EXPECT_EQ(Catalog().Links(3, "B"), std::vector<std::string>{});
    EXPECT_EQ(RunFile(".BibsWithNoURLs.txt"), "1\r\n3\r\n");
    EXPECT_NE(Report().find("\r\nSEE SEPARATE FILE of bib records with no URLs\r\n\r\n"), std::string::npos);
}

TEST_P(RunDb, SiteOptionAlsoReplacesStemInZAnd590) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "590    $aAccess via http://old.example/ only",
                         "856 40 $uhttp://old.example/1$zSee http://old.example/"});
    StemJob();
    Set("General", "HLD", "Yes");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(StoredFields("BIB", 1),
              (std::vector<std::string>{"245 00 $aT", "590    $aAccess via https://new.example/ only",
                                        "856 40 $uhttps://new.example/1$zSee https://new.example/"}));
    EXPECT_EQ(RunLog()[1], "Halden? True");
}

TEST_P(RunDb, RecordChangedMeanwhileIsListedAndSavedToTheProblemsFile) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    StemJob();
    // Someone else saves each record between the job's read and its write.
    int changes = 0;
    host_.onChanged = [&](const std::string& text) {
        if (text.empty()) return;  // the run's start clears the line
        if (++changes == 1) Catalog().AddHistory("BIB", 1, "2099-01-01 00:00:00", 2);
        else Catalog().AddHistory("MFHD", 10, "2099-01-01 00:00:00", 2);
    };
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(Report(),
              Head(true) +
                  "       2 records read\r\n"
                  "       2 could not be updated due to Voyager errors (listed below)\r\n\r\n"
                  "These records couldn't be updated because of a Voyager problem (records saved to a file)\r\n"
                  "\tB 1.  Reason: 41 (Record updated since last read)\r\n"
                  "\tH 10.  Reason: 41 (Record updated since last read)\r\n\r\n");
    const std::string problems = RunFile(".UpdateProblems.mrc");
    Utf8MarcRecordClass r;
    r.MarcRecordIn(problems);
    EXPECT_TRUE(r.IsMarc(problems)) << r.IsMarcErrorText();
    EXPECT_NE(problems.find("https://new.example/1"), std::string::npos);
    EXPECT_EQ(problems.find("https://new.example/h"), std::string::npos);  // holdings are not saved
}

TEST_P(RunDb, WrongOperatorPasswordStopsBeforeAnyUpdate) {
    Catalog().AddBib(1, {k008, "245 00 $aSelected, not changed", "856 40 $uHTTP://OLD.EXAMPLE/0"});
    Catalog().AddBib(2, {k008, "245 00 $aT", "856 40 $uhttp://old.example/2"});
    Catalog().AddBib(3, {k008, "245 00 $aT", "856 40 $uhttp://old.example/3"});
    StemJob();
    Set("Write", "PWD", "not-the-password");
    EXPECT_EQ(Perform(true), RunOutcome::SignOnFailed);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].first, "Linkmend program");
    EXPECT_EQ(host_.messages[0].second, "Cannot sign on to Voyager.\nReason: 27\nInvalid user name or password");
    EXPECT_EQ(Report(), Head(true) +
                            "       2 records read\r\n\r\n"
                            "Cannot sign on to Voyager.  Reason: 27 (Invalid user name or password)\r\n\r\n");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cannot sign on. Reason: 27");
}

TEST_P(RunDb, SignOnWithoutItsDatabaseLogsTheDriversMessage) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", "NoSuchDataSource", 0);
    EXPECT_EQ(Perform(true), RunOutcome::SignOnFailed);
    const auto log = RunLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "Cannot sign on. Reason: 26");
    EXPECT_EQ(
        log[log.size() - 2].rfind("Driver message: Could not establish a database connection to NoSuchDataSource ", 0),
        0u)
        << log[log.size() - 2];
}

TEST_P(RunDb, OperatorRightsLocationsAndOwningLibraries) {
    Catalog().AddBib(1, {k008, "245 00 $aLaw library", "856 40 $uhttp://old.example/1"}, 2);
    Catalog().AddBib(2, {k008, "245 00 $aMain library", "856 40 $uhttp://old.example/2"}, 1);
    Catalog().AddHoldings(20, 2, {"852 0  $bLAW", "856 41 $uhttp://old.example/h20"}, 11);
    Catalog().AddHoldings(21, 2, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h21"}, 10);
    Catalog().AddAuthority(30, {"100 1  $aSmith", "856 42 $uhttp://old.example/a"});
    StemJob();
    Set("Write", "UID", "holdonly");
    Set("Write", "PWD", "holdonly-pw");
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "OwningLibraryString", "1");
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false).replace(Head(false).find("\tcat\r\n"), 6, "\tholdonly\r\n") +
                            "       5 records read\r\n"
                            "       3 operator not allowed to update (listed below)\r\n"
                            "       1 operator not allowed to update this location (listed below)\r\n"
                            "       1 records needing the requested change\r\n"
                            "       1 records would have been updated\r\n"
                            "       1 rows in the change report\r\n\r\n"
                            "These records couldn't be updated; operator not allowed\r\n"
                            "\tA 30\r\n\tB 1\r\n\tB 2\r\n\r\n"
                            "These records couldn't be updated; operator not allowed in this location\r\n"
                            "\tH 20\r\n\r\n");
}

TEST_P(RunDb, OwningLibraryExclusionIsCountedNotListed) {
    Catalog().AddBib(1, {k008, "245 00 $aLaw", "856 40 $uhttp://old.example/1"}, 2);
    Catalog().AddBib(2, {k008, "245 00 $aMain", "856 40 $uhttp://old.example/2"}, 1);
    StemJob();
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "OwningLibraryString", "1");
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) +
                            "       2 records read\r\n"
                            "       1 records excluded by owning library\r\n"
                            "       1 records needing the requested change\r\n"
                            "       1 records would have been updated\r\n"
                            "       1 rows in the change report\r\n\r\n");
}

TEST_P(RunDb, HoldingsThatLostTheirBibAreExcludedNotFatal) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    StemJob();
    Set("Miscellaneous", "BooleansDefaultTrue", "FTTTTTTTTT");
    Set("Miscellaneous", "OwningLibraryString", "1");
    // The link between holdings and bib goes after the work list is written.
    host_.onStep = [&](const std::string& step) {
        if (step == "Retrieving records") Catalog().Exec("DELETE FROM " + Prefix() + "BIB_MFHD");
    };
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) +
                            "       2 records read\r\n"
                            "       1 records excluded by owning library\r\n"
                            "       1 records needing the requested change\r\n"
                            "       1 records would have been updated\r\n"
                            "       1 rows in the change report\r\n\r\n");
}

TEST_P(RunDb, RecordWithoutSegmentsIsListedAsEmpty) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    Catalog().Exec("DELETE FROM " + Prefix() + "BIB_DATA WHERE BIB_ID = 1");
    StemJob();
    EXPECT_EQ(Perform(), RunOutcome::Completed);
    EXPECT_EQ(Report(), Head(false) +
                            "       1 records read\r\n"
                            "       1 records recalled but empty (listed below)\r\n\r\n"
                            "These records came up 'empty' when retrieved\r\n\tB 1\r\n\r\n");
}

TEST_P(RunDb, SqlErrorInTheLinkQueryEndsTheRunWithAReport) {
    StemJob("http://old.example/'broken");
    EXPECT_EQ(Perform(), RunOutcome::SqlError);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].second.rfind("Error in SQL: ", 0), 0u);
    const std::string report = Report();
    EXPECT_NE(report.find("       0 records read\r\n\r\nError in SQL statement: "), std::string::npos) << report;
}

TEST_P(RunDb, MissingReportFolderStopsBeforeTheDatabaseIsTouched) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    Set("Folders", "FolderForReports", Folder() + "no-such-folder/");
    Set("General", "Debug", "False");
    EXPECT_EQ(Perform(true), RunOutcome::FileError);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].second.find(Folder() + "no-such-folder/LINKMEND."), std::string::npos);
    EXPECT_NE(host_.messages[0].second.find(".Report.txt"), std::string::npos);
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
}

TEST_P(RunDb, DiagnosticModeDumpsTheLinksOfOneRecordAndEnds) {
    Catalog().AddBib(7, {k008, "245 00 $aT", "856 40 $uhttp://old.example/\xC3\xA9$yCaf\xC3\xA9"});
    StemJob("http://old.example/U+00e9");
    Set("General", "RecordOfInterest", "7");
    EXPECT_EQ(Perform(), RunOutcome::Diagnostic);
    EXPECT_EQ(ReadFile(Reports() + "UrlInfo.txt"),
              "LOOKING FOR: 687474703A2F2F6F6C642E6578616D706C652F"
              "C3A9\r\n\r\n"
              "B\t7\t687474703A2F2F6F6C642E6578616D706C652F"
              "C3A9\t436166C3A9\r\n");
    EXPECT_EQ(RunFile(".Report.txt"), "");
}

TEST_P(RunDb, StemCodePointsBecomeCharactersOthersStayText) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://a.example/caf\xC3\xA9/U+zz/U+00/x"});
    StemJob("  http://a.example/cafU+00E9/U+zz/U+00  ", "https://b.example/");
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_NE(Report().find("Old stem: http://a.example/caf\xC3\xA9/U+zz/U+00\r\n"), std::string::npos) << Report();
    EXPECT_EQ(StoredFields("BIB", 1), (std::vector<std::string>{"245 00 $aT", "856 40 $uhttps://b.example//x"}));
}

// Cancel at each checkpoint: the report is written and says what was done up to there.
TEST_P(RunDb, CancelWhileReadingTheLinkRows) {
    for (int bib = 1; bib <= 3; ++bib) Catalog().AddBib(bib, {k008, "245 00 $aT", "856 40 $uhttp://old.example/"});
    StemJob();
    host_.onStep = [&](const std::string& step) { host_.cancel = host_.cancel || step == "Finding records"; };
    EXPECT_EQ(Perform(), RunOutcome::Cancelled);
    EXPECT_EQ(Report(), Head(false) + "       0 records read\r\n\r\n");
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (1)");
}

TEST_P(RunDb, CancelWhileWritingTheWorkList) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/"});
    StemJob();
    int rowsSeen = 0;
    host_.onPump = [&] {
        // After the last link row the run moves on to the work list; cancel there.
        if (!host_.steps.empty() && host_.steps.back() == "Finding records" && ++rowsSeen == 4) host_.cancel = true;
    };
    EXPECT_EQ(Perform(), RunOutcome::Cancelled);
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (2)");
}

TEST_P(RunDb, CancelFinishesTheHoldingsOfTheBibBegun) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    // Holdings selected case-blind but not changed: a changed record meets the checkpoint after its
    // change, an unchanged one goes on.
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h10"});
    Catalog().AddHoldings(11, 1, {"852 0  $bMAIN", "856 41 $uHTTP://OLD.EXAMPLE/h11"});
    Catalog().AddBib(2, {k008, "245 00 $aT", "856 40 $uhttp://old.example/2"});
    StemJob();
    host_.onRetrieved = [&](const std::string& text) { host_.cancel = host_.cancel || text == "Read: 2 of 4"; };
    EXPECT_EQ(Perform(), RunOutcome::Cancelled);
    EXPECT_EQ(Report(), Head(false) +
                            "       3 records read\r\n"
                            "       1 records needing the requested change\r\n"
                            "       1 records would have been updated\r\n"
                            "       1 rows in the change report\r\n\r\n");
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (3)");
}

TEST_P(RunDb, CancelAfterAChangeBeforeItIsWritten) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    host_.onChanged = [&](const std::string& text) { host_.cancel = host_.cancel || text == "Changed: 0"; };
    EXPECT_EQ(Perform(true), RunOutcome::Cancelled);
    EXPECT_EQ(Report(), Head(true) + "       1 records read\r\n\r\n");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (6)");
}

TEST_P(RunDb, CancelRightAfterSigningOn) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    int pumpsAfterChange = -1;
    host_.onChanged = [&](const std::string& text) { pumpsAfterChange = text == "Changed: 0" ? 0 : -1; };
    // The checkpoint after the change pumps once; the one after signing on pumps next.
    host_.onPump = [&] {
        if (pumpsAfterChange >= 0 && ++pumpsAfterChange == 2) host_.cancel = true;
    };
    EXPECT_EQ(Perform(true), RunOutcome::Cancelled);
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (7)");
}

TEST_P(RunDb, ItemLinesSignOnInProductionAndAreNeverChanged) {
    Catalog().AddBib(1, {k008, "245 00 $aT"});
    Catalog().AddHoldings(10, 1, {"852 0  $bMAIN"});
    Catalog().AddItem(500, 10, 1, "http://old.example/item");
    StemJob();
    host_.onPump = [&] {
        if (host_.retrieved == "Read: 1 of 1") host_.cancel = true;
    };
    EXPECT_EQ(Perform(true), RunOutcome::Cancelled);
    const auto log = RunLog();
    EXPECT_EQ(log[log.size() - 2], "Cancel button clicked (5)");
    EXPECT_NE(std::find(log.begin(), log.end(), "Retrieved: 500\tI"), log.end());
}

TEST_P(RunDb, DeferredProductionRunWaitsForItsStartOrEndsWithoutReport) {
    Catalog().AddBib(1, {k008, "245 00 $aT", "856 40 $uhttp://old.example/1"});
    StemJob();
    Set("General", "DeferredDSN", Db().ReadOnlyDsn());
    host_.startWhenScheduled = false;
    EXPECT_EQ(Perform(true), RunOutcome::CountdownCancelled);
    EXPECT_EQ(host_.countdowns, 1);
    EXPECT_EQ(RunFile(".Report.txt"), "");
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 0);

    host_.startWhenScheduled = true;
    EXPECT_EQ(Perform(true), RunOutcome::Completed);
    EXPECT_EQ(host_.countdowns, 2);
    EXPECT_EQ(Catalog().Count("BIB_HISTORY WHERE ACTION_TYPE_ID = 2"), 1);

    EXPECT_EQ(Perform(false), RunOutcome::Completed);  // a test run never waits
    EXPECT_EQ(host_.countdowns, 2);
}

LINKMEND_DB_TEST_SUITE(RunDb);

TEST(ScheduledStartTest, TenAtNightUntilTwoInTheMorning) {
    EXPECT_FALSE(ScheduledStartReached(DateTime::Parse("2024-05-01 09:00:00")));
    EXPECT_FALSE(ScheduledStartReached(DateTime::Parse("2024-05-01 21:59:59")));
    EXPECT_TRUE(ScheduledStartReached(DateTime::Parse("2024-05-01 22:00:00")));
    EXPECT_TRUE(ScheduledStartReached(DateTime::Parse("2024-05-01 23:30:00")));
    EXPECT_TRUE(ScheduledStartReached(DateTime::Parse("2024-05-02 01:59:59")));
    EXPECT_FALSE(ScheduledStartReached(DateTime::Parse("2024-05-02 02:00:00")));
}

}  // namespace
