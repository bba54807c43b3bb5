// The cataloguing operator's permissions and locations, from the security tables.
#include "base/Error.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

void SettleOperator(std::string& operatorId, const std::string& given) {
    if (!given.empty()) {
        operatorId = given;
        return;
    }
    if (operatorId.empty()) throw LinkmendError(ObjectError(1062), VgerReaderClass7::kSource, "No OperatorID supplied");
}

}  // namespace

void VgerReaderClass7::RetrieveOperatorPermissions(const std::string& sOperatorID) {
    SettleOperator(operatorId_, sOperatorID);
    CheckConnection();
    EnsureDatabaseTested();
    permissions_.fill(false);
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    const std::string& p = tableNamePrefix_;
    Query(
        "SELECT T2.BIB_ADD, T2.BIB_UPDATE, T2.BIB_DELETE, T2.HOLD_ADD, T2.HOLD_UPDATE, T2.HOLD_DELETE, "
        "T2.ITEM_ADD, T2.ITEM_UPDATE, T2.ITEM_DELETE, T2.AUTH_ADD, T2.AUTH_UPDATE, T2.AUTH_DELETE, "
        "T2.CAT_PROFILE_NAME FROM " +
            p + "CAT_OPERATOR T1, " + p + "CAT_PROFILE T2 WHERE T1.OPERATOR_ID = '" + SqlQuote(operatorId_) +
            "' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID",
        13);
    // Several profile rows grant the union of their permissions; a row without BIB_ADD ends the list.
    for (bool more = !Column(1).empty(); more; more = NextRow()) {
        for (std::int16_t c = 1; c <= 12; ++c)
            if (Column(c) == "Y") permissions_[static_cast<std::size_t>(c - 1)] = true;
    }
}

std::string VgerReaderClass7::RetrieveOperatorCatLocations(const std::string& sOperatorID) {
    SettleOperator(operatorId_, sOperatorID);
    CheckConnection();
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    const std::string& p = tableNamePrefix_;
    Query("SELECT UNIQUE T2.LOCATION_ID FROM " + p + "CAT_SECURITY_LOCS T2, " + p +
              "CAT_OPERATOR T1 WHERE T1.OPERATOR_ID = '" + SqlQuote(operatorId_) +
              "' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID",
          1);
    std::string result;
    for (bool more = !Column(1).empty(); more; more = NextRow()) {
        if (!result.empty()) result += ' ';
        result += Column(1);
    }
    return result;
}

std::string VgerReaderClass7::RetrieveOperatorCatHappeningLocations(const std::string& sOperatorID) {
    SettleOperator(operatorId_, sOperatorID);
    CheckConnection();
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    const std::string& p = tableNamePrefix_;
    Query("SELECT UNIQUE T2.LOCATION_ID FROM " + p + "CAT_OPERATOR T1, " + p + "CAT_SECURITY_LOCS T2, " + p +
              "CAT_POLICY_LOCS T3 WHERE T1.OPERATOR_ID = '" + SqlQuote(operatorId_) +
              "' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID AND T3.LOCATION_ID = T2.LOCATION_ID AND "
              "T3.CATALOGING_LOCATION = 'Y'",
          1);
    std::string result;
    for (bool more = !Column(1).empty(); more; more = NextRow()) {
        if (!result.empty()) result += ' ';
        result += Column(1);
    }
    return result;
}

}  // namespace linkmend
