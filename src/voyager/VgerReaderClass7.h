#pragma once
// The program's single door to the library system's database: one connection on the statement
// engine, typed retrieval of bibliographic, holdings, authority and item records with their
// metadata, operator permissions, index searches, and a pass-through for free SQL. The first query
// of any kind connects, reads the system's version and looks at a sample record; after
// Disconnect the object is spent and a new one is made. Errors: LinkmendError, source "VgerRead"
// (the engine's own errors pass through with source "VgerReadDLL"). Single-threaded.
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/DateTime.h"
#include "odbc/VgerReaderDllClass6.h"
#include "voyager/CatalogItemData.h"
#include "voyager/LocationCache.h"
#include "voyager/RecordBlock.h"

namespace linkmend {

class PreparedQuery;
class Utf8MarcRecordClass;

// The Voyager tables the reader names through its table-name list.
enum class VgerTable : std::uint8_t {
    AuthHistory,
    AuthIndex,
    AuthMaster,
    AuthData,
    BibHistory,
    BibIndex,
    BibItem,
    BibData,
    BibMaster,
    BibMfhd,
    MfhdData,
    ItemBarcode,
    ItemStatus,
    ItemStatusType,
    Item,
    Library,
    Location,
    MfhdItem,
    MfhdHistory,
    MfhdMaster,
    Count
};

class VgerReaderClass7 {
public:
    static constexpr const char* kSource = "VgerRead";

    VgerReaderClass7();
    ~VgerReaderClass7();  // disconnects; never throws
    VgerReaderClass7(const VgerReaderClass7&) = delete;
    VgerReaderClass7& operator=(const VgerReaderClass7&) = delete;

    // ---- connection data and settings -----------------------------------------------------------
    const std::string& DSN() const { return dsn_; }
    void DSN(const std::string& value);  // empty: error 380
    const std::string& uID() const { return uid_; }
    void uID(const std::string& value);
    const std::string& PWD() const { return pwd_; }
    void PWD(const std::string& value);
    // Always ends in "." once set (an empty value becomes "."); rebuilds the table names.
    const std::string& TableNamePrefix() const { return tableNamePrefix_; }
    void TableNamePrefix(const std::string& value);
    const std::string& TableName(VgerTable table) const { return tableNames_[static_cast<std::size_t>(table)]; }

    bool SettingsAreAutomatic() const { return settingsAreAutomatic_; }
    void SettingsAreAutomatic(bool value) { settingsAreAutomatic_ = value; }
    bool ItemBarcodeIsNumeric() const { return itemBarcodeIsNumeric_; }
    void ItemBarcodeIsNumeric(bool value) { itemBarcodeIsNumeric_ = value; }
    bool ItemSequenceNewItemsAtTop() const { return itemSequenceNewItemsAtTop_; }
    void ItemSequenceNewItemsAtTop(bool value) { itemSequenceNewItemsAtTop_ = value; }
    bool DebuggingOn() const { return debuggingOn_; }
    const std::string& DebuggingFile() const { return debuggingFile_; }

    // "VGERREAD.INI": sections "General", "Login", "Tables".
    void ReadSettings();
    void WriteSettings();

    // Raises object errors 1061, 1063, 1064, 1065 for a missing prefix, DSN, UID or PWD; once all
    // are present it is not checked again until one of them is set.
    void TestConnectionData();
    void CheckConnection();
    void Disconnect();

    std::string VgerCharacterSet() const { return "U"; }
    const std::string& VgerVersion();
    std::int16_t VgerMajorVersion();
    static std::string Version();

    const std::string& BaseCurrencyCountry();
    const std::string& BaseCurrencyCode();
    const std::string& BaseCurrencyName();
    std::int32_t BaseCurrencyDecimals();
    const std::string& BaseCurrencyDecimalDelimiter();
    void LoadBaseCurrency();

