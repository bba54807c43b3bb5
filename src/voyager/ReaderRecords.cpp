// Bibliographic, holdings and authority records: reassembly from their stored segments and their
// metadata (suppression, owning library, links, location, call number, history).
#include "base/Error.h"
#include "base/Text.h"
#include "odbc/PreparedQuery.h"
#include "voyager/HoldingsMaster.h"
#include "voyager/RecordSegments.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::BibRecordNumber(const std::string& value) {
    const std::string id = TrimBlanks(value);
    if (id.empty()) RaiseInvalidValue("Invalid value for BibRecordNumber property");
    if (!IsRecordId(id)) RaiseInvalidValue("Invalid value for BibRecordNumber property: " + value);
    bib_ = BibMeta();
    bibRecord_.clear();
    bibRecordNumber_ = id;
}

void VgerReaderClass7::HoldRecordNumber(const std::string& value) {
    const std::string id = TrimBlanks(value);
    if (!IsRecordId(id)) RaiseInvalidValue("Invalid value for HoldingsRecordNumber property\n\n" + value);
    hold_ = HoldMeta();
    holdRecord_.clear();
    holdRecordNumber_ = id;
}

void VgerReaderClass7::AuthRecordNumber(const std::string& value) {
    const std::string id = TrimBlanks(value);
    if (!IsRecordId(id)) RaiseInvalidValue("Invalid value for AuthRecordNumber property");
    auth_.Clear();
    authRecord_.clear();
    authRecordNumber_ = id;
}

void VgerReaderClass7::ReadRecordSegments(VgerTable table, const std::string& id, std::string& record) {
    EnsureDatabaseTested();
    record.clear();
    MyCheckVoyagerConnection();
    const char* idColumn = nullptr;
    std::size_t segmentSize = 0;
    switch (table) {
        case VgerTable::MfhdData:
            idColumn = "MFHD_ID";
            segmentSize = kHoldSegmentSize;
            break;
        case VgerTable::AuthData:
            idColumn = "AUTH_ID";
            segmentSize = kAuthSegmentSize;
            break;
        case VgerTable::BibData:
            idColumn = "BIB_ID";
            segmentSize = kBibSegmentSize;
            break;
        default: return;
    }
    // RAWTOHEX brings the octets across unchanged whatever the client's character set is.
    PreparedQuery& q = QueryById("SELECT RAWTOHEX(RECORD_SEGMENT), SEQNUM FROM " + TableName(table) + " WHERE " +
                                     idColumn + " = ? ORDER BY SEQNUM",
                                 id);
    for (;;) {
        const std::string& hex = q.Column(1);
        if (hex.empty()) break;
        AppendHexSegment(record, hex, segmentSize);
        if (!q.Fetch()) break;
    }
}

void VgerReaderClass7::ReadHistory(const std::string& table, const char* idColumn, const std::string& id,
                                   History& history, bool orderCreations) {
    const std::string head =
        "SELECT ACTION_DATE, OPERATOR_ID FROM " + tableNamePrefix_ + table + " WHERE " + idColumn + " = ?";
    const PreparedQuery& created =
        QueryById(head + " AND ACTION_TYPE_ID = 1" + (orderCreations ? " ORDER BY ACTION_DATE" : ""), id);
    if (!created.Column(1).empty()) {
        history.createDate = created.Column(1);
        history.createOperator = created.Column(2);
    }
    const PreparedQuery& updated = QueryById(head + " AND ACTION_TYPE_ID <> 1 ORDER BY ACTION_DATE DESC", id);
    if (!updated.Column(1).empty()) {
        history.updateDate = updated.Column(1);
        history.updateOperator = updated.Column(2);
    }
}

