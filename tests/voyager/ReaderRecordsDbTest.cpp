// Record reassembly and metadata against both drivers.
#include "ReaderDbTest.h"

namespace linkmend::test {
namespace {

class ReaderRecords : public ReaderDb {
protected:
    void Library(int id, const std::string& name, const std::string& display, const std::string& nuc) {
        Exec("INSERT INTO " + P() + "LIBRARY VALUES (" + std::to_string(id) + ", '" + name + "', '" + display + "', '" +
             nuc + "')");
    }
    void Holdings(int id, const std::string& record, const std::string& suppress, int location) {
        InsertSegments("MFHD_DATA", "MFHD_ID", id, Cut(record, 300));
        Exec("INSERT INTO " + P() +
             "MFHD_MASTER (MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC, NORMALIZED_CALL_NO, "
             "DISPLAY_CALL_NO, CALL_NO_TYPE) VALUES (" +
             std::to_string(id) + ", " + std::to_string(location) + ", '" + suppress +
             "', 'QA 76.73 C153', 'QA76.73.C153', '0')");
    }
    void Location(int id, const std::string& code, const std::string& suppress = "N") {
        Exec("INSERT INTO " + P() +
             "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, "
             "LOCATION_SPINE_LABEL, SUPPRESS_IN_OPAC) VALUES (" +
             std::to_string(id) + ", '" + code + "', 'Name " + code + "', 'Display " + code + "', 'Spine " + code +
             "', '" + suppress + "')");
    }
};

TEST_P(ReaderRecords, SegmentsOf990990And400ReassembleTo2380ExactOctets) {
    const std::string record = RecordOf(2380);
    InsertSegments("BIB_DATA", "BIB_ID", 11, Cut(record, 990));
    auto r = NewReader();
    r->RetrieveBibRecord("11");
    EXPECT_TRUE(OctetsEqual(record, r->BibRecord()));
}

TEST_P(ReaderRecords, ShortStoredSegmentIsPaddedWithBlanksButTheLastNever) {
    const std::string first = RecordOf(985, 'a');
    const std::string second = RecordOf(700, 'b') + "   ";  // trailing blanks of the last segment stay
    InsertSegments("BIB_DATA", "BIB_ID", 12, {first, second});
    InsertSegments("AUTH_DATA", "AUTH_ID", 12, {first, second});
    auto r = NewReader();
    r->RetrieveBibRecord("12");
    EXPECT_TRUE(OctetsEqual(first + std::string(5, ' ') + second, r->BibRecord()));
    r->RetrieveAuthRecord("12");
    EXPECT_TRUE(OctetsEqual(first + std::string(5, ' ') + second, r->AuthRecord()));
}

TEST_P(ReaderRecords, HoldingsSegmentsAreThreeHundredOctets) {
    const std::string a = RecordOf(296, 'h');
    const std::string b = RecordOf(300, 'i');
    const std::string c = RecordOf(40, 'j');
    Location(5, "main");
    InsertSegments("MFHD_DATA", "MFHD_ID", 21, {a, b, c});
    Exec("INSERT INTO " + P() + "MFHD_MASTER (MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC) VALUES (21, 5, 'N')");
    auto r = NewReader();
    r->RetrieveHoldRecord("21");
    EXPECT_TRUE(OctetsEqual(a + "    " + b + c, r->HoldRecord()));
}

TEST_P(ReaderRecords, MissingRecordIsEmptyNotAnError) {
    auto r = NewReader();
    r->RetrieveBibRecord(" 999 ");
    EXPECT_EQ(r->BibRecordNumber(), "999");
    EXPECT_EQ(r->BibRecord(), "");
    EXPECT_TRUE(r->BibDateLastModifiedVB().IsZero());
    r->RetrieveHoldRecord("999");
    EXPECT_EQ(r->HoldRecord(), "");
    EXPECT_EQ(r->HoldBibRecordNumber(), "");
    r->RetrieveAuthRecord("999");
    EXPECT_EQ(r->AuthRecord(), "");
}

TEST_P(ReaderRecords, BibSuppressionNeedsAnUpperCaseN) {
    InsertBib(1, RecordOf(100), "N");
    InsertBib(2, RecordOf(100), "n");
    InsertBib(3, RecordOf(100), "Y");
    InsertSegments("BIB_DATA", "BIB_ID", 4, {RecordOf(100)});  // no BIB_MASTER row
    auto r = NewReader();
    r->RetrieveBibRecord("1");
    EXPECT_FALSE(r->BibRecordIsSuppressed());
    EXPECT_EQ(r->BibOwningLibraryNumber(), "1");
    r->RetrieveBibRecord("2");
    EXPECT_TRUE(r->BibRecordIsSuppressed());
    r->RetrieveBibRecord("3");
    EXPECT_TRUE(r->BibRecordIsSuppressed());
    r->RetrieveBibRecord("4");
    EXPECT_TRUE(r->BibRecordIsSuppressed());
    EXPECT_EQ(r->BibOwningLibraryNumber(), "");
}

TEST_P(ReaderRecords, HoldingsSuppressionIsACaseBlindY) {
    Location(5, "main");
    Holdings(31, RecordOf(120), "y", 5);
    Holdings(32, RecordOf(120), "N", 5);
    Holdings(33, RecordOf(120), "Y", 5);
    auto r = NewReader();
    r->RetrieveHoldRecord("31");
    EXPECT_TRUE(r->HoldRecordIsSuppressed());
    r->RetrieveHoldRecord("32");
    EXPECT_FALSE(r->HoldRecordIsSuppressed());
    r->RetrieveHoldRecord("33");
    EXPECT_TRUE(r->HoldRecordIsSuppressed());
}

TEST_P(ReaderRecords, HoldingsMetadataLinksLocationAndCallNumber) {
    Location(5, "main");
    Location(6, "annex", "Y");
    Holdings(40, RecordOf(120), "N", 6);
    Holdings(41, RecordOf(120), "N", 5);
    Exec("INSERT INTO " + P() + "BIB_MFHD VALUES (9, 40), (7, 40), (8, 41)");
    auto r = NewReader();
    r->RetrieveHoldRecord("40");
    EXPECT_EQ(r->HoldBibRecordNumber(), "7");
    EXPECT_TRUE(r->HoldRecordIsMultiplyLinked());
    EXPECT_EQ(r->HoldLocationID(), "6");
    EXPECT_EQ(r->HoldLocationCode(), "annex");
    EXPECT_EQ(r->HoldLocationName(), "Name annex");
    EXPECT_EQ(r->HoldLocationDisplay(), "Display annex");
    EXPECT_EQ(r->HoldLocationSpine(), "Spine annex");
    EXPECT_EQ(r->HoldCallNoNormalized(), "QA 76.73 C153");
    EXPECT_EQ(r->HoldCallNoDisplay(), "QA76.73.C153");
    EXPECT_EQ(r->HoldCallNoType(), "0");
    r->RetrieveHoldRecord("41");
    EXPECT_EQ(r->HoldBibRecordNumber(), "8");
    EXPECT_FALSE(r->HoldRecordIsMultiplyLinked());
    EXPECT_EQ(r->HoldLocationCode(), "main");
    // The job's holdings path: the linked bibliographic record read afterwards keeps both valid.
    InsertBib(8, RecordOf(300), "N", "3");
    r->BibRecordNumber(r->HoldBibRecordNumber());
    r->RetrieveBibRecord();
    EXPECT_EQ(r->BibRecord().size(), 300u);
    EXPECT_EQ(r->BibOwningLibraryNumber(), "3");
    EXPECT_EQ(r->HoldLocationID(), "5");
}

TEST_P(ReaderRecords, LastModifiedIsNewestUpdateElseCreationElseZero) {
    InsertBib(1, RecordOf(100));
    History("BIB", 1, "2019-03-04 05:06:07", "cat1", 1);
    InsertBib(2, RecordOf(100));
    History("BIB", 2, "2019-03-04 05:06:07", "cat1", 1);
    History("BIB", 2, "2021-01-02 03:04:05", "cat2", 2);
    History("BIB", 2, "2023-07-08 09:10:11", "cat3", 3);
    History("BIB", 2, "2022-12-31 23:59:59", "cat4", 2);
    InsertBib(3, RecordOf(100));  // no history at all
    auto r = NewReader();
    r->RetrieveBibRecord("1");
    EXPECT_EQ(r->BibCreateOperatorID(), "cat1");
    EXPECT_EQ(r->BibUpdateDate(), "");
    EXPECT_EQ(r->BibCreateDateVB().Format(), "2019-03-04 05:06:07");
    EXPECT_EQ(r->BibDateLastModifiedVB(), r->BibCreateDateVB());
    EXPECT_TRUE(r->BibUpdateDateVB().IsZero());
    r->RetrieveBibRecord("2");
    EXPECT_EQ(r->BibUpdateOperatorID(), "cat3");
    EXPECT_EQ(r->BibDateLastModifiedVB().Format(), "2023-07-08 09:10:11");
    r->RetrieveBibRecord("3");
    EXPECT_EQ(r->BibCreateDate(), "");
    EXPECT_TRUE(r->BibDateLastModifiedVB().IsZero());
    EXPECT_EQ(r->BibDateLastModifiedVB().Format(), "1899-12-30 00:00:00");
}

// SQLite hands back whatever text was stored: fractional seconds are read, a text that is no date
// gives zero (and so does its last-modified date, which the job then passes on as zero).
TEST_P(ReaderRecords, DateTextsWithFractionsAndUnreadableDates) {
    InsertBib(1, RecordOf(100));
    InsertBib(2, RecordOf(100));
    if (IsSqlite()) {
        Exec("INSERT INTO " + P() +
             "BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES "
             "(1, '2019-03-04 05:06:07.250', 'a', 1), (2, 'last Tuesday', 'b', 1)");
    } else {
        History("BIB", 1, "2019-03-04 05:06:07", "a", 1);
        Exec("INSERT INTO " + P() +
             "BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES "
             "(2, NULL, 'b', 1)");
    }
    auto r = NewReader();
    r->RetrieveBibRecord("1");
    EXPECT_EQ(r->BibDateLastModifiedVB().Format(), "2019-03-04 05:06:07");
    r->RetrieveBibRecord("2");
    EXPECT_TRUE(r->BibCreateDateVB().IsZero());
    EXPECT_TRUE(r->BibDateLastModifiedVB().IsZero());
}

TEST_P(ReaderRecords, HoldingsAndAuthorityHistoryDates) {
    Location(5, "main");
    Holdings(50, RecordOf(120), "N", 5);
    History("MFHD", 50, "2020-02-02 10:00:00", "late", 1);
    History("MFHD", 50, "2018-01-01 09:00:00", "early", 1);
    InsertSegments("AUTH_DATA", "AUTH_ID", 60, {RecordOf(200)});
    History("AUTH", 60, "2017-05-05 05:05:05", "acat", 1);
    History("AUTH", 60, "2024-02-29 12:00:00", "aupd", 2);
    auto r = NewReader();
    r->RetrieveHoldRecord("50");
    EXPECT_EQ(r->HoldCreateOperatorID(), "early");  // the earliest creation row
    EXPECT_EQ(r->HoldCreateDateVB().Format(), "2018-01-01 09:00:00");
    EXPECT_TRUE(r->HoldUpdateDateVB().IsZero());
    EXPECT_EQ(r->HoldDateLastModifiedVB(), r->HoldCreateDateVB());
    r->RetrieveAuthRecord("60");
    EXPECT_EQ(r->AuthCreateOperatorID(), "acat");
    EXPECT_EQ(r->AuthUpdateOperatorID(), "aupd");
    EXPECT_EQ(r->AuthDateLastModifiedVB().Format(), "2024-02-29 12:00:00");
}

TEST_P(ReaderRecords, OwningLibraryNamesComeFromLibraryOnceThenFromCache) {
    Library(3, "Law Library", "The Law Library", "LAW");
    InsertBib(1, RecordOf(100), "N", "3");
    InsertBib(2, RecordOf(100), "N", "3");
    auto r = NewReader();
    r->BibRecordNumber("1");
    EXPECT_EQ(r->BibOwningLibraryNumber(), "3");
    EXPECT_EQ(r->BibOwningLibraryName(), "Law Library");
    EXPECT_EQ(r->BibOwningLibraryDisplayName(), "The Law Library");
    EXPECT_EQ(r->BibOwningLibraryNucCode(), "LAW");
    r->RetrieveBibRecord("2");
    const auto before = r->SqlStatementsSubmitted();
    EXPECT_EQ(r->BibOwningLibraryNucCode(), "LAW");  // from the cache
    EXPECT_EQ(r->SqlStatementsSubmitted(), before);
    std::string id, name, display, nuc;
    r->RetrieveOwningLibraryForBib("2", id, name, display, nuc);
    EXPECT_EQ(id, "3");
    EXPECT_EQ(name, "Law Library");
    EXPECT_EQ(display, "The Law Library");
    EXPECT_EQ(nuc, "LAW");
    r->RetrieveOwningLibraryForBib("77", id, name, display, nuc);
    EXPECT_EQ(id + name + display + nuc, "");
    ExpectError([&] { r->RetrieveOwningLibraryForBib("2 OR 1=1", id, name, display, nuc); }, 380, "VgerRead",
                "Invalid value for BibRecordNumber property: 2 OR 1=1");
}

TEST_P(ReaderRecords, OwningLibraryLookUpKeepsTheCallersCurrentRow) {
    InsertBib(1, RecordOf(100), "N", "4");
    Exec("INSERT INTO " + P() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (4, 'Music'), (5, 'Art')");
    auto r = NewReader();
    std::int16_t s = 0;
    r->ExecuteSQL("SELECT LIBRARY_NAME FROM " + P() + "LIBRARY ORDER BY LIBRARY_ID", s);
    ASSERT_TRUE(r->GetNextRow(s));
    r->BibRecordNumber("1");
    EXPECT_EQ(r->BibOwningLibraryName(), "Music");
    EXPECT_EQ(r->ResultSet(), s);
    EXPECT_EQ(r->CurrentRow(1), "Music");
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "Art");
}

TEST_P(ReaderRecords, BadIdsAreRefusedBeforeAnyStatement) {
    auto r = NewReader();
    ExpectError([&] { r->RetrieveBibRecord("12ab"); }, 380, "VgerRead",
                "Invalid value for BibRecordNumber property: 12ab");
    ExpectError([&] { r->RetrieveHoldRecord("1'--"); }, 380, "VgerRead",
                "Invalid value for HoldingsRecordNumber property\n\n1'--");
    ExpectError([&] { r->RetrieveAuthRecord("99999999999999999999"); }, 380, "VgerRead",
                "Invalid value for AuthRecordNumber property");
    EXPECT_EQ(r->SqlStatementsSubmitted(), 0);
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderRecords);

}  // namespace linkmend::test
