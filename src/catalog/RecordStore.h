#pragma once
// The rows one replace writes, in one transaction: the record's segments, a history row, its master
// row and its link-index rows. Every date written comes from the clock it is given.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "base/DateTime.h"
#include "catalog/RecordKinds.h"
#include "catalog/StoredRecord.h"
#include "odbc/Connection.h"

namespace linkmend {

class CatalogSession;

// A value for one of the kind's master columns.
using MasterValue = std::variant<std::int32_t, std::string>;

class RecordStore {
public:
    RecordStore(CatalogSession& session, std::function<DateTime()> clock);

    // Replaces the record's rows as the signed-on operator at `locationId`; all or nothing: a failing
    // statement rolls the transaction back and its LinkmendError comes out. Returns the date written
    // (history row and UPDATE_DATE), to the second.
    DateTime Write(const RecordKind& kind, std::int32_t id, const std::string& record,
                   const std::vector<LinkIndexRow>& links, std::int32_t locationId,
                   const std::vector<MasterValue>& masterValues);
    // Must run before the session's connection is replaced.
    void DropStatements() { statements_.clear(); }

private:
    struct Statements {
        std::optional<odbc::Statement> deleteSegments, insertSegment, insertHistory, updateMaster, unlink, link;
    };
    Statements& For(const RecordKind& kind);

    CatalogSession& session_;
    std::function<DateTime()> clock_;
    // Prepared on a kind's first write after sign-on.
    std::unordered_map<std::string, Statements> statements_;
};

}  // namespace linkmend
