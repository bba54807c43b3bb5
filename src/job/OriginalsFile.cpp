#include "job/OriginalsFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "job/RunFiles.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {

void OriginalsWriter::Open(TextFile& records, TextFile& list) {
    records_ = &records;
    list_ = &list;
    recordsEnd_ = listEnd_ = 0;
    pendingRecord_ = pendingLine_ = 0;
    lastSync_ = std::chrono::steady_clock::now();
    formatted_ = false;
}

void OriginalsWriter::Save(const Candidate& candidate, const std::string& stored) {
    // The record first: a line must never name a record the file does not hold whole. Both are in
    // the system's hands before the write-back, which is all a killed program needs. A sync per
    // record would cost several times the run itself, so they reach the disk once a second (and at
    // the end): a crash of the machine can cost the originals of the last second's records.
    const std::string start = candidate.type + "\t" + candidate.id + "\t";
    records_->WriteRaw(stored);
    list_->WriteRaw(start);
    if (const auto now = std::chrono::steady_clock::now(); now - lastSync_ >= kSyncEvery) {
        records_->Sync();
        list_->Sync();
        lastSync_ = now;
    }
    pendingRecord_ = stored.size();
    pendingLine_ = start.size();
}

// The date goes to the system with the next record's line (or the close): a killed program can
// cost only the last line's date, which a restore does without (that record keeps its own date).
void OriginalsWriter::Written(const DateTime& date) {
    // Dates repeat (a sink that stamps no date gives the same one every time): formatted once each.
    if (!formatted_ || date.Days() != lastDate_.Days()) {
        lastDate_ = date;
        lastDateText_ = date.Format();
        formatted_ = true;
    }
    const std::string& end = lastDateText_;
    list_->WriteLineWithNext(end);
    recordsEnd_ += static_cast<long long>(pendingRecord_);
    listEnd_ += static_cast<long long>(pendingLine_ + end.size() + 2);
    pendingRecord_ = pendingLine_ = 0;
}

void OriginalsWriter::Withdraw() {
    // The line first, for the same reason as in Save.
    list_->TruncateTo(listEnd_);
    records_->TruncateTo(recordsEnd_);
    pendingRecord_ = pendingLine_ = 0;
}

