// The MARC file reader: a buffered source over the file, plain and segmented ISO 2709, MARCXML, and
// characterising a whole file.
#include "marc/Utf8MarcFileClass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <set>
#include <vector>

#include "base/MessagePump.h"
#include "marc/Marc8Text.h"

namespace linkmend {

namespace {

constexpr char kEndOfRecord = 0x1D;
constexpr std::size_t kBufferSize = 1 << 16;

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

// The open file, read in large blocks. A read error counts as the end of the file.
class Utf8MarcFileClass::Source {
public:
    explicit Source(int fd) : fd_(fd), buffer_(kBufferSize) {}
    ~Source() { ::close(fd_); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    int Get() {
        if (pos_ == end_ && !Fill()) return -1;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }

    int Peek() {
        if (pos_ == end_ && !Fill()) return -1;
        return static_cast<unsigned char>(buffer_[pos_]);
    }

    bool AtEnd() { return pos_ == end_ && !Fill(); }

    // Appends up to count octets; returns how many there were.
    std::size_t Append(std::string& out, std::size_t count) {
        std::size_t done = 0;
        while (done < count && (pos_ < end_ || Fill())) {
            const std::size_t take = std::min(count - done, end_ - pos_);
            out.append(buffer_.data() + pos_, take);
            pos_ += take;
            done += take;
        }
        return done;
    }

    // Consumes octets up to and including c, appending them to out when given; false at the end.
    bool Through(char c, std::string* out) {
        while (pos_ < end_ || Fill()) {
            const char* from = buffer_.data() + pos_;
            const void* hit = std::memchr(from, c, end_ - pos_);
            const std::size_t take = hit ? static_cast<const char*>(hit) - from + 1 : end_ - pos_;
            if (out) out->append(from, take);
            pos_ += take;
            if (hit) return true;
        }
        return false;
    }

private:
    bool Fill() {
        if (ended_) return false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ended_ = true;
                return false;
            }
            pos_ = 0;
            end_ = static_cast<std::size_t>(n);
            return true;
        }
    }

