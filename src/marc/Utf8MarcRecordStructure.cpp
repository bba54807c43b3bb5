// Loading, validating and assembling a record; leader and 008 accessors; format codes.
#include <cstdio>
#include <cstring>

#include "base/DateTime.h"
#include "base/INI.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {
// The exchange format states field lengths in four digits and record lengths in five.
constexpr std::size_t kMaxFieldLength = 9999;
constexpr std::size_t kMaxRecordLength = 99999;

// A directory number as FixedDigits reads it; `exact` turns false when it holds a non-digit.
long EntryNumber(std::string_view s, bool& exact) {
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            exact = false;
            return DigitValue(s);
        }
        v = v * 10 + (c - '0');
    }
    return v;
}
}  // namespace

Utf8MarcRecordClass::Utf8MarcRecordClass() {
    for (char group : {'A', 'B', 'H'}) {
        FormatOrder& order = group == 'A' ? orderA_ : group == 'B' ? orderB_ : orderH_;
        order.Fields.push_back({"000", "999", 9});
    }
    ReadBooleans();
}

void Utf8MarcRecordClass::ReadBooleans() {
    const std::string file = "MarcRecordClass.INI";
    auto read = [&](const char* key, const char* defaultValue) {
        return IsTrue(ReadIniValueOrDefault(file, "Booleans", key, defaultValue, 256));
    };
    removeDuplicateOclcNumbers_ = read("RemoveDuplicateOclcNumbers", "False");
    removeDuplicative035Fields_ = read("RemoveDuplicate035Fields", "True");
    removeOclcAlphabeticPrefix_ = read("RemoveOclcAlphabeticPrefix", "False");
    oclcNumbersHaveLeadingZeroes_ = read("OclcNumbersHaveLeadingZeroes", "False");
    rdaReCast502Fields_ = read("RdaReCast502fields", "False");
}

void Utf8MarcRecordClass::ResetRecord() {
    leader_.clear();
    directory_.clear();
    isMarcErrorText_.clear();
    controlNumber_.clear();
    formatCode_ = "B";
    isAuthority_ = false;
    recordCharacterSet_ = 0;
    marcRecordTranslated_ = false;
    charactersDecomposed_ = false;
    fld008Length_ = 0;
    index008_ = -1;
    loadProblems_ = 0;
    fieldCount_ = 0;
    head_ = tail_ = -1;
    fldPointer_ = sfdPointer_ = -1;
    ClearFlags();
    searchTags_.clear();
    searchFieldText_.clear();
    searchCodes_.clear();
    searchSubfieldText_.clear();
    fldsOutOfOrder_ = subfieldsOutOfOrder_ = fldOrderChanged_ = sfdOrderChanged_ = false;
    marcRecordModified_ = false;
    fldsWithSfdsOutOfOrder_.clear();
}

// Records whose leader lost octets before the entry map get blanks inserted in front of "45" until
// it stands at leader/20 again.
std::string Utf8MarcRecordClass::RepairLeader(const std::string& record, bool& repaired) {
    repaired = false;
    const std::string_view head(record.data(), record.size() < 24 ? record.size() : 24);
    const auto found = head.rfind("45");
    if (found == std::string_view::npos || found + 1 >= 21) return std::string();
    repaired = true;
    std::string fixed;
    fixed.reserve(record.size() + 21);
    fixed.append(record, 0, found);
    fixed.append(20 - found, ' ');
    fixed.append(record, found, std::string::npos);
    return fixed;
}

bool Utf8MarcRecordClass::IsMarc(const std::string& sSuspect) {
    isMarcErrorText_.clear();
    const std::size_t size = sSuspect.size();
    if (size < 50) {
        isMarcErrorText_ = "Too short to be a MARC record";
        return false;
    }
    for (int i = 0; i < 5; ++i) {
        if (!IsDigit(sSuspect[static_cast<std::size_t>(i)])) {
            isMarcErrorText_ = "First 5 characters not all numeric";
            return false;
        }
    }
    const long recordLength = DigitValue(std::string_view(sSuspect).substr(0, 5));
    if (static_cast<std::size_t>(recordLength) > size) {
        isMarcErrorText_ = "Record length in leader does not match actual record length";
        return false;
    }
    const long base = DigitValue(std::string_view(sSuspect).substr(12, 5));
    if (base > recordLength) {
        isMarcErrorText_ = "Base address of data longer than record length";
        return false;
    }
    if (base < 1) {
        isMarcErrorText_ = "Base address of data unacceptable";
        return false;
    }
    if (sSuspect[static_cast<std::size_t>(base) - 1] != kEndOfField) {
        isMarcErrorText_ = "Directory does not end with end-of-field character";
        return false;
    }
    if (sSuspect[size - 1] != kEndOfRecord) {
        isMarcErrorText_ = "Record does not end with end-of-record character";
        return false;
    }
    if (sSuspect[size - 2] != kEndOfField) {
        isMarcErrorText_ = "Last field does not end with end-of-field character";
        return false;
    }
    return true;
}

