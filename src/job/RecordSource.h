#pragma once
// Where the run's records come from: the work list of candidates, and for each the record as stored
// with what screening and write-back need. The run knows no more of the place than this.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/DateTime.h"

namespace linkmend {

class JobHost;
class RunLog;

// One line of the work list: the record id as decimal text and its type letter ("B", "X" a bib
// reached only through its holdings, "H" or "M" holdings, "A" authority, "I" item, or another).
struct Candidate {
    std::string id;
    std::string type;
};

// A retrieved record. The octets are the record as stored, unchanged (empty: it came up empty).
// The owning library is the record's own (B), or its bib's (H) or its item's bib's (I) when owning
// libraries apply; location and holdings bib are the holdings' own.
struct RetrievedRecord {
    std::string octets;
    DateTime lastModified;
    std::string owningLibrary;
    std::string location;
    std::string holdingsBib;
    bool suppressed = false;
};

// What the operator may change: kinds of record, and the owning libraries and cataloguing
// locations, as blank-separated ids with a blank at each end (" 1 2 "). The defaults allow all,
// for a source where owning libraries and locations do not apply.
struct OperatorRights {
    bool bibUpdate = true, holdUpdate = true, authUpdate = true, itemUpdate = true;
    bool allOwningLibraries = true;
    std::string owningLibraries = " ";
    bool allLocations = true;
    std::string locations = "  ";

    // Type "M" counts as holdings; types that are no kind of record are never allowed.
    bool MayUpdate(const std::string& type) const {
        if (type == "B") return bibUpdate;
        if (type == "H" || type == "M") return holdUpdate;
        if (type == "A") return authUpdate;
        return type == "I" && itemUpdate;
    }
    bool AllowsOwningLibrary(const std::string& libraryId) const {
        return allOwningLibraries || owningLibraries.find(" " + libraryId + " ") != std::string::npos;
    }
    bool AllowsLocation(const std::string& locationId) const {
        return allLocations || locations.find(" " + locationId + " ") != std::string::npos;
    }
};

// What a source may use of the run while it selects candidates.
class RunContext {
public:
    virtual ~RunContext() = default;
    virtual RunLog& Log() = 0;
    virtual JobHost& Host() = 0;
    // A Cancel checkpoint: lets window messages run and, when Cancel was clicked, logs
    // "Cancel button clicked (<number>)" and ends the run (throws).
    virtual void Checkpoint(const char* number) = 0;
    // A record the source found damaged and hands out to no one: counted and listed by the report
    // ("Record 5.  Reason: what is wrong"); a sink that copies the source keeps it unchanged.
    virtual void Damaged(const std::string& entry) = 0;
};

class RecordSource {
public:
    virtual ~RecordSource() = default;

    // Opened at run start (and again after a deferred start); closed at the end phase. Close never
    // throws.
    virtual void Open() = 0;
    virtual void Close() = 0;
    // The character set the record octets are in ("U" UTF-8).
    virtual std::string CharacterSet() = 0;
    // The operator's rights for this run, asked once before the candidates are selected.
    virtual OperatorRights Rights() = 0;
    // Finds the candidates for the prepared stem and makes the work list.
    virtual void SelectCandidates(const std::string& stem, RunContext& run) = 0;
    // Work-list lines that count towards the progress total (all but "X").
    virtual std::int32_t CandidateTotal() const = 0;
    // Up to `most` further candidates in work-list order; empty at its end. A source may read
    // ahead for the candidates it hands out.
    virtual std::vector<Candidate> NextCandidates(std::size_t most) = 0;
    // The record of a candidate whose kind the operator may update.
    virtual RetrievedRecord Retrieve(const Candidate& candidate) = 0;
    // An item that passed screening goes to the write-back's item object (no item update follows:
    // items carry no MARC record).
    virtual void HandOverItem(const Candidate&) {}
    // The diagnostic dump of one record's links as stored, one TAB-separated line per link; a
    // source without a link index has none.
    virtual std::vector<std::string> LinkDump(const std::string&) { return {}; }
    // The data source the records come from, whose production runs may wait for the scheduled
    // start; empty for a source outside the library system's database.
    virtual std::string DataSourceName() const { return {}; }
    // True when changed records go into a copy of the source, where they must differ from their
    // originals only by the change: the record object then keeps fields in their order and every 035.
    virtual bool KeepsRecordsWhole() const { return false; }
    // The report's lines on where the records came from, in place of the database's connection
    // block; empty: that block.
    virtual std::vector<std::string> ReportOrigin() const { return {}; }
};

}  // namespace linkmend