    // ---- forwarded to the engine ----------------------------------------------------------------
    bool TraceOn();
    void TraceOn(bool value);
    std::string TraceFileName() const;
    void TraceFileName(const std::string& value);
    std::int32_t RowsPerFetch();
    void RowsPerFetch(std::int32_t value);
    odbc::RawHandle DatabaseHandle() const;
    void DatabaseHandle(odbc::RawHandle handle);
    odbc::RawHandle EnvironmentHandle() const;
    void EnvironmentHandle(odbc::RawHandle handle);
    std::int32_t RetrievalRequestsSubmitted() const;
    std::int32_t SqlStatementsSubmitted() const;
    void ResetCounters();
    void IsRetrieval(bool value);
    void BindParameter(std::int16_t sequence, std::int16_t inputOutputType, std::int16_t valueType,
                       const VgerReaderDllClass6::Variant& value);
    VgerReaderDllClass6::Variant FetchParameter(std::int16_t sequence, std::int16_t set = 0);

    // ---- SQL pass-through -----------------------------------------------------------------------
    // Runs sql (or the pending SQLString when sql is empty) in iResultSet: below 0 the current set,
    // 0 a new set whose number is written back, otherwise that set.
    void ExecuteSQL(const std::string& sql, std::int16_t& iResultSet);
    void ExecuteSQL(const std::string& sql = std::string());
    // Let: non-ASCII characters rewritten (EncodeSqlNonAscii). Get: "" while the current set is 0.
    std::string SQLString();
    void SQLString(const std::string& value);
    std::int16_t ResultSet();
    void ResultSet(std::int16_t value);
    // True when column 1 of the fetched row is not empty.
    bool GetNextRow(std::int16_t iResultSet = 0);
    bool GetNextRowScroll(std::int16_t iResultSet, std::int32_t lFetchDirection, std::int16_t iRowsToScroll);
    // (set, column) or (column); the hexadecimal column of a search comes back as octets.
    std::string CurrentRow(std::int16_t iResultSetOrColumn = 0, std::int16_t iColumnNumber = 0);
    std::int16_t ColumnCount(std::int16_t iResultSet = 0);
    std::string ColumnHeaders(std::int16_t iResultSet = 0);
    std::string ColumnHeader(std::int16_t iResultSet, std::int16_t iColumn);

    // Diagnostics: every row of a table, or every column of the prefix's tables, as text files.
    void DumpTable(const std::string& tableName, const std::string& outputFile, std::int32_t rowLimit = 0);
    void DumpDatabaseStructure(const std::string& outputFile, bool includeViews = false);

    // ---- bibliographic, holdings and authority records ------------------------------------------
    const std::string& BibRecordNumber() const { return bibRecordNumber_; }
    void BibRecordNumber(const std::string& value);
    const std::string& HoldRecordNumber() const { return holdRecordNumber_; }
    void HoldRecordNumber(const std::string& value);
    const std::string& AuthRecordNumber() const { return authRecordNumber_; }
    void AuthRecordNumber(const std::string& value);
    const std::string& BibRecord() const { return bibRecord_; }
    const std::string& HoldRecord() const { return holdRecord_; }
    const std::string& AuthRecord() const { return authRecord_; }

    // A number that no record has gives an empty record, not an error.
    void RetrieveBibRecord(const std::string& sBibRecordNumber = std::string());
    void RetrieveHoldRecord(const std::string& sHoldRecordNumber = std::string());
    void RetrieveAuthRecord(const std::string& sAuthRecordNumber = std::string());
    void RetrieveOwningLibraryForBib(const std::string& sBibliographicRecordNumber, std::string& sOwningLibraryID,
                                     std::string& sOwningLibraryName, std::string& sOwningLibraryDisplayName,
                                     std::string& sOwningLibraryNucCode);

    // Many records at once, in a few statements per block (one read transaction where the database
    // has them): each gets what the single retrievals above would give it.
    RecordBlock RetrieveRecordBlock(const BlockRequest& request);