void Utf8MarcRecordClass::MarcRecordIn(const std::string& sMarcRecord) {
    ResetRecord();
    rawRecord_ = sMarcRecord;
    if (sMarcRecord.empty()) return;

    bool repaired = false;
    const std::string fixed = RepairLeader(sMarcRecord, repaired);
    const std::string& record = repaired ? fixed : sMarcRecord;
    if (!IsMarc(record)) return;
    // IsMarc lets a record longer than its stated length pass; its tail belongs to no field.
    if (static_cast<std::size_t>(DigitValue(std::string_view(record).substr(0, 5))) != record.size()) {
        loadProblems_ |= kLengthMismatch;
    }

    leader_.assign(record, 0, 24);
    isAuthority_ = leader_[6] == 'z';
    formatCode_ = SetFormatCode(leader_);
    FormatOrder& order = OrderFor(formatCode_);
    if (order.ApplyAtNextLoad) {
        if (order.Fields.empty()) InstallDefaultFldOrder(OrderGroup(formatCode_));
        order.ApplyAtNextLoad = false;
    }

    if (leader_[9] == 'a') {
        recordCharacterSet_ = 'U';
    } else if (characterSetIn_ == 'U') {
        const char code = CharacterizeOctets(record)[0];
        recordCharacterSet_ = code == 'X' ? 'V' : code == 'Y' ? 'M' : code;
    } else {
        recordCharacterSet_ = characterSetIn_;
    }

    const std::size_t base = static_cast<std::size_t>(DigitValue(std::string_view(record).substr(12, 5)));
    directory_.assign(record, 24, base > 25 ? base - 25 : 0);
    ParseDirectory(record, base);
    if (repaired) marcRecordModified_ = true;

    PrepareLoadedCharacters(record);
    if (characterSetOut_ != recordCharacterSet_) TranslateLoadedFields(recordCharacterSet_, characterSetOut_);
    FldMoveFirst();
}

void Utf8MarcRecordClass::ParseDirectory(std::string_view record, std::size_t base) {
    const std::size_t entries = base > 25 ? (base - 25) / 12 : 0;
    const std::string_view data = record.substr(base, record.size() - 1 - base);
    fields_.reserve(entries);
    loadMaxField_ = -1;
    bool has001 = false;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::string_view entry = record.substr(24 + 12 * i, 12);
        const std::string_view tag = entry.substr(0, 3);
        // Damaged entries are read as they always were (skipped, or with the number's leading
        // digits); the load only notes that the record was not read as stored.
        bool lengthExact = true, startExact = true;
        const long length = EntryNumber(entry.substr(3, 4), lengthExact) - 1;  // the field terminator is dropped
        if (length < 1) {
            NoteEntryProblem(lengthExact ? kEntrySkippedEmpty : kEntrySkippedLengthNotNumber, tag);
            continue;
        }
        const std::size_t start = static_cast<std::size_t>(EntryNumber(entry.substr(7, 5), startExact));
        if (!lengthExact) NoteEntryProblem(kEntryLengthGuessed, tag);
        if (!startExact) NoteEntryProblem(kEntryStartGuessed, tag);
        // The field's terminator, too, must lie within the data.
        if (start + static_cast<std::size_t>(length) >= data.size()) NoteEntryProblem(kEntryPastEnd, tag);
        const std::string_view field =
            start >= data.size() ? std::string_view() : data.substr(start, static_cast<std::size_t>(length));
        if (IsControlTag(tag)) {
            if (tag[2] == '1') {
                controlNumber_.assign(field);
                has001 = true;
            }
            if (tag[2] == '8') fld008Length_ = static_cast<std::int16_t>(field.size());
            AddField(tag, std::string_view(), field, false, true);
            continue;
        }
        if (removeDuplicative035Fields_ && tag[2] == '5' && tag == "035" && !controlNumber_.empty() &&
            field.size() > 4 && field.substr(4) == controlNumber_) {
            marcRecordModified_ = true;
            continue;
        }
        const std::size_t indLength = field.size() < 2 ? field.size() : 2;
        AddField(tag, field.substr(0, indLength), field.substr(indLength), false, true);
    }
    if (!has001) loadProblems_ |= kNo001;
}

