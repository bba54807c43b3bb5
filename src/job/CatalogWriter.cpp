#include "job/CatalogWriter.h"

#include <crypt.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Error.h"
#include "base/INI.h"
#include "base/Text.h"
#include "marc/Utf8MarcRecordClass.h"
#include "odbc/Connection.h"
#include "profile/Password.h"

namespace linkmend {
namespace {

constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kNotMarc = 2;
constexpr std::int32_t kWrongType = 3;
constexpr std::int32_t kBadRecordId = 13;
constexpr std::int32_t kBadLength = 15;
constexpr std::int32_t kBadLinkedBib = 19;
constexpr std::int32_t kModifyError = 21;
constexpr std::int32_t kBadOwningLibrary = 22;
constexpr std::int32_t kBadLocationCode = 23;
constexpr std::int32_t kBadCatalogingLocation = 24;
constexpr std::int32_t kCannotConnect = 26;
constexpr std::int32_t kBadUser = 27;
constexpr std::int32_t kNoSecurity = 28;
constexpr std::int32_t kNo852 = 37;
constexpr std::int32_t kNo852b = 38;
constexpr std::int32_t kEmpty852b = 39;
constexpr std::int32_t kUpdatedSinceRead = 41;

// The subfields of a record's fields with one tag, read straight from the directory, octets as
// stored (the link index holds what the record holds).
std::vector<std::vector<std::pair<char, std::string>>> FieldsWithTag(const std::string& record, std::string_view tag) {
    std::vector<std::vector<std::pair<char, std::string>>> out;
    if (record.size() < 24) return out;
    const std::size_t base = static_cast<std::size_t>(std::atoi(record.substr(12, 5).c_str()));
    if (base < 25 || base > record.size()) return out;
    for (std::size_t entry = 24; entry + 12 <= base - 1; entry += 12) {
        if (record.compare(entry, 3, tag) != 0) continue;
        const std::size_t length = static_cast<std::size_t>(std::atoi(record.substr(entry + 3, 4).c_str()));
        const std::size_t start = static_cast<std::size_t>(std::atoi(record.substr(entry + 7, 5).c_str()));
        if (base + start >= record.size()) continue;
        std::string_view field(record.data() + base + start, std::min(length, record.size() - base - start));
        if (!field.empty() && field.back() == '\x1E') field.remove_suffix(1);
        std::vector<std::pair<char, std::string>> subfields;
        std::size_t at = field.find('\x1F');
        while (at != std::string_view::npos && at + 1 < field.size()) {
            const std::size_t next = field.find('\x1F', at + 1);
            const std::size_t end = next == std::string_view::npos ? field.size() : next;
            subfields.emplace_back(field[at + 1], std::string(field.substr(at + 2, end - at - 2)));
            at = next;
        }
        out.push_back(std::move(subfields));
    }
    return out;
}

// Seconds since the day-count origin, for comparisons that must not depend on rounding.
long long Seconds(const DateTime& t) { return std::llround(t.Days() * 86400.0); }

}  // namespace

std::vector<LinkIndexRow> LinkIndexRows(const std::string& record) {
    std::vector<LinkIndexRow> rows;
    for (const auto& subfields : FieldsWithTag(record, "856")) {
        std::string text;
        for (char code : {'y', 'z', '3'}) {
            for (const auto& [c, value] : subfields) {
                if (c == code && text.empty()) text = value;
            }
        }
        for (const auto& [c, value] : subfields) {
            if (c != 'u') continue;
            const auto colon = value.find(':');
            const std::string scheme =
                colon == std::string::npos || colon > 10 ? std::string() : AsciiUpper(value.substr(0, colon));
            rows.push_back({scheme, value, text});
        }
    }
    return rows;
}

std::string HashOperatorPassword(const std::string& password, const std::string& salt) {
    crypt_data data;
    std::memset(&data, 0, sizeof data);
    const char* hash = crypt_r(password.c_str(), ("$6$" + salt + "$").c_str(), &data);
    return hash && hash[0] == '$' ? std::string(hash) : std::string();
}

bool OperatorPasswordMatches(const std::string& password, const std::string& storedHash) {
    if (storedHash.size() < 4 || storedHash.compare(0, 3, "$6$") != 0) return false;
    crypt_data data;
    std::memset(&data, 0, sizeof data);
    const char* hash = crypt_r(password.c_str(), storedHash.c_str(), &data);
    return hash && storedHash == hash;
}

struct CatalogWriter::Impl {
    odbc::Connection connection;
    std::string prefix;
    std::string operatorId;
    bool signedOn = false;
    Utf8MarcRecordClass checker;
    std::unordered_map<std::int32_t, bool> catalogingLocations;

