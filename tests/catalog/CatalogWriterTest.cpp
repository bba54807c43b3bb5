// The batch-cataloguing stand-in: records read as stored, passwords and return-code texts; on both
// drivers sign-on, the rows a replace writes, its refusals at their boundaries and driver errors.
#include <gtest/gtest.h>

#include "base/INI.h"
#include "catalog/CatalogWriter.h"
#include "catalog/OperatorPassword.h"
#include "catalog/ReturnCodes.h"
#include "catalog/StoredRecord.h"
#include "kit/JobDb.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"

using namespace linkmend;
using namespace linkmend::test;

namespace {

// The rows of a record of the fields, "subtype|link|text;" each.
std::string Rows(const std::vector<std::string>& fields, char leader09) {
    std::string rows;
    for (const LinkIndexRow& r : LinkIndexRows(BuildRecord(fields, 'a', leader09)))
        rows += r.subtype + "|" + r.link + "|" + r.text + ";";
    return rows;
}

TEST(CatalogTest, LinkIndexRowsOperatorPasswordsAndCodeTexts) {
    // One row per $u, with its scheme, and the link text as stored.
    EXPECT_EQ(Rows({"001 1", "856 40 $3Part$uhttp://a/$uftp://b/$zNote", "245 00 $aT", "856 42 $uno-scheme"}, 'a'),
              "HTTP|http://a/|Note;FTP|ftp://b/|Note;|no-scheme|;");
    // The first non-empty $y wins; a colon after ten octets ends no scheme.
    EXPECT_EQ(Rows({"856 40 $y$yText$zNote$uabcdefghij:x$uabcdefghijk:x"}, ' '),
              "ABCDEFGHIJ|abcdefghij:x|Text;|abcdefghijk:x|Text;");
    // UTF-8: precomposed e-acute and the alif (U+02BE) are neither decomposed nor replaced.
    EXPECT_EQ(Rows({"856 40 $uhttp://x/caf\xC3\xA9$y\xCA\xBE-Ali\xC3\xA9"}, 'a'),
              "HTTP|http://x/caf\xC3\xA9|\xCA\xBE-Ali\xC3\xA9;");
    // MARC-8: a combining acute before its letter and an escape to Cyrillic stay untranslated.
    EXPECT_EQ(Rows({"856 40 $uhttp://x/\xE2o$z\x1B(NRus\x1B(B"}, ' '), "HTTP|http://x/\xE2o|\x1B(NRus\x1B(B;");
    // Operator passwords: the salted SHA-512 form only.
    const std::string hash = HashOperatorPassword("secret", "abc");
    EXPECT_EQ(hash.rfind("$6$abc$", 0), 0u);
    EXPECT_TRUE(OperatorPasswordMatches("secret", hash));
    EXPECT_FALSE(OperatorPasswordMatches("Secret", hash));
    EXPECT_FALSE(OperatorPasswordMatches("secret", "secret"));
    EXPECT_NE(HashOperatorPassword("secret", "abd"), hash);
    // The texts of the codes the stand-in returns, and a few others, by the table; gaps are undefined.
    std::string texts;
    for (int code : {0, 2, 3, 13, 15, 19, 21, 22, 23, 24, 26, 27, 28, 32, 35, 37, 38, 39, 41, 57, 101, 103, 203})
        texts += ReturnCodeText(code) + ";";
    EXPECT_EQ(
        texts,
        "Success;Not a MARC record;Not the correct type of record;Record number is not valid;Leader's record length is "
        "incorrect;Linked bibliographic ID is not valid;Error while modifying the record;Owning library ID is not "
        "valid;Location code (852/b) is not valid;Cataloging location ID is not valid;Cannot connect to Voyager;"
        "Invalid user name or password;Cannot obtain correct security;Could not obtain a new record ID;Error with "
        "the linked bibligraphic ID;Record has no 852 field;852 field has no subfield $b;852/b contains no data;"
        "Record updated since last read;Temporary location ID is not valid;Cannot delete; line items attached;"
        "Cannot delete; line items attached;Server is set to 'read only';");
    for (int undefined : {12, 14, 17, 40, 43, 108, 202, 204, -1, -2147483647})
        EXPECT_EQ(ReturnCodeText(undefined), "Return value not defined") << undefined;
}

const DateTime kRead = DateTime::Parse("2024-01-02 10:00:00");
const DateTime kNow = DateTime::Parse("2024-05-06 07:08:09");

// The stand-in on the reference catalogue, its clock stopped at kNow; Voyager.INI names the database.
class CatalogWriterDb : public JobDbTest {
protected:
    std::int32_t SignOn() { return writer_.SignOn(Folder(), "cat", "cat-pw"); }
    std::int32_t Bib(std::int32_t id, const std::string& record, DateTime read = kRead, std::int32_t library = 1,
                     std::int32_t location = 10) {
        return writer_.ReplaceBibRecord(id, record, read, library, location, false, "", "");
    }
    // The rows of a query, "column|column;" each, NULL as "NULL".
    std::string Rows(const std::string& sqlAfterSelect) {
        odbc::Statement s = Writer().Prepare("SELECT " + sqlAfterSelect);
        s.Execute();
        std::string rows;
        while (s.Fetch()) {
            for (int c = 1; c <= s.ColumnCount(); ++c) rows += (c > 1 ? "|" : "") + s.Text(c).value_or("NULL");
            rows += ";";
        }
        return rows;
    }

