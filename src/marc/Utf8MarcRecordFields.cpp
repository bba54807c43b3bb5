// The field table: entries, the linked record order, and the members that add, change and read the
// current field.
#include <limits>

#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {
constexpr std::int16_t kMaxEntries = std::numeric_limits<std::int16_t>::max();
}

Utf8MarcRecordClass::FieldEntry* Utf8MarcRecordClass::Current() {
    return fldPointer_ >= 0 && fldPointer_ < fieldCount_ ? &fields_[static_cast<std::size_t>(fldPointer_)] : nullptr;
}

const Utf8MarcRecordClass::FieldEntry* Utf8MarcRecordClass::Current() const {
    return fldPointer_ >= 0 && fldPointer_ < fieldCount_ ? &fields_[static_cast<std::size_t>(fldPointer_)] : nullptr;
}

// A new entry at the end of the table, reusing the storage of an entry of an earlier record.
std::int16_t Utf8MarcRecordClass::NewFieldEntry(std::string_view tag) {
    if (fieldCount_ == kMaxEntries) return -1;
    const std::int16_t index = fieldCount_++;
    if (static_cast<std::size_t>(index) == fields_.size()) fields_.emplace_back();
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    AssignOctets(f.Tag, tag);
    f.Indicators.clear();
    f.NoIndicators = false;
    f.OrderKey.clear();
    f.OrderSubKey.clear();
    f.Deleted = false;
    f.NextField = f.PrevField = -1;
    f.FirstSubfield = f.LastSubfield = f.MaxSubfield = -1;
    return index;
}

std::int16_t Utf8MarcRecordClass::AppendSubfieldEntry(FieldEntry& f, std::string_view code, std::string_view text) {
    if (f.MaxSubfield == kMaxEntries - 1) {  // no room for another entry: the octets join the last one
        SubfieldEntry& last = f.Subfields[static_cast<std::size_t>(f.MaxSubfield)];
        if (!code.empty()) last.Text += kDelimiter;
        last.Text.append(code).append(text);
        last.NormScheme = 0;
        return f.MaxSubfield;
    }
    const std::int16_t index = static_cast<std::int16_t>(f.MaxSubfield + 1);
    if (static_cast<std::size_t>(index) == f.Subfields.size()) f.Subfields.emplace_back();
    SubfieldEntry& s = f.Subfields[static_cast<std::size_t>(index)];
    AssignOctets(s.Code, code);
    AssignOctets(s.Text, text);
    s.NormScheme = 0;
    s.SortForm.clear();
    s.Deleted = false;
    s.NextSubfield = -1;
    s.PrevSubfield = f.LastSubfield;
    if (f.LastSubfield >= 0) f.Subfields[static_cast<std::size_t>(f.LastSubfield)].NextSubfield = index;
    else f.FirstSubfield = index;
    f.LastSubfield = index;
    f.MaxSubfield = index;
    return index;
}

// Text before the first delimiter is kept as a subfield without a code, so nothing is lost.
void Utf8MarcRecordClass::SplitSubfields(FieldEntry& f, std::string_view text) {
    f.FirstSubfield = f.LastSubfield = f.MaxSubfield = -1;
    std::size_t d = text.find(kDelimiter);
    if (d != 0 && !text.empty()) AppendSubfieldEntry(f, std::string_view(), text.substr(0, d));
    while (d != std::string_view::npos) {
        const std::size_t next = text.find(kDelimiter, d + 1);
        const std::string_view piece = text.substr(d + 1, next == std::string_view::npos ? next : next - d - 1);
        const std::size_t codeLength = piece.empty() ? 0 : 1;
        AppendSubfieldEntry(f, piece.substr(0, codeLength), piece.substr(codeLength));
        d = next;
    }
}

void Utf8MarcRecordClass::NormalizeIndicators(std::string& out, std::string_view indicators, bool force) {
    out.resize(2);
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < indicators.size() ? indicators[i] : ' ';
        out[i] = force || IsDigit(c) || c == ' ' ? c : ' ';
    }
}

