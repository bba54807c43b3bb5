#include "catalog/RecordStore.h"

#include <cstdlib>
#include <string_view>

#include "base/Error.h"
#include "catalog/CatalogSession.h"

namespace linkmend {
namespace {

// "(?, ?, ?), (?, ?, ?)": rows of markers for a multi-row INSERT.
std::string RowsOfMarkers(std::size_t rows, std::size_t columns) {
    std::string row = "(?";
    for (std::size_t c = 1; c < columns; ++c) row += ", ?";
    row += ")";
    std::string out;
    for (std::size_t r = 0; r < rows; ++r) out += (r == 0 ? "" : ", ") + row;
    return out;
}

// A PostgreSQL array literal of texts; an empty text is NULL when emptyIsNull.
std::string ArrayLiteral(const std::vector<LinkIndexRow>& links, std::string LinkIndexRow::*field, bool emptyIsNull) {
    std::string out = "{";
    for (std::size_t i = 0; i < links.size(); ++i) {
        if (i > 0) out += ',';
        const std::string& value = links[i].*field;
        if (emptyIsNull && value.empty()) {
            out += "NULL";
            continue;
        }
        out += '"';
        for (const char c : value) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        out += '"';
    }
    return out + "}";
}

}  // namespace

RecordStore::RecordStore(CatalogSession& session, std::function<DateTime()> clock)
    : session_(session), clock_(std::move(clock)) {}

RecordStore::Statements& RecordStore::For(const RecordKind& kind) {
    Statements& w = statements_[kind.table];
    if (w.unlink) return w;
    odbc::Connection& c = session_.Connection();
    const std::string table = session_.Table(kind.table);
    const std::string id = std::string(kind.table) + "_ID";
    w.deleteSegments = c.PrepareWrite("DELETE FROM " + table + "_DATA WHERE " + id + " = ?");
    w.insertHistory = c.PrepareWrite("INSERT INTO " + table + "_HISTORY (" + id +
                                     ", ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID) VALUES (?, ?, ?, ?, 2)");
    w.updateMaster = c.PrepareWrite("UPDATE " + table + "_MASTER SET " + kind.masterColumns + "UPDATE_DATE = ? WHERE " +
                                    id + " = ?");
    w.unlink =
        c.PrepareWrite("DELETE FROM " + session_.Table("ELINK_INDEX") + " WHERE RECORD_ID = ? AND RECORD_TYPE = ?");
    return w;
}

// A record's segments, and its links, go in one INSERT of as many rows (prepared once per count).
odbc::Statement& RecordStore::InsertSegments(const RecordKind& kind, Statements& w, std::size_t rows) {
    const auto found = w.insertSegments.find(rows);
    if (found != w.insertSegments.end()) return found->second;
    const std::string id = std::string(kind.table) + "_ID";
    return w.insertSegments
        .emplace(rows, session_.Connection().PrepareWrite("INSERT INTO " + session_.Table(kind.table) + "_DATA (" + id +
                                                          ", SEQNUM, RECORD_SEGMENT) VALUES " + RowsOfMarkers(rows, 3)))
        .first->second;
}

odbc::Statement& RecordStore::InsertLinks(Statements& w, std::size_t rows) {
    const auto found = w.link.find(rows);
    if (found != w.link.end()) return found->second;
    return w.link
        .emplace(rows, session_.Connection().PrepareWrite(
                           "INSERT INTO " + session_.Table("ELINK_INDEX") +
                           " (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES " + RowsOfMarkers(rows, 5)))
        .first->second;
}

std::int32_t RecordStore::Write(const RecordKind& kind, std::int32_t id, const std::string& record,
                                const std::vector<LinkIndexRow>& links, std::int32_t locationId, const Checks& checks) {
    const std::string now = clock_().Format();
    Statements& w = For(kind);
    const std::size_t segments = (record.size() + kind.segmentSize - 1) / kind.segmentSize;
    odbc::Statement* insertSegments = segments > 0 ? &InsertSegments(kind, w, segments) : nullptr;
    odbc::Statement* link = links.empty() ? nullptr : &InsertLinks(w, links.size());
    odbc::Connection& c = session_.Connection();
    c.Begin();
    try {
        // Checked inside the transaction: the database takes its locks once for checks and writes,
        // and no other writer can slip in between.
        std::vector<MasterValue> masterValues;
        if (const std::int32_t refused = checks(masterValues); refused != 0) {
            c.Rollback();
            return refused;
        }
        w.deleteSegments->BindInt32(1, id);
        w.deleteSegments->Execute();
        if (insertSegments) {
            int p = 0;
            for (std::size_t s = 0; s < segments; ++s) {
                insertSegments->BindInt32(++p, id);
                insertSegments->BindInt32(++p, static_cast<std::int32_t>(s + 1));
                insertSegments->BindBinary(++p,
                                           std::string_view(record).substr(s * kind.segmentSize, kind.segmentSize));
            }
            insertSegments->Execute();
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
        if (link) {
            p = 0;
            for (const LinkIndexRow& row : links) {
                link->BindInt32(++p, id);
                link->BindText(++p, kind.indexType);
                link->BindText(++p, row.subtype);
                link->BindText(++p, row.link);
                if (row.text.empty()) link->BindNull(++p);
                else link->BindText(++p, row.text);
            }
            link->Execute();
        }
        c.Commit();
        lastWriteDate_ = DateTime::Parse(now);
        return 0;
    } catch (...) {
        // A failing statement has rolled back already; anything else leaves the transaction open.
        if (c.InTransaction()) c.Rollback();
        throw;
    }
}

bool RecordStore::ChecksInOneCall() const { return !session_.Connection().Driver().replaceFunction.empty(); }

std::int32_t RecordStore::WriteChecked(const RecordKind& kind, std::int32_t id, const std::string& record,
                                       const std::vector<LinkIndexRow>& links, std::int32_t locationId,
                                       const ReplaceChecks& checks) {
    if (!replace_) {
        // Every value is cast, so that the call names one function whatever types the driver gives
        // its markers.
        replace_ = session_.Connection().Prepare(
            "SELECT " + session_.Table(std::string(session_.Connection().Driver().replaceFunction)) +
            "(CAST(? AS TEXT), CAST(? AS INTEGER), ?, CAST(? AS INTEGER), CAST(? AS TIMESTAMP), "
            "CAST(? AS INTEGER), CAST(? AS INTEGER), CAST(? AS TIMESTAMP), CAST(? AS TEXT), CAST(? AS INTEGER), "
            "CAST(? AS INTEGER), CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS TEXT), CAST(? AS TEXT[]), "
            "CAST(? AS TEXT[]), CAST(? AS TEXT[]))");
    }
    odbc::Statement& s = *replace_;
    int p = 0;
    s.BindText(++p, kind.table);
    s.BindInt32(++p, id);
    s.BindBinary(++p, record);
    s.BindInt32(++p, static_cast<std::int32_t>(kind.segmentSize));
    s.BindText(++p, checks.lastModified.Format());
    s.BindInt32(++p, locationId);
    s.BindInt32(++p, checks.catalogingValid ? 1 : 0);
    const std::string now = clock_().Format();
    s.BindText(++p, now);
    s.BindText(++p, session_.OperatorId());
    s.BindInt32(++p, checks.library);
    s.BindInt32(++p, checks.linkedBib);
    s.BindText(++p, checks.locationCode);
    s.BindText(++p, checks.suppressed ? "Y" : "N");
    s.BindText(++p, kind.indexType);
    s.BindText(++p, ArrayLiteral(links, &LinkIndexRow::subtype, false));
    s.BindText(++p, ArrayLiteral(links, &LinkIndexRow::link, false));
    s.BindText(++p, ArrayLiteral(links, &LinkIndexRow::text, true));
    s.Execute();
    const std::optional<std::string> code = s.Fetch() ? s.Text(1) : std::nullopt;
    if (!code) throw LinkmendError(ObjectError(1000), "VgerReadDLL", "No answer from the replace function");
    const std::int32_t answer = static_cast<std::int32_t>(std::atoi(code->c_str()));
    if (answer == 0) lastWriteDate_ = DateTime::Parse(now);
    return answer;
}

}  // namespace linkmend
