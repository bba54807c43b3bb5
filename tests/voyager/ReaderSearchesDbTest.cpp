// The reader's index searches on both drivers: the statement each sends, the rows it finds, and the
// column that comes back decoded from hexadecimal.
#include <algorithm>
#include <functional>

#include "ReaderDb.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend::test {
namespace {

const std::string kCafe = "caf\xC3\xA9", kCjk = "\xE4\xB8\xAD\xE6\x96\x87";

class ReaderSearches : public ReaderDb {
protected:
    void SetUp() override {
        ReaderDb::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) r_ = NewReader();
    }
    // The statement sent from its WHERE on, and the rows found, "a|b; " each of the columns asked (in
    // the order found, or sorted when the statement asks for none).
    std::string Found(std::int16_t set, std::vector<std::int16_t> columns = {1}, bool sorted = false) {
        const std::string sql = r_->Engine().SQLString();
        Rows rows;
        while (r_->GetNextRow(set)) {
            rows.emplace_back();
            for (std::size_t i = 0; i < columns.size(); ++i) rows.back() += (i ? "|" : "") + r_->CurrentRow(columns[i]);
        }
        if (sorted) std::sort(rows.begin(), rows.end());
        std::string found = sql.substr(sql.find(" WHERE")) + " =>";
        for (const std::string& row : rows) found += " " + row + ";";
        return found;
    }
    std::string Heading(const std::string& text) { return marc_.NormalizeWholeField("V", "A", "100", "10", text); }

    Utf8MarcRecordClass marc_;
    std::unique_ptr<VgerReaderClass7> r_;
};

TEST_P(ReaderSearches, LinksStandardNumbersAndCallNumbers) {
    Insert("ELINK_INDEX", "RECORD_ID, RECORD_TYPE, LINK",
           {{"1", "B", "http://a.org/x"},
            {"1", "B", "http://a.org/x"},
            {"2", "B", "http://a.org/y"},
            {"3", "M", "http://b.org/a.org/"}});
    std::string tag = "022", number = "1234-5678";
    const std::string issn = marc_.NormalizeStandardNumber(tag, number), call = "QA76.73 .C153 " + kCafe;
    const std::string norm = marc_.NormalizeCallNumber(call, "0");
    const std::string index = "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING";
    Insert("BIB_INDEX", index,
           {{"1", "022A", issn, "1234-5678 " + kCafe},
            {"2", "022Y", issn, "x"},
            {"3", "022Z", issn, "x"},
            {"4", "020A", issn, "x"},
            {"8", "0500", norm, call}});
    Insert("AUTH_INDEX", "AUTH_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING",
           {{"10", "A10Z", "N79021164", "n 79021164"}});
    Exec("INSERT INTO " + Prefix() + "CALL_NO_TYPE VALUES ('9', ''), ('0', 'LC'), ('1', 'Dewey'), ('8', 'agr')");
    Insert("MFHD_MASTER", "MFHD_ID, NORMALIZED_CALL_NO, DISPLAY_CALL_NO, CALL_NO_TYPE",
           {{"30", norm, call, "0"}, {"31", norm, call, "1"}});
    std::int16_t s = 0;
    r_->SearchUrl("http://a.org/", s, true);
    EXPECT_EQ(r_->Engine().SQLString(), "SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                                            "ELINK_INDEX WHERE LINK LIKE 'http://a.org/%'");
    Rows links = {};
    while (r_->GetNextRow(s)) links.push_back(r_->CurrentRow(3));
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (Rows{"http://a.org/x", "http://a.org/y"}));
    const auto sets = s;
    EXPECT_GT(sets, 0);  // the set the search opened
    const std::pair<std::function<void()>, std::string> searches[] = {
        {[&] { r_->SearchUrl("http://a.org/x", s); }, " WHERE LINK = 'http://a.org/x' => 1|B|http://a.org/x;"},
        {[&] { r_->SearchUrl("it's", s); }, " WHERE LINK = 'it''s' =>"},
        {[&] { r_->SearchBibStandardNumber("022", "*", "1234-5678", s); },
         " WHERE NORMAL_HEADING = '" + issn + "' AND INDEX_CODE IN ('022A', '022Y', '022Z') => 1|022A|1234-5678 " +
             kCafe + "; 2|022Y|x; 3|022Z|x;"},
        {[&] { r_->SearchBibStandardNumber("020", "a", issn.substr(0, 3), s, true, true); },
         " WHERE NORMAL_HEADING LIKE '" + issn.substr(0, 3) + "%' AND INDEX_CODE = '020A' => 4|020A|x;"},
        {[&] { r_->SearchAuthStandardNumber("010", "z", "N79021164", s, false, true); },
         " WHERE NORMAL_HEADING = 'N79021164' AND INDEX_CODE = 'A10Z' => 10|010Z|n 79021164;"},
        // The statement's non-ASCII literals go as hexadecimal pieces.
        {[&] { r_->SearchCallNumber("LC", call, s); },
         " WHERE NORMALIZED_CALL_NO = 'QA 0076.73 C153 CAF' || HEXTORAW('C3A9') || '' AND CALL_NO_TYPE = '0' => 30|0|" +
             call + ";"},
        {[&] { r_->SearchCallNumber("*", "QA76.73", s, true, true); },
         " WHERE DISPLAY_CALL_NO LIKE 'QA76.73%' => 30|0|" + call + "; 31|1|" + call + ";"},
        {[&] { r_->SearchCallNumber("0", call, s, false, false, false, true); },
         " WHERE NORMAL_HEADING = 'QA 0076.73 C153 CAF' || HEXTORAW('C3A9') || '' AND INDEX_CODE = '0500' => 8|0500|" +
             call + ";"},
        {[&] { r_->SearchCallNumber("7 agr", call, s, false, true); },
         " WHERE DISPLAY_CALL_NO = 'QA76.73 .C153 caf' || HEXTORAW('C3A9') || '' AND CALL_NO_TYPE = '7' =>"},
    };
    for (const auto& [search, found] : searches) {
        search();
        EXPECT_EQ(s, sets);  // the same set each time
        EXPECT_EQ(Found(s, {1, 2, 3}, true), found);
    }
    EXPECT_EQ(r_->StandardNumberNormalized() + "|" + r_->CallNumberNormalized(), "N79021164|" + norm);
}