    // Statements prepared once per sign-on.
    std::optional<odbc::Statement> bibExists, mfhdExists, authExists, libraryExists, bibLinked, locationByCode;
    std::optional<odbc::Statement> newestBib, newestMfhd, newestAuth;

    std::string Table(const char* name) const { return prefix + name; }

    // Statements go before their connection does.
    void DropStatements() {
        for (auto* s : {&bibExists, &mfhdExists, &authExists, &libraryExists, &bibLinked, &locationByCode, &newestBib,
                        &newestMfhd, &newestAuth}) {
            s->reset();
        }
        writeStatements.clear();
    }

    std::optional<std::string> First(odbc::Statement& s) {
        s.Execute();
        if (!s.Fetch()) return std::nullopt;
        return s.Text(1).value_or(std::string());
    }

    bool Exists(std::optional<odbc::Statement>& s, std::int32_t id) {
        s->BindInt32(1, id);
        return First(*s).has_value();
    }

    bool CatalogingLocationValid(std::int32_t locationId) {
        const auto found = catalogingLocations.find(locationId);
        if (found != catalogingLocations.end()) return found->second;
        odbc::Statement s = connection.Prepare(
            "SELECT T2.LOCATION_ID FROM " + Table("CAT_OPERATOR") + " T1, " + Table("CAT_SECURITY_LOCS") + " T2, " +
            Table("CAT_POLICY_LOCS") + " T3 WHERE T1.OPERATOR_ID = ? AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID" +
            " AND T2.LOCATION_ID = ? AND T3.LOCATION_ID = T2.LOCATION_ID AND T3.CATALOGING_LOCATION = 'Y'");
        s.BindText(1, operatorId);
        s.BindInt32(2, locationId);
        const bool valid = First(s).has_value();
        catalogingLocations.emplace(locationId, valid);
        return valid;
    }

    // The record's newest history entry after its creation is later than the date it was read with.
    bool UpdatedSince(std::optional<odbc::Statement>& newest, std::int32_t id, const DateTime& lastModified) {
        newest->BindInt32(1, id);
        const auto text = First(*newest);
        if (!text || text->empty()) return false;
        return Seconds(DateTime::Parse(*text)) > Seconds(lastModified);
    }

    std::int32_t CheckRecord(const std::string& record, const char* types) {
        if (!checker.IsMarc(record)) return kNotMarc;
        if (std::atoi(record.substr(0, 5).c_str()) != static_cast<int>(record.size())) return kBadLength;
        if (std::strchr(types, record[6]) == nullptr || record[6] == '\0') return kWrongType;
        return kSuccess;
    }

    // The statements that write one kind of record, prepared on its first write after sign-on.
    struct WriteStatements {
        std::optional<odbc::Statement> deleteSegments, insertSegment, insertHistory, updateMaster, unlink, link;
    };
    std::unordered_map<std::string, WriteStatements> writeStatements;

