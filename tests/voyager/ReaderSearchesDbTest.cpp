// Index searches against both drivers: the statement each search sends, the rows it finds, and the
// column that comes back decoded from hexadecimal.
#include "ReaderDbTest.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend::test {
namespace {

const std::string kCafe = "caf\xC3\xA9";
const std::string kCjk = "\xE4\xB8\xAD\xE6\x96\x87";

class ReaderSearches : public ReaderDb {
protected:
    // Values are bound, so that any octets reach the tables unchanged.
    void Row(const std::string& table, const std::string& columns, std::vector<std::string> values) {
        std::string marks;
        for (std::size_t i = 0; i < values.size(); ++i) marks += i ? ", ?" : "?";
        auto st = Writer().Prepare("INSERT INTO " + P() + table + " (" + columns + ") VALUES (" + marks + ")");
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] == "<null>") st.BindNull(static_cast<int>(i + 1));
            else st.BindText(static_cast<int>(i + 1), values[i]);
        }
        st.Execute();
    }
    std::vector<std::string> Column(VgerReaderClass7& r, std::int16_t set, std::int16_t column) {
        std::vector<std::string> out;
        while (r.GetNextRow(set)) out.push_back(r.CurrentRow(column));
        return out;
    }
    std::string Heading(const std::string& text) { return marc_.NormalizeWholeField("V", "A", "100", "10", text); }

    Utf8MarcRecordClass marc_;
};

using Rows = std::vector<std::string>;

TEST_P(ReaderSearches, UrlSearchTruncatedFindsEveryLinkOfTheStemOnce) {
    Exec("INSERT INTO " + P() +
         "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (1, 'B', 'http://a.org/x'), "
         "(1, 'B', 'http://a.org/x'), (2, 'B', 'http://a.org/y'), (3, 'M', 'http://b.org/a.org/')");
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchUrl("http://a.org/", s, true);
    EXPECT_EQ(r->Engine().SQLString(), "SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM " + P() +
                                           "ELINK_INDEX WHERE LINK LIKE 'http://a.org/%'");
    Rows links = Column(*r, s, 3);
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (Rows{"http://a.org/x", "http://a.org/y"}));
    r->SearchUrl("http://a.org/x", s);
    EXPECT_EQ(Column(*r, s, 1), Rows{"1"});
    r->SearchUrl("http://a.org/", s);
    EXPECT_EQ(Column(*r, s, 1), Rows{});
    r->SearchUrl("it's", s);  // an apostrophe is text
    EXPECT_EQ(Column(*r, s, 1), Rows{});
}

TEST_P(ReaderSearches, BibStandardNumberWithAsteriskSearchesItsIndexList) {
    std::string tag = "022", number = "1234-5678";
    const std::string norm = marc_.NormalizeStandardNumber(tag, number);
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"1", "022A", norm, "1234-5678 " + kCafe});
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"2", "022Y", norm, "1234-5678"});
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"3", "022Z", norm, "1234-5678"});
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"4", "020A", norm, "1234-5678"});
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchBibStandardNumber("022", "*", "1234-5678", s);
    EXPECT_EQ(r->StandardNumberNormalized(), norm);
    EXPECT_EQ(r->Engine().SQLString(), "SELECT BIB_ID, INDEX_CODE, RAWTOHEX(DISPLAY_HEADING), NORMAL_HEADING FROM " +
                                           P() + "BIB_INDEX WHERE NORMAL_HEADING = '" + norm +
                                           "' AND INDEX_CODE IN ('022A', '022Y', '022Z')");
    Rows ids, display;
    while (r->GetNextRow(s)) {
        ids.push_back(r->CurrentRow(1));
        if (r->CurrentRow(1) == "1") display.push_back(r->CurrentRow(3));
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (Rows{"1", "2", "3"}));
    EXPECT_EQ(display, Rows{"1234-5678 " + kCafe});  // decoded back to its octets
    r->SearchBibStandardNumber("020", "a", norm.substr(0, 3), s, true, true);
    EXPECT_EQ(r->Engine().SQLString().substr(r->Engine().SQLString().find(" WHERE")),
              " WHERE NORMAL_HEADING LIKE '" + norm.substr(0, 3) + "%' AND INDEX_CODE = '020A'");
    EXPECT_EQ(Column(*r, s, 1), Rows{"4"});
}