class HeadingSearches : public ReaderSearches {};

TEST_P(HeadingSearches, HeadingsSubdivisionsAndTheirIds) {
    Insert("HEADING",
           "HEADING_ID, INDEX_TYPE, HEADING_TYPE, NORMAL_HEADING, DISPLAY_HEADING, OPACBIBS, STAFFBIBS, STAFFREFS",
           {{"1", "n", "p", Heading("Smith, John"), "Smith, John", "1", "1", "2"},
            {"2", "n", "p", Heading("Smith, Johnson"), "Smith, Johnson", "1", "1", "<null>"},
            {"3", "s", "l", Heading(kCjk), kCjk, "1", "1", "1"},
            {"4", "n", "p", Heading("Smith, John David"), "Smith, John David", "1", "1", "1"}});
    Insert("BIB_INDEX", "BIB_ID, INDEX_CODE, NORMAL_HEADING, DISPLAY_HEADING",
           {{"8", "700H", marc_.NormalizeWholeField("V", "B", "100", "10", "Smith, John"), "Smith, John " + kCafe},
            {"9", "650H", marc_.NormalizeWholeField("V", "B", "100", "10", "Smith, John"), "x"}});
    Insert("AUTH_HEADING",
           "AUTH_ID, HEADING_ID_POINTER, HEADING_ID_POINTEE, REFERENCE_TYPE, SCOPE_NOTE_PRESENT, DISPLAY_HEADING",
           {{"20", "1", "2", "a", "N", "Smith " + kCafe}});
    Insert("BIB_HEADING", "BIB_ID, HEADING_ID, DISPLAY_HEADING", {{"21", "1", kCjk}});
    Insert("SUBDIVISION", "SUBDIV_ID, SUBDIV_TYPE, NORMAL_SUBDIV, AUTHORIZED, HEADING_TYPE",
           {{"5", "x", Heading("History"), "Y", "l"}, {"6", "x", Heading("History and criticism"), "N", "l"}});
    Insert("AUTH_SUBDIVISION", "AUTH_ID, SUBDIV_ID_POINTER, REFERENCE_TYPE, DISPLAY_SUBDIV",
           {{"22", "5", "a", "Hist" + kCafe}});
    Insert("BIB_SUBDIVISION", "BIB_ID, SUBDIV_ID, DISPLAY_SUBDIV", {{"23", "5", "History"}});
    Exec("INSERT INTO " + Prefix() + "HEADING_SUBDIVISION VALUES (1, 5), (2, 5)");
    const std::string smith = Heading("Smith, John");
    std::int16_t s = 0;
    const std::tuple<std::function<void()>, std::string, std::vector<std::int16_t>> searches[] = {
        {[&] { r_->SearchHeading("Smith, John", s); },
         " WHERE NORMAL_HEADING = '" + smith + "' AND 'X' || STAFFREFS != 'X' ORDER BY NORMAL_HEADING => 1|" + smith +
             "|Y;",
         {1, 4, 7}},
        {[&] { r_->SearchHeading("Smith, John", s, true, true); },
         " WHERE NORMAL_HEADING LIKE '" + smith + "%' ORDER BY NORMAL_HEADING => 1; 4; 2;",
         {1}},
        // A trailing blank: whole words only.
        {[&] { r_->SearchHeading("Smith, John ", s, true, true); },
         " WHERE NORMAL_HEADING LIKE '" + smith + " %' ORDER BY NORMAL_HEADING => 4;",
         {1}},
        {[&] { r_->SearchHeading("Smith, John", s, true, false, "n", "pq"); },
         " WHERE NORMAL_HEADING LIKE '" + smith +
             "%' AND INDEX_TYPE = 'n' AND HEADING_TYPE IN ('p', 'q') AND 'X' || STAFFREFS != 'X' ORDER BY "
             "NORMAL_HEADING => 1; 4;",
         {1}},
        {[&] { r_->SearchHeading("", s, true, true); },
         " WHERE NORMAL_HEADING LIKE '3 4 X X X 1 7 9 x x x%' ORDER BY NORMAL_HEADING =>",
         {1}},
        {[&] { r_->SearchHeading(kCjk, s); },
         " WHERE NORMAL_HEADING = CHR(228) || CHR(184) || CHR(173) || CHR(230) || CHR(150) || CHR(135) AND 'X' || "
         "STAFFREFS != 'X' ORDER BY NORMAL_HEADING => 3|" +
             Heading(kCjk) + ";",
         {1, 4}},
        {[&] { r_->SearchHeadingBlock("Smith", s, true, true, "", "", 2); },
         " WHERE NORMAL_HEADING LIKE '" + Heading("Smith") + "%' ORDER BY NORMAL_HEADING => 1; 4; 2;",
         {1}},
        {[&] { r_->SearchBibHeading("Personal", "10", "Smith, John", s, false); },
         " WHERE NORMAL_HEADING = '" + marc_.NormalizeWholeField("V", "B", "100", "10", "Smith, John") +
             "' AND INDEX_CODE IN ('100H', '400H', '600H', '700H', '800H') ORDER BY NORMAL_HEADING => 8|700|Smith, "
             "John " +
             kCafe + ";",
         {1, 2, 4}},
        {[&] { r_->SearchHeadingIDAuth("1", s); },
         " WHERE HEADING_ID_POINTER = 1 ORDER BY AUTH_ID => 20|Smith " + kCafe + "|2;",
         {1, 2, 5}},
        {[&] { r_->SearchHeadingIDBib("1", s); }, " WHERE HEADING_ID = 1 ORDER BY BIB_ID => " + kCjk + ";", {2}},
        {[&] { r_->SearchSubdivIDAuth("5", s); }, " WHERE SUBDIV_ID_POINTER = 5 => Hist" + kCafe + ";", {2}},
        {[&] { r_->SearchSubdivIDBib("5", s); }, " WHERE SUBDIV_ID = 5 => History;", {2}},
        {[&] { r_->SearchSubdivIDHeading("5", s); },
         " WHERE T1.SUBDIV_ID = 5 AND 'X' || T2.STAFFREFS != 'X' AND T2.HEADING_ID = T1.HEADING_ID => " + smith + ";",
         {4}},
        {[&] { r_->SearchSubdiv("l", "History", s); },
         " WHERE HEADING_TYPE = 'l' AND NORMAL_SUBDIV = '" + Heading("History") + "' AND AUTHORIZED = 'Y' => 5;",
         {1}},
        {[&] { r_->SearchSubdiv("l", "History ", s, true, true, "x"); },
         " WHERE HEADING_TYPE = 'l' AND SUBDIV_TYPE = 'x' AND NORMAL_SUBDIV LIKE '" + Heading("History") + " %' => 6;",
         {1}},
    };
    for (const auto& [search, found, columns] : searches) {
        search();
        EXPECT_EQ(Found(s, columns), found);
    }
    EXPECT_EQ(r_->RowsPerFetch(), 0);  // the block search's rows per fetch held for its execution only
    r_->SearchSubdivIDHeading("5", s, true);
    const std::string both = Found(s, {1}, true);
    EXPECT_EQ(both.substr(both.find(" =>")), " => 1; 2;");
}

LINKMEND_DB_TEST_SUITE(ReaderSearches);
LINKMEND_DB_TEST_SUITE(HeadingSearches);

}  // namespace
}  // namespace linkmend::test
