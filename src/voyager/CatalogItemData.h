#pragma once
// The item data object of the batch-cataloguing component: one item's values as the component
// writes them back. The reader fills it from a retrieved item (CopyItemObject); the component hands
// one out from its ItemData(). Property names are the component's own.
#include <cstdint>
#include <string>

namespace linkmend {

class CatalogItemData {
public:
    std::int32_t itemID() const { return itemID_; }
    void itemID(std::int32_t v) { itemID_ = v; }
    std::int32_t HoldingID() const { return holdingID_; }
    void HoldingID(std::int32_t v) { holdingID_ = v; }
    std::int32_t PermLocationID() const { return permLocationID_; }
    void PermLocationID(std::int32_t v) { permLocationID_ = v; }
    std::int32_t ItemTypeID() const { return itemTypeID_; }
    void ItemTypeID(std::int32_t v) { itemTypeID_ = v; }
    std::int32_t TempLocationID() const { return tempLocationID_; }
    void TempLocationID(std::int32_t v) { tempLocationID_ = v; }
    std::int32_t TempTypeID() const { return tempTypeID_; }
    void TempTypeID(std::int32_t v) { tempTypeID_ = v; }
    std::int32_t MediaTypeID() const { return mediaTypeID_; }
    void MediaTypeID(std::int32_t v) { mediaTypeID_ = v; }
    std::int32_t CopyNumber() const { return copyNumber_; }
    void CopyNumber(std::int32_t v) { copyNumber_ = v; }
    std::int32_t PieceCount() const { return pieceCount_; }
    void PieceCount(std::int32_t v) { pieceCount_ = v; }
    // The price as the reader formats it (base-currency decimals and delimiter).
    const std::string& Price() const { return price_; }
    void Price(const std::string& v) { price_ = v; }
    const std::string& Enumeration() const { return enumeration_; }
    void Enumeration(const std::string& v) { enumeration_ = v; }
    const std::string& Chron() const { return chron_; }
    void Chron(const std::string& v) { chron_ = v; }
    const std::string& year() const { return year_; }
    void year(const std::string& v) { year_ = v; }
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& v) { caption_ = v; }
    const std::string& FreeText() const { return freeText_; }
    void FreeText(const std::string& v) { freeText_ = v; }
    const std::string& SpineLabel() const { return spineLabel_; }
    void SpineLabel(const std::string& v) { spineLabel_ = v; }
    bool AddItemToTop() const { return addItemToTop_; }
    void AddItemToTop(bool v) { addItemToTop_ = v; }
    bool MagneticMedia() const { return magneticMedia_; }
    void MagneticMedia(bool v) { magneticMedia_ = v; }
    bool Sensitize() const { return sensitize_; }
    void Sensitize(bool v) { sensitize_ = v; }

private:
    std::int32_t itemID_ = 0;
    std::int32_t holdingID_ = 0;
    std::int32_t permLocationID_ = 0;
    std::int32_t itemTypeID_ = 0;
    std::int32_t tempLocationID_ = 0;
    std::int32_t tempTypeID_ = 0;
    std::int32_t mediaTypeID_ = 0;
    std::int32_t copyNumber_ = 0;
    std::int32_t pieceCount_ = 0;
    std::string price_;
    std::string enumeration_;
    std::string chron_;
    std::string year_;
    std::string caption_;
    std::string freeText_;
    std::string spineLabel_;
    bool addItemToTop_ = false;
    bool magneticMedia_ = false;
    bool sensitize_ = false;
};

}  // namespace linkmend