    bool BibRecordIsSuppressed() const { return bib_.suppressed; }
    // Looked up (and its names with it) when empty.
    const std::string& BibOwningLibraryNumber();
    const std::string& BibOwningLibraryName();
    const std::string& BibOwningLibraryDisplayName();
    const std::string& BibOwningLibraryNucCode();
    const std::string& BibCreateDate() const { return bib_.history.createDate; }
    const std::string& BibCreateOperatorID() const { return bib_.history.createOperator; }
    const std::string& BibUpdateDate() const { return bib_.history.updateDate; }
    const std::string& BibUpdateOperatorID() const { return bib_.history.updateOperator; }
    DateTime BibCreateDateVB() const { return DateTime::Parse(bib_.history.createDate); }
    DateTime BibUpdateDateVB() const { return DateTime::Parse(bib_.history.updateDate); }
    DateTime BibDateLastModifiedVB() const { return bib_.history.LastModified(); }

    const std::string& HoldBibRecordNumber() const { return hold_.bibRecordNumber; }
    bool HoldRecordIsMultiplyLinked() const { return hold_.multiplyLinked; }
    const std::string& HoldCreateDate() const { return hold_.history.createDate; }
    const std::string& HoldCreateOperatorID() const { return hold_.history.createOperator; }
    const std::string& HoldUpdateDate() const { return hold_.history.updateDate; }
    const std::string& HoldUpdateOperatorID() const { return hold_.history.updateOperator; }
    DateTime HoldCreateDateVB() const { return DateTime::Parse(hold_.history.createDate); }
    DateTime HoldUpdateDateVB() const { return DateTime::Parse(hold_.history.updateDate); }
    DateTime HoldDateLastModifiedVB() const { return hold_.history.LastModified(); }
    bool HoldRecordIsSuppressed() const { return hold_.suppressed; }
    const std::string& HoldLocationID() const { return hold_.locationId; }
    const std::string& HoldCallNoNormalized() const { return hold_.callNoNormalized; }
    const std::string& HoldCallNoDisplay() const { return hold_.callNoDisplay; }
    const std::string& HoldCallNoType() const { return hold_.callNoType; }
    const std::string& HoldLocationCode();
    const std::string& HoldLocationName();
    const std::string& HoldLocationDisplay();
    const std::string& HoldLocationSpine();

    const std::string& AuthCreateDate() const { return auth_.createDate; }
    const std::string& AuthCreateOperatorID() const { return auth_.createOperator; }
    const std::string& AuthUpdateDate() const { return auth_.updateDate; }
    const std::string& AuthUpdateOperatorID() const { return auth_.updateOperator; }
    DateTime AuthCreateDateVB() const { return DateTime::Parse(auth_.createDate); }
    DateTime AuthUpdateDateVB() const { return DateTime::Parse(auth_.updateDate); }
    DateTime AuthDateLastModifiedVB() const { return auth_.LastModified(); }

    // ---- items and locations --------------------------------------------------------------------
    const std::string& ItemRecordNumber() const { return itemRecordNumber_; }
    void ItemRecordNumber(const std::string& value);
    const std::string& ItemBarcode() const { return itemBarcode_; }
    void ItemBarcode(const std::string& value);
    bool ItemBarcodeActive() const { return itemBarcodeActive_; }

    void RetrieveItemRecord(const std::string& sItemRecordNumber = std::string());
    void RetrieveItemRecordByBarcode(const std::string& sItemBarcode = std::string());
    // Makes an item read by the block (RetrieveRecordBlock) the item last read, as RetrieveItemRecord
    // would have left it.
    void UseBlockItem(const std::string& sItemRecordNumber, const ItemBlockRecord& item);
    // Sets the item data object's properties from the item last read.
    void CopyItemObject(CatalogItemData& oItem);

