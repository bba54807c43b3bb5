// Records read by the block: each table is asked once per block for all of the block's ids (an
// IN-list of "?" markers, prepared once per list size), inside one read transaction where the
// database's driver row asks for one. What each id gets is what the single retrievals give.
#include <charconv>

#include "base/Text.h"
#include "odbc/PreparedQuery.h"
#include "voyager/HoldingsMaster.h"
#include "voyager/RecordSegments.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

// The IN-list sizes a block statement is prepared for; a shorter list is padded with its last id
// (a repeated id adds no row), so that a handful of prepared statements serve every block.
constexpr std::size_t kListSizes[] = {1, 8, 32, 128, 512};

std::size_t ListSize(std::size_t ids, std::size_t most) {
    for (const std::size_t size : kListSizes)
        if (size >= ids) return std::min(size, most);
    return most;
}

std::string Markers(std::size_t count) {
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) out += i == 0 ? "?" : ", ?";
    return out;
}

// The numeric value of a record id as a column or a request gives it; false for anything else.
bool IdValue(std::string_view text, std::int64_t& value) {
    text = TrimBlanksView(text);
    if (text.empty() || !IsAllDigits(text)) return false;
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
}

// The ids of one kind in a block: each id once, in the order asked, with the text it was asked by.
struct IdKeys {
    std::vector<std::int64_t> values;
    std::unordered_map<std::int64_t, std::string> keys;

    // A text that is no record number is left to the single retrievals, which refuse it.
    void Add(const std::string& text) {
        std::int64_t value = 0;
        const std::string_view id = TrimBlanksView(text);  // IdValue trims again: a view costs nothing
        if (IsRecordId(id) && IdValue(id, value) && keys.emplace(value, text).second) values.push_back(value);
    }
    // The key of a row's id column; nullptr when the row names none of the ids.
    const std::string* KeyOf(const std::string& column) const {
        std::int64_t value = 0;
        if (!IdValue(column, value)) return nullptr;
        const auto found = keys.find(value);
        return found == keys.end() ? nullptr : &found->second;
    }
};

// Reads the history rows of one record (newest first) the way the single retrievals pick theirs:
// the creation row (ACTION_TYPE_ID 1) that comes first, or for holdings the earliest, and the
// newest other row; a picked row with no date leaves both of its texts empty.
struct HistoryPick {
    bool creationSeen = false, updateSeen = false;

    void Take(RecordHistory& h, const PreparedQuery& q, bool earliestCreation) {
        const std::string& type = q.Column(4);
        const std::string& date = q.Column(2);
        if (type == "1") {
            if (creationSeen && !earliestCreation) return;
            creationSeen = true;
            h.createDate = date;
            h.createOperator = date.empty() ? std::string() : q.Column(3);
        } else if (!type.empty() && !updateSeen) {
            updateSeen = true;
            if (date.empty()) return;
            h.updateDate = date;
            h.updateOperator = q.Column(3);
        }
    }
};

}  // namespace

void VgerReaderClass7::BlockQuery(const std::string& head, const std::string& tail,
                                  const std::vector<std::int64_t>& ids,
                                  const std::function<void(const PreparedQuery&)>& row, int octetsColumn) {
    VgerReaderDllClass6& e = Engine();
    const std::size_t most = std::max<std::size_t>(e.Driver().blockMarkers, 1);
    for (std::size_t at = 0; at < ids.size();) {
        const std::size_t count = std::min(most, ids.size() - at);
        const std::size_t size = ListSize(count, most);
        PreparedQuery& q = e.Prepared(head + " IN (" + Markers(size) + ")" + tail);
        q.ReadAsOctets(octetsColumn);
        for (std::size_t i = 0; i < size; ++i) q.Bind(static_cast<int>(i + 1), ids[at + std::min(i, count - 1)]);
        Trace(q.Worded());
        q.Execute();
        while (q.Fetch()) row(q);
        at += count;
    }
}