TEST_P(ReaderSearches, AuthorityStandardNumberShowsItsCodeWithAZero) {
    Row("AUTH_INDEX", "AUTH_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING",
        {"10", "A10Z", "N79021164", "n 79021164"});
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchAuthStandardNumber("010", "z", "N79021164", s, false, true);
    EXPECT_EQ(r->Engine().SQLString(), "SELECT AUTH_ID, INDEX_CODE, RAWTOHEX(DISPLAY_HEADING), NORMAL_HEADING FROM " +
                                           P() +
                                           "AUTH_INDEX WHERE NORMAL_HEADING = 'N79021164' AND INDEX_CODE = 'A10Z'");
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(2), "010Z");
    EXPECT_EQ(r->CurrentRow(3), "n 79021164");
    EXPECT_EQ(r->CurrentRow(4), "N79021164");
}

TEST_P(ReaderSearches, CallNumberNormalisedNativeAndThroughTheBibIndex) {
    Exec("INSERT INTO " + P() + "CALL_NO_TYPE VALUES ('0', 'LC'), ('1', 'Dewey'), ('8', 'agr')");
    const std::string display = "QA76.73 .C153 " + kCafe;
    const std::string norm = marc_.NormalizeCallNumber(display, "0");
    Row("MFHD_MASTER", "MFHD_ID, NORMALIZED_CALL_NO, DISPLAY_CALL_NO, CALL_NO_TYPE", {"30", norm, display, "0"});
    Row("MFHD_MASTER", "MFHD_ID, NORMALIZED_CALL_NO, DISPLAY_CALL_NO, CALL_NO_TYPE", {"31", norm, display, "1"});
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"8", "0500", norm, display});
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchCallNumber("LC", display, s);
    EXPECT_EQ(r->CallNumberNormalized(), norm);
    ASSERT_TRUE(r->GetNextRow(s)) << r->Engine().SQLString();
    EXPECT_EQ(r->CurrentRow(1), "30");
    EXPECT_EQ(r->CurrentRow(3), display);
    EXPECT_FALSE(r->GetNextRow(s));
    r->SearchCallNumber("*", "QA76.73", s, true, true);
    EXPECT_EQ(r->Engine().SQLString(),
              "SELECT MFHD_ID, CALL_NO_TYPE, RAWTOHEX(DISPLAY_CALL_NO), NORMALIZED_CALL_NO FROM " + P() +
                  "MFHD_MASTER WHERE DISPLAY_CALL_NO LIKE 'QA76.73%'");
    Rows ids = Column(*r, s, 1);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (Rows{"30", "31"}));
    r->SearchCallNumber("0", display, s, false, false, false, true);
    ASSERT_TRUE(r->GetNextRow(s)) << r->Engine().SQLString();
    EXPECT_EQ(r->CurrentRow(1), "8");
    EXPECT_EQ(r->CurrentRow(3), display);
    ExpectError([&] { r->SearchCallNumber("7", "x", s); }, 380, "VgerRead",
                "Invalid value for CallNumberType property: no $2 code");
    r->SearchCallNumber("7 agr", display, s, false, true);  // source in $2, a code of the table
    EXPECT_NE(r->Engine().SQLString().find("CALL_NO_TYPE = '7'"), std::string::npos);
    ExpectError([&] { r->SearchCallNumber("7 nlm", "x", s); }, 380, "VgerRead",
                "Invalid value for CallNumberType property: $2 code unrecognized");
    ExpectError([&] { r->SearchCallNumber("?", "x", s); }, 380, "VgerRead",
                "Invalid value for CallNumberType property: ?");
}

class HeadingSearches : public ReaderSearches {
protected:
    void SetUp() override {
        ReaderSearches::SetUp();
        if (IsSkipped()) return;
        const std::string columns =
            "HEADING_ID, INDEX_TYPE, HEADING_TYPE, NORMAL_HEADING, DISPLAY_HEADING, OPACBIBS, "
            "STAFFBIBS, STAFFREFS";
        Row("HEADING", columns, {"1", "n", "p", Heading("Smith, John"), "Smith, John", "1", "1", "2"});
        Row("HEADING", columns, {"2", "n", "p", Heading("Smith, Johnson"), "Smith, Johnson", "1", "1", "<null>"});
        Row("HEADING", columns, {"3", "s", "l", Heading(kCjk), kCjk, "1", "1", "1"});
        Row("HEADING", columns, {"4", "n", "p", Heading("Smith, John David"), "Smith, John David", "1", "1", "1"});
    }
};

