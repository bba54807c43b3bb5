// The statements of the URL-change job: the link-index query, one record's links for the
// diagnostic dump, and the single values its candidates and screening look up.
#include "base/Text.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

std::string VgerReaderClass7::LinkIndexSql(const std::string& stem, bool fromRight,
                                           const std::string& locationId) const {
    const std::string& prefix = tableNamePrefix_;
    // ASCII letters only, as the database upper-cases the link; UTF-8 octets pass through untouched.
    const std::string upper = AsciiUpper(stem);
    if (locationId.empty()) {
        return "SELECT RECORD_ID, RECORD_TYPE, LINK FROM " + prefix + "ELINK_INDEX WHERE UPPER(LINK) LIKE '" +
               (fromRight ? "%" + upper + "'" : upper + "%'");
    }
    // The texts are joined as the job has always logged them, doubled blanks included.
    const std::string join = std::string(" (") +
                             "(T1.RECORD_TYPE = 'B' AND T2.BIB_ID = T1.RECORD_ID AND T3.MFHD_ID = T2.MFHD_ID) OR " +
                             "(T1.RECORD_TYPE ='M' AND T3.MFHD_ID = T1.RECORD_ID)" + ") ";
    return "SELECT T1.RECORD_ID, T1.RECORD_TYPE, T1.LINK FROM " + prefix + "ELINK_INDEX T1, " + prefix +
           "BIB_MFHD T2, " + prefix + "MFHD_MASTER T3 " +
           (fromRight ? " WHERE UPPER(T1.LINK) LIKE '%" + upper + "' AND "
                      : " WHERE UPPER(T1.LINK) LIKE '" + upper + "%' AND ") +
           join + " AND T3.LOCATION_ID = " + locationId;
}

void VgerReaderClass7::SearchLinksOfRecord(const std::string& recordId, std::int16_t& iResultSet) {
    ExecuteSQL("SELECT RECORD_TYPE, RECORD_ID, RAWTOHEX(LINK), RAWTOHEX(LINK_TEXT) FROM " + tableNamePrefix_ +
                   "ELINK_INDEX WHERE RECORD_ID = " + recordId,
               iResultSet);
}

// The look-ups below send their text as the pass-through would (non-ASCII literals encoded), but
// in a retrieval frame of their own, so that the caller's open result set keeps its current row.

std::string VgerReaderClass7::LocationIdForCode(const std::string& locationCode) {
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    return QueryValue(EncodeSqlNonAscii("SELECT LOCATION_ID FROM " + tableNamePrefix_ +
                                        "LOCATION WHERE LOCATION_CODE = '" + locationCode + "'"));
}

std::string VgerReaderClass7::BibNumberForHoldLink(const std::string& holdRecordNumber) {
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    return QueryValue(
        EncodeSqlNonAscii("SELECT BIB_ID FROM " + tableNamePrefix_ + "BIB_MFHD WHERE MFHD_ID = " + holdRecordNumber));
}

std::string VgerReaderClass7::OwningLibraryForItem(const std::string& itemRecordNumber) {
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    return QueryValue(EncodeSqlNonAscii("SELECT T2.LIBRARY_ID FROM " + tableNamePrefix_ + "BIB_ITEM T1, " +
                                        tableNamePrefix_ + "BIB_MASTER T2 WHERE T1.ITEM_ID = " + itemRecordNumber +
                                        " AND T2.BIB_ID = T1.BIB_ID"));
}

}  // namespace linkmend