RecordBlock VgerReaderClass7::RetrieveRecordBlock(const BlockRequest& request) {
    TestConnectionData();
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    VgerReaderDllClass6& e = Engine();
    struct Transaction {
        VgerReaderDllClass6& engine;
        ~Transaction() { engine.EndReadTransaction(); }
    } transaction{e};
    if (e.Driver().blockTransaction) e.BeginReadTransaction();

    RecordBlock block;
    IdKeys holds, bibs, auths, libraries;
    for (const std::string& id : request.holdings) holds.Add(id);
    for (const std::string& id : request.bibs) bibs.Add(id), libraries.Add(id);
    for (const std::string& id : request.authorities) auths.Add(id);
    const std::string& prefix = tableNamePrefix_;
    // Each kind's records: an entry for every id asked for, then the history, then the segments. The
    // history is read before the segments: a record saved after its history was read then has a
    // newer history row than the date it goes to the write-back with, which refuses it (41), whether
    // or not the block's statements see one moment of the database.
    const auto readRecords = [&](auto& records, const IdKeys& ids, const char* kind, VgerTable data,
                                 std::size_t segmentSize, bool earliestCreation) {
        for (const std::int64_t id : ids.values) records[ids.keys.at(id)];
        const std::string idColumn = std::string(kind) + "_ID";
        std::unordered_map<std::string, HistoryPick> picks;
        BlockQuery("SELECT " + idColumn + ", ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID FROM " + prefix + kind +
                       "_HISTORY WHERE " + idColumn,
                   " ORDER BY " + idColumn + ", ACTION_DATE DESC", ids.values, [&](const PreparedQuery& q) {
                       if (const std::string* key = ids.KeyOf(q.Column(1)))
                           picks[*key].Take(records[*key].history, q, earliestCreation);
                   });
        ReadBlockSegments(data, idColumn.c_str(), segmentSize, ids.values,
                          [&](const std::string& column) -> std::string* {
                              const std::string* key = ids.KeyOf(column);
                              return key ? &records[*key].record : nullptr;
                          });
    };

    // Holdings first: with owning libraries wanted, their bibs join the owning-library look-up.
    if (!holds.values.empty()) {
        readRecords(block.holdings, holds, "MFHD", VgerTable::MfhdData, kHoldSegmentSize, true);
        std::vector<std::int64_t> found;
        for (const std::int64_t id : holds.values) {
            HoldBlockRecord& h = block.holdings[holds.keys[id]];
            if (h.record.empty()) h.history.Clear();
            else found.push_back(id);
        }
        std::unordered_map<std::string, int> links;
        BlockQuery("SELECT MFHD_ID, BIB_ID FROM " + TableName(VgerTable::BibMfhd) + " WHERE MFHD_ID",
                   " ORDER BY MFHD_ID, BIB_ID", found, [&](const PreparedQuery& q) {
                       const std::string* key = holds.KeyOf(q.Column(1));
                       if (!key) return;
                       HoldBlockRecord& h = block.holdings[*key];
                       const int n = ++links[*key];
                       if (n == 1) h.bibRecordNumber = q.Column(2);
                       else if (n == 2) h.multiplyLinked = !h.bibRecordNumber.empty() && !q.Column(2).empty();
                   });
        std::unordered_map<std::string, bool> mastered;
        BlockQuery(std::string("SELECT T1.MFHD_ID, ") + kHoldingsMasterColumns + " FROM " +
                       TableName(VgerTable::MfhdMaster) + " T1, " + prefix + "LOCATION T2 WHERE T1.MFHD_ID",
                   " AND T2.LOCATION_ID = T1.LOCATION_ID", found, [&](const PreparedQuery& q) {
                       const std::string* key = holds.KeyOf(q.Column(1));
                       if (key && mastered.emplace(*key, true).second) TakeHoldingsMaster(block.holdings[*key], q, 2);
                   });
        if (request.holdingsBibLibraries)
            for (const auto& [key, h] : block.holdings)
                if (!h.bibRecordNumber.empty()) libraries.Add(h.bibRecordNumber);
    }

    if (!bibs.values.empty()) {
        readRecords(block.bibs, bibs, "BIB", VgerTable::BibData, kBibSegmentSize, false);
    }
    if (!libraries.values.empty()) {
        // A record that came up empty has no metadata, but its owning library is looked up anyway.
        std::unordered_map<std::string, bool> mastered;
        for (auto& [key, b] : block.bibs) b.suppressed = !b.record.empty();
        BlockQuery(
            "SELECT BIB_ID, SUPPRESS_IN_OPAC, LIBRARY_ID FROM " + TableName(VgerTable::BibMaster) + " WHERE BIB_ID", "",
            libraries.values, [&](const PreparedQuery& q) {
                const std::string* key = libraries.KeyOf(q.Column(1));
                if (!key || !mastered.emplace(*key, true).second) return;
                block.libraries[*key] = q.Column(3);
                const auto bib = block.bibs.find(*key);
                if (bib == block.bibs.end()) return;
                bib->second.owningLibrary = q.Column(3);
                // Only an explicit "N" shows a record in the public catalogue.
                if (!bib->second.record.empty()) bib->second.suppressed = q.Column(2).compare(0, 1, "N") != 0;
            });
        for (const std::int64_t id : libraries.values) block.libraries[libraries.keys[id]];
    }
    for (auto& [key, b] : block.bibs)
        if (b.record.empty()) b.history.Clear();

    if (!auths.values.empty()) {
        readRecords(block.authorities, auths, "AUTH", VgerTable::AuthData, kAuthSegmentSize, false);
        for (auto& [key, a] : block.authorities)
            if (a.record.empty()) a.history.Clear();
    }
    if (!request.items.empty()) {
        IdKeys items;
        for (const std::string& id : request.items) items.Add(id);
        for (const std::int64_t id : items.values) block.items[items.keys[id]];
        ReadBlockItems(
            items.values,
            [&](const std::string& column) -> ItemBlockRecord* {
                const std::string* key = items.KeyOf(column);
                return key ? &block.items[*key] : nullptr;
            },
            request.itemLibraries);
    }
    return block;
}

