// The field cursor: moves, searches by tag list (and optional text), existence tests, tag matching.
#include "base/MessagePump.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

void Utf8MarcRecordClass::ClearFlags() {
    beforeFirstField_ = afterLastField_ = false;
    beforeFirstSubfield_ = afterLastSubfield_ = false;
}

void Utf8MarcRecordClass::MoveFieldCursorTo(std::int16_t index) {
    fldPointer_ = index;
    sfdPointer_ = index >= 0 ? fields_[static_cast<std::size_t>(index)].FirstSubfield : -1;
}

// One step along the record order (more while skipping deleted fields); the window gets a turn at
// every entry stepped over, so long walks stay responsive.
std::int16_t Utf8MarcRecordClass::StepField(std::int16_t from, bool forward, bool skipDeleted) const {
    std::int16_t index = from;
    do {
        const FieldEntry& f = fields_[static_cast<std::size_t>(index)];
        index = forward ? f.NextField : f.PrevField;
        LetWindowMessagesRun();
    } while (index >= 0 && skipDeleted && fields_[static_cast<std::size_t>(index)].Deleted);
    return index;
}

bool Utf8MarcRecordClass::FldMoveFirst(bool bSkipDeletedFields) {
    ClearFlags();
    std::int16_t index = head_;
    if (index >= 0 && bSkipDeletedFields && fields_[static_cast<std::size_t>(index)].Deleted) {
        index = StepField(index, true, true);
    }
    MoveFieldCursorTo(index);
    return FldWasFound();
}

bool Utf8MarcRecordClass::FldMoveLast(bool bSkipDeletedFields) {
    ClearFlags();
    std::int16_t index = tail_;
    if (index >= 0 && bSkipDeletedFields && fields_[static_cast<std::size_t>(index)].Deleted) {
        index = StepField(index, false, true);
    }
    MoveFieldCursorTo(index);
    return FldWasFound();
}

bool Utf8MarcRecordClass::FldMoveNext(bool bSkipDeletedFields) {
    if (beforeFirstField_) return FldMoveFirst(bSkipDeletedFields);
    ClearFlags();
    if (fldPointer_ < 0) return false;
    MoveFieldCursorTo(StepField(fldPointer_, true, bSkipDeletedFields));
    return FldWasFound();
}

bool Utf8MarcRecordClass::FldMovePrev(bool bSkipDeletedFields) {
    if (afterLastField_) return FldMoveLast(bSkipDeletedFields);
    ClearFlags();
    if (fldPointer_ < 0) return false;
    MoveFieldCursorTo(StepField(fldPointer_, false, bSkipDeletedFields));
    return FldWasFound();
}

bool Utf8MarcRecordClass::FldMoveTop() {
    const bool found = FldMoveFirst(true);
    beforeFirstField_ = found;
    return found;
}

bool Utf8MarcRecordClass::FldMoveBottom() {
    const bool found = FldMoveLast(true);
    afterLastField_ = found;
    return found;
}

void Utf8MarcRecordClass::FldPointer(std::int16_t value) {
    ClearFlags();
    MoveFieldCursorTo(value >= 0 && value < fieldCount_ ? value : -1);
}

bool Utf8MarcRecordClass::TagCompare(std::string_view list, std::string_view tag, std::int16_t iTagWantedLength) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < list.size() && list[i] != ' ') ++i;
        std::size_t n = i - start;
        if (n == 0) continue;
        if (iTagWantedLength > 0 && static_cast<std::size_t>(iTagWantedLength) < n)
            n = static_cast<std::size_t>(iTagWantedLength);
        bool match = n <= tag.size();
        for (std::size_t k = 0; match && k < n; ++k) {
            const char a = list[start + k];
            const char b = tag[k];
            match = a == b || a == 'X' || b == 'X';
        }
        if (match) return true;
    }
    return false;
}

