#pragma once
// The rows one replace writes, in one transaction: the record's segments, a history row, its master
// row and its link-index rows, one prepared statement per table and change. Where the database side
// provides a function for it, the checks of the replace and its writes go in one call instead.
// Every date written comes from the clock it is given.
#include <cstdint>
#include <functional>
#include <map>
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

// What a replace checks before it writes (the checks that apply to the kind), for WriteChecked.
struct ReplaceChecks {
    DateTime lastModified;         // as read with the record: a newer history row refuses it (41)
    bool catalogingValid = false;  // the caller's verdict on the cataloguing location (24)
    std::int32_t library = 0;      // bibliographic: the owning library, which must exist (22)
    std::int32_t linkedBib = 0;    // holdings: the bib it must be linked to (19)
    std::string locationCode;      // holdings: the 852 $b code, which must name a location (23)
    bool suppressed = false;
};

class RecordStore {
public:
    RecordStore(CatalogSession& session, std::function<DateTime()> clock);

    // The checks of a replace, run inside its transaction: 0 to go on (having filled the master
    // values), else the code that refuses the write.
    using Checks = std::function<std::int32_t(std::vector<MasterValue>& masterValues)>;
    // Replaces the record's rows as the signed-on operator at `locationId`, after `checks` pass in the
    // same transaction, so that nothing can change the record between its checks and its writes. All
    // or nothing: a refusal or a failing statement rolls the transaction back (the statement's
    // LinkmendError comes out). Answers 0 when written, else the checks' code.
    std::int32_t Write(const RecordKind& kind, std::int32_t id, const std::string& record,
                       const std::vector<LinkIndexRow>& links, std::int32_t locationId, const Checks& checks);
    // True when the database checks and writes a replace in one call (its driver row names the
    // function); WriteChecked then does what the session's checks and Write do, in their order.
    bool ChecksInOneCall() const;
    // 0 written, else the code of the first check that failed (13, 22, 19, 23, 24, 41).
    std::int32_t WriteChecked(const RecordKind& kind, std::int32_t id, const std::string& record,
                              const std::vector<LinkIndexRow>& links, std::int32_t locationId,
                              const ReplaceChecks& checks);
    // The date the last successful write gave the record (its history row and UPDATE_DATE), to the
    // second: what a later reader sees as the record's last modification by that write.
    const DateTime& LastWriteDate() const { return lastWriteDate_; }
    // Must run before the session's connection is replaced.
    void DropStatements() {
        statements_.clear();
        replace_.reset();
    }

private:
    struct Statements {
        std::optional<odbc::Statement> deleteSegments, insertHistory, updateMaster, unlink;
        std::map<std::size_t, odbc::Statement> insertSegments, link;  // by the number of rows
    };
    Statements& For(const RecordKind& kind);
    odbc::Statement& InsertSegments(const RecordKind& kind, Statements& w, std::size_t rows);
    odbc::Statement& InsertLinks(Statements& w, std::size_t rows);

    CatalogSession& session_;
    std::function<DateTime()> clock_;
    // Prepared on a kind's first write after sign-on.
    std::unordered_map<std::string, Statements> statements_;
    std::optional<odbc::Statement> replace_;
    DateTime lastWriteDate_;
};

}  // namespace linkmend
