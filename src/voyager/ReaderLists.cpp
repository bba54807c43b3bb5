// The lists the windows fill through the reader: the main window's locations and the Options
// dialog's owning libraries and the operator's cataloguing locations; and the ids a restore finds.
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::SearchLocationList(const std::string& profilePrefix, std::int16_t& iResultSet) {
    // The profile's prefix and a blank: a prefix saved without its dot names no table here.
    ExecuteSQL("SELECT LOCATION_CODE, LOCATION_NAME FROM " + profilePrefix + " LOCATION ORDER BY LOCATION_CODE",
               iResultSet);
}

void VgerReaderClass7::SearchLibraries(std::int16_t& iResultSet) {
    ExecuteSQL("SELECT LIBRARY_ID, LIBRARY_NAME FROM " + tableNamePrefix_ + "LIBRARY ORDER BY LIBRARY_NAME",
               iResultSet);
}

void VgerReaderClass7::SearchOperatorProfiles(const std::string& operatorId, std::int16_t& iResultSet) {
    ExecuteSQL(
        "SELECT CAT_PROFILE_ID FROM " + tableNamePrefix_ + "CAT_OPERATOR WHERE OPERATOR_ID = '" + operatorId + "'",
        iResultSet);
}

void VgerReaderClass7::SearchProfileCatalogingLocations(const std::string& profileId, std::int16_t& iResultSet) {
    ExecuteSQL("SELECT T1.LOCATION_ID FROM " + tableNamePrefix_ + "CAT_SECURITY_LOCS T1, " + tableNamePrefix_ +
                   "CAT_POLICY_LOCS T2 WHERE T1.CAT_PROFILE_ID = " + profileId +
                   " AND T2.LOCATION_ID = T1.LOCATION_ID AND T2.CATALOGING_LOCATION = 'Y'",
               iResultSet);
}

void VgerReaderClass7::SearchRecordIds(const std::string& type, const std::string& idList, std::int16_t& iResultSet) {
    const std::string kind = type == "H" ? "MFHD" : type == "A" ? "AUTH" : "BIB";
    ExecuteSQL(
        "SELECT " + kind + "_ID FROM " + tableNamePrefix_ + kind + "_MASTER WHERE " + kind + "_ID IN (" + idList + ")",
        iResultSet);
}

bool VgerReaderClass7::RetrieveLocationCodeAndName(const std::string& locationId, std::string& sLocationId,
                                                   std::string& sLocationCode, std::string& sLocationName) {
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    Query(EncodeSqlNonAscii("SELECT LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME FROM " +
                            tableNamePrefix_ + "LOCATION WHERE LOCATION_ID = " + locationId),
          4);
    sLocationId = Column(1);
    sLocationCode = Column(2);
    sLocationName = Column(3);
    return !sLocationId.empty();
}

}  // namespace linkmend
