#pragma once
// The originals of a production run or restore: "<front>.Originals.mrc" holds each record it wrote
// back exactly as it was stored, ISO 2709 records back to back, and "<front>.Originals.txt" beside
// it one line per record: type TAB id TAB the last-modified date the write gave it, CR LF.
//
// A record's original and the type and id of its line are in the system's hands before the record
// is written back (on the disk once a second); the date completes the line after the write, and a
// refused record's octets and line are cut off again. So a program stopped at any instant leaves at
// most a last line without its date (that record may or may not have been written) and at most one
// record more than lines (never written).
#include <chrono>
#include <cstddef>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "job/RecordSource.h"

namespace linkmend {

class TextFile;

class OriginalsWriter {
public:
    // Writes into the two files, created and empty.
    void Open(TextFile& records, TextFile& list);
    bool IsOpen() const { return records_ != nullptr; }
    // Before the write-back: the record as stored and the start of its line, synced in that order.
    void Save(const Candidate& candidate, const std::string& stored);
    // After it: the date completes the line.
    void Written(const DateTime& date);
    // The record was refused, so not changed: its line and octets are cut off again.
    void Withdraw();

private:
    TextFile* records_ = nullptr;
    TextFile* list_ = nullptr;
    long long recordsEnd_ = 0, listEnd_ = 0;           // the files' lengths before the record being saved
    std::size_t pendingRecord_ = 0, pendingLine_ = 0;  // what it added to them
    std::chrono::steady_clock::time_point lastSync_;
    DateTime lastDate_;  // the last date written, and its text
    std::string lastDateText_;
    bool formatted_ = false;
    static constexpr std::chrono::seconds kSyncEvery{1};
};

// One saved record: where its octets stand in the originals file and, unless the run stopped while
// writing it, the date the write gave it.
struct SavedOriginal {
    Candidate candidate;
    std::size_t offset = 0, length = 0;
    std::optional<DateTime> written;
};

// The pair as read: the list in memory, the records left in their file and read one at a time when
// asked for, so that a restore of any size takes little memory.
struct Originals {
    std::string path, listPath;
    std::vector<SavedOriginal> records;
    std::unique_ptr<std::ifstream> file;  // open on path once the pair has been checked

    // A saved record's octets; RunFileError when the file can no longer give them.
    std::string Octets(const SavedOriginal& saved) const;
};

// The list beside an originals file ("X.Originals.mrc": "X.Originals.txt"); given the list, the file.
void OriginalsPaths(const std::string& given, std::string& path, std::string& listPath);

// Reads the pair and checks it: the list's lines (types "B", "H", "A", decimal ids, each record once,
// dates), and a MARC record for each line. The one record a stopped run may have saved past its
// list is left out. Returns the problem in words, empty when the pair can be restored.
std::string ReadOriginals(const std::string& given, Originals& originals);

}  // namespace linkmend
