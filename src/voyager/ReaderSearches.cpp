// Searches that leave a result set open for the caller: links, standard numbers, call numbers, and
// the links between bibliographic, holdings and item records.
#include <cctype>

#include "base/Error.h"
#include "base/Text.h"
#include "marc/Utf8MarcRecordClass.h"
#include "voyager/IndexCodes.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::OpenSearch(const std::string& sql, std::int16_t searchType, std::int16_t& iResultSet,
                                  std::int16_t rowsPerBlock) {
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    VgerReaderDllClass6& e = Engine();
    if (iResultSet >= 0) ResultSet(iResultSet);
    Trace(sql);
    e.SQLString(EncodeSqlNonAscii(sql));
    if (rowsPerBlock > 0) e.RowsPerFetch(rowsPerBlock);
    const std::int16_t executed = e.ExecuteSQL(-1);
    // The search type decides which column the rows keep short and which CurrentRow decodes.
    e.ResultSetSearchType(searchType);
    e.DisplayResultHeaders();
    resultSet_ = executed;
    if (iResultSet < 1) iResultSet = executed;
}

void VgerReaderClass7::SearchUrl(const std::string& sURL, std::int16_t& iResultSet, bool bIsTruncated) {
    if (sURL.empty()) RaiseObjectError(1072, "No URL supplied");
    const std::string head =
        "SELECT UNIQUE RECORD_ID, RECORD_TYPE, LINK FROM " + tableNamePrefix_ + "ELINK_INDEX WHERE LINK ";
    OpenSearch(head + (bIsTruncated ? "LIKE '" + SqlQuote(sURL) + "%'" : "= '" + SqlQuote(sURL) + "'"), 0, iResultSet);
}

// ---- standard numbers -------------------------------------------------------------------------

void VgerReaderClass7::StandardNumberTag(const std::string& value) {
    if ((value.size() != 3 && value.size() != 4) || !IsAllDigits(std::string_view(value).substr(0, 3)))
        RaiseInvalidValue("Invalid value for StandardNumberTag property");
    standardNumberTag_ = value;
}

void VgerReaderClass7::StandardNumberSubfieldCode(const std::string& value) {
    static constexpr std::string_view kCodes = "abcdefghijklmnopqrstuvwxyz0123456789*";
    const char code = value.size() == 1 ? AsciiLower(value[0]) : '\0';
    if (code == '\0' || kCodes.find(code) == std::string_view::npos)
        RaiseInvalidValue("Invalid value for StandardNumberSubfieldCode property");
    standardNumberSubfieldCode_ = std::string(1, code);
}

void VgerReaderClass7::SearchStandardNumber(const std::string& sRecordType, const std::string& sStandardNumberTag,
                                            const std::string& sStandardNumberSubfieldCode,
                                            const std::string& sStandardNumberText, std::int16_t& iResultSet,
                                            bool bStandardNumberIsTruncated, bool bDoNotNormalizeStandardNumber) {
    CheckConnection();
    Engine().IsRetrieval(false);
    bool authority = false;
    if (sRecordType == "A") authority = true;
    else if (sRecordType.size() != 1 || std::string_view("BDFMPSU").find(sRecordType[0]) == std::string_view::npos)
        RaiseObjectError(1066, "Unrecognized RecordType code (must be A or B)");
    if (!sStandardNumberTag.empty()) StandardNumberTag(sStandardNumberTag);
    if (!sStandardNumberSubfieldCode.empty()) StandardNumberSubfieldCode(sStandardNumberSubfieldCode);
    if (!sStandardNumberText.empty()) StandardNumber(sStandardNumberText);
    if (!sStandardNumberTag.empty() || !sStandardNumberSubfieldCode.empty() || !sStandardNumberText.empty()) {
        standardNumberIsTruncated_ = bStandardNumberIsTruncated;
        doNotNormalizeStandardNumber_ = bDoNotNormalizeStandardNumber;
    }
    const std::string code = StandardNumberIndexCode(authority, standardNumberTag_, standardNumberSubfieldCode_);
    if (standardNumber_.empty()) RaiseObjectError(1021, "No StandardNumber supplied");
    TestConnectionData();

    if (doNotNormalizeStandardNumber_) {
        standardNumberNormalized_ = standardNumber_;
    } else {
        std::string tag = standardNumberTag_.substr(0, 3);
        std::string number = standardNumber_;
        standardNumberNormalized_ = Record().NormalizeStandardNumber(tag, number);
    }
    std::string sql = authority ? "SELECT AUTH_ID, INDEX_CODE, RAWTOHEX(DISPLAY_HEADING), NORMAL_HEADING FROM " +
                                      TableName(VgerTable::AuthIndex)
                                : "SELECT BIB_ID, INDEX_CODE, RAWTOHEX(DISPLAY_HEADING), NORMAL_HEADING FROM " +
                                      TableName(VgerTable::BibIndex);
    sql += standardNumberIsTruncated_ ? " WHERE NORMAL_HEADING LIKE '" + SqlQuote(standardNumberNormalized_) + "%"
                                      : " WHERE NORMAL_HEADING = '" + SqlQuote(standardNumberNormalized_);
    sql += IsIndexCodeList(code) ? "' AND INDEX_CODE IN " + code : "' AND INDEX_CODE = '" + code + "'";
    OpenSearch(sql, 2, iResultSet);
}

