// Location ids and codes through the reader's location cache, the item's location texts, and the
// copy of an item onto the component's item data object.
#include <charconv>

#include "base/Error.h"
#include "base/Numeric.h"
#include "voyager/RetrievalScope.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::TranslateLocationID(const std::string& sLocNumber, std::string& sLocCode,
                                           std::string& sLocationName, std::string& sLocationDisplay,
                                           std::string& sLocSpine, bool& bSuppressedInOpac) {
    bSuppressedInOpac = false;
    if (sLocNumber.empty()) return;
    if (!IsRecordId(sLocNumber)) RaiseInvalidValue("Invalid value for location id: " + sLocNumber);
    const LocationEntry* hit = locations_.FindById(sLocNumber);
    const LocationEntry entry = hit ? *hit : CacheLocation(false, sLocNumber);
    sLocCode = entry.code;
    sLocationName = entry.name;
    sLocationDisplay = entry.display;
    sLocSpine = entry.spine;
    bSuppressedInOpac = entry.suppressedInOpac;
}

void VgerReaderClass7::TranslateLocationCode(const std::string& sLocationCode, std::string& sLocationNumber,
                                             std::string& sLocationName, std::string& sLocationDisplay,
                                             std::string& sLocationSpine, bool& bSuppressedInOpac) {
    bSuppressedInOpac = false;
    if (sLocationCode.empty()) RaiseObjectError(1027, "No location code supplied");
    const LocationEntry* hit = locations_.FindByCode(sLocationCode);
    const LocationEntry entry = hit ? *hit : CacheLocation(true, sLocationCode);
    sLocationNumber = entry.id;
    sLocationName = entry.name;
    sLocationDisplay = entry.display;
    sLocationSpine = entry.spine;
    bSuppressedInOpac = entry.suppressedInOpac;
}

LocationEntry VgerReaderClass7::CacheLocation(bool byCode, const std::string& key) {
    EnsureDatabaseTested();
    MyCheckVoyagerConnection();
    LocationEntry entry;
    {
        RetrievalScope scope(Engine());
        Query(std::string("SELECT ") + (byCode ? "LOCATION_ID" : "LOCATION_CODE") +
                  ", LOCATION_DISPLAY_NAME, LOCATION_NAME, LOCATION_SPINE_LABEL, SUPPRESS_IN_OPAC FROM " +
                  TableName(VgerTable::Location) + (byCode ? " WHERE LOCATION_CODE = '" : " WHERE LOCATION_ID = '") +
                  SqlQuote(key) + "'",
              5);
        (byCode ? entry.code : entry.id) = key;
        (byCode ? entry.id : entry.code) = Column(1);
        entry.display = Column(2);
        entry.name = Column(3);
        entry.spine = Column(4);
        entry.suppressedInOpac = Column(5) == "Y";
    }
    locations_.Add(entry);
    return entry;
}

VgerReaderClass7::Location VgerReaderClass7::TranslatedLocation(const std::string& id) {
    Location l;
    TranslateLocationID(id, l.code, l.name, l.display, l.spine, l.suppressed);
    return l;
}

std::string VgerReaderClass7::ItemPermLocationCode() { return TranslatedLocation(item_.permLocation).code; }
std::string VgerReaderClass7::ItemPermLocationName() { return TranslatedLocation(item_.permLocation).name; }
std::string VgerReaderClass7::ItemPermLocationDisplay() { return TranslatedLocation(item_.permLocation).display; }
std::string VgerReaderClass7::ItemPermLocationSpine() { return TranslatedLocation(item_.permLocation).spine; }
std::string VgerReaderClass7::ItemTempLocationCode() { return TranslatedLocation(item_.tempLocation).code; }
std::string VgerReaderClass7::ItemTempLocationName() { return TranslatedLocation(item_.tempLocation).name; }
std::string VgerReaderClass7::ItemTempLocationDisplay() { return TranslatedLocation(item_.tempLocation).display; }
std::string VgerReaderClass7::ItemTempLocationSpine() { return TranslatedLocation(item_.tempLocation).spine; }

namespace {

// A whole number of the item's, "" read as 0; anything else is refused with the value's name.
std::int32_t ItemNumber(const std::string& text, const char* name) {
    if (text.empty()) return 0;
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        throw LinkmendError(kInvalidPropertyValue, VgerReaderClass7::kSource,
                            std::string("CopyItemObject: invalid value for ") + name + " (" + text + ")");
    return value;
}

}  // namespace

void VgerReaderClass7::CopyItemObject(CatalogItemData& oItem) {
    oItem.itemID(ItemNumber(itemRecordNumber_, "ItemID"));
    oItem.HoldingID(ItemNumber(item_.holdRecordNumber, "MfhdID"));
    oItem.PermLocationID(ItemNumber(item_.permLocation, "PermLocationID"));
    oItem.ItemTypeID(ItemNumber(item_.typeId, "ItemTypeID"));
    oItem.TempLocationID(ItemNumber(item_.tempLocation, "TempLocationID"));
    oItem.TempTypeID(ItemNumber(item_.tempTypeId, "TempTypeID"));
    oItem.MediaTypeID(ItemNumber(item_.mediaType, "MediaTypeID"));
    oItem.CopyNumber(ItemNumber(item_.copyNumber, "Copy"));
    oItem.PieceCount(ItemNumber(item_.pieces, "PieceCount"));
    oItem.Price(item_.price);
    oItem.Enumeration(item_.enumeration);
    oItem.Chron(item_.chron);
    oItem.year(item_.year);
    oItem.Caption(item_.caption);
    oItem.FreeText(item_.freeText);
    oItem.SpineLabel(item_.spineLabel);
    oItem.AddItemToTop(itemSequenceNewItemsAtTop_);
    // The two flags are "Y" or "N" in the item table; a value that is neither leaves the object's.
    auto flag = [](const std::string& text, bool& out) {
        if (IsTrueText(text)) {
            out = true;
            return true;
        }
        if (text == "N" || text == "n" || text == "0" || text == "NO" || text == "FALSE") {
            out = false;
            return true;
        }
        return false;
    };
    bool value = false;
    if (flag(item_.magneticMedia, value)) oItem.MagneticMedia(value);
    if (flag(item_.sensitize, value)) oItem.Sensitize(value);
}

}  // namespace linkmend