// Two passes: the directory from the field lengths, then the record written once, in place.
std::string Utf8MarcRecordClass::MarcRecordOut() {
    if (fieldCount_ == 0) return std::string();
    outDirectory_.clear();
    std::size_t dataLength = 0;
    for (std::int16_t idx = head_; idx >= 0; idx = fields_[static_cast<std::size_t>(idx)].NextField) {
        const FieldEntry& f = fields_[static_cast<std::size_t>(idx)];
        if (f.Deleted || f.Tag.size() != 3) continue;
        std::size_t text = 0;
        char last = 0;
        if (f.NoIndicators) {
            if (f.MaxSubfield >= 0 && !f.Subfields[0].Text.empty()) {
                text = f.Subfields[0].Text.size();
                last = f.Subfields[0].Text.back();
            }
        } else {
            for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
                const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
                if (sub.Deleted) continue;
                const std::size_t n = (sub.Code.empty() ? 0 : 2) + sub.Text.size();
                if (n == 0) continue;
                text += n;
                last = sub.Text.empty() ? sub.Code.back() : sub.Text.back();
            }
        }
        if (text == 0) continue;  // nothing but indicators: the field is left out
        const std::size_t length = f.Indicators.size() + text + (last == kEndOfField ? 0 : 1);
        if (length > kMaxFieldLength) return std::string();
        outDirectory_ += f.Tag;
        AppendDigits(outDirectory_, length, 4);
        AppendDigits(outDirectory_, dataLength, 5);
        dataLength += length;
    }
    const std::size_t base = 24 + outDirectory_.size() + 1;
    const std::size_t total = base + dataLength + 1;
    if (total > kMaxRecordLength) return std::string();
    if (leader_.size() != 24) leader_ = kDefaultLeader;
    leader_[22] = '0';
    leader_[23] = '0';
    std::string number;
    AppendDigits(number, total, 5);
    AppendDigits(number, base, 5);
    leader_.replace(0, 5, number, 0, 5);
    leader_.replace(12, 5, number, 5, 5);

    // The record is written through a cursor into storage of the final size.
    std::string out(total, '\0');
    char* p = out.data();
    auto put = [&p](std::string_view octets) {
        if (!octets.empty()) std::memcpy(p, octets.data(), octets.size());
        p += octets.size();
    };
    put(leader_);
    put(outDirectory_);
    *p++ = kEndOfField;
    for (std::int16_t idx = head_; idx >= 0; idx = fields_[static_cast<std::size_t>(idx)].NextField) {
        const FieldEntry& f = fields_[static_cast<std::size_t>(idx)];
        if (f.Deleted || f.Tag.size() != 3) continue;
        char* const start = p;
        put(f.Indicators);
        char* const textStart = p;
        if (f.NoIndicators) {
            if (f.MaxSubfield >= 0) put(f.Subfields[0].Text);
        } else {
            for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
                const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
                if (sub.Deleted) continue;
                if (!sub.Code.empty()) {  // a code is one octet
                    *p++ = kDelimiter;
                    *p++ = sub.Code[0];
                }
                put(sub.Text);
            }
        }
        if (p == textStart) {  // left out of the directory in the first pass
            p = start;
            continue;
        }
        if (p[-1] != kEndOfField) *p++ = kEndOfField;
    }
    *p = kEndOfRecord;
    if (characterSetOut_ == 'U' && HasHighOctets(out)) SubstituteAlif(out);
    return out;
}

void Utf8MarcRecordClass::Leader(const std::string& vNewValue) {
    if (vNewValue.size() < 24) return;
    for (int p : {5, 6, 7, 8, 9, 17, 18, 19}) {
        ChangeLeaderValue(static_cast<std::int16_t>(p), vNewValue.substr(static_cast<std::size_t>(p), 1));
    }
}

std::string Utf8MarcRecordClass::GetLeaderValue(std::int16_t position, std::int16_t length) const {
    if (position < 0 || length < 0 || position >= 24 || position + length > 24 || leader_.size() < 24) {
        return std::string();
    }
    return leader_.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(length));
}

void Utf8MarcRecordClass::ChangeLeaderValue(std::int16_t startingPosition, const std::string& newValue) {
    if (leader_.size() != 24 || startingPosition < 0 ||
        static_cast<std::size_t>(startingPosition) + newValue.size() > 24) {
        return;
    }
    const bool typeChanges = startingPosition <= 7 && static_cast<std::size_t>(startingPosition) + newValue.size() > 6;
    leader_.replace(static_cast<std::size_t>(startingPosition), newValue.size(), newValue);
    if (typeChanges) AdjustAfterTypeChange();
}

