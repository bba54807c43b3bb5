#include "catalog/CatalogSession.h"

#include <cmath>

#include "base/INI.h"
#include "base/Text.h"
#include "catalog/OperatorPassword.h"
#include "catalog/ReturnCodes.h"
#include "profile/Password.h"

namespace linkmend {
using namespace catalog_code;

namespace {

// Seconds since the day-count origin, for comparisons that must not depend on rounding.
long long Seconds(const DateTime& t) { return std::llround(t.Days() * 86400.0); }

}  // namespace

std::optional<std::string> CatalogSession::First(odbc::Statement& s) {
    s.Execute();
    if (!s.Fetch()) return std::nullopt;
    return s.Text(1).value_or(std::string());
}

void CatalogSession::DropStatements() { kinds_.clear(); }

std::int32_t CatalogSession::SignOn(const std::string& voyagerPath, const std::string& operatorId,
                                    const std::string& password) {
    signedOn_ = false;
    const std::string ini = WithFolderSeparator(voyagerPath) + "Voyager.INI";
    const std::string dsn = ReadIniValue(ini, "Database", "DSN", 256);
    if (dsn.empty()) return kCannotConnect;
    DropStatements();
    connection_.Disconnect();
    connection_.Connect(dsn, ReadIniValue(ini, "Database", "UID", 128),
                        UnscramblePassword(ReadIniValue(ini, "Database", "PWD", 256)));
    for (const std::string_view sql : connection_.Driver().writeOnConnect) connection_.Execute(sql);
    prefix_ = ReadIniValue(ini, "Database", "TableNamePrefix", 64);
    if (!prefix_.empty() && prefix_.back() != '.') prefix_ += '.';

    odbc::Statement op =
        connection_.Prepare("SELECT PASSWORD_HASH FROM " + Table("OPERATOR") + " WHERE OPERATOR_ID = ?");
    op.BindText(1, operatorId);
    const auto hash = First(op);
    if (!hash || !OperatorPasswordMatches(password, *hash)) return kBadUser;
    odbc::Statement profile =
        connection_.Prepare("SELECT CAT_PROFILE_ID FROM " + Table("CAT_OPERATOR") + " WHERE OPERATOR_ID = ?");
    profile.BindText(1, operatorId);
    if (!First(profile)) return kNoSecurity;

    // One statement a kind answers every look-up of a replace: the record's master row, the newest
    // history entry after its creation, and what the kind checks besides (MIN: one value even where
    // the database would hold a row twice).
    const auto newest = [&](const char* table, const std::string& id) {
        return "(SELECT MAX(ACTION_DATE) FROM " + Table(std::string(table) + "_HISTORY") + " WHERE " + id +
               " = ? AND ACTION_TYPE_ID <> 1)";
    };
    kinds_[kBibKind.table].facts = connection_.Prepare(
        "SELECT (SELECT MIN(BIB_ID) FROM " + Table("BIB_MASTER") + " WHERE BIB_ID = ?), " + newest("BIB", "BIB_ID") +
        ", (SELECT MIN(LIBRARY_ID) FROM " + Table("LIBRARY") + " WHERE LIBRARY_ID = ?)");
    kinds_[kHoldingsKind.table].facts =
        connection_.Prepare("SELECT (SELECT MIN(MFHD_ID) FROM " + Table("MFHD_MASTER") + " WHERE MFHD_ID = ?), " +
                            newest("MFHD", "MFHD_ID") + ", (SELECT MIN(BIB_ID) FROM " + Table("BIB_MFHD") +
                            " WHERE MFHD_ID = ? AND BIB_ID = ?), (SELECT MIN(LOCATION_ID) FROM " + Table("LOCATION") +
                            " WHERE LOCATION_CODE = ?)");
    kinds_[kAuthorityKind.table].facts =
        connection_.Prepare("SELECT (SELECT MIN(AUTH_ID) FROM " + Table("AUTH_MASTER") + " WHERE AUTH_ID = ?), " +
                            newest("AUTH", "AUTH_ID"));
    operatorId_ = operatorId;
    catalogingLocations_.clear();
    signedOn_ = true;
    return kSuccess;
}

CatalogSession::RecordFacts CatalogSession::Facts(const RecordKind& kind, std::int32_t id, const DateTime& lastModified,
                                                  std::int32_t other, const std::string& locationCode) {
    odbc::Statement& s = *kinds_.at(kind.table).facts;
    int p = 0;
    s.BindInt32(++p, id);
    s.BindInt32(++p, id);
    if (&kind == &kBibKind) s.BindInt32(++p, other);
    if (&kind == &kHoldingsKind) {
        s.BindInt32(++p, id);
        s.BindInt32(++p, other);
        s.BindText(++p, locationCode);
    }
    s.Execute();
    RecordFacts facts;
    if (!s.Fetch()) return facts;
    facts.exists = s.Text(1).has_value();
    const std::optional<std::string> newest = s.Text(2);
    facts.updatedSince = newest && !newest->empty() && Seconds(DateTime::Parse(*newest)) > Seconds(lastModified);
    if (&kind == &kBibKind) facts.libraryExists = s.Text(3).has_value();
    if (&kind == &kHoldingsKind) {
        facts.belongsToBib = s.Text(3).has_value();
        facts.locationId = s.Text(4);
    }
    return facts;
}

bool CatalogSession::CatalogingLocationValid(std::int32_t locationId) {
    const auto found = catalogingLocations_.find(locationId);
    if (found != catalogingLocations_.end()) return found->second;
    odbc::Statement s = connection_.Prepare(
        "SELECT T2.LOCATION_ID FROM " + Table("CAT_OPERATOR") + " T1, " + Table("CAT_SECURITY_LOCS") + " T2, " +
        Table("CAT_POLICY_LOCS") + " T3 WHERE T1.OPERATOR_ID = ? AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID" +
        " AND T2.LOCATION_ID = ? AND T3.LOCATION_ID = T2.LOCATION_ID AND T3.CATALOGING_LOCATION = 'Y'");
    s.BindText(1, operatorId_);
    s.BindInt32(2, locationId);
    const bool valid = First(s).has_value();
    catalogingLocations_.emplace(locationId, valid);
    return valid;
}

}  // namespace linkmend