    WriteStatements& StatementsFor(const std::string& kind, const std::string& masterUpdate) {
        WriteStatements& w = writeStatements[kind];
        if (w.link) return w;
        const std::string idColumn = kind + "_ID";
        auto prepare = [&](const std::string& sql) { return std::optional<odbc::Statement>(connection.Prepare(sql)); };
        w.deleteSegments = prepare("DELETE FROM " + prefix + kind + "_DATA WHERE " + idColumn + " = ?");
        w.insertSegment = prepare("INSERT INTO " + prefix + kind + "_DATA (" + idColumn +
                                  ", SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
        w.insertHistory = prepare("INSERT INTO " + prefix + kind + "_HISTORY (" + idColumn +
                                  ", ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID) VALUES (?, ?, ?, ?, 2)");
        w.updateMaster = prepare("UPDATE " + prefix + kind + "_MASTER SET " + masterUpdate + "UPDATE_DATE = ? WHERE " +
                                 idColumn + " = ?");
        w.unlink = prepare("DELETE FROM " + Table("ELINK_INDEX") + " WHERE RECORD_ID = ? AND RECORD_TYPE = ?");
        w.link = prepare("INSERT INTO " + Table("ELINK_INDEX") +
                         " (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES (?, ?, ?, ?, ?)");
        return w;
    }

    // Replaces the record's segments, adds the history row, updates the master row and rebuilds its
    // link-index rows, all in one transaction; 21 and nothing written when any step fails.
    std::int32_t Write(const std::string& kind, std::int32_t id, const std::string& record, std::size_t segmentSize,
                       const char* recordType, std::int32_t locationId, const std::string& masterUpdate,
                       const std::vector<std::pair<bool, std::string>>& masterValues) {
        const std::string now = DateTime::Now().Format();
        try {
            WriteStatements& w = StatementsFor(kind, masterUpdate);
            connection.Begin();
            w.deleteSegments->BindInt32(1, id);
            w.deleteSegments->Execute();
            std::int32_t seq = 0;
            for (std::size_t at = 0; at < record.size(); at += segmentSize) {
                w.insertSegment->BindInt32(1, id);
                w.insertSegment->BindInt32(2, ++seq);
                w.insertSegment->BindBinary(3, std::string_view(record).substr(at, segmentSize));
                w.insertSegment->Execute();
            }
            w.insertHistory->BindInt32(1, id);
            w.insertHistory->BindText(2, now);
            w.insertHistory->BindText(3, operatorId);
            w.insertHistory->BindInt32(4, locationId);
            w.insertHistory->Execute();
            int p = 0;
            for (const auto& [isInt, value] : masterValues) {
                if (isInt) w.updateMaster->BindInt32(++p, std::atoi(value.c_str()));
                else w.updateMaster->BindText(++p, value);
            }
            w.updateMaster->BindText(++p, now);
            w.updateMaster->BindInt32(++p, id);
            w.updateMaster->Execute();
            w.unlink->BindInt32(1, id);
            w.unlink->BindText(2, recordType);
            w.unlink->Execute();
            for (const LinkIndexRow& row : LinkIndexRows(record)) {
                w.link->BindInt32(1, id);
                w.link->BindText(2, recordType);
                w.link->BindText(3, row.subtype);
                w.link->BindText(4, row.link);
                if (row.text.empty()) w.link->BindNull(5);
                else w.link->BindText(5, row.text);
                w.link->Execute();
            }
            connection.Commit();
            return kSuccess;
        } catch (const LinkmendError&) {
            if (connection.InTransaction()) connection.Rollback();
            return kModifyError;
        }
    }
};

CatalogWriter::CatalogWriter() : impl_(std::make_unique<Impl>()) {}
CatalogWriter::~CatalogWriter() = default;

std::int32_t CatalogWriter::SignOn(const std::string& voyagerPath, const std::string& operatorId,
                                   const std::string& password) {
    Impl& w = *impl_;
    w.signedOn = false;
    const std::string ini = WithFolderSeparator(voyagerPath) + "Voyager.INI";
    const std::string dsn = ReadIniValue(ini, "Database", "DSN", 256);
    if (dsn.empty()) return kCannotConnect;
    try {
        w.DropStatements();
        w.connection.Disconnect();
        w.connection.Connect(dsn, ReadIniValue(ini, "Database", "UID", 128),
                             UnscramblePassword(ReadIniValue(ini, "Database", "PWD", 256)));
    } catch (const LinkmendError&) {
        return kCannotConnect;
    }
    w.prefix = ReadIniValue(ini, "Database", "TableNamePrefix", 64);
    if (!w.prefix.empty() && w.prefix.back() != '.') w.prefix += '.';
    try {
        odbc::Statement op =
            w.connection.Prepare("SELECT PASSWORD_HASH FROM " + w.Table("OPERATOR") + " WHERE OPERATOR_ID = ?");
        op.BindText(1, operatorId);
        const auto hash = w.First(op);
        if (!hash || !OperatorPasswordMatches(password, *hash)) return kBadUser;
        odbc::Statement profile =
            w.connection.Prepare("SELECT CAT_PROFILE_ID FROM " + w.Table("CAT_OPERATOR") + " WHERE OPERATOR_ID = ?");
        profile.BindText(1, operatorId);
        if (!w.First(profile)) return kNoSecurity;

        auto prepare = [&](const std::string& sql) {
            return std::optional<odbc::Statement>(w.connection.Prepare(sql));
        };
        w.bibExists = prepare("SELECT BIB_ID FROM " + w.Table("BIB_MASTER") + " WHERE BIB_ID = ?");
        w.mfhdExists = prepare("SELECT MFHD_ID FROM " + w.Table("MFHD_MASTER") + " WHERE MFHD_ID = ?");
        w.authExists = prepare("SELECT AUTH_ID FROM " + w.Table("AUTH_MASTER") + " WHERE AUTH_ID = ?");
        w.libraryExists = prepare("SELECT LIBRARY_ID FROM " + w.Table("LIBRARY") + " WHERE LIBRARY_ID = ?");
        w.bibLinked = prepare("SELECT BIB_ID FROM " + w.Table("BIB_MFHD") + " WHERE MFHD_ID = ? AND BIB_ID = ?");
        w.locationByCode = prepare("SELECT LOCATION_ID FROM " + w.Table("LOCATION") + " WHERE LOCATION_CODE = ?");
        const char* newest = "SELECT MAX(ACTION_DATE) FROM ";
        w.newestBib = prepare(newest + w.Table("BIB_HISTORY") + " WHERE BIB_ID = ? AND ACTION_TYPE_ID <> 1");
        w.newestMfhd = prepare(newest + w.Table("MFHD_HISTORY") + " WHERE MFHD_ID = ? AND ACTION_TYPE_ID <> 1");
        w.newestAuth = prepare(newest + w.Table("AUTH_HISTORY") + " WHERE AUTH_ID = ? AND ACTION_TYPE_ID <> 1");
    } catch (const LinkmendError&) {
        return kCannotConnect;
    }
    w.operatorId = operatorId;
    w.catalogingLocations.clear();
    w.signedOn = true;
    return kSuccess;
}

std::int32_t CatalogWriter::ReplaceBibRecord(std::int32_t bibId, const std::string& record, DateTime lastModified,
                                             std::int32_t owningLibraryId, std::int32_t catalogingLocationId,
                                             bool suppressed, const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (!w.signedOn) return kCannotConnect;
    if (const std::int32_t code = w.CheckRecord(record, "acdefgijkmoprt"); code != kSuccess) return code;
    try {
        if (bibId <= 0 || !w.Exists(w.bibExists, bibId)) return kBadRecordId;
        if (!w.Exists(w.libraryExists, owningLibraryId)) return kBadOwningLibrary;
        if (!w.CatalogingLocationValid(catalogingLocationId)) return kBadCatalogingLocation;
        if (w.UpdatedSince(w.newestBib, bibId, lastModified)) return kUpdatedSinceRead;
    } catch (const LinkmendError&) {
        return kModifyError;
    }
    return w.Write("BIB", bibId, record, 990, "B", catalogingLocationId, "LIBRARY_ID = ?, SUPPRESS_IN_OPAC = ?, ",
                   {{true, std::to_string(owningLibraryId)}, {false, suppressed ? "Y" : "N"}});
}

std::int32_t CatalogWriter::ReplaceHoldingsRecord(std::int32_t mfhdId, const std::string& record, DateTime lastModified,
                                                  std::int32_t catalogingLocationId, std::int32_t bibId, std::int32_t,
                                                  bool suppressed, const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (!w.signedOn) return kCannotConnect;
    if (const std::int32_t code = w.CheckRecord(record, "uvxy"); code != kSuccess) return code;
    const auto fields852 = FieldsWithTag(record, "852");
    if (fields852.empty()) return kNo852;
    const std::string* code852b = nullptr;
    for (const auto& [c, value] : fields852.front()) {
        if (c == 'b') {
            code852b = &value;
            break;
        }
    }
    if (!code852b) return kNo852b;
    if (code852b->find_first_not_of(' ') == std::string::npos) return kEmpty852b;
    std::string locationId;
    try {
        if (mfhdId <= 0 || !w.Exists(w.mfhdExists, mfhdId)) return kBadRecordId;
        w.bibLinked->BindInt32(1, mfhdId);
        w.bibLinked->BindInt32(2, bibId);
        if (!w.First(*w.bibLinked)) return kBadLinkedBib;
        w.locationByCode->BindText(1, *code852b);
        const auto location = w.First(*w.locationByCode);
        if (!location) return kBadLocationCode;
        locationId = *location;
        if (!w.CatalogingLocationValid(catalogingLocationId)) return kBadCatalogingLocation;
        if (w.UpdatedSince(w.newestMfhd, mfhdId, lastModified)) return kUpdatedSinceRead;
    } catch (const LinkmendError&) {
        return kModifyError;
    }
    return w.Write("MFHD", mfhdId, record, 300, "M", catalogingLocationId, "LOCATION_ID = ?, SUPPRESS_IN_OPAC = ?, ",
                   {{true, locationId}, {false, suppressed ? "Y" : "N"}});
}

std::int32_t CatalogWriter::ReplaceAuthorityRecord(std::int32_t authId, const std::string& record,
                                                   DateTime lastModified, std::int32_t catalogingLocationId,
                                                   const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (!w.signedOn) return kCannotConnect;
    if (const std::int32_t code = w.CheckRecord(record, "z"); code != kSuccess) return code;
    try {
        if (authId <= 0 || !w.Exists(w.authExists, authId)) return kBadRecordId;
        if (!w.CatalogingLocationValid(catalogingLocationId)) return kBadCatalogingLocation;
        if (w.UpdatedSince(w.newestAuth, authId, lastModified)) return kUpdatedSinceRead;
    } catch (const LinkmendError&) {
        return kModifyError;
    }
    return w.Write("AUTH", authId, record, 990, "A", catalogingLocationId, "", {});
}

}  // namespace linkmend