// A new type of record (leader/06-07) brings its format code and authority flag with it.
void Utf8MarcRecordClass::AdjustAfterTypeChange() {
    isAuthority_ = leader_[6] == 'z';
    formatCode_ = SetFormatCode(leader_);
}

std::string Utf8MarcRecordClass::Get008Value(std::int16_t position, std::int16_t length) const {
    if (index008_ < 0 || position < 0 || length <= 0 || position + length > 40) return std::string();
    const std::string& text = fields_[static_cast<std::size_t>(index008_)].Subfields[0].Text;
    if (static_cast<std::size_t>(position) >= text.size()) return std::string();
    return text.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(length));
}

void Utf8MarcRecordClass::Change008Value(std::int16_t startingPosition, const std::string& newValue) {
    if (index008_ < 0 || startingPosition < 0) return;
    std::string& text = fields_[static_cast<std::size_t>(index008_)].Subfields[0].Text;
    if (static_cast<std::size_t>(startingPosition) + newValue.size() > text.size()) return;
    text.replace(static_cast<std::size_t>(startingPosition), newValue.size(), newValue);
    fields_[static_cast<std::size_t>(index008_)].Subfields[0].NormScheme = 0;
}

std::string Utf8MarcRecordClass::SetFormatCode(const std::string& sMarcLeader) {
    const std::string& leader = sMarcLeader.empty() ? leader_ : sMarcLeader;
    if (leader.size() < 8) return sMarcLeader.empty() ? formatCode_ : std::string("?");
    std::string code;
    switch (leader[6]) {
        case 'a': code = (leader[7] == 'b' || leader[7] == 'i' || leader[7] == 's') ? "S" : "B"; break;
        case 't': code = "B"; break;
        case 'c':
        case 'd':
        case 'i':
        case 'j': code = "M"; break;
        case 'e':
        case 'f': code = "P"; break;
        case 'g':
        case 'k':
        case 'o':
        case 'r': code = "F"; break;
        case 'm': code = "D"; break;
        case 'b':
        case 'p': code = "U"; break;
        case 'u':
        case 'v':
        case 'x':
        case 'y': code = "H"; break;
        case 'z': code = "A"; break;
        case 'q': code = "Q"; break;
        case 'w': code = "W"; break;
        default: code = "?"; break;
    }
    if (sMarcLeader.empty()) formatCode_ = code;
    return code;
}

bool Utf8MarcRecordClass::SerialBibliographicRecord(const std::string& sLeader) const {
    const std::string& leader = sLeader.empty() ? leader_ : sLeader;
    if (leader.size() < 8) return false;
    return leader[6] == 'a' && (leader[7] == 'b' || leader[7] == 'i' || leader[7] == 's');
}

// The 008 of a new record: date entered today, then blanks, "u" for unknown dates, fill characters
// for coded values the cataloguer still has to supply, and "d" (other) as cataloguing source.
std::string Utf8MarcRecordClass::Default008(const std::string& format) {
    const DateTimeParts now = DateTime::Now().Parts();
    char date[8];
    std::snprintf(date, sizeof date, "%02d%02d%02d", now.year % 100, now.month, now.day);
    const std::string entered(date, 6);
    if (format == "H") return entered + "0u    8   4001uu   0" + entered;   // 32 octets
    if (format == "A") return entered + "n" + std::string(31, '|') + " d";  // 40 octets
    return entered + "nuuuuuuuuxx " + std::string(17, '|') + "und" + " d";  // 40 octets
}

void Utf8MarcRecordClass::NewRecord(const std::string& sRecordType, const std::string& sBibliographicLevel) {
    ResetRecord();
    rawRecord_.clear();
    leader_ = kDefaultLeader;
    const char type = sRecordType.empty() ? ' ' : sRecordType[0];
    leader_[6] = type;
    const bool levelless = std::string_view("wuvxyz").find(type) != std::string_view::npos;
    leader_[7] = levelless ? ' ' : (sBibliographicLevel.empty() ? 'a' : sBibliographicLevel[0]);
    isAuthority_ = type == 'z';
    formatCode_ = SetFormatCode(leader_);
    InstallDefaultFldOrder(OrderGroup(formatCode_));
    OrderFor(formatCode_).ApplyAtNextLoad = false;

    const DateTimeParts now = DateTime::Now().Parts();
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d.0", now.year, now.month, now.day, now.hour, now.minute,
                  now.second);
    AddField("005", std::string_view(), stamp, false, false);
    AddField("008", std::string_view(), Default008(formatCode_), false, false);
    FldMoveFirst();
}

}  // namespace linkmend