    const std::string& ItemPermLocationNumber() const { return item_.permLocation; }
    const std::string& ItemTempLocationNumber() const { return item_.tempLocation; }
    const std::string& ItemCopyNumber() const { return item_.copyNumber; }
    const std::string& ItemSpineLabel() const { return item_.spineLabel; }
    const std::string& ItemTypeID() const { return item_.typeId; }
    const std::string& ItemTempTypeID() const { return item_.tempTypeId; }
    const std::string& ItemPieces() const { return item_.pieces; }
    const std::string& ItemPrice() const { return item_.price; }
    const std::string& ItemMediaType() const { return item_.mediaType; }
    const std::string& ItemCreateDate() const { return item_.createDate; }
    const std::string& ItemUpdateDate() const { return item_.updateDate; }
    const std::string& ItemCreateOperatorID() const { return item_.createOperator; }
    const std::string& ItemUpdateOperatorID() const { return item_.updateOperator; }
    const std::string& ItemMagneticMedia() const { return item_.magneticMedia; }
    void ItemMagneticMedia(const std::string& value) { item_.magneticMedia = value; }
    const std::string& ItemSensitize() const { return item_.sensitize; }
    void ItemSensitize(const std::string& value) { item_.sensitize = value; }
    const std::string& ItemHoldRecordNumber() const { return item_.holdRecordNumber; }
    const std::string& ItemEnum() const { return item_.enumeration; }
    const std::string& ItemChron() const { return item_.chron; }
    const std::string& ItemYear() const { return item_.year; }
    const std::string& ItemCaption() const { return item_.caption; }
    const std::string& ItemFreeText() const { return item_.freeText; }
    const std::string& ItemStatus() const { return item_.status; }
    const std::string& ItemBibRecordNumber() const { return item_.bibRecordNumber; }
    const std::string& ItemNote() const { return item_.note; }
    DateTime ItemCreateDateVB() const { return DateTime::Parse(item_.createDate); }
    DateTime ItemUpdateDateVB() const { return DateTime::Parse(item_.updateDate); }
    DateTime ItemDateLastModifiedVB() const;
    std::string ItemTypeName();
    std::string ItemPermLocationCode();
    std::string ItemPermLocationName();
    std::string ItemPermLocationDisplay();
    std::string ItemPermLocationSpine();
    std::string ItemTempLocationCode();
    std::string ItemTempLocationName();
    std::string ItemTempLocationDisplay();
    std::string ItemTempLocationSpine();

    // Location id → code, name, display name, spine label and public-catalogue suppression, and
    // code → id and the rest, through the reader's 25-entry cache.
    void TranslateLocationID(const std::string& sLocNumber, std::string& sLocCode, std::string& sLocationName,
                             std::string& sLocationDisplay, std::string& sLocSpine, bool& bSuppressedInOpac);
    void TranslateLocationCode(const std::string& sLocationCode, std::string& sLocationNumber,
                               std::string& sLocationName, std::string& sLocationDisplay, std::string& sLocationSpine,
                               bool& bSuppressedInOpac);
    const LocationCache& Locations() const { return locations_; }

    std::string RetrieveHoldNumberForItem(const std::string& sItemRecordNumber);
    std::string RetrieveBibNumberForItem(const std::string& sItemRecordNumber);

    // Link searches: open a result set for GetNextRow/CurrentRow (iResultSet as for ExecuteSQL).
    void SearchItemNumbersForHold(const std::string& sHoldingsRecordNumber, std::int16_t& iResultSet);
    void SearchHoldNumbersForBib(const std::string& sBibRecordNumber, std::int16_t& iResultSet);
    void SearchBibNumbersForHold(const std::string& sHoldingsRecordNumber, std::int16_t& iResultSet);
    void SearchBarcodesForItem(const std::string& sItemRecordNumber, std::int16_t& iResultSet);
    void SearchItemBarcode(const std::string& sItemBarcode, std::int16_t& iResultSet);