    int fd_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

Utf8MarcFileClass::Utf8MarcFileClass() = default;
Utf8MarcFileClass::~Utf8MarcFileClass() = default;

void Utf8MarcFileClass::Debug(const std::string& text) const {
    if (debug_) std::clog << "Utf8MarcFileClass: " << text << '\n';
}

void Utf8MarcFileClass::OpenFile(const std::string& sMarcFileName, bool bDebug) {
    debug_ = bDebug;
    fileName_ = sMarcFileName;
    recordIndex_ = 0;
    CloseFile();
    segmented_ = false;
    byteOrderMark_ = false;
    xml_ = false;
    if (fileName_.empty()) return;
    const int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Debug("cannot open " + fileName_ + ": " + std::strerror(errno));
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        Debug(fileName_ + " is not a file");
        return;
    }
    source_ = std::make_unique<Source>(fd);
    Inspect();
    endOfFile_ = false;
}

// Looks at the first 29 octets: byte-order mark, MARCXML, segmentation. Nothing is consumed but
// the byte-order mark.
void Utf8MarcFileClass::Inspect() {
    std::string head;
    source_->Append(head, 29);
    std::size_t at = 0;
    if (head.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        byteOrderMark_ = true;
        at = 3;
    }
    std::size_t first = at;
    while (first < head.size() &&
           (head[first] == ' ' || head[first] == '\t' || head[first] == '\r' || head[first] == '\n'))
        ++first;
    if (head.compare(first, 1, "<") == 0) {
        xml_ = true;  // "<?xml", or a collection or record element without a declaration
    } else {
        // Segmented: a code character and four length digits push the leader five octets right,
        // so leader/05 (a letter) stands where a plain record has leader/10 (a digit).
        first = at;
        while (first < head.size() && !IsDigit(static_cast<unsigned char>(head[first]))) ++first;
        const std::string_view data = std::string_view(head).substr(first);
        if (data.size() >= 11) {
            bool digits = true;
            for (std::size_t k = 0; k < 6; ++k) digits = digits && IsDigit(static_cast<unsigned char>(data[k]));
            segmented_ = digits && !IsDigit(static_cast<unsigned char>(data[10]));
        }
    }
    carry_ = head.substr(at);
    carryPos_ = 0;
    Debug(fileName_ +
          (xml_         ? ": MARCXML"
           : segmented_ ? ": segmented"
                        : ": ISO 2709") +
          (byteOrderMark_ ? ", byte-order mark" : ""));
}

bool Utf8MarcFileClass::EndOfFile() const { return endOfFile_ || !source_; }

void Utf8MarcFileClass::CloseFile() {
    source_.reset();
    carry_.clear();
    carryPos_ = 0;
    endOfFile_ = true;
}

int Utf8MarcFileClass::NextOctet() {
    if (carryPos_ < carry_.size()) return static_cast<unsigned char>(carry_[carryPos_++]);
    return source_ ? source_->Get() : -1;
}

std::size_t Utf8MarcFileClass::ReadInto(std::string& out, std::size_t count) {
    const std::size_t fromCarry = std::min(count, carry_.size() - carryPos_);
    out.append(carry_, carryPos_, fromCarry);
    carryPos_ += fromCarry;
    if (carryPos_ == carry_.size()) {
        carry_.clear();
        carryPos_ = 0;
    }
    return fromCarry + (source_ ? source_->Append(out, count - fromCarry) : 0);
}

bool Utf8MarcFileClass::NothingLeft() { return carryPos_ >= carry_.size() && (!source_ || source_->AtEnd()); }

bool Utf8MarcFileClass::ReadNextRecord(std::string& sRecord, bool bDebug) {
    debug_ = bDebug;
    sRecord.clear();
    before_.clear();
    raw_.clear();
    problem_.clear();
    skipProblem_.clear();
    if (!source_) {
        endOfFile_ = true;
        return false;
    }
    LetWindowMessagesRun();
    if (recordIndex_ == 0 && byteOrderMark_) before_ = "\xEF\xBB\xBF";
    const bool found = xml_ ? ReadXml(sRecord) : segmented_ ? ReadSegmented(sRecord) : ReadPlain(sRecord);
    if (!xml_) NoteSkipped();
    if (!found) {
        sRecord.clear();
        if (debug_) Debug("end of file after " + std::to_string(recordIndex_) + " records");
        CloseFile();
        return false;
    }
    if (raw_.empty()) raw_ = sRecord;
    ++recordIndex_;
    endOfFile_ = false;
    if (debug_) Debug("record " + std::to_string(recordIndex_) + ", " + std::to_string(sRecord.size()) + " octets");
    if (NothingLeft()) CloseFile();
    return true;
}

// Octets between records that are no sign of damage: line breaks, blanks, NUL and the DOS
// end-of-file mark (and a byte-order mark at the start).
void Utf8MarcFileClass::NoteSkipped() {
    std::size_t junk = 0;
    const std::size_t from = recordIndex_ == 0 && byteOrderMark_ ? 3 : 0;
    for (std::size_t i = from; i < before_.size(); ++i) {
        const char c = before_[i];
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t' && c != '\0' && c != '\x1A') ++junk;
    }
    if (junk > 0) skipProblem_ = std::to_string(before_.size() - from) + " octets that are no MARC record";
}

bool Utf8MarcFileClass::ReadPlain(std::string& record) {
    // Five length digits, after any filler; a non-digit among them starts the search again there.
    char digits[5];
    std::size_t have = 0;
    while (have < 5) {
        const int c = NextOctet();
        if (c < 0) return false;
        before_.push_back(static_cast<char>(c));
        if (IsDigit(c)) digits[have++] = static_cast<char>(c);
        else have = 0;
    }
    before_.resize(before_.size() - 5);
    record.assign(digits, 5);
    const std::size_t length = std::stoul(record);
    if (length > 5 && ReadInto(record, length - 5) < length - 5) {
        problem_ = "The file ends inside the record: " + std::to_string(record.size()) + " of " +
                   std::to_string(length) + " octets";
    }
    const std::size_t terminator = record.find(kEndOfRecord);
    if (terminator != std::string::npos && terminator + 1 < record.size()) {
        // The length overstates the record: cut after the terminator, keep the rest for next time.
        carry_ = record.substr(terminator + 1) + carry_.substr(carryPos_);
        carryPos_ = 0;
        record.resize(terminator + 1);
        raw_ = record;
        char newLength[8];
        std::snprintf(newLength, sizeof newLength, "%05zu", record.size());
        record.replace(0, 5, newLength);
        problem_ = "Record length in leader (" + raw_.substr(0, 5) + ") overstates the record: it ends after " +
                   std::to_string(record.size()) + " octets";
        Debug("length digits overstate the record; cut at " + std::to_string(record.size()));
    }
    return true;
}

bool Utf8MarcFileClass::ReadSegmented(std::string& record) {
    for (;;) {
        int code = NextOctet();
        while (code == ' ' || code == '\r' || code == '\n') {
            if (record.empty()) before_.push_back(static_cast<char>(code));
            code = NextOctet();
        }
        if (code < 0) {
            if (!record.empty()) problem_ = "The file ends inside the record: its last segment is missing";
            return !record.empty();
        }
        std::string digits;
        if (ReadInto(digits, 4) != 4 || !IsDigit(digits[0]) || !IsDigit(digits[1]) || !IsDigit(digits[2]) ||
            !IsDigit(digits[3]) || code < '0' || code > '3') {
            // The segment structure is broken: hand back what was gathered, read no further.
            Debug("broken segment header after " + std::to_string(record.size()) + " octets");
            problem_ = "Broken segment header after " + std::to_string(record.size()) + " octets of the record";
            if (record.empty()) before_ += static_cast<char>(code) + digits;
            if (source_) source_.reset();
            carry_.clear();
            carryPos_ = 0;
            return !record.empty();
        }
        const std::size_t length = std::stoul(digits);
        if (length > 5) ReadInto(record, length - 5);
        if (code == '0' || code == '3') return true;
    }
}

namespace {

bool IsNameOctet(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == ':' || c == '_' || c == '-' ||
           c == '.';
}

bool IsRecordName(const std::string& name) {
    return name == "record" || (name.size() > 7 && name.compare(name.size() - 7, 7, ":record") == 0);
}

}  // namespace

bool Utf8MarcFileClass::ReadXml(std::string& record) {
    // Reads a tag name after "<" into name (appending the octets to sink when given).
    const auto readName = [this](std::string& name, std::string* sink) {
        name.clear();
        for (;;) {
            const int c = carryPos_ < carry_.size() ? static_cast<unsigned char>(carry_[carryPos_]) : source_->Peek();
            if (!IsNameOctet(c)) return;
            NextOctet();
            name.push_back(static_cast<char>(c));
            if (sink) sink->push_back(static_cast<char>(c));
        }
    };
    // Consumes through the octet c (appending to sink when given); false at the end.
    const auto through = [this](char c, std::string* sink) {
        while (carryPos_ < carry_.size()) {
            const char d = carry_[carryPos_++];
            if (sink) sink->push_back(d);
            if (d == c) return true;
        }
        return source_->Through(c, sink);
    };
    const char* const unclosed = "The record element is not closed before the end of the file";
    std::string name;
    for (;;) {
        if (!through('<', &before_)) return false;
        readName(name, &before_);
        if (!IsRecordName(name)) continue;
        before_.resize(before_.size() - 1 - name.size());
        record = "<" + name;
        if (!through('>', &record)) {  // truncated: as far as it goes
            problem_ = unclosed;
            return true;
        }
        if (record.size() >= 2 && record[record.size() - 2] == '/') {  // an empty element
            before_ += record;
            continue;
        }
        break;
    }
    const std::string opening = name;
    for (;;) {
        if (!through('<', &record)) {
            problem_ = unclosed;
            return true;
        }
        const int next = carryPos_ < carry_.size() ? static_cast<unsigned char>(carry_[carryPos_]) : source_->Peek();
        if (next != '/') continue;
        NextOctet();
        record.push_back('/');
        std::string closing;
        readName(closing, &record);
        if (closing != opening) continue;
        if (!through('>', &record)) problem_ = unclosed;
        return true;
    }
}

// Combining the records' codes: records of plain ASCII fit any reading and are left out; "U" when
// all the others are UTF-8; a V file explains records that look like M or O, so {M, V, O} give V
// and any of them with X give X; M with O gives O; M with Y gives Y; UTF-8 among MARC-8, or Y with
// V, X or O, leave no decision ("?").
std::string Utf8MarcFileClass::CharacterizeCharacterSet() {
    if (fileName_.empty()) return "?";
    const std::int32_t position = recordIndex_;
    const bool debug = debug_;
    const std::string name = fileName_;
    OpenFile(name, debug);
    std::set<char> codes;
    std::size_t records = 0;
    std::string record;
    while (ReadNextRecord(record, debug)) {
        ++records;
        bool plain = record.find('\x1B') == std::string::npos;
        for (std::size_t i = 0; plain && i < record.size(); ++i) plain = static_cast<unsigned char>(record[i]) < 0x80;
        if (!plain) codes.insert(marc8::CharacterizeOctets(record)[0]);
    }
    OpenFile(name, debug);
    while (recordIndex_ < position && ReadNextRecord(record, debug)) {}
    if (records == 0) return "?";
    if (codes.empty() || (codes.size() == 1 && codes.count('U'))) return "U";
    if (codes.count('U')) return "?";
    const bool v = codes.count('V') > 0, x = codes.count('X') > 0, o = codes.count('O') > 0, y = codes.count('Y') > 0;
    if (y) return (v || x || o) ? "?" : "Y";
    if (x) return "X";
    if (v) return "V";
    if (o) return "O";
    return "M";
}

}  // namespace linkmend
