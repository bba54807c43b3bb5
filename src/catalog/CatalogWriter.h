#pragma once
// Our stand-in for the library system's batch-cataloguing component: signs an operator on and
// replaces bibliographic, holdings and authority records in the database the way the library system
// does, each in one transaction (segments, history row, master row, link index). Return codes are
// the component's (0 success; ReturnCodeText in catalog/ReturnCodes.h gives the others).
//
// Its connection comes from "Voyager.INI" in the Voyager folder, section "Database": DSN, UID, PWD
// (plain or scrambled) of a read-write account, and TableNamePrefix.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/DateTime.h"
#include "voyager/CatalogItemData.h"

namespace linkmend {

class CatalogWriter {
public:
    // Every date the writer stores (history rows, the master row's UPDATE_DATE) is the clock's.
    explicit CatalogWriter(std::function<DateTime()> clock = &DateTime::Now);
    ~CatalogWriter();
    CatalogWriter(const CatalogWriter&) = delete;
    CatalogWriter& operator=(const CatalogWriter&) = delete;

    // The item data object the reader fills (CopyItemObject).
    CatalogItemData& ItemData() { return itemData_; }

    // 0 signed on; 26 cannot connect; 27 unknown operator or wrong password; 28 no cataloguing profile.
    std::int32_t SignOn(const std::string& voyagerPath, const std::string& operatorId, const std::string& password);

    std::int32_t ReplaceBibRecord(std::int32_t bibId, const std::string& record, DateTime lastModified,
                                  std::int32_t owningLibraryId, std::int32_t catalogingLocationId, bool suppressed,
                                  const std::string& reserved1, const std::string& reserved2);
    std::int32_t ReplaceHoldingsRecord(std::int32_t mfhdId, const std::string& record, DateTime lastModified,
                                       std::int32_t catalogingLocationId, std::int32_t bibId, std::int32_t locationId,
                                       bool suppressed, const std::string& reserved1, const std::string& reserved2);
    std::int32_t ReplaceAuthorityRecord(std::int32_t authId, const std::string& record, DateTime lastModified,
                                        std::int32_t catalogingLocationId, const std::string& reserved1,
                                        const std::string& reserved2);

    // The driver's diagnostic text, on one line, behind the last operation's 21 or 26; empty after
    // a success and after a refusal that has no driver cause.
    const std::string& LastDriverMessage() const;
    // The date the last successful replace gave the record (its history row and UPDATE_DATE, to the
    // second): what a later reader sees as the record's last modification by this write.
    const DateTime& LastWriteDate() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    CatalogItemData itemData_;
};

}  // namespace linkmend
