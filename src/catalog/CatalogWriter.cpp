#include "catalog/CatalogWriter.h"

#include <cstdlib>
#include <string_view>

#include "base/Error.h"
#include "catalog/CatalogSession.h"
#include "catalog/RecordStore.h"
#include "catalog/ReturnCodes.h"
#include "catalog/StoredRecord.h"
#include "odbc/DiagnosticText.h"

namespace linkmend {
using namespace catalog_code;

struct CatalogWriter::Impl {
    explicit Impl(std::function<DateTime()> clock) : store(session, std::move(clock)) {}

    CatalogSession session;
    RecordStore store;  // after the session: its statements go before the connection
    StoredRecord record;
    std::string lastDriverMessage;

    // Starts an operation on a signed-on session: 26 without one, else the record's own checks.
    std::int32_t CheckRecord(const std::string& text, const RecordKind& kind) {
        lastDriverMessage.clear();
        if (!session.SignedOn()) return kCannotConnect;
        if (const std::int32_t code = record.Load(text); code != kSuccess) return code;
        const char type = record.Type();
        return std::string_view(kind.leaderTypes).find(type) == std::string_view::npos ? kWrongType : kSuccess;
    }

    // Runs the database part of an operation; a driver error answers `failure` and its text is
    // kept, so that whoever gets the code can learn why.
    template <typename Operation>
    std::int32_t Guarded(std::int32_t failure, Operation&& operation) {
        try {
            return operation();
        } catch (const LinkmendError& e) {
            lastDriverMessage = odbc::CleanDiagnosticText(e.Description());
            return failure;
        }
    }
};

CatalogWriter::CatalogWriter(std::function<DateTime()> clock) : impl_(std::make_unique<Impl>(std::move(clock))) {}
CatalogWriter::~CatalogWriter() = default;

const std::string& CatalogWriter::LastDriverMessage() const { return impl_->lastDriverMessage; }
const DateTime& CatalogWriter::LastWriteDate() const { return impl_->store.LastWriteDate(); }

std::int32_t CatalogWriter::SignOn(const std::string& voyagerPath, const std::string& operatorId,
                                   const std::string& password) {
    Impl& w = *impl_;
    w.lastDriverMessage.clear();
    w.store.DropStatements();
    return w.Guarded(kCannotConnect, [&] { return w.session.SignOn(voyagerPath, operatorId, password); });
}

std::int32_t CatalogWriter::ReplaceBibRecord(std::int32_t bibId, const std::string& record, DateTime lastModified,
                                             std::int32_t owningLibraryId, std::int32_t catalogingLocationId,
                                             bool suppressed, const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (const std::int32_t code = w.CheckRecord(record, kBibKind); code != kSuccess) return code;
    return w.Guarded(kModifyError, [&] {
        if (bibId <= 0) return kBadRecordId;
        if (w.store.ChecksInOneCall()) {
            ReplaceChecks checks{
                lastModified, w.session.CatalogingLocationValid(catalogingLocationId), owningLibraryId, 0, {},
                suppressed};
            return w.store.WriteChecked(kBibKind, bibId, record, w.record.LinkIndexRows(), catalogingLocationId,
                                        checks);
        }
        return w.store.Write(kBibKind, bibId, record, w.record.LinkIndexRows(), catalogingLocationId,
                             [&](std::vector<MasterValue>& master) {
                                 const auto facts = w.session.Facts(kBibKind, bibId, lastModified, owningLibraryId, {});
                                 if (!facts.exists) return kBadRecordId;
                                 if (!facts.libraryExists) return kBadOwningLibrary;
                                 if (!w.session.CatalogingLocationValid(catalogingLocationId))
                                     return kBadCatalogingLocation;
                                 if (facts.updatedSince) return kUpdatedSinceRead;
                                 master = {owningLibraryId, std::string(suppressed ? "Y" : "N")};
                                 return kSuccess;
                             });
    });
}

std::int32_t CatalogWriter::ReplaceHoldingsRecord(std::int32_t mfhdId, const std::string& record, DateTime lastModified,
                                                  std::int32_t catalogingLocationId, std::int32_t bibId, std::int32_t,
                                                  bool suppressed, const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (const std::int32_t code = w.CheckRecord(record, kHoldingsKind); code != kSuccess) return code;
    // The holdings location comes from the record's 852 $b, not from the caller.
    std::string code852b;
    if (const std::int32_t code = w.record.LocationCode(code852b); code != kSuccess) return code;
    return w.Guarded(kModifyError, [&] {
        if (mfhdId <= 0) return kBadRecordId;
        if (w.store.ChecksInOneCall()) {
            ReplaceChecks checks{
                lastModified, w.session.CatalogingLocationValid(catalogingLocationId), 0, bibId, code852b, suppressed};
            return w.store.WriteChecked(kHoldingsKind, mfhdId, record, w.record.LinkIndexRows(), catalogingLocationId,
                                        checks);
        }
        return w.store.Write(kHoldingsKind, mfhdId, record, w.record.LinkIndexRows(), catalogingLocationId,
                             [&](std::vector<MasterValue>& master) {
                                 const auto facts =
                                     w.session.Facts(kHoldingsKind, mfhdId, lastModified, bibId, code852b);
                                 if (!facts.exists) return kBadRecordId;
                                 if (!facts.belongsToBib) return kBadLinkedBib;
                                 const auto& locationId = facts.locationId;
                                 if (!locationId) return kBadLocationCode;
                                 if (!w.session.CatalogingLocationValid(catalogingLocationId))
                                     return kBadCatalogingLocation;
                                 if (facts.updatedSince) return kUpdatedSinceRead;
                                 master = {static_cast<std::int32_t>(std::atoi(locationId->c_str())),
                                           std::string(suppressed ? "Y" : "N")};
                                 return kSuccess;
                             });
    });
}

std::int32_t CatalogWriter::ReplaceAuthorityRecord(std::int32_t authId, const std::string& record,
                                                   DateTime lastModified, std::int32_t catalogingLocationId,
                                                   const std::string&, const std::string&) {
    Impl& w = *impl_;
    if (const std::int32_t code = w.CheckRecord(record, kAuthorityKind); code != kSuccess) return code;
    return w.Guarded(kModifyError, [&] {
        if (authId <= 0) return kBadRecordId;
        if (w.store.ChecksInOneCall()) {
            ReplaceChecks checks{lastModified, w.session.CatalogingLocationValid(catalogingLocationId), 0, 0, {},
                                 false};
            return w.store.WriteChecked(kAuthorityKind, authId, record, w.record.LinkIndexRows(), catalogingLocationId,
                                        checks);
        }
        return w.store.Write(kAuthorityKind, authId, record, w.record.LinkIndexRows(), catalogingLocationId,
                             [&](std::vector<MasterValue>&) {
                                 const auto facts = w.session.Facts(kAuthorityKind, authId, lastModified, 0, {});
                                 if (!facts.exists) return kBadRecordId;
                                 if (!w.session.CatalogingLocationValid(catalogingLocationId))
                                     return kBadCatalogingLocation;
                                 if (facts.updatedSince) return kUpdatedSinceRead;
                                 return kSuccess;
                             });
    });
}

}  // namespace linkmend