TEST_P(HeadingSearches, ExactHeadingComesBackWithItsNormalFormAndReferenceFlag) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeading("Smith, John", s);
    EXPECT_EQ(r->Engine().SQLString(),
              "SELECT HEADING_ID, INDEX_TYPE, HEADING_TYPE, RAWTOHEX(NORMAL_HEADING), OPACBIBS, STAFFBIBS, STAFFREFS "
              "FROM " +
                  P() + "HEADING WHERE NORMAL_HEADING = '" + Heading("Smith, John") +
                  "' AND 'X' || STAFFREFS != 'X' ORDER BY NORMAL_HEADING");
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "1");
    EXPECT_EQ(r->CurrentRow(4), Heading("Smith, John"));
    EXPECT_EQ(r->CurrentRow(7), "Y");
    EXPECT_FALSE(r->GetNextRow(s));
}

TEST_P(HeadingSearches, TruncationWithTrailingBlankMatchesWholeWordsOnly) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeading("Smith, John", s, true, true);
    EXPECT_EQ(Column(*r, s, 1), (Rows{"1", "4", "2"}));
    r->SearchHeading("Smith, John ", s, true, true);
    EXPECT_EQ(Column(*r, s, 1), Rows{"4"});
    r->SearchHeading("Smith, John", s, true, false, "n", "pq");
    EXPECT_NE(r->Engine().SQLString().find(" AND INDEX_TYPE = 'n' AND HEADING_TYPE IN ('p', 'q') AND 'X' || STAFFREFS"),
              std::string::npos);
    EXPECT_EQ(Column(*r, s, 1), (Rows{"1", "4"}));  // 2 has no references
}

TEST_P(HeadingSearches, BlockFetchHandsOutEveryRowInOrder) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeadingBlock("Smith", s, true, true, "", "", 2);
    EXPECT_EQ(r->RowsPerFetch(), 2);
    Rows ids, headings;
    while (r->GetNextRow(s)) {
        ids.push_back(r->CurrentRow(1));
        headings.push_back(r->CurrentRow(4));
    }
    EXPECT_EQ(ids, (Rows{"1", "4", "2"}));
    EXPECT_EQ(headings, (Rows{Heading("Smith, John"), Heading("Smith, John David"), Heading("Smith, Johnson")}));
    r->SearchHeading("Smith", s, true, true);  // the same set, one row per call again
    EXPECT_EQ(r->RowsPerFetch(), 0);
    EXPECT_EQ(Column(*r, s, 1), (Rows{"1", "4", "2"}));
}

TEST_P(HeadingSearches, NonLatinHeadingIsSentAsCharacterCodes) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeading(kCjk, s);
    const std::string sql = r->Engine().SQLString();
    EXPECT_NE(sql.find("NORMAL_HEADING = CHR(228) || CHR(184) || CHR(173) || CHR(230)"), std::string::npos) << sql;
    EXPECT_TRUE(std::all_of(sql.begin(), sql.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    ASSERT_TRUE(r->GetNextRow(s)) << sql;
    EXPECT_EQ(r->CurrentRow(1), "3");
    EXPECT_EQ(r->CurrentRow(4), Heading(kCjk));
    r->SearchHeading(kCjk.substr(0, 3), s, true);
    EXPECT_NE(r->Engine().SQLString().find(" || CHR(37) AND"), std::string::npos);
    EXPECT_EQ(Column(*r, s, 1), Rows{"3"});
}

TEST_P(HeadingSearches, EmptyHeadingRunsAndFindsNothing) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeading("", s, true, true);
    EXPECT_NE(r->Engine().SQLString().find("LIKE '3 4 X X X 1 7 9 x x x%'"), std::string::npos);
    EXPECT_FALSE(r->GetNextRow(s));
}

TEST_P(HeadingSearches, BibHeadingKeepsThreeCharacterCodeAndDecodesDisplay) {
    const std::string norm = marc_.NormalizeWholeField("V", "B", "100", "10", "Smith, John");
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING",
        {"8", "700H", norm, "Smith, John " + kCafe});
    Row("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING", {"9", "650H", norm, "Smith, John"});
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchBibHeading("Personal", "10", "Smith, John", s, false);
    EXPECT_EQ(r->BibHeadingNormalized(), norm);
    EXPECT_EQ(r->Engine().SQLString(), "SELECT BIB_ID, INDEX_CODE, NORMAL_HEADING, RAWTOHEX(DISPLAY_HEADING) FROM " +
                                           P() + "BIB_INDEX WHERE NORMAL_HEADING = '" + norm +
                                           "' AND INDEX_CODE IN ('100H', '400H', '600H', '700H', '800H') ORDER BY "
                                           "NORMAL_HEADING");
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "8");
    EXPECT_EQ(r->CurrentRow(2), "700");
    EXPECT_EQ(r->CurrentRow(4), "Smith, John " + kCafe);
    EXPECT_FALSE(r->GetNextRow(s));
}