void VgerReaderClass7::SearchAuthStandardNumber(const std::string& sStandardNumberTag,
                                                const std::string& sStandardNumberSubfieldCode,
                                                const std::string& sStandardNumberText, std::int16_t& iResultSet,
                                                bool bStandardNumberIsTruncated, bool bDoNotNormalizeStandardNumber) {
    SearchStandardNumber("A", sStandardNumberTag, sStandardNumberSubfieldCode, sStandardNumberText, iResultSet,
                         bStandardNumberIsTruncated, bDoNotNormalizeStandardNumber);
}

void VgerReaderClass7::SearchBibStandardNumber(const std::string& sStandardNumberTag,
                                               const std::string& sStandardNumberSubfieldCode,
                                               const std::string& sStandardNumberText, std::int16_t& iResultSet,
                                               bool bStandardNumberIsTruncated, bool bDoNotNormalizeStandardNumber) {
    SearchStandardNumber("B", sStandardNumberTag, sStandardNumberSubfieldCode, sStandardNumberText, iResultSet,
                         bStandardNumberIsTruncated, bDoNotNormalizeStandardNumber);
}

// ---- call numbers -----------------------------------------------------------------------------

std::string VgerReaderClass7::MapCallNumberType(const std::string& value) {
    if (value == "*") return value;
    if (!callNumberTypesLoaded_) {
        RetrievalScope scope(Engine());
        Query("SELECT CALL_NO_TYPE, CALL_NO_CODE FROM " + tableNamePrefix_ + "CALL_NO_TYPE", 2);
        for (bool more = !Column(1).empty(); more; more = NextRow())
            callNumberTypes_.emplace_back(Column(1), Column(2));
        callNumberTypesLoaded_ = true;
    }
    const std::string given = AsciiUpper(TrimBlanks(value));
    for (const auto& [type, code] : callNumberTypes_) {
        if (given.size() == 1 && given == type) return type;
        if (given.size() > 1 && given == AsciiUpper(code)) return type;
    }
    if (given.empty()) RaiseObjectError(1025, "No CallNumberType supplied");
    switch (given[0]) {
        case '0':
        case 'L': return "0";
        case '1':
        case 'D': return "1";
        case '2':
        case 'N': return "2";
        case '3':
        case 'S': return "3";
        case '4':
        case 'C': return "4";
        case '5':
        case 'T': return "5";
        case '6':
        case 'X': return "6";
        case '8':
        case 'O': return "8";
        case '7': {
            // Source in $2: "7" followed by the source code, which must be one of the table's codes.
            const std::string source = TrimBlanks(std::string_view(given).substr(1));
            if (source.empty()) RaiseInvalidValue("Invalid value for CallNumberType property: no $2 code");
            for (const auto& entry : callNumberTypes_)
                if (AsciiUpper(entry.second) == source) return "7";
            RaiseInvalidValue("Invalid value for CallNumberType property: $2 code unrecognized");
        }
        default: RaiseInvalidValue("Invalid value for CallNumberType property: " + value);
    }
}