    // ---- operator permissions -------------------------------------------------------------------
    const std::string& OperatorId() const { return operatorId_; }
    void OperatorId(const std::string& value) { operatorId_ = value; }
    // The union of the operator's profiles; only "Y" grants.
    void RetrieveOperatorPermissions(const std::string& sOperatorID = std::string());
    // Location ids of the operator's profiles, separated by single blanks.
    std::string RetrieveOperatorCatLocations(const std::string& sOperatorID = std::string());
    std::string RetrieveOperatorCatHappeningLocations(const std::string& sOperatorID = std::string());
    bool OperatorBibAdd() const { return permissions_[0]; }
    bool OperatorBibUpdate() const { return permissions_[1]; }
    bool OperatorBibDelete() const { return permissions_[2]; }
    bool OperatorHoldAdd() const { return permissions_[3]; }
    bool OperatorHoldUpdate() const { return permissions_[4]; }
    bool OperatorHoldDelete() const { return permissions_[5]; }
    bool OperatorItemAdd() const { return permissions_[6]; }
    bool OperatorItemUpdate() const { return permissions_[7]; }
    bool OperatorItemDelete() const { return permissions_[8]; }
    bool OperatorAuthAdd() const { return permissions_[9]; }
    bool OperatorAuthUpdate() const { return permissions_[10]; }
    bool OperatorAuthDelete() const { return permissions_[11]; }

    // ---- searches ---------------------------------------------------------------------------------
    const std::string& StandardNumber() const { return standardNumber_; }
    void StandardNumber(const std::string& value) { standardNumber_ = value; }
    const std::string& StandardNumberTag() const { return standardNumberTag_; }
    void StandardNumberTag(const std::string& value);  // 3 or 4 characters, the first three digits
    const std::string& StandardNumberSubfieldCode() const { return standardNumberSubfieldCode_; }
    void StandardNumberSubfieldCode(const std::string& value);  // one of a-z, 0-9, "*"
    bool StandardNumberIsTruncated() const { return standardNumberIsTruncated_; }
    void StandardNumberIsTruncated(bool value) { standardNumberIsTruncated_ = value; }
    bool DoNotNormalizeStandardNumber() const { return doNotNormalizeStandardNumber_; }
    void DoNotNormalizeStandardNumber(bool value) { doNotNormalizeStandardNumber_ = value; }
    const std::string& StandardNumberNormalized() const { return standardNumberNormalized_; }
    const std::string& CallNumber() const { return callNumber_; }
    void CallNumber(const std::string& value) { callNumber_ = value; }
    const std::string& CallNumberType() const { return callNumberType_; }
    void CallNumberType(const std::string& value) { callNumberType_ = value; }
    bool CallNumberIsTruncated() const { return callNumberIsTruncated_; }
    void CallNumberIsTruncated(bool value) { callNumberIsTruncated_ = value; }
    bool SearchCallNumberNative() const { return searchCallNumberNative_; }
    void SearchCallNumberNative(bool value) { searchCallNumberNative_ = value; }
    bool TrimSpacesFromNormalizedCallNumber() const { return trimSpacesFromNormalizedCallNumber_; }
    void TrimSpacesFromNormalizedCallNumber(bool value) { trimSpacesFromNormalizedCallNumber_ = value; }
    const std::string& CallNumberNormalized() const { return callNumberNormalized_; }
    const std::string& BibHeading() const { return bibHeading_; }
    void BibHeading(const std::string& value) { bibHeading_ = value; }
    bool BibHeadingIsTruncated() const { return bibHeadingIsTruncated_; }
    void BibHeadingIsTruncated(bool value) { bibHeadingIsTruncated_ = value; }
    const std::string& BibHeadingNormalized() const { return bibHeadingNormalized_; }