TEST_P(HeadingSearches, HeadingAndSubdivisionIdSearchesDecodeColumnTwo) {
    Row("AUTH_HEADING",
        "AUTH_ID, HEADING_ID_POINTER, HEADING_ID_POINTEE, REFERENCE_TYPE, SCOPE_NOTE_PRESENT, "
        "DISPLAY_HEADING",
        {"20", "1", "2", "a", "N", "Smith, John " + kCafe});
    Row("BIB_HEADING", "BIB_ID, HEADING_ID, DISPLAY_HEADING", {"21", "1", kCjk});
    Row("SUBDIVISION", "SUBDIV_ID, SUBDIV_TYPE, NORMAL_SUBDIV, AUTHORIZED, HEADING_TYPE",
        {"5", "x", Heading("History"), "Y", "l"});
    Row("SUBDIVISION", "SUBDIV_ID, SUBDIV_TYPE, NORMAL_SUBDIV, AUTHORIZED, HEADING_TYPE",
        {"6", "x", Heading("History and criticism"), "N", "l"});
    Row("AUTH_SUBDIVISION", "AUTH_ID, SUBDIV_ID_POINTER, REFERENCE_TYPE, DISPLAY_SUBDIV",
        {"22", "5", "a", "Hist" + kCafe});
    Row("BIB_SUBDIVISION", "BIB_ID, SUBDIV_ID, DISPLAY_SUBDIV", {"23", "5", "History"});
    Exec("INSERT INTO " + P() + "HEADING_SUBDIVISION VALUES (1, 5), (2, 5)");
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchHeadingIDAuth("1", s);
    EXPECT_EQ(r->Engine().SQLString(),
              "SELECT AUTH_ID, RAWTOHEX(DISPLAY_HEADING), REFERENCE_TYPE, SCOPE_NOTE_PRESENT, "
              "HEADING_ID_POINTEE FROM " +
                  P() +
                  "AUTH_HEADING WHERE HEADING_ID_POINTER = 1 "
                  "ORDER BY AUTH_ID");
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "20");
    EXPECT_EQ(r->CurrentRow(2), "Smith, John " + kCafe);
    EXPECT_EQ(r->CurrentRow(5), "2");
    r->SearchHeadingIDBib("1", s);
    EXPECT_EQ(Column(*r, s, 2), Rows{kCjk});
    r->SearchSubdivIDAuth("5", s);
    EXPECT_EQ(Column(*r, s, 2), Rows{"Hist" + kCafe});
    r->SearchSubdivIDBib("5", s);
    EXPECT_EQ(Column(*r, s, 2), Rows{"History"});
    r->SearchSubdivIDHeading("5", s);
    EXPECT_EQ(r->Engine().SQLString(),
              "SELECT T2.HEADING_ID, T2.INDEX_TYPE, T2.HEADING_TYPE, RAWTOHEX(T2.NORMAL_HEADING), "
              "T2.OPACBIBS, T2.STAFFBIBS, T2.STAFFREFS FROM " +
                  P() + "HEADING_SUBDIVISION T1, " + P() +
                  "HEADING T2 WHERE T1.SUBDIV_ID = 5 AND 'X' || T2.STAFFREFS != 'X' AND "
                  "T2.HEADING_ID = T1.HEADING_ID");
    EXPECT_EQ(Column(*r, s, 4), Rows{Heading("Smith, John")});  // heading 2 has no references
    r->SearchSubdivIDHeading("5", s, true);
    Rows both = Column(*r, s, 1);
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (Rows{"1", "2"}));
    r->SearchSubdiv("l", "History", s);
    EXPECT_EQ(r->Engine().SQLString(), "SELECT SUBDIV_ID, SUBDIV_TYPE, NORMAL_SUBDIV, AUTHORIZED, HEADING_TYPE FROM " +
                                           P() + "SUBDIVISION WHERE HEADING_TYPE = 'l' AND NORMAL_SUBDIV = '" +
                                           Heading("History") + "' AND AUTHORIZED = 'Y'");
    EXPECT_EQ(Column(*r, s, 1), Rows{"5"});
    r->SearchSubdiv("l", "History ", s, true, true, "x");
    EXPECT_EQ(Column(*r, s, 1), Rows{"6"});
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderSearches);
LINKMEND_DB_TEST_SUITE(HeadingSearches);

}  // namespace linkmend::test
