// Items: retrieval by id or barcode with their holdings link, statuses, notes and price, and the
// copy onto the batch-cataloguing component's item data object.
#include <vector>

#include "base/Error.h"
#include "base/Text.h"
#include "voyager/ReaderValues.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::ClearItem() { item_ = ItemFields(); }

void VgerReaderClass7::ItemRecordNumber(const std::string& value) {
    const std::string id = TrimBlanks(value);
    if (!IsRecordId(id)) RaiseInvalidValue("Invalid value for ItemRecordNumber property");
    ClearItem();
    itemBarcode_.clear();
    itemRecordNumber_ = id;
}

void VgerReaderClass7::ItemBarcode(const std::string& value) {
    const std::string barcode = TrimBlanks(value);
    if (barcode.empty() || (itemBarcodeIsNumeric_ && !IsAllDigits(barcode)))
        RaiseInvalidValue("Invalid value for ItemBarcode property");
    ClearItem();
    itemRecordNumber_.clear();
    itemBarcode_ = barcode;
}

void VgerReaderClass7::RetrieveItemRecord(const std::string& sItemRecordNumber) {
    EnsureDatabaseTested();
    RetrievalScope scope(Engine());
    ClearItem();
    if (!sItemRecordNumber.empty()) ItemRecordNumber(sItemRecordNumber);
    if (itemRecordNumber_.empty()) RaiseObjectError(1001, "No ItemRecordNumber supplied");
    CheckConnection();
    MyCheckVoyagerConnection();
    const std::string head =
        "SELECT ITEM_BARCODE FROM " + TableName(VgerTable::ItemBarcode) + " WHERE ITEM_ID = " + itemRecordNumber_;
    itemBarcode_ = QueryValue(head + " AND BARCODE_STATUS = 1");
    itemBarcodeActive_ = !itemBarcode_.empty();
    if (!itemBarcodeActive_) itemBarcode_ = QueryValue(head);
    RetrieveItemDetails();
}

void VgerReaderClass7::RetrieveItemRecordByBarcode(const std::string& sItemBarcode) {
    EnsureDatabaseTested();
    TestConnectionData();
    if (!sItemBarcode.empty()) ItemBarcode(sItemBarcode);
    if (itemBarcode_.empty()) RaiseObjectError(1002, "No ItemBarcode supplied");
    CheckConnection();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    Query("SELECT ITEM_ID, BARCODE_STATUS FROM " + TableName(VgerTable::ItemBarcode) + " WHERE ITEM_BARCODE = '" +
              SqlQuote(itemBarcode_) + "'",
          2);
    itemRecordNumber_ = Column(1);
    if (!itemRecordNumber_.empty()) {
        itemBarcodeActive_ = Column(2) == "1";
        RetrieveItemDetails();
    } else {
        ClearItem();
        itemBarcodeActive_ = false;
    }
}

void VgerReaderClass7::RetrieveItemDetails() {
    const std::string& id = itemRecordNumber_;
    Query(
        "SELECT PERM_LOCATION, TEMP_LOCATION, COPY_NUMBER, SPINE_LABEL, ITEM_TYPE_ID, TEMP_ITEM_TYPE_ID, PIECES, "
        "PRICE, MEDIA_TYPE_ID, CREATE_DATE, MODIFY_DATE, CREATE_OPERATOR_ID, MODIFY_OPERATOR_ID FROM " +
            TableName(VgerTable::Item) + " WHERE ITEM_ID = " + id,
        13);
    item_.permLocation = Column(1);
    item_.tempLocation = Column(2);
    item_.copyNumber = Column(3);
    item_.spineLabel = Column(4);
    item_.typeId = Column(5);
    item_.tempTypeId = Column(6);
    item_.pieces = Column(7);
    item_.price = Column(8);
    item_.mediaType = Column(9);
    item_.createDate = Column(10);
    item_.updateDate = Column(11);
    item_.createOperator = Column(12);
    item_.updateOperator = Column(13);
    // PRICE is kept in the currency's smallest unit.
    if (!item_.price.empty())
        item_.price = FormatItemPrice(item_.price, BaseCurrencyDecimals(), BaseCurrencyDecimalDelimiter());

    Query("SELECT MAGNETIC_MEDIA, SENSITIZE FROM " + TableName(VgerTable::Item) + " WHERE ITEM_ID = " + id, 2);
    item_.magneticMedia = Column(1);
    item_.sensitize = Column(2);

    Query("SELECT MFHD_ID, ITEM_ENUM, CHRON, YEAR, CAPTION, FREETEXT FROM " + TableName(VgerTable::MfhdItem) +
              " WHERE ITEM_ID = " + id,
          6);
    item_.holdRecordNumber = Column(1);
    item_.enumeration = Column(2);
    item_.chron = Column(3);
    item_.year = Column(4);
    item_.caption = Column(5);
    item_.freeText = Column(6);

    // The statuses are read first: a description not yet cached needs the statement for itself.
    std::vector<std::string> statuses;
    Query("SELECT ITEM_STATUS FROM " + TableName(VgerTable::ItemStatus) + " WHERE ITEM_ID = " + id, 1);
    for (std::string status = Column(1); !status.empty(); status = NextRow() ? Column(1) : std::string())
        statuses.push_back(std::move(status));
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (i > 0) item_.status += '\n';
        item_.status += StatusDescription(statuses[i]);
    }

    item_.bibRecordNumber = QueryValue("SELECT BIB_ID FROM " + TableName(VgerTable::BibItem) +
                                       " WHERE ITEM_ID = " + id + " ORDER BY BIB_ID");

    item_.note.clear();
    Query("SELECT T1.ITEM_NOTE, T2.NOTE_DESC FROM " + tableNamePrefix_ + "ITEM_NOTE T1, " + tableNamePrefix_ +
              "ITEM_NOTE_TYPE T2 WHERE T1.ITEM_ID = " + id + " AND T2.NOTE_TYPE = T1.ITEM_NOTE_TYPE",
          2);
    for (bool first = true; !Column(1).empty() || !Column(2).empty(); first = false) {
        if (first) item_.note = "[" + Column(2) + "]:" + Column(1);
        else item_.note += "\n" + Column(2) + ":" + Column(1);
        NextRow();
    }
}