    void SearchUrl(const std::string& sURL, std::int16_t& iResultSet, bool bIsTruncated = false);
    void SearchStandardNumber(const std::string& sRecordType, const std::string& sStandardNumberTag,
                              const std::string& sStandardNumberSubfieldCode, const std::string& sStandardNumberText,
                              std::int16_t& iResultSet, bool bStandardNumberIsTruncated = false,
                              bool bDoNotNormalizeStandardNumber = false);
    void SearchAuthStandardNumber(const std::string& sStandardNumberTag, const std::string& sStandardNumberSubfieldCode,
                                  const std::string& sStandardNumberText, std::int16_t& iResultSet,
                                  bool bStandardNumberIsTruncated = false, bool bDoNotNormalizeStandardNumber = false);
    void SearchBibStandardNumber(const std::string& sStandardNumberTag, const std::string& sStandardNumberSubfieldCode,
                                 const std::string& sStandardNumberText, std::int16_t& iResultSet,
                                 bool bStandardNumberIsTruncated = false, bool bDoNotNormalizeStandardNumber = false);
    void SearchCallNumber(const std::string& sCallNumberType, const std::string& sCallNumber, std::int16_t& iResultSet,
                          bool bCallNumberIsTruncated = false, bool bSearchCallNumberNative = false,
                          bool bTrimSpacesFromNormalizedCallNumber = false,
                          bool bSearchBibIndexInsteadOfMfhdMaster = false);
    void SearchHeading(const std::string& sHeading, std::int16_t& iResultSet, bool bHeadingIsTruncated = false,
                       bool bIncludeBibsToo = false, const std::string& sIndexTypeCodes = std::string(),
                       const std::string& sHeadingTypeCodes = std::string());
    // As SearchHeading, fetching iRowsPerBlock rows per driver call.
    void SearchHeadingBlock(const std::string& sHeading, std::int16_t& iResultSet, bool bHeadingIsTruncated,
                            bool bIncludeBibsToo, const std::string& sIndexTypeCodes,
                            const std::string& sHeadingTypeCodes, std::int16_t iRowsPerBlock);
    void SearchBibHeading(const std::string& sBibliographicTagOrCategory, const std::string& sBibliographicIndicators,
                          const std::string& sBibliographicHeading, std::int16_t& iResultSet,
                          bool bBibHeadingIsTruncated);
    void SearchHeadingIDAuth(const std::string& sHeadingID, std::int16_t& iResultSet);
    void SearchHeadingIDBib(const std::string& sHeadingID, std::int16_t& iResultSet);
    void SearchSubdiv(const std::string& sSubjectSystemCode, const std::string& sSubdivision, std::int16_t& iResultSet,
                      bool bHeadingIsTruncated = false, bool bIncludeBibsToo = false,
                      const std::string& sSubdivisionTypeCodes = std::string());
    void SearchSubdivIDAuth(const std::string& sSubdivisionID, std::int16_t& iResultSet);
    void SearchSubdivIDBib(const std::string& sSubdivisionID, std::int16_t& iResultSet);
    void SearchSubdivIDHeading(const std::string& sSubdivisionID, std::int16_t& iResultSet,
                               bool bIncludeBibsToo = false);

    // ---- the URL-change job's statements and the windows' lists ------------------------------------
    // The link-index query for links that begin (or, fromRight, end) with the stem, compared
    // case-blind (ASCII letters upper-cased); with a location id, only links of bibliographic and
    // holdings records with holdings in that location. The stem goes in as given: quotes are not
    // doubled, "%" and "_" act as wildcards. Returns the text; the caller logs it and runs it with
    // ExecuteSQL (rows: RECORD_ID, RECORD_TYPE, LINK).
    std::string LinkIndexSql(const std::string& stem, bool fromRight, const std::string& locationId) const;
    // One record's links as stored: RECORD_TYPE, RECORD_ID, then LINK and LINK_TEXT in hexadecimal.
    void SearchLinksOfRecord(const std::string& recordId, std::int16_t& iResultSet);
    // Single values in a retrieval frame of their own (the caller's result set keeps its row); ""
    // when there is none. A holdings link's bib is the first BIB_MFHD row the database gives.
    std::string LocationIdForCode(const std::string& locationCode);
    std::string BibNumberForHoldLink(const std::string& holdRecordNumber);
    // The same for many holdings links at once, by holdings id as given; one without a bib is missing.
    std::unordered_map<std::string, std::string> BibNumbersForHoldLinks(
        const std::vector<std::string>& holdRecordNumbers);
    std::string OwningLibraryForItem(const std::string& itemRecordNumber);
    // LOCATION_CODE, LOCATION_NAME by code, the table named with the prefix as the profile holds it.
    void SearchLocationList(const std::string& profilePrefix, std::int16_t& iResultSet);
    // LIBRARY_ID, LIBRARY_NAME by name; an operator's CAT_PROFILE_IDs; a profile's cataloguing
    // LOCATION_IDs. The operator id goes in as given (a quote in it breaks the statement).
    void SearchLibraries(std::int16_t& iResultSet);
    void SearchOperatorProfiles(const std::string& operatorId, std::int16_t& iResultSet);
    void SearchProfileCatalogingLocations(const std::string& profileId, std::int16_t& iResultSet);
    // Which of the ids in `idList` (decimal ids separated by commas) have a master row of their kind of
    // record ("B", "H" or "A"): one column of ids, in any order.
    void SearchRecordIds(const std::string& type, const std::string& idList, std::int16_t& iResultSet);
    // One location's id, code and name; false when LOCATION has no such row.
    bool RetrieveLocationCodeAndName(const std::string& locationId, std::string& sLocationId,
                                     std::string& sLocationCode, std::string& sLocationName);

