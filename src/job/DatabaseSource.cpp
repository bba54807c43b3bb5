// Records from the database through the global reader: the connection, the operator's rights,
// each record with its metadata, and the diagnostic dump of one record's links.
#include <algorithm>
#include <future>

#include "base/MessagePump.h"
#include "catalog/CatalogWriter.h"
#include "job/DatabaseRecords.h"
#include "job/Program.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void DatabaseSource::Open() {
    const ConnectionProfile& p = program_.profile;
    program_.reader.ConnectReader(p.DSN, p.TableNamePrefix, p.ReadUID, p.ReadPWD);
}

// The work list goes with the connection: a run's end, cancelled or not, leaves no list behind. A
// block read under way ends first; what it read (or its error) is of no further use.
void DatabaseSource::Close() {
    Reader();
    nextBlock_ = {};
    nextLines_.clear();
    ahead_.clear();
    served_.clear();
    servedBefore_.clear();
    primed_ = false;
    program_.reader.DropReader();
    workList_.Remove();
}

VgerReaderClass7& DatabaseSource::Reader() {
    if (nextBlock_.valid()) nextBlock_.wait();
    return program_.reader.Reader();
}

std::string DatabaseSource::DataSourceName() const { return program_.profile.DSN; }

std::string DatabaseSource::CharacterSet() { return Reader().VgerCharacterSet(); }

OperatorRights DatabaseSource::Rights() {
    VgerReaderClass7& reader = Reader();
    const ConnectionProfile& p = program_.profile;
    reader.RetrieveOperatorPermissions(p.WriteUID);
    OperatorRights rights;
    rights.locations = " " + reader.RetrieveOperatorCatLocations(p.WriteUID) + " ";
    rights.allLocations = false;
    rights.bibUpdate = reader.OperatorBibUpdate();
    rights.holdUpdate = reader.OperatorHoldUpdate();
    rights.authUpdate = reader.OperatorAuthUpdate();
    rights.itemUpdate = reader.OperatorItemUpdate();
    rights.allOwningLibraries = p.AllOwningLibraries;
    rights.owningLibraries = p.OwningLibraryString;
    rights_ = rights;
    return rights;
}

std::vector<Candidate> DatabaseSource::NextCandidates(std::size_t most) {
    if (ahead_.empty()) ReadAhead();
    std::vector<Candidate> out;
    while (!ahead_.empty() && out.size() < most) {
        out.push_back(std::move(ahead_.front()));
        ahead_.pop_front();
    }
    return out;
}

// The block read ahead becomes the current one, and the read of the next begins: the database
// works on it while the run screens, rewrites and writes back this one.
void DatabaseSource::ReadAhead() {
    if (!primed_) {
        primed_ = true;
        StartBlockRead();
    }
    block_ = nextBlock_.valid() ? nextBlock_.get() : RecordBlock();
    servedBefore_ = std::move(served_);
    served_.clear();
    for (Candidate& c : nextLines_) ahead_.push_back(std::move(c));
    nextLines_.clear();
    if (!ahead_.empty()) StartBlockRead();
}

void DatabaseSource::StartBlockRead() {
    const std::int32_t perBlock = program_.profile.RecordsPerBlock;
    for (Candidate& c : workList_.Next(static_cast<std::size_t>(std::max(perBlock, 1))))
        nextLines_.push_back(std::move(c));
    VgerReaderClass7& reader = Reader();
    if (perBlock < 2 || nextLines_.empty() || reader.Engine().Driver().blockMarkers == 0) return;
    // Only the records screening will ask for: kinds the operator may update.
    BlockRequest request;
    for (const Candidate& c : nextLines_) {
        if (!rights_.MayUpdate(c.type)) continue;
        if (c.type == "B") request.bibs.push_back(c.id);
        else if (c.type == "H" || c.type == "M") request.holdings.push_back(c.id);
        else if (c.type == "A") request.authorities.push_back(c.id);
        else if (c.type == "I") request.items.push_back(c.id);
    }
    request.holdingsBibLibraries = !program_.profile.AllOwningLibraries;
    request.itemLibraries = !program_.profile.AllOwningLibraries;
    nextBlock_ = std::async(std::launch::async,
                            [&reader, request = std::move(request)] { return reader.RetrieveRecordBlock(request); });
}