    CatalogWriter writer_{[] { return kNow; }};
};

std::string BibRecord(std::int32_t id, const std::string& link) {
    return BuildRecord({"001 " + std::to_string(id), "245 00 $aTitle", "856 40 $u" + link + "$yLink text"});
}

TEST_P(CatalogWriterDb, WritesSegmentsHistoryMasterAndLinksDatedByItsClock) {
    Catalog().AddBib(101, {"245 00 $aOld", "856 40 $uhttp://old.example/a$zNote"});
    Catalog().AddHoldings(201, 101, {"852 0  $bMAIN", "856 41 $uhttp://old.example/h"});
    Catalog().AddAuthority(301, {"100 1  $aSmith, John", "856 42 $uhttp://old.example/auth"});
    ASSERT_EQ(SignOn(), 0);
    const std::string x(2200, 'x');
    auto replace = [&](const std::string& kind, const std::string& r, DateTime read) {
        if (kind == "BIB") return writer_.ReplaceBibRecord(101, r, read, 2, 11, true, "", "");
        // The holdings location comes from 852 $b (LAW is 11), not from the caller (10).
        if (kind == "MFHD") return writer_.ReplaceHoldingsRecord(201, r, read, 11, 101, 10, false, "", "");
        return writer_.ReplaceAuthorityRecord(301, r, read, 11, "", "");
    };
    // clang-format off
    const struct {
        std::string kind, id, record, masterColumns, segments, master, links;
    } cases[] = {
        {"BIB", "101", BuildRecord({"001 101", "245 00 $a" + x, "856 40 $uhttps://new/caf\xC3\xA9$yLink$3Part"}),
         "LIBRARY_ID, SUPPRESS_IN_OPAC, ", "1|990;2|990;3|325;", "2|Y|2024-05-06 07:08:09;",
         "B|HTTPS|https://new/caf\xC3\xA9|Link;"},
        {"MFHD", "201", BuildRecord({"001 201", "004 101", "852 0  $bLAW$h" + x.substr(0, 300), "856 41 $uftp://h"}, 'x', ' '),
         "LOCATION_ID, SUPPRESS_IN_OPAC, ", "1|300;2|104;", "11|N|2024-05-06 07:08:09;", "M|FTP|ftp://h|NULL;"},
        {"AUTH", "301", BuildRecord({"001 301", "100 1  $aSmith", "856 42 $uhttp://a$uhttp://b$zZ"}, 'z'), "",
         "1|102;", "2024-05-06 07:08:09;", "A|HTTP|http://a|Z;A|HTTP|http://b|Z;"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const std::string table = Prefix() + c.kind, where = " WHERE " + c.kind + "_ID = " + c.id;
        ASSERT_EQ(replace(c.kind, c.record, kRead), 0) << c.kind;
        EXPECT_EQ(Rows("SEQNUM, LENGTH(RECORD_SEGMENT) FROM " + table + "_DATA" + where + " ORDER BY SEQNUM"),
                  c.segments);
        EXPECT_TRUE(OctetsEqual(c.record, Catalog().Stored(c.kind, std::stoi(c.id))));
        EXPECT_EQ(Rows("CAST(ACTION_DATE AS VARCHAR(19)), OPERATOR_ID, LOCATION_ID FROM " + table + "_HISTORY" + where +
                       " AND ACTION_TYPE_ID = 2"),
                  "2024-05-06 07:08:09|cat|11;");
        EXPECT_EQ(Rows(c.masterColumns + "CAST(UPDATE_DATE AS VARCHAR(19)) FROM " + table + "_MASTER" + where),
                  c.master);
        EXPECT_EQ(Rows("RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT FROM " + Prefix() +
                       "ELINK_INDEX WHERE RECORD_ID = " + c.id + " ORDER BY LINK_ID"),
                  c.links);
        // Code 41 compares with the dates written: a second later than read is refused, the same second is not.
        EXPECT_EQ(replace(c.kind, c.record, DateTime(kNow.Days() - 1.0 / 86400)), 41) << c.kind;
        EXPECT_EQ(replace(c.kind, c.record, kNow), 0) << c.kind;
    }
}

TEST_P(CatalogWriterDb, RefusalsAtTheirBoundariesWriteNothing) {
    Catalog().AddBib(103, {"245 00 $aOld"});
    Catalog().AddHoldings(206, 103, {"852 0  $bMAIN"});
    Catalog().AddAuthority(303, {"100 1  $aSmith"});
    const std::string bib = BibRecord(103, "http://x/"), authority = BuildRecord({"001 303", "100 1  $aSmith"}, 'z');
    auto holdingsAs = [&](const std::string& record, std::int32_t bibId = 103) {
        return writer_.ReplaceHoldingsRecord(206, record, kRead, 10, bibId, 10, false, "", "");
    };
    auto holdings = [&](const std::string& f852, std::int32_t bibId = 103) {
        return holdingsAs(BuildRecord({"001 206", "004 103", f852}, 'x', ' '), bibId);
    };
    // The record with octets replaced at `at`: directory entries begin at 24, 36, 48, their lengths 3 later.
    auto damaged = [](std::string record, std::size_t at, const std::string& octets) {
        return record.replace(at, octets.size(), octets);
    };
    const std::string mfhd = BuildRecord({"001 206", "004 103", "852 0  $bMAIN"}, 'x', ' ');
    EXPECT_EQ(Bib(103, bib), 26);  // not signed on
    ASSERT_EQ(SignOn(), 0);
    // clang-format off
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {Bib(103, "not a record at all, not even close to a MARC record"), 2}, {Bib(103, bib.substr(0, bib.size() - 1)), 2},
        {Bib(103, bib + "\x1E\x1D"), 15},  // longer than its leader says
        // The last guard: what an overgrown record assembles to, directory entries the loader would skip
        // (a length that is no number, a start past the data, a field reaching past it), no 001.
        {Bib(103, ""), 2}, {Bib(103, damaged(bib, 27, "00A2")), 2}, {Bib(103, damaged(bib, 39, "-013")), 2},
        {Bib(103, damaged(bib, 55, "9999x")), 2}, {Bib(103, damaged(bib, 51, "0999")), 2},
        {holdingsAs(damaged(mfhd, 39, "0A05")), 2}, {Bib(103, BuildRecord({"245 00 $aNo control number"})), 8},
        {holdingsAs(BuildRecord({"004 103", "852 0  $bMAIN"}, 'x', ' ')), 8},
        {writer_.ReplaceAuthorityRecord(303, BuildRecord({"100 1  $aSmith, John, 1900-1990"}, 'z'), kRead, 10, "", ""), 8},
        {Bib(103, BuildRecord({"001 103", "245 00 $aA holdings record, long enough"}, 'x')), 3},
        {Bib(0, bib), 13}, {Bib(999, bib), 13}, {Bib(103, bib, kRead, 77), 22},
        {Bib(103, bib, kRead, 1, 12), 24},  // a location of the profile, but not a cataloguing one
        {Bib(103, bib, kRead, 1, 99), 24},
        {holdings("852 0  $hQA76"), 38}, {holdings("852 0  $b  "), 39}, {holdings("852 0  $bNOWHERE"), 23},
        {holdings("852 0  $bMAIN", 999), 19},
        {writer_.ReplaceHoldingsRecord(999, mfhd, kRead, 10, 103, 10, false, "", ""), 13}, {holdings("866 40 $av.1"), 37},
        {writer_.ReplaceHoldingsRecord(206, bib, kRead, 10, 103, 10, false, "", ""), 3},
        {writer_.ReplaceAuthorityRecord(303, bib, kRead, 10, "", ""), 3},
        {writer_.ReplaceAuthorityRecord(304, authority, kRead, 10, "", ""), 13},
        {writer_.ReplaceAuthorityRecord(303, authority, kRead, 12, "", ""), 24},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    EXPECT_EQ(writer_.LastDriverMessage(), "");
    for (const char* table : {"BIB_HISTORY", "MFHD_HISTORY", "AUTH_HISTORY"})
        EXPECT_EQ(Catalog().Count(std::string(table) + " WHERE ACTION_TYPE_ID = 2"), 0) << table;
    EXPECT_EQ(Bib(103, bib), 0);  // inside every boundary above
}

TEST_P(CatalogWriterDb, SignOnAndDriverErrorsKeepTheDriversMessage) {
    Catalog().Exec("INSERT INTO " + Prefix() + "OPERATOR (OPERATOR_ID, PASSWORD_HASH) VALUES ('loner', '" +
                   HashOperatorPassword("loner-pw", "s") + "')");
    // Operator ids are exact; an operator without a profile has no security; no data source, no connection.
    const std::string ok = Folder(), missing = ok + "/missing";
    const struct {
        std::string folder, op, pw;
        std::int32_t code;
    } signOns[] = {{ok, "cat", "wrong", 27},      {ok, "nobody", "x", 27},        {ok, "CAT", "cat-pw", 27},
                   {ok, "loner", "loner-pw", 28}, {missing, "cat", "cat-pw", 26}, {ok, "cat", "cat-pw", 0}};
    for (const auto& s : signOns) {
        EXPECT_EQ(writer_.SignOn(s.folder, s.op, s.pw), s.code) << s.op << " " << s.pw;
        EXPECT_EQ(writer_.LastDriverMessage(), "");
    }
    // A write after the statements are prepared fails at the link index, after segments, history and
    // master: 21, the driver's message on one line, and all of it rolled back.
    Catalog().AddBib(108, {"245 00 $aOther"});
    const std::string before = Catalog().AddBib(107, {"245 00 $aOld", "856 40 $uhttp://old.example/a"});
    ASSERT_EQ(Bib(108, BibRecord(108, "http://first/")), 0);
    Catalog().Exec("ALTER TABLE " + Prefix() + "ELINK_INDEX RENAME TO ELINK_GONE");
    EXPECT_EQ(Bib(107, BibRecord(107, "https://new/")), 21);
    const std::string& message = writer_.LastDriverMessage();
    // PostgreSQL checks and writes in one call of the schema's function: its message names the table.
    EXPECT_NE(message.find(IsSqlite() ? "ELINK_INDEX WHERE RECORD_ID = ? AND RECORD_TYPE = ? : "
                                      : "LINKMEND_REPLACE_RECORD(CAST(? AS TEXT), CAST(? AS INTEGER), ?, "),
              std::string::npos)
        << message;
    EXPECT_TRUE(IsSqlite() || message.find("ERROR: relation \"elink_index\" does not exist") != std::string::npos);
    EXPECT_NE(message.find(" Native error: "), std::string::npos) << message;
    EXPECT_TRUE(OctetsEqual(before, Catalog().Stored("BIB", 107)));
    EXPECT_EQ(Rows("COUNT(*), MAX(T2.UPDATE_DATE) FROM " + Prefix() + "BIB_HISTORY T1, " + Prefix() +
                   "BIB_MASTER T2 WHERE T1.BIB_ID = 107 AND T2.BIB_ID = 107"),
              "1|NULL;");
    Catalog().Exec("ALTER TABLE " + Prefix() + "ELINK_GONE RENAME TO ELINK_INDEX");
    // Signing on starts afresh; the message goes with the next operation.
    WriteIniValue(Folder() + "Voyager.INI", "Database", "DSN", "NoSuchDataSource", 0);
    EXPECT_EQ(SignOn(), 26);
    EXPECT_EQ(writer_.LastDriverMessage().rfind("Could not establish a database connection to NoSuchDataSource ", 0),
              0u)
        << writer_.LastDriverMessage();
    EXPECT_EQ(Bib(107, BibRecord(107, "https://new/")), 26);
    EXPECT_EQ(writer_.LastDriverMessage(), "");
}

LINKMEND_DB_TEST_SUITE(CatalogWriterDb);

}  // namespace