    // The engine, for callers that must reach below the reader (tests, diagnostics).
    VgerReaderDllClass6& Engine();

private:
    using History = RecordHistory;
    struct BibMeta {
        bool suppressed = false;
        std::string libraryId, libraryName, libraryDisplayName, libraryNucCode;
        History history;
    };
    struct HoldMeta {
        std::string bibRecordNumber;
        bool multiplyLinked = false;
        History history;
        bool suppressed = false;
        std::string locationId, callNoNormalized, callNoDisplay, callNoType;
        std::string locationCode, locationName, locationDisplay, locationSpine;
    };
    struct ItemFields {
        std::string permLocation, tempLocation, copyNumber, spineLabel, typeId, tempTypeId, pieces, price, mediaType,
            createDate, updateDate, createOperator, updateOperator, magneticMedia, sensitize, holdRecordNumber,
            enumeration, chron, year, caption, freeText, status, bibRecordNumber, note;
    };
    struct LibraryEntry {
        std::string id, displayName, name, nucCode;
    };
    struct Location {
        std::string code, name, display, spine;
        bool suppressed = false;
    };

    Utf8MarcRecordClass& Record();
    void ReadSettingsFile(bool explicitRequest);
    void StartDebugTrace();
    void Trace(const std::string& line);
    void MyCheckVoyagerConnection();
    void MyGetVgerVersion();
    void TestDatabaseForUnicode();
    void EnsureDatabaseTested();
    void BuildTableNames();
    [[noreturn]] void RaiseObjectError(std::int32_t offset, const std::string& text) const;
    [[noreturn]] void RaiseInvalidValue(const std::string& text) const;

    // Typed retrieval on the retrieval statement (set 0): runs sql expecting that many columns and
    // fetches its first row; NextRow fetches the next; Column reads one column of the row.
    void Query(const std::string& sql, std::int16_t columns);
    bool NextRow();
    std::string Column(std::int16_t column);
    // Query, then column 1 of the first row (or "").
    std::string QueryValue(const std::string& sql);
    // A single-record statement (one "?" for the record id), prepared once: runs it with the id and
    // fetches its first row; the debug trace gets it worded with the id.
    PreparedQuery& QueryById(const std::string& sql, const std::string& id);
    // Runs head + " IN (?, ...)" + tail for the ids, as many lists as the driver's markers need,
    // handing every row to `row`; column octetsColumn (0: none) is read as octets.
    void BlockQuery(const std::string& head, const std::string& tail, const std::vector<std::int64_t>& ids,
                    const std::function<void(const PreparedQuery&)>& row, int octetsColumn = 0);
    void ReadBlockItems(const std::vector<std::int64_t>& ids,
                        const std::function<ItemBlockRecord*(const std::string&)>& itemOf, bool libraries);
    void ReadBlockSegments(VgerTable table, const char* idColumn, std::size_t segmentSize,
                           const std::vector<std::int64_t>& ids,
                           const std::function<std::string*(const std::string&)>& recordOf);
    void ReadRecordSegments(VgerTable table, const std::string& id, std::string& record);
    void ReadHistory(const std::string& table, const char* idColumn, const std::string& id, History& history,
                     bool orderCreations);
    void ReadHoldMetadata();
    void TranslateHoldLocation();
    // The names of the library last looked up, from the cache or LIBRARY.
    void LookUpLibraryNames();
    void ClearItem();
    void RetrieveItemDetails();
    std::string StatusDescription(const std::string& status);
    Location TranslatedLocation(const std::string& id);
    // Reads a location by its code (or id) from LOCATION and adds it to the cache.
    LocationEntry CacheLocation(bool byCode, const std::string& key);

