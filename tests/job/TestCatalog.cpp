#include "TestCatalog.h"

#include "MarcBuilder.h"
#include "catalog/OperatorPassword.h"
#include "catalog/StoredRecord.h"

namespace linkmend::test {

TestCatalog::TestCatalog(odbc::Connection& connection, std::string prefix) : c_(connection), p_(std::move(prefix)) {}

void TestCatalog::Exec(const std::string& sql) { c_.Execute(sql); }

void TestCatalog::Basics() {
    Exec("INSERT INTO " + p_ + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', '2006.1.0')");
    Exec("INSERT INTO " + p_ + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (1, 'Main Library')");
    Exec("INSERT INTO " + p_ + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (2, 'Law Library')");
    const char* locations[][3] = {{"10", "MAIN", "Main stacks"}, {"11", "LAW", "Law stacks"}, {"12", "STORE", "Store"}};
    for (const auto& l : locations) {
        Exec("INSERT INTO " + p_ +
             "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LIBRARY_ID) VALUES (" + l[0] +
             ", '" + l[1] + "', '" + l[2] + "', '" + l[2] + "', 1)");
    }
    Exec("INSERT INTO " + p_ + "CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (10, 'Y')");
    Exec("INSERT INTO " + p_ + "CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (11, 'Y')");
    Exec("INSERT INTO " + p_ + "CAT_POLICY_LOCS (LOCATION_ID, CATALOGING_LOCATION) VALUES (12, 'N')");
    const char* profiles[][3] = {{"1", "All", "YYYYYYYYYYYY"},
                                 {"2", "Bibs", "YYYNNNNNNNNN"},
                                 {"3", "Holdings", "NNNYYYNNNNNN"},
                                 {"4", "None", "NNNNNNNNNNNN"}};
    const char* columns[] = {"BIB_ADD",  "BIB_UPDATE",  "BIB_DELETE",  "HOLD_ADD", "HOLD_UPDATE", "HOLD_DELETE",
                             "ITEM_ADD", "ITEM_UPDATE", "ITEM_DELETE", "AUTH_ADD", "AUTH_UPDATE", "AUTH_DELETE"};
    for (const auto& pr : profiles) {
        std::string names = "CAT_PROFILE_ID, CAT_PROFILE_NAME", values = std::string(pr[0]) + ", '" + pr[1] + "'";
        for (int i = 0; i < 12; ++i) {
            names += std::string(", ") + columns[i];
            values += std::string(", '") + pr[2][i] + "'";
        }
        Exec("INSERT INTO " + p_ + "CAT_PROFILE (" + names + ") VALUES (" + values + ")");
    }
    const char* operators[][3] = {
        {"cat", "1", "10 11 12"}, {"bibonly", "2", "10"}, {"holdonly", "3", "10"}, {"norights", "4", "10"}};
    for (const auto& o : operators) {
        Exec("INSERT INTO " + p_ + "CAT_OPERATOR (OPERATOR_ID, CAT_PROFILE_ID) VALUES ('" + o[0] + "', " + o[1] + ")");
        const std::string hash = HashOperatorPassword(std::string(o[0]) + "-pw", "testsalt");
        Exec("INSERT INTO " + p_ + "OPERATOR (OPERATOR_ID, LAST_NAME, PASSWORD_HASH) VALUES ('" + o[0] +
             "', 'Test', '" + hash + "')");
        std::string locs = o[2];
        std::size_t start = 0;
        while (start < locs.size()) {
            const auto end = locs.find(' ', start);
            const std::string loc = locs.substr(start, end == std::string::npos ? std::string::npos : end - start);
            Exec("INSERT INTO " + p_ + "CAT_SECURITY_LOCS (CAT_PROFILE_ID, LOCATION_ID) VALUES (" + o[1] + ", " + loc +
                 ")");
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
}

void TestCatalog::Store(const std::string& kind, std::int32_t id, const std::string& record, std::size_t segment) {
    odbc::Statement s =
        c_.Prepare("INSERT INTO " + p_ + kind + "_DATA (" + kind + "_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    std::int32_t seq = 0;
    for (std::size_t at = 0; at < record.size(); at += segment) {
        s.BindInt32(1, id);
        s.BindInt32(2, ++seq);
        s.BindBinary(3, std::string_view(record).substr(at, segment));
        s.Execute();
    }
}

void TestCatalog::Index(std::int32_t id, const std::string& type, const std::string& record) {
    odbc::Statement s =
        c_.Prepare("INSERT INTO " + p_ +
                   "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES (?, ?, ?, ?, ?)");
    for (const LinkIndexRow& row : LinkIndexRows(record)) {
        s.BindInt32(1, id);
        s.BindText(2, type);
        s.BindText(3, row.subtype);
        s.BindText(4, row.link);
        if (row.text.empty()) s.BindNull(5);
        else s.BindText(5, row.text);
        s.Execute();
    }
}

void TestCatalog::AddHistory(const std::string& kind, std::int32_t id, const std::string& date, int actionType,
                             const std::string& operatorId) {
    Exec("INSERT INTO " + p_ + kind + "_HISTORY (" + kind + "_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (" +
         std::to_string(id) + ", '" + date + "', '" + operatorId + "', " + std::to_string(actionType) + ")");
}

std::string TestCatalog::AddBib(std::int32_t id, const std::vector<std::string>& fields, std::int32_t library,
                                const std::string& suppress, const std::string& created, const std::string& updated) {
    std::vector<std::string> all = {"001 " + std::to_string(id)};
    all.insert(all.end(), fields.begin(), fields.end());
    const std::string record = BuildRecord(all, 'a');
    Store("BIB", id, record, 990);
    Exec("INSERT INTO " + p_ + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (" + std::to_string(id) +
         ", " + std::to_string(library) + ", '" + suppress + "')");
    AddHistory("BIB", id, created, 1);
    if (!updated.empty()) AddHistory("BIB", id, updated, 2);
    Index(id, "B", record);
    return record;
}

std::string TestCatalog::AddHoldings(std::int32_t id, std::int32_t bib, const std::vector<std::string>& fields,
                                     std::int32_t location, const std::string& suppress, const std::string& created,
                                     const std::string& updated) {
    std::vector<std::string> all = {"001 " + std::to_string(id), "004 " + std::to_string(bib)};
    all.insert(all.end(), fields.begin(), fields.end());
    const std::string record = BuildRecord(all, 'x', ' ');
    Store("MFHD", id, record, 300);
    Exec("INSERT INTO " + p_ + "MFHD_MASTER (MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC) VALUES (" + std::to_string(id) +
         ", " + std::to_string(location) + ", '" + suppress + "')");
    Exec("INSERT INTO " + p_ + "BIB_MFHD (BIB_ID, MFHD_ID) VALUES (" + std::to_string(bib) + ", " + std::to_string(id) +
         ")");
    AddHistory("MFHD", id, created, 1);
    if (!updated.empty()) AddHistory("MFHD", id, updated, 2);
    Index(id, "M", record);
    return record;
}

std::string TestCatalog::AddAuthority(std::int32_t id, const std::vector<std::string>& fields,
                                      const std::string& created) {
    std::vector<std::string> all = {"001 " + std::to_string(id)};
    all.insert(all.end(), fields.begin(), fields.end());
    const std::string record = BuildRecord(all, 'z');
    Store("AUTH", id, record, 990);
    Exec("INSERT INTO " + p_ + "AUTH_MASTER (AUTH_ID) VALUES (" + std::to_string(id) + ")");
    AddHistory("AUTH", id, created, 1);
    Index(id, "A", record);
    return record;
}

void TestCatalog::AddItem(std::int32_t id, std::int32_t mfhd, std::int32_t bib, const std::string& link) {
    const std::string i = std::to_string(id);
    Exec("INSERT INTO " + p_ + "ITEM (ITEM_ID, PERM_LOCATION, ITEM_TYPE_ID, COPY_NUMBER, PIECES) VALUES (" + i +
         ", 10, 1, 1, 1)");
    Exec("INSERT INTO " + p_ + "MFHD_ITEM (MFHD_ID, ITEM_ID) VALUES (" + std::to_string(mfhd) + ", " + i + ")");
    Exec("INSERT INTO " + p_ + "BIB_ITEM (BIB_ID, ITEM_ID) VALUES (" + std::to_string(bib) + ", " + i + ")");
    Exec("INSERT INTO " + p_ + "ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK) VALUES (" + i + ", 'I', '" + link + "')");
}

std::string TestCatalog::Stored(const std::string& kind, std::int32_t id) {
    odbc::Statement s =
        c_.Prepare("SELECT RECORD_SEGMENT FROM " + p_ + kind + "_DATA WHERE " + kind + "_ID = ? ORDER BY SEQNUM");
    s.BindInt32(1, id);
    s.Execute();
    std::string record;
    while (s.Fetch()) record += s.Binary(1).value_or(std::string());
    return record;
}

std::vector<std::string> TestCatalog::Links(std::int32_t id, const std::string& type) {
    odbc::Statement s = c_.Prepare("SELECT RECORD_TYPE, LINK, LINK_TEXT FROM " + p_ +
                                   "ELINK_INDEX WHERE RECORD_ID = ? AND RECORD_TYPE = ? ORDER BY LINK_ID");
    s.BindInt32(1, id);
    s.BindText(2, type);
    s.Execute();
    std::vector<std::string> rows;
    while (s.Fetch())
        rows.push_back(s.Text(1).value_or("") + " " + s.Text(2).value_or("") + " | " + s.Text(3).value_or(""));
    return rows;
}

long long TestCatalog::Count(const std::string& sqlAfterFrom) {
    odbc::Statement s = c_.Prepare("SELECT COUNT(*) FROM " + p_ + sqlAfterFrom);
    s.Execute();
    return s.Fetch() ? std::stoll(s.Text(1).value_or("0")) : -1;
}

}  // namespace linkmend::test