// The statements of RetrieveItemRecord and of the item's owning library, for many items: of
// several rows the first the database gives counts, as it does for one item.
void VgerReaderClass7::ReadBlockItems(const std::vector<std::int64_t>& ids,
                                      const std::function<ItemBlockRecord*(const std::string&)>& itemOf,
                                      bool libraries) {
    const std::string& prefix = tableNamePrefix_;
    // The first active barcode that is not empty, else the first barcode of any status.
    struct Barcodes {
        bool anySeen = false, activeSeen = false;
        std::string first, active;
    };
    std::unordered_map<ItemBlockRecord*, Barcodes> barcodes;
    BlockQuery(
        "SELECT ITEM_ID, ITEM_BARCODE, BARCODE_STATUS FROM " + TableName(VgerTable::ItemBarcode) + " WHERE ITEM_ID", "",
        ids, [&](const PreparedQuery& q) {
            ItemBlockRecord* item = itemOf(q.Column(1));
            if (!item) return;
            Barcodes& b = barcodes[item];
            if (!b.anySeen) b.first = q.Column(2), b.anySeen = true;
            if (q.Column(3) == "1" && !b.activeSeen) b.active = q.Column(2), b.activeSeen = true;
        });
    for (auto& [item, b] : barcodes) {
        item->barcodeActive = !b.active.empty();
        item->barcode = item->barcodeActive ? b.active : b.first;
    }
    std::unordered_map<ItemBlockRecord*, int> seen;
    BlockQuery(
        "SELECT ITEM_ID, PERM_LOCATION, TEMP_LOCATION, COPY_NUMBER, SPINE_LABEL, ITEM_TYPE_ID, "
        "TEMP_ITEM_TYPE_ID, PIECES, PRICE, MEDIA_TYPE_ID, CREATE_DATE, MODIFY_DATE, CREATE_OPERATOR_ID, "
        "MODIFY_OPERATOR_ID, MAGNETIC_MEDIA, SENSITIZE FROM " +
            TableName(VgerTable::Item) + " WHERE ITEM_ID",
        "", ids, [&](const PreparedQuery& q) {
            ItemBlockRecord* item = itemOf(q.Column(1));
            if (!item || seen[item]++) return;
            std::string* fields[] = {&item->permLocation,   &item->tempLocation,  &item->copyNumber,
                                     &item->spineLabel,     &item->typeId,        &item->tempTypeId,
                                     &item->pieces,         &item->price,         &item->mediaType,
                                     &item->createDate,     &item->updateDate,    &item->createOperator,
                                     &item->updateOperator, &item->magneticMedia, &item->sensitize};
            int column = 2;
            for (std::string* field : fields) *field = q.Column(column++);
        });
    seen.clear();
    BlockQuery("SELECT ITEM_ID, MFHD_ID, ITEM_ENUM, CHRON, YEAR, CAPTION, FREETEXT FROM " +
                   TableName(VgerTable::MfhdItem) + " WHERE ITEM_ID",
               "", ids, [&](const PreparedQuery& q) {
                   ItemBlockRecord* item = itemOf(q.Column(1));
                   if (!item || seen[item]++) return;
                   item->holdRecordNumber = q.Column(2);
                   item->enumeration = q.Column(3);
                   item->chron = q.Column(4);
                   item->year = q.Column(5);
                   item->caption = q.Column(6);
                   item->freeText = q.Column(7);
               });
    // As for one item, the statuses end at the first empty one, and the notes at a row with neither
    // a note nor a description.
    seen.clear();
    BlockQuery("SELECT ITEM_ID, ITEM_STATUS FROM " + TableName(VgerTable::ItemStatus) + " WHERE ITEM_ID", "", ids,
               [&](const PreparedQuery& q) {
                   ItemBlockRecord* item = itemOf(q.Column(1));
                   if (!item || seen[item]) return;
                   if (q.Column(2).empty()) seen[item] = 1;
                   else item->statuses.push_back(q.Column(2));
               });
    seen.clear();
    BlockQuery("SELECT ITEM_ID, BIB_ID FROM " + TableName(VgerTable::BibItem) + " WHERE ITEM_ID",
               " ORDER BY ITEM_ID, BIB_ID", ids, [&](const PreparedQuery& q) {
                   ItemBlockRecord* item = itemOf(q.Column(1));
                   if (item && !seen[item]++) item->bibRecordNumber = q.Column(2);
               });
    seen.clear();
    BlockQuery("SELECT T1.ITEM_ID, T1.ITEM_NOTE, T2.NOTE_DESC FROM " + prefix + "ITEM_NOTE T1, " + prefix +
                   "ITEM_NOTE_TYPE T2 WHERE T1.ITEM_ID",
               " AND T2.NOTE_TYPE = T1.ITEM_NOTE_TYPE", ids, [&](const PreparedQuery& q) {
                   ItemBlockRecord* item = itemOf(q.Column(1));
                   if (!item || seen[item] == 2) return;
                   if (q.Column(2).empty() && q.Column(3).empty()) {
                       seen[item] = 2;
                   } else if (!seen[item]) {
                       seen[item] = 1;
                       item->note = "[" + q.Column(3) + "]:" + q.Column(2);
                   } else {
                       item->note += "\n" + q.Column(3) + ":" + q.Column(2);
                   }
               });
    if (!libraries) return;
    seen.clear();
    BlockQuery(
        "SELECT T1.ITEM_ID, T2.LIBRARY_ID FROM " + prefix + "BIB_ITEM T1, " + prefix + "BIB_MASTER T2 WHERE T1.ITEM_ID",
        " AND T2.BIB_ID = T1.BIB_ID", ids, [&](const PreparedQuery& q) {
            ItemBlockRecord* item = itemOf(q.Column(1));
            if (item && !seen[item]++) item->owningLibrary = q.Column(2);
        });
}