void VgerReaderClass7::UseBlockItem(const std::string& sItemRecordNumber, const ItemBlockRecord& item) {
    ItemRecordNumber(sItemRecordNumber);
    itemBarcode_ = item.barcode;
    itemBarcodeActive_ = item.barcodeActive;
    item_ = ItemFields{
        item.permLocation,     item.tempLocation,   item.copyNumber,      item.spineLabel,    item.typeId,
        item.tempTypeId,       item.pieces,         item.price,           item.mediaType,     item.createDate,
        item.updateDate,       item.createOperator, item.updateOperator,  item.magneticMedia, item.sensitize,
        item.holdRecordNumber, item.enumeration,    item.chron,           item.year,          item.caption,
        item.freeText,         std::string(),       item.bibRecordNumber, item.note};
    RetrievalScope scope(Engine());
    if (!item_.price.empty())
        item_.price = FormatItemPrice(item_.price, BaseCurrencyDecimals(), BaseCurrencyDecimalDelimiter());
    for (std::size_t i = 0; i < item.statuses.size(); ++i) {
        if (i > 0) item_.status += '\n';
        item_.status += StatusDescription(item.statuses[i]);
    }
}

std::string VgerReaderClass7::StatusDescription(const std::string& status) {
    if (const auto hit = statusCache_.find(status); hit != statusCache_.end()) return hit->second;
    std::string description = QueryValue("SELECT ITEM_STATUS_DESC FROM " + TableName(VgerTable::ItemStatusType) +
                                         " WHERE ITEM_STATUS_TYPE = '" + SqlQuote(status) + "'");
    statusCache_.emplace(status, description);
    return description;
}

std::string VgerReaderClass7::ItemTypeName() {
    if (const auto hit = itemTypeCache_.find(item_.typeId); hit != itemTypeCache_.end()) return hit->second;
    if (item_.typeId.empty()) return "None";
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    std::string name;
    {
        RetrievalScope scope(Engine());
        name = QueryValue("SELECT ITEM_TYPE_CODE FROM " + tableNamePrefix_ +
                          "ITEM_TYPE WHERE ITEM_TYPE_ID = " + item_.typeId);
    }
    if (name.empty()) name = "Item type " + item_.typeId + " not defined";
    itemTypeCache_.emplace(item_.typeId, name);
    return name;
}

DateTime VgerReaderClass7::ItemDateLastModifiedVB() const {
    return DateTime::Parse(item_.updateDate.empty() ? item_.createDate : item_.updateDate);
}

std::string VgerReaderClass7::RetrieveHoldNumberForItem(const std::string& sItemRecordNumber) {
    if (sItemRecordNumber.empty()) return std::string();  // no item has no holdings
    if (!IsRecordId(sItemRecordNumber)) RaiseInvalidValue("Invalid value for ItemRecordNumber property");
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    return QueryValue("SELECT MFHD_ID FROM " + TableName(VgerTable::MfhdItem) + " WHERE ITEM_ID = '" +
                      SqlQuote(sItemRecordNumber) + "'");
}

std::string VgerReaderClass7::RetrieveBibNumberForItem(const std::string& sItemRecordNumber) {
    if (sItemRecordNumber.empty()) RaiseObjectError(1001, "No ItemRecordNumber supplied");
    if (!IsRecordId(sItemRecordNumber)) RaiseInvalidValue("Invalid value for ItemRecordNumber property");
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    RetrievalScope scope(Engine());
    return QueryValue("SELECT BIB_ID FROM " + TableName(VgerTable::BibItem) + " WHERE ITEM_ID = '" +
                      SqlQuote(sItemRecordNumber) + "'");
}

}  // namespace linkmend