void VgerReaderClass7::SearchCallNumber(const std::string& sCallNumberType, const std::string& sCallNumber,
                                        std::int16_t& iResultSet, bool bCallNumberIsTruncated,
                                        bool bSearchCallNumberNative, bool bTrimSpacesFromNormalizedCallNumber,
                                        bool bSearchBibIndexInsteadOfMfhdMaster) {
    if (!sCallNumberType.empty()) callNumberType_ = sCallNumberType;
    if (!sCallNumber.empty()) callNumber_ = sCallNumber;
    if (!sCallNumberType.empty() || !sCallNumber.empty()) {
        callNumberIsTruncated_ = bCallNumberIsTruncated;
        searchCallNumberNative_ = bSearchCallNumberNative;
        trimSpacesFromNormalizedCallNumber_ = bTrimSpacesFromNormalizedCallNumber;
    }
    if (callNumber_.empty()) RaiseObjectError(1024, "No CallNumber supplied");
    if (callNumberType_.empty()) RaiseObjectError(1025, "No CallNumberType supplied");
    TestConnectionData();
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    const std::string type = MapCallNumberType(callNumberType_);

    std::string number = callNumber_;
    if (!searchCallNumberNative_) {
        callNumberNormalized_ = Record().NormalizeCallNumber(callNumber_, type);
        if (trimSpacesFromNormalizedCallNumber_) callNumberNormalized_ = TrimBlanks(callNumberNormalized_);
        if (callNumberNormalized_.empty()) RaiseObjectError(1024, "No (normalized) CallNumber supplied");
        number = callNumberNormalized_;
    }
    const std::string match =
        callNumberIsTruncated_ ? " LIKE '" + SqlQuote(number) + "%'" : " = '" + SqlQuote(number) + "'";
    std::string sql;
    if (bSearchBibIndexInsteadOfMfhdMaster) {
        const std::string code = CallNumberIndexCode(type);
        sql = "SELECT BIB_ID, INDEX_CODE, RAWTOHEX(DISPLAY_HEADING), NORMAL_HEADING FROM " +
              TableName(VgerTable::BibIndex) + " WHERE " +
              (searchCallNumberNative_ ? "DISPLAY_HEADING" : "NORMAL_HEADING") + match +
              (code.empty() ? " AND INDEX_CODE LIKE '0*'" : " AND INDEX_CODE = '" + code + "'");
    } else {
        sql = "SELECT MFHD_ID, CALL_NO_TYPE, RAWTOHEX(DISPLAY_CALL_NO), NORMALIZED_CALL_NO FROM " +
              TableName(VgerTable::MfhdMaster) + " WHERE " +
              (searchCallNumberNative_ ? "DISPLAY_CALL_NO" : "NORMALIZED_CALL_NO") + match;
        if (type != "*") sql += " AND CALL_NO_TYPE = '" + type + "'";
    }
    OpenSearch(sql, 7, iResultSet);
}

// ---- links between records --------------------------------------------------------------------

void VgerReaderClass7::SearchItemNumbersForHold(const std::string& sHoldingsRecordNumber, std::int16_t& iResultSet) {
    if (!sHoldingsRecordNumber.empty()) HoldRecordNumber(sHoldingsRecordNumber);
    if (holdRecordNumber_.empty()) RaiseObjectError(1014, "No holdings record number supplied");
    OpenSearch("SELECT ITEM_ID FROM " + TableName(VgerTable::MfhdItem) + " WHERE MFHD_ID = '" + holdRecordNumber_ +
                   "' ORDER BY ITEM_ID",
               0, iResultSet);
}

void VgerReaderClass7::SearchHoldNumbersForBib(const std::string& sBibRecordNumber, std::int16_t& iResultSet) {
    const std::string& number = sBibRecordNumber.empty() ? bibRecordNumber_ : sBibRecordNumber;
    if (number.empty()) RaiseObjectError(1012, "No BibliographicRecordNumber supplied");
    if (!IsRecordId(number)) RaiseInvalidValue("Invalid value for BibRecordNumber property: " + number);
    OpenSearch(
        "SELECT MFHD_ID FROM " + TableName(VgerTable::BibMfhd) + " WHERE BIB_ID = '" + number + "' ORDER BY MFHD_ID", 0,
        iResultSet);
}

void VgerReaderClass7::SearchBibNumbersForHold(const std::string& sHoldingsRecordNumber, std::int16_t& iResultSet) {
    const std::string& number = sHoldingsRecordNumber.empty() ? holdRecordNumber_ : sHoldingsRecordNumber;
    if (number.empty()) RaiseObjectError(1014, "No holding record number supplied");
    if (!IsRecordId(number)) RaiseInvalidValue("Invalid value for HoldingsRecordNumber property\n\n" + number);
    OpenSearch(
        "SELECT BIB_ID FROM " + TableName(VgerTable::BibMfhd) + " WHERE MFHD_ID = '" + number + "' ORDER BY BIB_ID", 0,
        iResultSet);
}

void VgerReaderClass7::SearchBarcodesForItem(const std::string& sItemRecordNumber, std::int16_t& iResultSet) {
    const std::string& number = sItemRecordNumber.empty() ? itemRecordNumber_ : sItemRecordNumber;
    if (number.empty()) RaiseObjectError(1001, "No item record number supplied");
    if (!IsRecordId(number)) RaiseInvalidValue("Invalid value for ItemRecordNumber property");
    OpenSearch("SELECT ITEM_BARCODE, BARCODE_STATUS, BARCODE_STATUS_DATE FROM " + tableNamePrefix_ +
                   "ITEM_BARCODE WHERE ITEM_ID = " + number,
               0, iResultSet);
}

void VgerReaderClass7::SearchItemBarcode(const std::string& sItemBarcode, std::int16_t& iResultSet) {
    const std::string& barcode = sItemBarcode.empty() ? itemBarcode_ : sItemBarcode;
    if (barcode.empty()) RaiseObjectError(1002, "No ItemBarcode supplied");
    OpenSearch("SELECT ITEM_ID, BARCODE_STATUS FROM " + TableName(VgerTable::ItemBarcode) + " WHERE ITEM_BARCODE = '" +
                   SqlQuote(barcode) + "'",
               0, iResultSet);
}

}  // namespace linkmend
