// The owning library of a bibliographic record, with a cache of library names for the object's life.
#include "base/Error.h"
#include "odbc/PreparedQuery.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

const std::string& VgerReaderClass7::BibOwningLibraryNumber() {
    if (!bib_.libraryId.empty() || bibRecordNumber_.empty()) return bib_.libraryId;
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    // A statement of its own, so that a caller's open result set keeps its current row.
    bib_.libraryId =
        QueryById("SELECT LIBRARY_ID FROM " + TableName(VgerTable::BibMaster) + " WHERE BIB_ID = ?", bibRecordNumber_)
            .Column(1);
    LookUpLibraryNames();
    return bib_.libraryId;
}

void VgerReaderClass7::LookUpLibraryNames() {
    if (bib_.libraryId.empty()) return;
    for (const LibraryEntry& entry : libraries_) {
        if (entry.id == bib_.libraryId) {
            bib_.libraryDisplayName = entry.displayName;
            bib_.libraryName = entry.name;
            bib_.libraryNucCode = entry.nucCode;
            return;
        }
    }
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    Query("SELECT LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE FROM " + TableName(VgerTable::Library) +
              " WHERE LIBRARY_ID = '" + SqlQuote(bib_.libraryId) + "'",
          3);
    bib_.libraryName = Column(1);
    bib_.libraryDisplayName = Column(2);
    bib_.libraryNucCode = Column(3);
    libraries_.push_back({bib_.libraryId, bib_.libraryDisplayName, bib_.libraryName, bib_.libraryNucCode});
}

// A library read with the record (RetrieveBibRecord) gets its names on first request.
const std::string& VgerReaderClass7::BibOwningLibraryName() {
    if (bib_.libraryName.empty()) {
        if (bib_.libraryId.empty()) BibOwningLibraryNumber();
        else LookUpLibraryNames();
    }
    return bib_.libraryName;
}

const std::string& VgerReaderClass7::BibOwningLibraryDisplayName() {
    if (bib_.libraryDisplayName.empty()) {
        if (bib_.libraryId.empty()) BibOwningLibraryNumber();
        else LookUpLibraryNames();
    }
    return bib_.libraryDisplayName;
}

const std::string& VgerReaderClass7::BibOwningLibraryNucCode() {
    if (bib_.libraryNucCode.empty()) {
        if (bib_.libraryId.empty()) BibOwningLibraryNumber();
        else LookUpLibraryNames();
    }
    return bib_.libraryNucCode;
}

void VgerReaderClass7::RetrieveOwningLibraryForBib(const std::string& sBibliographicRecordNumber,
                                                   std::string& sOwningLibraryID, std::string& sOwningLibraryName,
                                                   std::string& sOwningLibraryDisplayName,
                                                   std::string& sOwningLibraryNucCode) {
    if (sBibliographicRecordNumber.empty()) RaiseObjectError(1012, "No BibliographicRecordNumber supplied");
    if (!IsRecordId(sBibliographicRecordNumber))
        RaiseInvalidValue("Invalid value for BibRecordNumber property: " + sBibliographicRecordNumber);
    TestConnectionData();
    CheckConnection();
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    sOwningLibraryID = QueryValue("SELECT LIBRARY_ID FROM " + TableName(VgerTable::BibMaster) +
                                  " WHERE BIB_ID = " + sBibliographicRecordNumber);
    sOwningLibraryName.clear();
    sOwningLibraryDisplayName.clear();
    sOwningLibraryNucCode.clear();
    if (!IsAllDigits(sOwningLibraryID)) return;
    Query("SELECT LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE FROM " + TableName(VgerTable::Library) +
              " WHERE LIBRARY_ID = " + sOwningLibraryID,
          3);
    sOwningLibraryName = Column(1);
    sOwningLibraryDisplayName = Column(2);
    sOwningLibraryNucCode = Column(3);
}

}  // namespace linkmend
