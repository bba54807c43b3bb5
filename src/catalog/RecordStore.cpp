#include "catalog/RecordStore.h"

#include <string_view>

#include "catalog/CatalogSession.h"

namespace linkmend {

RecordStore::RecordStore(CatalogSession& session, std::function<DateTime()> clock)
    : session_(session), clock_(std::move(clock)) {}

RecordStore::Statements& RecordStore::For(const RecordKind& kind) {
    Statements& w = statements_[kind.table];
    if (w.link) return w;
    odbc::Connection& c = session_.Connection();
    const std::string table = session_.Table(kind.table);
    const std::string id = std::string(kind.table) + "_ID";
    w.deleteSegments = c.Prepare("DELETE FROM " + table + "_DATA WHERE " + id + " = ?");
    w.insertSegment = c.Prepare("INSERT INTO " + table + "_DATA (" + id + ", SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
    w.insertHistory = c.Prepare("INSERT INTO " + table + "_HISTORY (" + id +
                                ", ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID) VALUES (?, ?, ?, ?, 2)");
    w.updateMaster =
        c.Prepare("UPDATE " + table + "_MASTER SET " + kind.masterColumns + "UPDATE_DATE = ? WHERE " + id + " = ?");
    w.unlink = c.Prepare("DELETE FROM " + session_.Table("ELINK_INDEX") + " WHERE RECORD_ID = ? AND RECORD_TYPE = ?");
    w.link = c.Prepare("INSERT INTO " + session_.Table("ELINK_INDEX") +
                       " (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES (?, ?, ?, ?, ?)");
    return w;
}

DateTime RecordStore::Write(const RecordKind& kind, std::int32_t id, const std::string& record,
                            const std::vector<LinkIndexRow>& links, std::int32_t locationId,
                            const std::vector<MasterValue>& masterValues) {
    const std::string now = clock_().Format();
    Statements& w = For(kind);
    odbc::Connection& c = session_.Connection();
    c.Begin();
    try {
        w.deleteSegments->BindInt32(1, id);
        w.deleteSegments->Execute();
        std::int32_t seq = 0;
        for (std::size_t at = 0; at < record.size(); at += kind.segmentSize) {
            w.insertSegment->BindInt32(1, id);
            w.insertSegment->BindInt32(2, ++seq);
            w.insertSegment->BindBinary(3, std::string_view(record).substr(at, kind.segmentSize));
            w.insertSegment->Execute();
        }
        w.insertHistory->BindInt32(1, id);
        w.insertHistory->BindText(2, now);
        w.insertHistory->BindText(3, session_.OperatorId());
        w.insertHistory->BindInt32(4, locationId);
        w.insertHistory->Execute();
        int p = 0;
        for (const MasterValue& value : masterValues) {
            if (const auto* number = std::get_if<std::int32_t>(&value)) w.updateMaster->BindInt32(++p, *number);
            else w.updateMaster->BindText(++p, std::get<std::string>(value));
        }
        w.updateMaster->BindText(++p, now);
        w.updateMaster->BindInt32(++p, id);
        w.updateMaster->Execute();
        w.unlink->BindInt32(1, id);
        w.unlink->BindText(2, kind.indexType);
        w.unlink->Execute();
        for (const LinkIndexRow& row : links) {
            w.link->BindInt32(1, id);
            w.link->BindText(2, kind.indexType);
            w.link->BindText(3, row.subtype);
            w.link->BindText(4, row.link);
            if (row.text.empty()) w.link->BindNull(5);
            else w.link->BindText(5, row.text);
            w.link->Execute();
        }
        c.Commit();
        return DateTime::Parse(now);
    } catch (...) {
        // A failing statement has rolled back already; anything else leaves the transaction open.
        if (c.InTransaction()) c.Rollback();
        throw;
    }
}

}  // namespace linkmend