void Utf8MarcRecordClass::RememberTagList(const std::string& tag) {
    if (tag == searchTags_) return;  // the same list again (already upper case, single blanks)
    searchTags_ = tag.find("  ") == std::string::npos ? tag : RemoveRepeatedCharacters(tag, " ");
    for (char& c : searchTags_) c = AsciiUpper(c);
}

bool Utf8MarcRecordClass::FieldMatches(const FieldEntry& f) const {
    if (f.Deleted || !TagCompare(searchTags_, f.Tag)) return false;
    if (searchFieldText_.empty()) return true;
    return NormString(FieldText(f), true).starts_with(searchFieldText_);
}

// fresh: a first/last search, which starts at the head/tail and sets the text criterion anew;
// otherwise the search moves on from the current field and keeps a remembered criterion.
bool Utf8MarcRecordClass::FieldSearch(bool forward, bool fresh, const std::string& tag, const std::string& text) {
    LetWindowMessagesRun();
    ClearFlags();
    if (!text.empty()) searchFieldText_ = NormString(text, true, "V");
    else if (fresh) searchFieldText_.clear();
    if (!tag.empty()) RememberTagList(tag);
    if (searchTags_.empty()) {
        MoveFieldCursorTo(-1);
        return false;
    }
    std::int16_t index;
    if (fresh) {
        index = forward ? head_ : tail_;
        if (index >= 0 && fields_[static_cast<std::size_t>(index)].Deleted) index = StepField(index, forward, true);
    } else {
        if (fldPointer_ < 0) return false;
        index = StepField(fldPointer_, forward, true);
    }
    while (index >= 0) {
        if (FieldMatches(fields_[static_cast<std::size_t>(index)])) {
            MoveFieldCursorTo(index);
            return true;
        }
        index = StepField(index, forward, true);
    }
    MoveFieldCursorTo(-1);
    return false;
}

bool Utf8MarcRecordClass::FldFindFirst(const std::string& sTagToFind, const std::string& sNormalizedFieldText) {
    return FieldSearch(true, true, sTagToFind, sNormalizedFieldText);
}

bool Utf8MarcRecordClass::FldFindNext(const std::string& sTagToFind, const std::string& sNormalizedFieldText) {
    return FieldSearch(true, false, sTagToFind, sNormalizedFieldText);
}

bool Utf8MarcRecordClass::FldFindLast(const std::string& sTagToFind, const std::string& sNormalizedFieldText) {
    return FieldSearch(false, true, sTagToFind, sNormalizedFieldText);
}

bool Utf8MarcRecordClass::FldFindPrev(const std::string& sTagToFind, const std::string& sNormalizedFieldText) {
    return FieldSearch(false, false, sTagToFind, sNormalizedFieldText);
}

bool Utf8MarcRecordClass::FieldTest(std::int16_t start, bool forward, const std::string& tag) const {
    std::string list = tag;
    for (char& c : list) c = AsciiUpper(c);
    for (std::int16_t i = start; i >= 0;) {
        const FieldEntry& f = fields_[static_cast<std::size_t>(i)];
        if (!f.Deleted && TagCompare(list, f.Tag)) return true;
        i = forward ? f.NextField : f.PrevField;
    }
    return false;
}

bool Utf8MarcRecordClass::FldTestFirst(const std::string& sTag) const { return FieldTest(head_, true, sTag); }

bool Utf8MarcRecordClass::FldTestLast(const std::string& sTag) const { return FieldTest(tail_, false, sTag); }

bool Utf8MarcRecordClass::FldTestNext(const std::string& sTag) const {
    const FieldEntry* f = Current();
    return f && FieldTest(f->NextField, true, sTag);
}

bool Utf8MarcRecordClass::FldTestPrev(const std::string& sTag) const {
    const FieldEntry* f = Current();
    return f && FieldTest(f->PrevField, false, sTag);
}

std::string Utf8MarcRecordClass::FldNorm() const {
    const FieldEntry* f = Current();
    return f ? NormString(FieldText(*f), true) : std::string();
}

}  // namespace linkmend