std::unordered_map<std::string, std::string> VgerReaderClass7::BibNumbersForHoldLinks(
    const std::vector<std::string>& holdRecordNumbers) {
    std::unordered_map<std::string, std::string> bibs;
    if (holdRecordNumbers.empty()) return bibs;
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    IdKeys holds;
    for (const std::string& id : holdRecordNumbers) holds.Add(id);
    BlockQuery("SELECT MFHD_ID, BIB_ID FROM " + tableNamePrefix_ + "BIB_MFHD WHERE MFHD_ID", "", holds.values,
               [&](const PreparedQuery& q) {
                   if (const std::string* key = holds.KeyOf(q.Column(1))) bibs.emplace(*key, q.Column(2));
               });
    // Every text the holdings were named by gets the bib of its number.
    for (const std::string& id : holdRecordNumbers) {
        std::int64_t value = 0;
        if (!IdValue(id, value) || bibs.count(id)) continue;
        const auto found = bibs.find(holds.keys[value]);
        if (found == bibs.end()) continue;
        const std::string bib = found->second;
        bibs.emplace(id, bib);
    }
    return bibs;
}

// Segments of many records, in id and sequence order; as for one record, the first empty segment
// ends a record. The segments come as octets: no hexadecimal text to make and to decode.
void VgerReaderClass7::ReadBlockSegments(VgerTable table, const char* idColumn, std::size_t segmentSize,
                                         const std::vector<std::int64_t>& ids,
                                         const std::function<std::string*(const std::string&)>& recordOf) {
    std::unordered_map<std::string*, bool> ended;
    BlockQuery(
        std::string("SELECT ") + idColumn + ", " + Engine().Driver().OctetsColumn("RECORD_SEGMENT") + ", SEQNUM FROM " +
            TableName(table) + " WHERE " + idColumn,
        std::string(" ORDER BY ") + idColumn + ", SEQNUM", ids,
        [&](const PreparedQuery& q) {
            std::string* record = recordOf(q.Column(1));
            if (!record || ended[record]) return;
            const std::string& octets = q.Column(2);
            if (octets.empty()) ended[record] = true;
            else AppendSegment(*record, octets, segmentSize);
        },
        2);
}

}  // namespace linkmend
