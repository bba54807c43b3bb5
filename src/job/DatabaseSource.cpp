// Records from the database through the global reader: the connection, the operator's rights,
// each record with its metadata, and the diagnostic dump of one record's links.
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

// The work list goes with the connection: a run's end, cancelled or not, leaves no list behind.
void DatabaseSource::Close() {
    program_.reader.DropReader();
    workList_.Remove();
}

std::string DatabaseSource::CharacterSet() { return program_.reader.Reader().VgerCharacterSet(); }

OperatorRights DatabaseSource::Rights() {
    VgerReaderClass7& reader = program_.reader.Reader();
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
    return rights;
}

RetrievedRecord DatabaseSource::Retrieve(const Candidate& candidate) {
    VgerReaderClass7& reader = program_.reader.Reader();
    const bool librariesApply = !program_.profile.AllOwningLibraries;
    RetrievedRecord r;
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

void DatabaseSource::HandOverItem(const Candidate&) {
    program_.reader.Reader().CopyItemObject(program_.Writer().ItemData());
}

std::vector<std::string> DatabaseSource::LinkDump(const std::string& recordId) {
    VgerReaderClass7& reader = program_.reader.Reader();
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