namespace {

bool ReadWhole(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The same name with another extension (the last dot after the last folder separator).
std::string WithExtension(const std::string& name, const char* extension) {
    const auto dot = name.rfind('.');
    const auto slash = name.rfind('/');
    const bool hasOne = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasOne ? name.substr(0, dot) : name) + extension;
}

bool IsType(const std::string& type) { return type == "B" || type == "H" || type == "A"; }

// A record id the component takes: decimal digits, a positive 32-bit number.
bool IsRecordId(const std::string& id) {
    if (id.empty() || id.size() > 10 || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const long long value = std::stoll(id);
    return value > 0 && value <= 2147483647LL;
}

// The record length in the five octets of a record's front: nullopt when they are not all digits; 0
// when fewer than five are there and they are digits (a record cut short).
std::optional<std::size_t> RecordLength(const std::string& front) {
    for (const char c : front) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return front.size() < 5 ? 0 : std::stoul(front);
}

// Up to n octets of the file from `at` (fewer at its end).
std::string ReadAt(std::ifstream& in, std::size_t at, std::size_t n) {
    std::string out(n, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(at));
    in.read(out.data(), static_cast<std::streamsize>(n));
    out.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return out;
}

std::string ReadList(const std::string& list, Originals& o) {
    std::unordered_set<std::string> seen;
    std::size_t start = 0;
    for (int lineNumber = 1; start < list.size(); ++lineNumber) {
        const auto end = list.find("\r\n", start);
        const bool complete = end != std::string::npos;
        const std::string line = list.substr(start, complete ? end - start : std::string::npos);
        start = complete ? end + 2 : list.size();
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        SavedOriginal saved;
        if (tab2 != std::string::npos) saved.candidate = {line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(0, tab1)};
        const bool named = tab2 != std::string::npos && IsType(saved.candidate.type) && IsRecordId(saved.candidate.id);
        if (complete) {
            const std::string date = named ? line.substr(tab2 + 1) : std::string();
            if (!named || date.size() != 19 || DateTime::Parse(date).IsZero()) {
                return "Line " + std::to_string(lineNumber) + " of " + o.listPath +
                       " is not the type, id and date of a saved record.";
            }
            saved.written = DateTime::Parse(date);
        } else if (!named) {
            // A stopped run leaves at most the type and id of its last line: anything shorter is damage.
            return "The list " + o.listPath + " ends in the middle of a line: it is truncated.";
        }
        if (!seen.insert(saved.candidate.type + " " + saved.candidate.id).second) {
            return "The list " + o.listPath + " names the record " + saved.candidate.type + " " + saved.candidate.id +
                   " twice.";
        }
        o.records.push_back(std::move(saved));
    }
    return {};
}

}  // namespace

void OriginalsPaths(const std::string& given, std::string& path, std::string& listPath) {
    const bool isList = given.size() >= 4 && given.compare(given.size() - 4, 4, ".txt") == 0;
    path = isList ? WithExtension(given, ".mrc") : given;
    listPath = isList ? given : WithExtension(given, ".txt");
}

std::string ReadOriginals(const std::string& given, Originals& o) {
    o = Originals();
    OriginalsPaths(given, o.path, o.listPath);
    auto file = std::make_unique<std::ifstream>(o.path, std::ios::binary);
    if (!*file || !file->seekg(0, std::ios::end)) return "The originals file " + o.path + " cannot be read.";
    const std::streamoff end = file->tellg();
    if (end < 0) return "The originals file " + o.path + " cannot be read.";
    const auto size = static_cast<std::size_t>(end);
    std::string list;
    if (!ReadWhole(o.listPath, list)) {
        return "The originals file " + o.path + " has no list of its records beside it (" + o.listPath + ").";
    }
    if (std::string problem = ReadList(list, o); !problem.empty()) return problem;

    const std::string notMarc = "The originals file " + o.path + " is not a file of MARC records";
    const std::string truncated = "The originals file " + o.path + " is truncated: its list names " +
                                  std::to_string(o.records.size()) + " records";
    Utf8MarcRecordClass marc;
    std::size_t at = 0;
    for (std::size_t k = 0; k < o.records.size(); ++k) {
        const std::string which = " (record " + std::to_string(k + 1) + ").";
        if (at >= size) return truncated + ", it holds " + std::to_string(k) + ".";
        const auto length = RecordLength(ReadAt(*file, at, 5));
        if (!length) return notMarc + which;
        if (*length == 0 || at + *length > size)
            return truncated + "; record " + std::to_string(k + 1) + " is cut short.";
        const std::string record = ReadAt(*file, at, *length);
        if (record.size() != *length) return "The originals file " + o.path + " cannot be read.";
        if (!marc.IsMarc(record)) return notMarc + which + " " + marc.IsMarcErrorText() + ".";
        o.records[k].offset = at;
        o.records[k].length = *length;
        at += *length;
    }
    // After the listed records there may be the start of one more that a stopped run saved and never
    // wrote back: it is left out. Anything else is damage.
    if (at < size) {
        const auto length = RecordLength(ReadAt(*file, at, 5));
        if (!length) return notMarc + " (after record " + std::to_string(o.records.size()) + ").";
        if (*length > 0 && at + *length < size) {
            return "The originals file " + o.path + " holds more records than its list " + o.listPath +
                   " names: the list is truncated.";
        }
    }
    o.file = std::move(file);
    return {};
}

std::string Originals::Octets(const SavedOriginal& saved) const {
    std::string octets = file ? ReadAt(*file, saved.offset, saved.length) : std::string();
    if (octets.size() != saved.length)
        throw RunFileError(
            path, "The originals file " + path + " cannot be read (record at " + std::to_string(saved.offset) + ").");
    return octets;
}

}  // namespace linkmend