void Utf8MarcRecordClass::FillField(FieldEntry& f, std::string_view indicators, std::string_view text, bool fromLoad) {
    if (IsControlTag(f.Tag)) {
        f.NoIndicators = true;
        f.Indicators.clear();
        if (!text.empty() && text[0] == kDelimiter) text.remove_prefix(text.size() < 2 ? text.size() : 2);
        f.FirstSubfield = f.LastSubfield = f.MaxSubfield = -1;
        const std::int16_t s = AppendSubfieldEntry(f, std::string_view(), text);
        if (f.Tag[2] == '8' && f.Tag == "008") {
            std::string& t = f.Subfields[static_cast<std::size_t>(s)].Text;
            const std::size_t length = formatCode_ == "H" ? 32 : 40;
            if (fromLoad && t.size() != length) marcRecordModified_ = true;
            t.resize(length, ' ');
        }
        return;
    }
    f.NoIndicators = false;
    NormalizeIndicators(f.Indicators, indicators, forceInvalidIndicatorValues_);
    if (fromLoad && (indicators.size() != 2 || f.Indicators[0] != indicators[0] || f.Indicators[1] != indicators[1])) {
        marcRecordModified_ = true;
    }
    SplitSubfields(f, text);
}

void Utf8MarcRecordClass::LinkAtTail(std::int16_t index) {
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    f.NextField = -1;
    f.PrevField = tail_;
    if (tail_ >= 0) fields_[static_cast<std::size_t>(tail_)].NextField = index;
    else head_ = index;
    tail_ = index;
}

void Utf8MarcRecordClass::LinkBefore(std::int16_t index, std::int16_t before) {
    if (before < 0) return LinkAtTail(index);
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    FieldEntry& b = fields_[static_cast<std::size_t>(before)];
    f.NextField = before;
    f.PrevField = b.PrevField;
    if (b.PrevField >= 0) fields_[static_cast<std::size_t>(b.PrevField)].NextField = index;
    else head_ = index;
    b.PrevField = index;
}

void Utf8MarcRecordClass::LinkAfter(std::int16_t index, std::int16_t after) {
    if (after < 0) return LinkBefore(index, head_);
    FieldEntry& a = fields_[static_cast<std::size_t>(after)];
    if (a.NextField < 0) return LinkAtTail(index);
    LinkBefore(index, a.NextField);
}

void Utf8MarcRecordClass::Unlink(std::int16_t index) {
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    if (f.PrevField >= 0) fields_[static_cast<std::size_t>(f.PrevField)].NextField = f.NextField;
    else head_ = f.NextField;
    if (f.NextField >= 0) fields_[static_cast<std::size_t>(f.NextField)].PrevField = f.PrevField;
    else tail_ = f.PrevField;
    f.NextField = f.PrevField = -1;
}

void Utf8MarcRecordClass::AddField(std::string_view tag, std::string_view indicators, std::string_view text,
                                   bool forceToFirst, bool fromLoad) {
    if (index008_ >= 0 && tag == "008") {
        const std::size_t length = fields_[static_cast<std::size_t>(index008_)].Subfields[0].Text.size();
        Change008Value(0, std::string(text.substr(0, length)));
        MoveFieldCursorTo(index008_);
        return;
    }
    const std::int16_t index = NewFieldEntry(tag);
    if (index < 0) return;
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    FillField(f, indicators, text, fromLoad);
    ComputeOrderKey(f, index);
    LinkAtTail(index);
    PlaceNewField(index, forceToFirst, fromLoad);
    if (tag.size() == 3 && tag[2] == '8' && tag == "008") index008_ = index;
    if (!fromLoad) MoveFieldCursorTo(index);
}

void Utf8MarcRecordClass::FldAdd(const std::string& sNewTag, const std::string& sNewIndicators,
                                 const std::string& sNewFieldText, bool bForceToFirstPosition) {
    ClearFlags();
    AddField(sNewTag, sNewIndicators, sNewFieldText, bForceToFirstPosition, false);
}

// Explicit placement next to the current field; without one, after goes to the tail and before to
// the head. The order instructions are not consulted.
void Utf8MarcRecordClass::FldInsertAfter(const std::string& sNewTag, const std::string& sNewInd,
                                         const std::string& sNewFieldText) {
    if (sNewTag == "008" && index008_ >= 0) return FldAdd(sNewTag, sNewInd, sNewFieldText);
    const std::int16_t anchor = Current() ? fldPointer_ : tail_;
    const std::int16_t index = NewFieldEntry(sNewTag);
    if (index < 0) return;
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    FillField(f, sNewInd, sNewFieldText, false);
    ComputeOrderKey(f, index);
    LinkAfter(index, anchor);
    if (sNewTag == "008") index008_ = index;
    ClearFlags();
    MoveFieldCursorTo(index);
}

