#pragma once
// Records read by the block: for each id, what the single retrievals (RetrieveBibRecord,
// RetrieveHoldRecord, RetrieveAuthRecord) and the owning-library look-up would have given.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/DateTime.h"

namespace linkmend {

// A record's history as the database's driver gives the texts: the creation row's, and the newest
// other row's.
struct RecordHistory {
    std::string createDate, createOperator, updateDate, updateOperator;
    void Clear() { *this = RecordHistory(); }
    // The update date when there is one, else the creation date.
    DateTime LastModified() const { return DateTime::Parse(updateDate.empty() ? createDate : updateDate); }
};

// A bibliographic record: empty when it has no stored segments, and then without metadata. The
// owning library is BIB_MASTER's whatever the segments (as BibOwningLibraryNumber looks it up).
struct BibBlockRecord {
    std::string record;
    bool suppressed = false;
    std::string owningLibrary;
    RecordHistory history;
};

struct HoldBlockRecord {
    std::string record;
    std::string bibRecordNumber;  // the lowest linked BIB_ID
    bool multiplyLinked = false;
    bool suppressed = false;
    std::string locationId, callNoNormalized, callNoDisplay, callNoType;
    RecordHistory history;
};

struct AuthBlockRecord {
    std::string record;
    RecordHistory history;
};

// An item as RetrieveItemRecord reads it (statuses as codes, the price as stored: both are made
// readable when the item is taken, UseBlockItem), with its bib's owning library when asked for.
struct ItemBlockRecord {
    std::string barcode;
    bool barcodeActive = false;
    std::string permLocation, tempLocation, copyNumber, spineLabel, typeId, tempTypeId, pieces, price, mediaType,
        createDate, updateDate, createOperator, updateOperator, magneticMedia, sensitize, holdRecordNumber, enumeration,
        chron, year, caption, freeText, bibRecordNumber, note;
    std::vector<std::string> statuses;
    std::string owningLibrary;
};

// What a block asks for: record ids as decimal text. With holdingsBibLibraries, the owning library
// of each holdings record's bib is wanted too, with itemLibraries each item's (where owning
// libraries apply).
struct BlockRequest {
    std::vector<std::string> bibs, holdings, authorities, items;
    bool holdingsBibLibraries = false;
    bool itemLibraries = false;
};

// The block's records by id as the request named them (an id that is not a number has none); an
// id without a stored record has an empty entry. `libraries` holds the owning library ("" for none)
// of each bib asked for and, when wanted, of each holdings record's bib.
struct RecordBlock {
    std::unordered_map<std::string, BibBlockRecord> bibs;
    std::unordered_map<std::string, HoldBlockRecord> holdings;
    std::unordered_map<std::string, AuthBlockRecord> authorities;
    std::unordered_map<std::string, ItemBlockRecord> items;
    std::unordered_map<std::string, std::string> libraries;
};

}  // namespace linkmend
