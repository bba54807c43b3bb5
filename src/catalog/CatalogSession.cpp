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

void CatalogSession::DropStatements() {
    kinds_.clear();
    libraryExists_.reset();
    bibOfHoldings_.reset();
    locationByCode_.reset();
}

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

    for (const RecordKind* kind : {&kBibKind, &kHoldingsKind, &kAuthorityKind}) {
        const std::string id = std::string(kind->table) + "_ID";
        KindLookups& k = kinds_[kind->table];
        k.exists = connection_.Prepare("SELECT " + id + " FROM " + Table(kind->table) + "_MASTER WHERE " + id + " = ?");
        k.newest = connection_.Prepare("SELECT MAX(ACTION_DATE) FROM " + Table(kind->table) + "_HISTORY WHERE " + id +
                                       " = ? AND ACTION_TYPE_ID <> 1");
    }
    libraryExists_ = connection_.Prepare("SELECT LIBRARY_ID FROM " + Table("LIBRARY") + " WHERE LIBRARY_ID = ?");
    bibOfHoldings_ =
        connection_.Prepare("SELECT BIB_ID FROM " + Table("BIB_MFHD") + " WHERE MFHD_ID = ? AND BIB_ID = ?");
    locationByCode_ = connection_.Prepare("SELECT LOCATION_ID FROM " + Table("LOCATION") + " WHERE LOCATION_CODE = ?");
    operatorId_ = operatorId;
    catalogingLocations_.clear();
    signedOn_ = true;
    return kSuccess;
}

bool CatalogSession::RecordExists(const RecordKind& kind, std::int32_t id) {
    odbc::Statement& s = *kinds_.at(kind.table).exists;
    s.BindInt32(1, id);
    return First(s).has_value();
}

bool CatalogSession::LibraryExists(std::int32_t libraryId) {
    libraryExists_->BindInt32(1, libraryId);
    return First(*libraryExists_).has_value();
}

bool CatalogSession::HoldingsBelongToBib(std::int32_t mfhdId, std::int32_t bibId) {
    bibOfHoldings_->BindInt32(1, mfhdId);
    bibOfHoldings_->BindInt32(2, bibId);
    return First(*bibOfHoldings_).has_value();
}

std::optional<std::string> CatalogSession::LocationId(const std::string& code) {
    locationByCode_->BindText(1, code);
    return First(*locationByCode_);
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

bool CatalogSession::UpdatedSince(const RecordKind& kind, std::int32_t id, const DateTime& lastModified) {
    odbc::Statement& s = *kinds_.at(kind.table).newest;
    s.BindInt32(1, id);
    const auto text = First(s);
    if (!text || text->empty()) return false;
    return Seconds(DateTime::Parse(*text)) > Seconds(lastModified);
}

}  // namespace linkmend