    // Opens a search's result set with its search type; iResultSet as for ExecuteSQL.
    void OpenSearch(const std::string& sql, std::int16_t searchType, std::int16_t& iResultSet,
                    std::int16_t rowsPerBlock = 0);
    std::string NormalizedHeading(const std::string& heading, const std::string& format, const std::string& tag,
                                  const std::string& indicators);
    std::string HeadingCondition(const std::string& column, const std::string& given, const std::string& normalized,
                                 bool truncated);
    std::string MapCallNumberType(const std::string& value);
    void CheckId(const std::string& id, std::int32_t missingOffset, const char* missingText,
                 const char* notNumericText) const;

    std::unique_ptr<VgerReaderDllClass6> engine_;
    std::unique_ptr<Utf8MarcRecordClass> record_;
    std::string dsn_ = "NONE", uid_ = "NONE", pwd_ = "NONE";
    std::string tableNamePrefix_;
    std::array<std::string, static_cast<std::size_t>(VgerTable::Count)> tableNames_;
    bool settingsAreAutomatic_ = true;
    bool itemBarcodeIsNumeric_ = true;
    bool itemSequenceNewItemsAtTop_ = false;
    bool debuggingOn_ = false;
    std::string debuggingFile_;
    std::ofstream debugTrace_;
    bool connectionDataValid_ = false;
    bool versionRead_ = false;
    bool databaseTested_ = false;
    bool engineCreated_ = false;
    std::string vgerVersion_;
    std::int16_t vgerMajorVersion_ = 2000, vgerMinorVersion_ = 0, vgerThirdVersion_ = 0;
    std::int16_t resultSet_ = 0;
    std::int16_t dumpSet_ = 0;  // the result set the diagnostics reuse
    std::string sqlString_;
    bool baseCurrencyLoaded_ = false;
    std::string baseCurrencyCountry_, baseCurrencyCode_, baseCurrencyName_, baseCurrencyDelimiter_;
    std::int32_t baseCurrencyDecimals_ = 0;

    std::string bibRecordNumber_, holdRecordNumber_, authRecordNumber_;
    std::string bibRecord_, holdRecord_, authRecord_;
    BibMeta bib_;
    HoldMeta hold_;
    History auth_;
    std::vector<LibraryEntry> libraries_;

    std::string itemRecordNumber_, itemBarcode_;
    bool itemBarcodeActive_ = false;
    ItemFields item_;
    LocationCache locations_;
    std::unordered_map<std::string, std::string> statusCache_;
    std::unordered_map<std::string, std::string> itemTypeCache_;

    std::string operatorId_;
    std::array<bool, 12> permissions_{};

    std::string standardNumber_, standardNumberTag_, standardNumberSubfieldCode_, standardNumberNormalized_;
    bool standardNumberIsTruncated_ = false, doNotNormalizeStandardNumber_ = false;
    std::string callNumber_, callNumberType_, callNumberNormalized_;
    bool callNumberIsTruncated_ = false, searchCallNumberNative_ = false, trimSpacesFromNormalizedCallNumber_ = false;
    std::string bibHeading_, bibHeadingNormalized_;
    bool bibHeadingIsTruncated_ = true;
    bool callNumberTypesLoaded_ = false;
    std::vector<std::pair<std::string, std::string>> callNumberTypes_;  // CALL_NO_TYPE, CALL_NO_CODE
};

}  // namespace linkmend