bool DatabaseSource::FromBlock(const Candidate& candidate, RetrievedRecord& r) {
    const std::string& type = candidate.type;
    const std::string& id = candidate.id;
    // A record met again in its block may have been written back meanwhile, and this block may have
    // been read before the previous one's records were written: such a record is read afresh.
    std::string key = type + " " + id;
    if (servedBefore_.contains(key) || !served_.insert(std::move(key)).second) return false;
    if (type == "B") {
        const auto found = block_.bibs.find(id);
        if (found == block_.bibs.end()) return false;
        const BibBlockRecord& b = found->second;
        r.octets = b.record;
        r.owningLibrary = b.owningLibrary;
        r.lastModified = b.history.LastModified();
        r.suppressed = b.suppressed;
        return true;
    }
    if (type == "H") {
        const auto found = block_.holdings.find(id);
        if (found == block_.holdings.end()) return false;
        const HoldBlockRecord& h = found->second;
        if (!program_.profile.AllOwningLibraries && !h.bibRecordNumber.empty()) {
            const auto library = block_.libraries.find(h.bibRecordNumber);
            if (library == block_.libraries.end()) return false;
            r.owningLibrary = library->second;
        }
        r.octets = h.record;
        r.lastModified = DateTime::Parse(h.history.updateDate);
        r.location = h.locationId;
        r.holdingsBib = h.bibRecordNumber;
        r.suppressed = h.suppressed;
        return true;
    }
    if (type == "I") {
        const auto found = block_.items.find(id);
        if (found == block_.items.end()) return false;
        VgerReaderClass7& reader = Reader();
        reader.UseBlockItem(id, found->second);
        if (!program_.profile.AllOwningLibraries) r.owningLibrary = found->second.owningLibrary;
        return true;
    }
    if (type == "A") {
        const auto found = block_.authorities.find(id);
        if (found == block_.authorities.end()) return false;
        r.octets = found->second.record;
        r.lastModified = found->second.history.LastModified();
        return true;
    }
    return false;
}

RetrievedRecord DatabaseSource::Retrieve(const Candidate& candidate) {
    RetrievedRecord r;
    if (FromBlock(candidate, r)) return r;
    VgerReaderClass7& reader = Reader();
    const bool librariesApply = !program_.profile.AllOwningLibraries;
    if (candidate.type == "B") {
        reader.RetrieveBibRecord(candidate.id);
        r.owningLibrary = reader.BibOwningLibraryNumber();
        r.octets = reader.BibRecord();
        r.lastModified = reader.BibDateLastModifiedVB();
        r.suppressed = reader.BibRecordIsSuppressed();
    } else if (candidate.type == "H") {
        reader.RetrieveHoldRecord(candidate.id);
        // Holdings whose bibliographic record is gone have no owning library to allow.
        if (librariesApply && !reader.HoldBibRecordNumber().empty()) {
            reader.BibRecordNumber(reader.HoldBibRecordNumber());
            reader.RetrieveBibRecord();
            r.owningLibrary = reader.BibOwningLibraryNumber();
        }
        r.octets = reader.HoldRecord();
        r.lastModified = reader.HoldUpdateDateVB();
        r.location = reader.HoldLocationID();
        r.holdingsBib = reader.HoldBibRecordNumber();
        r.suppressed = reader.HoldRecordIsSuppressed();
    } else if (candidate.type == "A") {
        reader.RetrieveAuthRecord(candidate.id);
        r.octets = reader.AuthRecord();
        r.lastModified = reader.AuthDateLastModifiedVB();
    } else if (candidate.type == "I") {
        reader.RetrieveItemRecord(candidate.id);
        if (librariesApply) r.owningLibrary = reader.OwningLibraryForItem(reader.ItemRecordNumber());
    }
    return r;
}

void DatabaseSource::HandOverItem(const Candidate&) { Reader().CopyItemObject(program_.Writer().ItemData()); }

std::vector<std::string> DatabaseSource::LinkDump(const std::string& recordId) {
    VgerReaderClass7& reader = Reader();
    std::int16_t& set = program_.reader.standingSet;
    reader.SearchLinksOfRecord(recordId, set);
    std::vector<std::string> lines;
    while (reader.GetNextRow(set)) {
        LetWindowMessagesRun();
        lines.push_back(reader.CurrentRow(1) + "\t" + reader.CurrentRow(2) + "\t" + reader.CurrentRow(3) + "\t" +
                        reader.CurrentRow(4));
    }
    return lines;
}

}  // namespace linkmend