void VgerReaderClass7::RetrieveBibRecord(const std::string& sBibRecordNumber) {
    TestConnectionData();
    if (!sBibRecordNumber.empty()) BibRecordNumber(sBibRecordNumber);
    if (bibRecordNumber_.empty()) RaiseObjectError(1012, "No BibliographicRecordNumber supplied");
    bib_ = BibMeta();
    CheckConnection();
    ReadRecordSegments(VgerTable::BibData, bibRecordNumber_, bibRecord_);
    if (bibRecord_.empty()) return;

    try {
        const PreparedQuery& q = QueryById(
            "SELECT SUPPRESS_IN_OPAC, LIBRARY_ID FROM " + TableName(VgerTable::BibMaster) + " WHERE BIB_ID = ?",
            bibRecordNumber_);
        // Only an explicit "N" shows a record in the public catalogue; no row counts as suppressed.
        bib_.suppressed = q.Column(1).compare(0, 1, "N") != 0;
        bib_.libraryId = q.Column(2);
    } catch (const LinkmendError& error) {
        bib_.suppressed = true;
        Trace("BIB_MASTER query failed: " + error.Description());
    }
    ReadHistory("BIB_HISTORY", "BIB_ID", bibRecordNumber_, bib_.history, false);
}

void VgerReaderClass7::RetrieveHoldRecord(const std::string& sHoldRecordNumber) {
    TestConnectionData();
    if (!sHoldRecordNumber.empty()) HoldRecordNumber(sHoldRecordNumber);
    if (holdRecordNumber_.empty()) RaiseObjectError(1014, "No HoldingsRecordNumber supplied");
    CheckConnection();
    ReadRecordSegments(VgerTable::MfhdData, holdRecordNumber_, holdRecord_);
    if (holdRecord_.empty()) return;
    ReadHoldMetadata();
}

void VgerReaderClass7::ReadHoldMetadata() {
    EnsureDatabaseTested();
    TestConnectionData();
    hold_.bibRecordNumber.clear();
    MyCheckVoyagerConnection();
    const std::string& id = holdRecordNumber_;
    PreparedQuery& links =
        QueryById("SELECT BIB_ID FROM " + TableName(VgerTable::BibMfhd) + " WHERE MFHD_ID = ? ORDER BY BIB_ID", id);
    hold_.bibRecordNumber = links.Column(1);
    hold_.multiplyLinked = !hold_.bibRecordNumber.empty() && links.Fetch() && !links.Column(1).empty();
    ReadHistory("MFHD_HISTORY", "MFHD_ID", id, hold_.history, true);
    const PreparedQuery& q = QueryById(std::string("SELECT ") + kHoldingsMasterColumns + ", T2.LOCATION_CODE FROM " +
                                           TableName(VgerTable::MfhdMaster) + " T1, " + tableNamePrefix_ +
                                           "LOCATION T2 WHERE T1.MFHD_ID = ? AND T2.LOCATION_ID = T1.LOCATION_ID",
                                       id);
    TakeHoldingsMaster(hold_, q, 1);
    TranslateHoldLocation();
}

void VgerReaderClass7::RetrieveAuthRecord(const std::string& sAuthRecordNumber) {
    TestConnectionData();
    if (!sAuthRecordNumber.empty()) AuthRecordNumber(sAuthRecordNumber);
    if (authRecordNumber_.empty()) RaiseObjectError(1010, "No AuthorityRecordNumber supplied");
    auth_.Clear();
    CheckConnection();
    ReadRecordSegments(VgerTable::AuthData, authRecordNumber_, authRecord_);
    if (authRecord_.empty()) return;
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    ReadHistory("AUTH_HISTORY", "AUTH_ID", authRecordNumber_, auth_, false);
}

// Each location text is looked up again while it is empty (the cache answers after the first).
void VgerReaderClass7::TranslateHoldLocation() {
    bool suppressed = false;
    TranslateLocationID(hold_.locationId, hold_.locationCode, hold_.locationName, hold_.locationDisplay,
                        hold_.locationSpine, suppressed);
}

const std::string& VgerReaderClass7::HoldLocationCode() {
    if (hold_.locationCode.empty()) TranslateHoldLocation();
    return hold_.locationCode;
}

const std::string& VgerReaderClass7::HoldLocationName() {
    if (hold_.locationName.empty()) TranslateHoldLocation();
    return hold_.locationName;
}

const std::string& VgerReaderClass7::HoldLocationDisplay() {
    if (hold_.locationDisplay.empty()) TranslateHoldLocation();
    return hold_.locationDisplay;
}

const std::string& VgerReaderClass7::HoldLocationSpine() {
    if (hold_.locationSpine.empty()) TranslateHoldLocation();
    return hold_.locationSpine;
}

}  // namespace linkmend
