// The generated demo database on both drivers: records that MARC::Record reads without complaint in
// whole segments, a link index that is exactly the records' 856 $u, the asked share of records with
// the old stem, operators whose passwords verify, and history that agrees with the records.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "DemoDb.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend::test {
namespace {

class DemoDatabase : public DemoDb {};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// "HTTP" for http://..., "" for a URL without a scheme.
std::string Scheme(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))) return "";
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = url[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return "";
    }
    return Upper(url.substr(0, colon));
}

// Whether text matches a form where '9' stands for any digit and every other character for itself.
bool HasForm(const std::string& text, const std::string& form) {
    if (text.size() != form.size()) return false;
    for (std::size_t i = 0; i < form.size(); ++i)
        if (form[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != form[i]) return false;
    return true;
}

// Whether some occurrence of the mark has a letter right after it (markFirst) or right before it.
bool LetterBeside(const std::string& text, const std::string& mark, bool markFirst) {
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        const std::size_t letter = markFirst ? at + mark.size() : at - 1;
        if ((markFirst || at > 0) && letter < text.size() && std::isalpha(static_cast<unsigned char>(text[letter])))
            return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

std::string ControlData(const DecodedRecord& r, const std::string& tag) {
    const DecodedField* f = r.First(tag);
    return f ? f->data : std::string("(no " + tag + ")");
}

// Whether the first $u of some 856 starts with the stem exactly, as the job tests it.
bool FirstUStartsWithOldStem(const DecodedRecord& r) {
    for (const DecodedField* f : r.All("856")) {
        const auto u = FirstSubfield(*f, 'u');
        if (u && StartsWith(*u, kOldStem)) return true;
    }
    return false;
}

// Whether some $u of some 856 starts with the stem compared case-blind, as the link query finds it.
bool SomeUStartsWithOldStemCaseBlind(const DecodedRecord& r) {
    for (const DecodedField* f : r.All("856"))
        for (const auto& [code, text] : f->subfields)
            if (code == 'u' && StartsWith(Upper(text), Upper(kOldStem))) return true;
    return false;
}

// Segment sizes, one record per id of the master table, and no complaint from MARC::Record.
void ExpectWholeSegmentsAndCleanRecords(const std::string& table, std::size_t segmentSize,
                                        const std::vector<Row>& masterIds, const std::vector<StoredRecord>& stored,
                                        const std::vector<DecodedRecord>& decoded) {
    ASSERT_EQ(stored.size(), masterIds.size()) << table << " and its master table hold different records";
    ASSERT_EQ(decoded.size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const StoredRecord& s = stored[i];
        EXPECT_EQ(std::to_string(s.id), *masterIds[i][0]) << table;
        for (std::size_t k = 0; k + 1 < s.segments.size(); ++k)
            EXPECT_EQ(s.segments[k].size(), segmentSize) << table << " " << s.id << " segment " << k + 1;
        EXPECT_GE(s.segments.back().size(), 1u);
        EXPECT_LE(s.segments.back().size(), segmentSize) << table << " " << s.id;
        EXPECT_TRUE(decoded[i].problems.empty()) << table << " " << s.id << ":\n" << Joined(decoded[i].problems);
        char length[16];
        std::snprintf(length, sizeof length, "%05zu", s.octets.size());
        EXPECT_EQ(decoded[i].leader.substr(0, 5), length) << table << " " << s.id;
        EXPECT_EQ(ControlData(decoded[i], "001"), std::to_string(s.id)) << table;
        EXPECT_EQ(ControlData(decoded[i], "005").size(), 16u) << table << " " << s.id;
    }
}

TEST_P(DemoDatabase, BibliographicRecordsAreValidMarcInWholeSegments) {
    const auto summary = Generate(300, 11, "20");
    const auto bibs = LoadRecords("BIB_DATA");
    ExpectWholeSegmentsAndCleanRecords("BIB_DATA", 990,
                                       Query(Reader(), "SELECT BIB_ID FROM " + Prefix() + "BIB_MASTER ORDER BY BIB_ID"),
                                       bibs.stored, bibs.decoded);
    ASSERT_EQ(bibs.stored.size(), 300u);
    std::size_t marc8 = 0, multiSegment = 0;
    for (std::size_t i = 0; i < bibs.stored.size(); ++i) {
        const DecodedRecord& r = bibs.decoded[i];
        const std::string& octets = bibs.stored[i].octets;
        multiSegment += bibs.stored[i].segments.size() > 1;
        EXPECT_EQ(r.leader[6], 'a') << octets;
        EXPECT_NE(std::string("msi").find(r.leader[7]), std::string::npos) << r.leader;
        EXPECT_EQ(ControlData(r, "008").size(), 40u) << bibs.stored[i].id;
        for (const char* tag : {"040", "245", "520", "650"})
            EXPECT_TRUE(r.First(tag)) << bibs.stored[i].id << " " << tag;
        if (r.leader[9] == 'a') continue;
        ASSERT_EQ(r.leader[9], ' ') << r.leader;
        ++marc8;
        // MARC-8: an acute accent (0xE2) stands before its letter in the title, and MARC::Charset
        // reads it as a letter followed by the combining acute (U+0301).
        const DecodedField* title = r.First("245");
        ASSERT_TRUE(title);
        EXPECT_TRUE(LetterBeside(*FirstSubfield(*title, 'a'), "\xE2", true)) << *FirstSubfield(*title, 'a');
        ASSERT_EQ(r.utf8.count("245"), 1u);
        EXPECT_TRUE(LetterBeside(r.utf8.at("245")[0], "\xCC\x81", false)) << r.utf8.at("245")[0];
    }
    EXPECT_EQ(static_cast<long>(marc8), SummaryCount(summary, "bibs_marc8"));
    EXPECT_GT(marc8, 10u);
    EXPECT_LT(marc8, 60u);
    EXPECT_GT(multiSegment, 100u) << "records of 1-2 KB take two segments";
}

TEST_P(DemoDatabase, HoldingsAndAuthorityRecordsAreValidMarcLinkedToTheirRows) {
    const auto summary = Generate(300, 12, "20");
    const auto holdings = LoadRecords("MFHD_DATA");
    const auto master = Query(Reader(), "SELECT T1.MFHD_ID, T2.LOCATION_CODE, T3.BIB_ID FROM " + Prefix() +
                                            "MFHD_MASTER T1, " + Prefix() + "LOCATION T2, " + Prefix() +
                                            "BIB_MFHD T3 WHERE T2.LOCATION_ID = T1.LOCATION_ID AND T3.MFHD_ID = "
                                            "T1.MFHD_ID ORDER BY T1.MFHD_ID");
    ExpectWholeSegmentsAndCleanRecords("MFHD_DATA", 300, master, holdings.stored, holdings.decoded);
    EXPECT_EQ(static_cast<long>(holdings.stored.size()), SummaryCount(summary, "holdings"));
    std::set<std::string> codes;
    for (std::size_t i = 0; i < holdings.decoded.size() && i < master.size(); ++i) {
        const DecodedRecord& r = holdings.decoded[i];
        EXPECT_TRUE(r.leader[6] == 'v' || r.leader[6] == 'x') << r.leader;
        EXPECT_EQ(ControlData(r, "004"), *master[i][2]) << "holdings " << *master[i][0];
        EXPECT_EQ(ControlData(r, "008").size(), 32u);
        const DecodedField* location = r.First("852");
        ASSERT_TRUE(location) << "holdings " << *master[i][0];
        EXPECT_EQ(FirstSubfield(*location, 'b').value_or("(none)"), *master[i][1]) << "holdings " << *master[i][0];
        codes.insert(*master[i][1]);
    }
    for (const char* code : {"MAIN", "LAW", "MED", "ONLINE"}) EXPECT_TRUE(codes.count(code)) << code;

    const auto authorities = LoadRecords("AUTH_DATA");
    ExpectWholeSegmentsAndCleanRecords(
        "AUTH_DATA", 990, Query(Reader(), "SELECT AUTH_ID FROM " + Prefix() + "AUTH_MASTER ORDER BY AUTH_ID"),
        authorities.stored, authorities.decoded);
    EXPECT_EQ(static_cast<long>(authorities.stored.size()), SummaryCount(summary, "authorities"));
    for (const DecodedRecord& r : authorities.decoded) {
        EXPECT_EQ(r.leader[6], 'z');
        EXPECT_EQ(r.All("856").size(), 1u);
    }
}

TEST_P(DemoDatabase, LinkIndexIsExactlyThe856uOfEveryRecord) {
    const auto summary = Generate(300, 13, "20");
    std::vector<std::string> expected;
    for (const auto& [table, type] : {std::pair{"BIB_DATA", "B"}, {"MFHD_DATA", "M"}, {"AUTH_DATA", "A"}}) {
        const auto records = LoadRecords(table);
        for (std::size_t i = 0; i < records.decoded.size(); ++i) {
            for (const DecodedField* f : records.decoded[i].All("856")) {
                auto text = FirstSubfield(*f, 'y');
                if (!text) text = FirstSubfield(*f, 'z');
                if (!text) text = FirstSubfield(*f, '3');
                for (const auto& [code, url] : f->subfields)
                    if (code == 'u')
                        expected.push_back(std::string(type) + "\t" + std::to_string(records.stored[i].id) + "\t" +
                                           Scheme(url) + "\t" + Hex(url) + "\t" + (text ? Hex(*text) : "NULL"));
            }
        }
    }
    std::vector<std::string> actual;
    for (const Row& row : Query(Reader(),
                                "SELECT RECORD_TYPE, RECORD_ID, LINK_SUBTYPE, RAWTOHEX(LINK), RAWTOHEX(LINK_TEXT) "
                                "FROM " +
                                    Prefix() + "ELINK_INDEX WHERE RECORD_TYPE <> 'I'")) {
        ASSERT_TRUE(row[2].has_value()) << "LINK_SUBTYPE is '' for a URL without a scheme, never NULL";
        actual.push_back(*row[0] + "\t" + *row[1] + "\t" + *row[2] + "\t" + row[3].value_or("(null link)") + "\t" +
                         row[4].value_or("NULL"));
    }
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    EXPECT_TRUE(missing.empty() && extra.empty()) << "not in the index:\n"
                                                  << Joined(missing) << "not in the records:\n"
                                                  << Joined(extra);
    EXPECT_GT(expected.size(), 250u);

    // Item links name existing items; every row has its own LINK_ID.
    const auto items = Query(Reader(), "SELECT COUNT(*) FROM " + Prefix() + "ELINK_INDEX WHERE RECORD_TYPE = 'I'");
    EXPECT_EQ(std::stol(*items[0][0]), SummaryCount(summary, "item_links"));
    EXPECT_GT(std::stol(*items[0][0]), 0);
    EXPECT_TRUE(Query(Reader(), "SELECT T1.RECORD_ID FROM " + Prefix() +
                                    "ELINK_INDEX T1 WHERE T1.RECORD_TYPE = 'I' "
                                    "AND NOT EXISTS (SELECT 1 FROM " +
                                    Prefix() + "ITEM T2 WHERE T2.ITEM_ID = T1.RECORD_ID)")
                    .empty());
    const auto ids = Query(Reader(), "SELECT COUNT(*), COUNT(DISTINCT LINK_ID) FROM " + Prefix() + "ELINK_INDEX");
    EXPECT_EQ(*ids[0][0], *ids[0][1]);
    EXPECT_EQ(std::stol(*ids[0][0]), SummaryCount(summary, "links"));
    // The write-back adds rows without a LINK_ID: they must not collide with the generated ones.
    Exec("INSERT INTO " + Prefix() +
         "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK) VALUES (1, 'B', 'HTTP', "
         "'http://example.org/')");
}

TEST_P(DemoDatabase, TheLinkQueryFindsTheAskedShareAndItsDecoys) {
    const auto summary = Generate(300, 14, "20");
    std::set<std::string> exact, caseBlind;  // "B 12", "M 7", "A 5"
    long bibsMatching = 0;
    std::map<int, int> bibOfHoldings;
    for (const Row& row : Query(Reader(), "SELECT MFHD_ID, BIB_ID FROM " + Prefix() + "BIB_MFHD"))
        bibOfHoldings[std::stoi(*row[0])] = std::stoi(*row[1]);
    for (const auto& [table, type] : {std::pair{"BIB_DATA", "B"}, {"MFHD_DATA", "M"}, {"AUTH_DATA", "A"}}) {
        const auto records = LoadRecords(table);
        for (std::size_t i = 0; i < records.decoded.size(); ++i) {
            const std::string key = std::string(type) + " " + std::to_string(records.stored[i].id);
            if (FirstUStartsWithOldStem(records.decoded[i])) {
                exact.insert(key);
                bibsMatching += std::string(type) == "B";
            }
            if (SomeUStartsWithOldStemCaseBlind(records.decoded[i])) caseBlind.insert(key);
        }
    }
    EXPECT_EQ(bibsMatching, 60) << "20% of 300";
    EXPECT_EQ(SummaryCount(summary, "bibs_matching"), 60);
    EXPECT_EQ(static_cast<long>(exact.size()), SummaryCount(summary, "records_to_change"));

    // The job's link query, word for word.
    std::set<std::string> found, foundItems, bibsFound;
    for (const Row& row : Query(Reader(), "SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + Prefix() +
                                              "ELINK_INDEX WHERE UPPER(LINK) LIKE '" + Upper(kOldStem) + "%'")) {
        (*row[1] == "I" ? foundItems : found).insert(*row[1] + " " + *row[0]);
        if (*row[1] == "B") bibsFound.insert(*row[0]);
    }
    EXPECT_EQ(found, caseBlind);
    EXPECT_EQ(static_cast<long>(foundItems.size()), SummaryCount(summary, "item_links_matching"));
    long decoys = 0, onlyThroughHoldings = 0;
    for (const auto& key : found) {
        if (key[0] == 'B' && !exact.count(key)) ++decoys;
        if (key[0] == 'M' && !bibsFound.count(std::to_string(bibOfHoldings.at(std::stoi(key.substr(2))))))
            ++onlyThroughHoldings;
    }
    EXPECT_EQ(decoys, SummaryCount(summary, "bibs_case_variant") + SummaryCount(summary, "bibs_second_u"));
    EXPECT_GE(decoys, 2) << "records the query finds but the job must leave alone";
    EXPECT_EQ(onlyThroughHoldings, SummaryCount(summary, "bibs_via_holdings"));
    EXPECT_GE(onlyThroughHoldings, 1);

    // The catalogue looks like one: suppressed records, several owning libraries.
    const auto suppressed =
        Query(Reader(), "SELECT COUNT(*) FROM " + Prefix() + "BIB_MASTER WHERE SUPPRESS_IN_OPAC = 'Y'");
    EXPECT_EQ(std::stol(*suppressed[0][0]), SummaryCount(summary, "bibs_suppressed"));
    EXPECT_GT(std::stol(*suppressed[0][0]), 0);
    EXPECT_EQ(Query(Reader(), "SELECT DISTINCT LIBRARY_ID FROM " + Prefix() + "BIB_MASTER").size(), 3u);
}

TEST_P(DemoDatabase, LinkFieldsVaryAsInARealCatalogue) {
    Generate(300, 15, "20");
    const auto bibs = LoadRecords("BIB_DATA");
    std::set<std::string> indicators, schemes;
    std::set<char> codes;
    std::size_t severalLinks = 0, withoutU = 0;
    for (const DecodedRecord& r : bibs.decoded) {
        const auto links = r.All("856");
        severalLinks += links.size() > 1;
        for (const DecodedField* f : links) {
            indicators.insert(f->indicators);
            withoutU += !FirstSubfield(*f, 'u');
            for (const auto& [code, text] : f->subfields) {
                codes.insert(code);
                if (code == 'u') schemes.insert(Scheme(text));
            }
        }
    }
    EXPECT_EQ(indicators, (std::set<std::string>{"40", "41", "42", "4 "}));
    EXPECT_EQ(codes, (std::set<char>{'3', 'u', 'x', 'y', 'z'}));
    EXPECT_TRUE(schemes.count("HTTP") && schemes.count("HTTPS")) << schemes.size();
    EXPECT_GT(severalLinks, 10u);
    EXPECT_LE(withoutU, 5u);
}

TEST_P(DemoDatabase, OperatorsHaveTheirRightsLocationsAndPasswords) {
    Generate(50, 16, "20");
    std::set<std::string> hashes;
    for (const DemoOperator& op : DemoOperators()) {
        const auto rows =
            Query(Reader(), "SELECT PASSWORD_HASH FROM " + Prefix() + "OPERATOR WHERE OPERATOR_ID = '" + op.id + "'");
        ASSERT_EQ(rows.size(), 1u) << op.id;
        const std::string hash = rows[0][0].value_or("");
        EXPECT_TRUE(StartsWith(hash, "$6$")) << hash;
        EXPECT_TRUE(PasswordMatches(op.password, hash)) << op.id;
        EXPECT_FALSE(PasswordMatches(op.password + "x", hash)) << op.id;
        EXPECT_FALSE(PasswordMatches("", hash)) << op.id;
        hashes.insert(hash.substr(0, hash.find('$', 3)));
        // The reader's own permission query.
        std::string rights;
        for (const Row& row :
             Query(Reader(),
                   "SELECT T2.BIB_ADD, T2.BIB_UPDATE, T2.BIB_DELETE, T2.HOLD_ADD, "
                   "T2.HOLD_UPDATE, T2.HOLD_DELETE, T2.ITEM_ADD, T2.ITEM_UPDATE, T2.ITEM_DELETE, "
                   "T2.AUTH_ADD, T2.AUTH_UPDATE, T2.AUTH_DELETE FROM " +
                       Prefix() + "CAT_OPERATOR T1, " + Prefix() + "CAT_PROFILE T2 WHERE T1.OPERATOR_ID = '" + op.id +
                       "' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID"))
            for (const auto& v : row) rights += v.value_or("?");
        EXPECT_EQ(rights, op.rights) << op.id;
        std::set<int> happening;
        for (const Row& row : Query(Reader(), "SELECT DISTINCT T2.LOCATION_ID FROM " + Prefix() + "CAT_OPERATOR T1, " +
                                                  Prefix() + "CAT_SECURITY_LOCS T2, " + Prefix() +
                                                  "CAT_POLICY_LOCS T3 WHERE T1.OPERATOR_ID = '" + op.id +
                                                  "' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID AND T3.LOCATION_ID = "
                                                  "T2.LOCATION_ID AND T3.CATALOGING_LOCATION = 'Y'"))
            happening.insert(std::stoi(*row[0]));
        if (op.happening) EXPECT_TRUE(happening.count(op.happening)) << op.id;
        else EXPECT_TRUE(happening.empty()) << op.id;
    }
    EXPECT_EQ(hashes.size(), DemoOperators().size()) << "each operator has a salt of its own";
    const auto version = Query(Reader(), "SELECT VERSION FROM " + Prefix() + "VERSIONS WHERE MODULE = 'DATABASE'");
    ASSERT_EQ(version.size(), 1u);
    EXPECT_TRUE(HasForm(*version[0][0], "9.9.9")) << *version[0][0];
    EXPECT_EQ(Query(Reader(), "SELECT BASE_DECIMALS FROM " + Prefix() + "BASE_CURRENCY").size(), 1u);
}

TEST_P(DemoDatabase, HistoryRowsAgreeWithTheRecordsAndTheirMasterRows) {
    Generate(200, 17, "20");
    struct Kind {
        const char* data;
        const char* prefix;  // of the master, history and id names
    };
    for (const Kind& k : {Kind{"BIB_DATA", "BIB"}, Kind{"MFHD_DATA", "MFHD"}, Kind{"AUTH_DATA", "AUTH"}}) {
        const std::string id = std::string(k.prefix) + "_ID";
        std::map<std::string, std::vector<std::pair<std::string, std::string>>> history;  // id -> (type, date)
        for (const Row& row : Query(Reader(), "SELECT " + id + ", ACTION_TYPE_ID, ACTION_DATE FROM " + Prefix() +
                                                  k.prefix + "_HISTORY ORDER BY " + id + ", ACTION_DATE"))
            history[*row[0]].emplace_back(*row[1], *row[2]);
        std::map<std::string, std::pair<std::optional<std::string>, std::optional<std::string>>> master;
        for (const Row& row :
             Query(Reader(), "SELECT " + id + ", CREATE_DATE, UPDATE_DATE FROM " + Prefix() + k.prefix + "_MASTER"))
            master[*row[0]] = {row[1], row[2]};
        const auto records = LoadRecords(k.data);
        for (std::size_t i = 0; i < records.stored.size(); ++i) {
            const std::string rid = std::to_string(records.stored[i].id);
            const auto& h = history[rid];
            ASSERT_FALSE(h.empty()) << k.prefix << " " << rid;
            EXPECT_EQ(h.front().first, "1") << k.prefix << " " << rid << ": the creation comes first";
            for (std::size_t n = 0; n < h.size(); ++n) {
                EXPECT_TRUE(HasForm(h[n].second, "9999-99-99 99:99:99")) << h[n].second;
                if (n > 0) {
                    EXPECT_EQ(h[n].first, "2") << k.prefix << " " << rid;
                    EXPECT_LT(h[n - 1].second, h[n].second) << k.prefix << " " << rid;
                }
            }
            std::string newest = h.back().second;
            newest.erase(std::remove_if(newest.begin(), newest.end(), [](char c) { return !std::isdigit(c); }),
                         newest.end());
            EXPECT_EQ(ControlData(records.decoded[i], "005"), newest + ".0") << k.prefix << " " << rid;
            EXPECT_EQ(records.decoded[i].leader[5], h.size() > 1 ? 'c' : 'n') << k.prefix << " " << rid;
            EXPECT_EQ(master[rid].first.value_or(""), h.front().second);
            EXPECT_EQ(master[rid].second, h.size() > 1 ? std::optional<std::string>(h.back().second) : std::nullopt);
        }
    }
}

TEST_P(DemoDatabase, TheSameSeedGivesTheSameRowsOnEitherDatabase) {
    Generate(120, 21, "25");
    const std::string here = DumpTables(Reader(), Prefix(), GeneratedTables());
    auto again = [](int seed) {
        auto db = testdb::CreateSqliteDatabase();
        const auto r =
            RunGenerator({"--sqlite", db->Name(), "--bibs", "120", "--seed", std::to_string(seed), "--matching", "25"});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        odbc::Connection c;
        c.Connect(db->Dsn(), "dbwrite", "dbwrite-demo");
        return DumpTables(c, db->Prefix(), GeneratedTables());
    };
    const std::string sqlite = again(21);
    EXPECT_GT(here.size(), 100000u);
    EXPECT_TRUE(here == sqlite) << "first difference at "
                                << std::mismatch(here.begin(), here.end(), sqlite.begin(), sqlite.end()).first -
                                       here.begin();
    EXPECT_NE(here, again(22)) << "another seed, another database";
}

// The job loads each record into its record object and writes back what it assembles. A UTF-8 demo
// record must come out octet for octet as it went in (a production run then changes only its 856
// fields), whether the site's validation folder is empty (the demo's) or holds no order files (the
// default order). A MARC-8 record comes out in UTF-8, saying what MARC::Charset reads in it.
TEST(DemoRecords, PassTheJobsRecordObjectUnchangedOrTranslated) {
    TempDir profileDir, validation;
    setenv("LINKMEND_PROFILE_DIR", profileDir.Path().c_str(), 1);
    auto db = testdb::CreateSqliteDatabase();
    const auto r = RunGenerator({"--sqlite", db->Name(), "--bibs", "300", "--seed", "18"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    odbc::Connection c;
    c.Connect(db->ReadOnlyDsn(), "dbread", "dbread-demo");
    std::size_t translated = 0;
    for (const bool defaults : {false, true}) {
        for (const char* table : {"BIB_DATA", "MFHD_DATA", "AUTH_DATA"}) {
            SCOPED_TRACE(std::string(table) + (defaults ? " with the default field order" : ""));
            Utf8MarcRecordClass record;
            record.CharacterSetIn("U");
            record.CharacterSetOut("U");
            record.NormalizationScheme("V");
            if (defaults) record.FldOrderFolder(validation.Path());
            std::string marc8In, utf8Out;
            for (const StoredRecord& s : ReadStoredRecords(c, db->Prefix(), table)) {
                record.MarcRecordIn(s.octets);
                ASSERT_FALSE(record.Leader().empty()) << s.id << ": " << record.IsMarcErrorText();
                const std::string out = record.MarcRecordOut();
                if (s.octets[9] == 'a') {
                    EXPECT_TRUE(OctetsEqual(s.octets, out)) << table << " " << s.id;
                } else {
                    marc8In += s.octets;
                    utf8Out += out;
                }
            }
            const auto before = DecodeWithMarcRecord(marc8In), after = DecodeWithMarcRecord(utf8Out);
            ASSERT_EQ(before.size(), after.size());
            for (std::size_t i = 0; i < before.size(); ++i) {
                EXPECT_EQ(after[i].leader[9], 'a') << ControlData(before[i], "001");
                EXPECT_TRUE(after[i].problems.empty()) << Joined(after[i].problems);
                ASSERT_EQ(after[i].fields.size(), before[i].fields.size()) << ControlData(before[i], "001");
                // Each data field's subfield texts, joined by blanks, tag by tag in record order.
                std::map<std::string, std::vector<std::string>> texts;
                for (const DecodedField& f : after[i].fields) {
                    if (f.subfields.empty()) continue;
                    std::string joined;
                    for (const auto& [code, text] : f.subfields) joined += (joined.empty() ? "" : " ") + text;
                    texts[f.tag].push_back(joined);
                }
                EXPECT_EQ(texts, before[i].utf8) << ControlData(before[i], "001");
                ++translated;
            }
        }
    }
    EXPECT_GT(translated, 20u);
}

LINKMEND_DB_TEST_SUITE(DemoDatabase);

}  // namespace
}  // namespace linkmend::test
