#include "kit/Catalog.h"

#include "catalog/OperatorPassword.h"
#include "catalog/StoredRecord.h"
#include "kit/MarcBuilder.h"

namespace linkmend::test {

void TestCatalog::Basics() {
    Exec("INSERT INTO " + p_ + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    Exec("INSERT INTO " + p_ + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (1, 'Main Library'), (2, 'Law Library')");
    const char* locations[][4] = {
        {"10", "MAIN", "Main stacks", "Y"}, {"11", "LAW", "Law stacks", "Y"}, {"12", "STORE", "Store", "N"}};
    for (const auto& l : locations) {
        Exec("INSERT INTO " + p_ +
             "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LIBRARY_ID) VALUES (" + l[0] +
             ", '" + l[1] + "', '" + l[2] + "', '" + l[2] + "', 1)");
        Exec("INSERT INTO " + p_ + "CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (" + l[0] + ", '" + l[3] +
             "')");
    }
    // Operator, profile, rights (BIB_ADD ... AUTH_DELETE, three each); cataloguing locations: "cat" all, others 10.
    const char* operators[][3] = {{"cat", "1", "YYYYYYYYYYYY"},
                                  {"bibonly", "2", "YYYNNNNNNNNN"},
                                  {"holdonly", "3", "NNNYYYNNNNNN"},
                                  {"norights", "4", "NNNNNNNNNNNN"}};
    for (const auto& o : operators) {
        std::string rights;
        for (const char* r = o[2]; *r; ++r) rights += std::string(", '") + *r + "'";
        Exec("INSERT INTO " + p_ +
             "CAT_PROFILE (CAT_PROFILE_ID, CAT_PROFILE_NAME, BIB_ADD, BIB_UPDATE, BIB_DELETE, HOLD_ADD, HOLD_UPDATE, "
             "HOLD_DELETE, ITEM_ADD, ITEM_UPDATE, ITEM_DELETE, AUTH_ADD, AUTH_UPDATE, AUTH_DELETE) VALUES (" +
             o[1] + ", '" + o[0] + "'" + rights + ")");
        Exec("INSERT INTO " + p_ + "CAT_OPERATOR (OPERATOR_ID, CAT_PROFILE_ID) VALUES ('" + o[0] + "', " + o[1] + ")");
        Exec("INSERT INTO " + p_ + "OPERATOR (OPERATOR_ID, LAST_NAME, PASSWORD_HASH) VALUES ('" + o[0] +
             "', 'Test', '" + HashOperatorPassword(std::string(o[0]) + "-pw", "testsalt") + "')");
        for (const std::string location : {"10", "11", "12"})
            if (location == "10" || o[1] == std::string("1"))
                Exec("INSERT INTO " + p_ + "CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (" + o[1] + ", " +
                     location + ")");
    }
}

std::string TestCatalog::Add(const std::string& kind, const std::string& type, std::int32_t id,
                             const std::string& record, std::size_t segment, const std::string& masterColumns,
                             const std::string& masterValues) {
    odbc::Statement s =
        c_.Prepare("INSERT INTO " + p_ + kind + "_DATA (" + kind + "_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    for (std::size_t at = 0; at < record.size(); at += segment) {
        s.BindInt32(1, id);
        s.BindInt32(2, static_cast<std::int32_t>(at / segment + 1));
        s.BindBinary(3, std::string_view(record).substr(at, segment));
        s.Execute();
    }
    Exec("INSERT INTO " + p_ + kind + "_MASTER (" + kind + "_ID" + masterColumns + ") VALUES (" + std::to_string(id) +
         masterValues + ")");
    Exec("INSERT INTO " + p_ + kind + "_HISTORY (" + kind + "_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (" +
         std::to_string(id) + ", '2024-01-02 10:00:00', 'other', 1)");
    odbc::Statement link =
        c_.Prepare("INSERT INTO " + p_ +
                   "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES (?, ?, ?, ?, ?)");
    for (const LinkIndexRow& row : LinkIndexRows(record)) {
        link.BindInt32(1, id);
        link.BindText(2, type);
        link.BindText(3, row.subtype);
        link.BindText(4, row.link);
        if (row.text.empty()) link.BindNull(5);
        else link.BindText(5, row.text);
        link.Execute();
    }
    return record;
}

std::string TestCatalog::AddBib(std::int32_t id, const std::vector<std::string>& fields, std::int32_t library) {
    std::vector<std::string> all = {"001 " + std::to_string(id)};
    all.insert(all.end(), fields.begin(), fields.end());
    return Add("BIB", "B", id, BuildRecord(all, 'a'), 990, ", LIBRARY_ID, SUPPRESS_IN_OPAC",
               ", " + std::to_string(library) + ", 'N'");
}

std::string TestCatalog::AddHoldings(std::int32_t id, std::int32_t bib, const std::vector<std::string>& fields,
                                     std::int32_t location) {
    std::vector<std::string> all = {"001 " + std::to_string(id), "004 " + std::to_string(bib)};
    all.insert(all.end(), fields.begin(), fields.end());
    Exec("INSERT INTO " + p_ + "BIB_MFHD (BIB_ID, MFHD_ID) VALUES (" + std::to_string(bib) + ", " + std::to_string(id) +
         ")");
    return Add("MFHD", "M", id, BuildRecord(all, 'x', ' '), 300, ", LOCATION_ID, SUPPRESS_IN_OPAC",
               ", " + std::to_string(location) + ", 'N'");
}

std::string TestCatalog::AddAuthority(std::int32_t id, const std::vector<std::string>& fields) {
    std::vector<std::string> all = {"001 " + std::to_string(id)};
    all.insert(all.end(), fields.begin(), fields.end());
    return Add("AUTH", "A", id, BuildRecord(all, 'z'), 990, "", "");
}

std::string TestCatalog::Stored(const std::string& kind, std::int32_t id) {
    odbc::Statement s =
        c_.Prepare("SELECT RECORD_SEGMENT FROM " + p_ + kind + "_DATA WHERE " + kind + "_ID = ? ORDER BY SEQNUM");
    s.BindInt32(1, id);
    s.Execute();
    std::string record;
    while (s.Fetch()) record += s.Binary(1).value_or("");
    return record;
}

long long TestCatalog::Count(const std::string& sqlAfterFrom) {
    odbc::Statement s = c_.Prepare("SELECT COUNT(*) FROM " + p_ + sqlAfterFrom);
    s.Execute();
    return s.Fetch() ? std::stoll(s.Text(1).value_or("0")) : -1;
}

}  // namespace linkmend::test