void Utf8MarcRecordClass::FldInsertBefore(const std::string& sNewTag, const std::string& sNewInd,
                                          const std::string& sNewFieldText) {
    if (sNewTag == "008" && index008_ >= 0) return FldAdd(sNewTag, sNewInd, sNewFieldText);
    const std::int16_t anchor = Current() ? fldPointer_ : head_;
    const std::int16_t index = NewFieldEntry(sNewTag);
    if (index < 0) return;
    FieldEntry& f = fields_[static_cast<std::size_t>(index)];
    FillField(f, sNewInd, sNewFieldText, false);
    ComputeOrderKey(f, index);
    LinkBefore(index, anchor);
    if (sNewTag == "008") index008_ = index;
    ClearFlags();
    MoveFieldCursorTo(index);
}

// Replaces tag, indicators and content in place; the field keeps its position in the record.
void Utf8MarcRecordClass::FldChange(const std::string& sTag, const std::string& sIndicators,
                                    const std::string& sField) {
    FieldEntry* f = Current();
    if (!f) return;
    if (index008_ == fldPointer_ && sTag != "008") index008_ = -1;
    else if (sTag == "008" && index008_ >= 0 && index008_ != fldPointer_) return;  // one 008 only
    f->Tag = sTag;
    FillField(*f, sIndicators, sField, false);
    ComputeOrderKey(*f, fldPointer_);
    if (sTag == "008") index008_ = fldPointer_;
    sfdPointer_ = f->FirstSubfield;
}

std::string Utf8MarcRecordClass::FieldText(const FieldEntry& f) const {
    std::string out;
    if (f.NoIndicators) {
        if (f.MaxSubfield >= 0) out = f.Subfields[0].Text;
        return out;
    }
    for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
        const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
        if (sub.Deleted) continue;
        if (!sub.Code.empty()) {
            out += kDelimiter;
            out += sub.Code;
        }
        out += sub.Text;
    }
    return out;
}

std::string Utf8MarcRecordClass::FldTag() const {
    const FieldEntry* f = Current();
    return f ? f->Tag : std::string();
}

void Utf8MarcRecordClass::FldTag(const std::string& value) {
    FieldEntry* f = Current();
    if (!f) return;
    if (IsControlTag(value) != f->NoIndicators || value == "008" || f->Tag == "008") {
        FldChange(value, f->Indicators, FieldText(*f));
        return;
    }
    f->Tag = value;
    ComputeOrderKey(*f, fldPointer_);
}

std::string Utf8MarcRecordClass::FldInd() const {
    const FieldEntry* f = Current();
    return f && !f->NoIndicators && !IsControlTag(f->Tag) ? f->Indicators : std::string();
}

void Utf8MarcRecordClass::FldInd(const std::string& value) {
    FieldEntry* f = Current();
    if (!f || f->NoIndicators) return;
    NormalizeIndicators(f->Indicators, value, forceInvalidIndicatorValues_);
    ComputeOrderKey(*f, fldPointer_);
}

std::string Utf8MarcRecordClass::FldInd1() const {
    const std::string ind = FldInd();
    return ind.empty() ? ind : ind.substr(0, 1);
}

void Utf8MarcRecordClass::FldInd1(const std::string& value) {
    const FieldEntry* f = Current();
    if (!f || f->NoIndicators) return;
    FldInd((value.empty() ? std::string(" ") : value.substr(0, 1)) + f->Indicators.substr(1, 1));
}

std::string Utf8MarcRecordClass::FldInd2() const {
    const std::string ind = FldInd();
    return ind.empty() ? ind : ind.substr(1, 1);
}

void Utf8MarcRecordClass::FldInd2(const std::string& value) {
    const FieldEntry* f = Current();
    if (!f || f->NoIndicators) return;
    FldInd(f->Indicators.substr(0, 1) + (value.empty() ? std::string(" ") : value.substr(0, 1)));
}

std::string Utf8MarcRecordClass::FldText() const {
    const FieldEntry* f = Current();
    return f ? FieldText(*f) : std::string();
}

void Utf8MarcRecordClass::FldText(const std::string& value) {
    FieldEntry* f = Current();
    if (!f) return;
    FldChange(f->Tag, f->Indicators, value);
}

bool Utf8MarcRecordClass::FldIsControl() const {
    const FieldEntry* f = Current();
    return f && (f->NoIndicators || IsControlTag(f->Tag));
}

bool Utf8MarcRecordClass::FldDeleted() const {
    const FieldEntry* f = Current();
    return f && f->Deleted;
}

void Utf8MarcRecordClass::FldDelete() {
    if (FieldEntry* f = Current()) f->Deleted = true;
}

void Utf8MarcRecordClass::FldUndelete() {
    if (FieldEntry* f = Current()) f->Deleted = false;
}

}  // namespace linkmend
