// The subfield cursor of the current field: moves, searches by code list, and editing.
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {
bool EndsWithAlnum(const std::string& s) { return !s.empty() && (IsDigit(s.back()) || IsAsciiLetter(s.back())); }
}  // namespace

Utf8MarcRecordClass::SubfieldEntry* Utf8MarcRecordClass::CurrentSubfield() {
    FieldEntry* f = Current();
    return f && sfdPointer_ >= 0 && sfdPointer_ <= f->MaxSubfield ? &f->Subfields[static_cast<std::size_t>(sfdPointer_)]
                                                                  : nullptr;
}

const Utf8MarcRecordClass::SubfieldEntry* Utf8MarcRecordClass::CurrentSubfield() const {
    const FieldEntry* f = Current();
    return f && sfdPointer_ >= 0 && sfdPointer_ <= f->MaxSubfield ? &f->Subfields[static_cast<std::size_t>(sfdPointer_)]
                                                                  : nullptr;
}

namespace {
template <typename Field>
std::int16_t StepSubfield(const Field& f, std::int16_t from, bool forward, bool skipDeleted) {
    std::int16_t index = from;
    do {
        const auto& s = f.Subfields[static_cast<std::size_t>(index)];
        index = forward ? s.NextSubfield : s.PrevSubfield;
    } while (index >= 0 && skipDeleted && f.Subfields[static_cast<std::size_t>(index)].Deleted);
    return index;
}

template <typename Field>
std::int16_t EndSubfield(const Field& f, bool first, bool skipDeleted) {
    std::int16_t index = first ? f.FirstSubfield : f.LastSubfield;
    if (index >= 0 && skipDeleted && f.Subfields[static_cast<std::size_t>(index)].Deleted) {
        index = StepSubfield(f, index, first, true);
    }
    return index;
}
}  // namespace

bool Utf8MarcRecordClass::SfdMoveFirst(bool bIgnoreDeletedSubfields) {
    ClearFlags();
    const FieldEntry* f = Current();
    if (!f) {
        sfdPointer_ = -1;
        return false;
    }
    sfdPointer_ = EndSubfield(*f, true, bIgnoreDeletedSubfields);
    return sfdPointer_ >= 0 || f->FirstSubfield < 0;
}

bool Utf8MarcRecordClass::SfdMoveLast(bool bSkipDeletedSubfields) {
    ClearFlags();
    const FieldEntry* f = Current();
    if (!f) {
        sfdPointer_ = -1;
        return false;
    }
    sfdPointer_ = EndSubfield(*f, false, bSkipDeletedSubfields);
    return sfdPointer_ >= 0 || f->LastSubfield < 0;
}

bool Utf8MarcRecordClass::SfdMoveNext(bool bSkipDeletedSubfields) {
    const bool before = beforeFirstSubfield_;
    ClearFlags();
    const FieldEntry* f = Current();
    if (!f) return false;
    if (before) sfdPointer_ = EndSubfield(*f, true, bSkipDeletedSubfields);
    else if (sfdPointer_ >= 0) sfdPointer_ = StepSubfield(*f, sfdPointer_, true, bSkipDeletedSubfields);
    return SfdWasFound();
}

bool Utf8MarcRecordClass::SfdMovePrev(bool bSkipDeletedSubfields) {
    const bool after = afterLastSubfield_;
    ClearFlags();
    const FieldEntry* f = Current();
    if (!f) return false;
    if (after) sfdPointer_ = EndSubfield(*f, false, bSkipDeletedSubfields);
    else if (sfdPointer_ >= 0) sfdPointer_ = StepSubfield(*f, sfdPointer_, false, bSkipDeletedSubfields);
    return SfdWasFound();
}

bool Utf8MarcRecordClass::SfdMoveTop() {
    SfdMoveFirst(true);
    beforeFirstSubfield_ = SfdWasFound();
    return SfdWasFound();
}

bool Utf8MarcRecordClass::SfdMoveBottom() {
    SfdMoveLast(true);
    afterLastSubfield_ = SfdWasFound();
    return SfdWasFound();
}

void Utf8MarcRecordClass::SfdPointer(std::int16_t value) {
    ClearFlags();
    const FieldEntry* f = Current();
    sfdPointer_ = f && value >= 0 && value <= f->MaxSubfield ? value : -1;
}

const std::string& Utf8MarcRecordClass::SubfieldNorm(const SubfieldEntry& s) const {
    if (s.NormScheme != normalizationScheme_) {
        s.Norm = NormString(s.Text, true);
        s.NormScheme = normalizationScheme_;
    }
    return s.Norm;
}

bool Utf8MarcRecordClass::SubfieldMatches(const SubfieldEntry& s) const {
    if (s.Deleted || s.Code.empty() || searchCodes_.find(s.Code[0]) == std::string::npos) return false;
    return searchSubfieldText_.empty() || SubfieldNorm(s).starts_with(searchSubfieldText_);
}

bool Utf8MarcRecordClass::SubfieldSearch(bool forward, bool fresh, const std::string& code, const std::string& text) {
    ClearFlags();
    if (!code.empty()) searchCodes_ = code;
    if (!text.empty()) searchSubfieldText_ = NormString(text, true, "V");
    else if (fresh) searchSubfieldText_.clear();
    const FieldEntry* f = Current();
    if (!f || searchCodes_.empty()) return false;
    std::int16_t index;
    if (fresh) {
        index = EndSubfield(*f, forward, true);
    } else {
        if (sfdPointer_ < 0) return false;
        index = StepSubfield(*f, sfdPointer_, forward, true);
    }
    for (; index >= 0; index = StepSubfield(*f, index, forward, true)) {
        if (SubfieldMatches(f->Subfields[static_cast<std::size_t>(index)])) {
            sfdPointer_ = index;
            return true;
        }
    }
    sfdPointer_ = -1;
    return false;
}

bool Utf8MarcRecordClass::SfdFindFirst(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText) {
    return SubfieldSearch(true, true, sSubfieldCode, sNormalizedSubfieldText);
}

bool Utf8MarcRecordClass::SfdFindNext(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText) {
    return SubfieldSearch(true, false, sSubfieldCode, sNormalizedSubfieldText);
}

bool Utf8MarcRecordClass::SfdFindLast(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText) {
    return SubfieldSearch(false, true, sSubfieldCode, sNormalizedSubfieldText);
}

bool Utf8MarcRecordClass::Sfdfindprev(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText) {
    return SubfieldSearch(false, false, sSubfieldCode, sNormalizedSubfieldText);
}

bool Utf8MarcRecordClass::SubfieldTest(std::int16_t start, bool forward, const std::string& code) const {
    const FieldEntry* f = Current();
    if (!f || code.empty()) return false;
    for (std::int16_t i = start; i >= 0;) {
        const SubfieldEntry& s = f->Subfields[static_cast<std::size_t>(i)];
        if (!s.Deleted && !s.Code.empty() && code.find(s.Code[0]) != std::string::npos) return true;
        i = forward ? s.NextSubfield : s.PrevSubfield;
    }
    return false;
}

bool Utf8MarcRecordClass::SfdTestFirst(const std::string& sSubfieldCode) const {
    const FieldEntry* f = Current();
    return f && SubfieldTest(f->FirstSubfield, true, sSubfieldCode);
}

bool Utf8MarcRecordClass::SfdTestNext(const std::string& sSubfieldCode) const {
    const SubfieldEntry* s = CurrentSubfield();
    return s && SubfieldTest(s->NextSubfield, true, sSubfieldCode);
}

bool Utf8MarcRecordClass::SfdTestPrev(const std::string& sSubfieldCode) const {
    const SubfieldEntry* s = CurrentSubfield();
    return s && SubfieldTest(s->PrevSubfield, false, sSubfieldCode);
}

std::string Utf8MarcRecordClass::SfdCode() const {
    const SubfieldEntry* s = CurrentSubfield();
    return s ? s->Code : std::string();
}

void Utf8MarcRecordClass::SfdCode(const std::string& value) {
    const FieldEntry* f = Current();
    SubfieldEntry* s = CurrentSubfield();
    if (!s || f->NoIndicators || value.empty()) return;
    s->Code = value.substr(0, 1);
}

std::string Utf8MarcRecordClass::SfdText() const {
    const SubfieldEntry* s = CurrentSubfield();
    return s ? s->Text : std::string();
}

void Utf8MarcRecordClass::SfdText(const std::string& value) {
    const SubfieldEntry* s = CurrentSubfield();
    if (!s) return;
    if (!value.empty() && value[0] == kDelimiter)
        SfdChange(value.substr(1, 1), value.size() > 2 ? value.substr(2) : std::string());
    else SfdChange(s->Code, value);
}

std::string Utf8MarcRecordClass::SfdNorm() const {
    const SubfieldEntry* s = CurrentSubfield();
    return s ? SubfieldNorm(*s) : std::string();
}

bool Utf8MarcRecordClass::SfdDeleted() const {
    const SubfieldEntry* s = CurrentSubfield();
    return s && s->Deleted;
}

// Blanks in 010 are part of the number: in a bibliographic or holdings 010 every subfield, in an
// authority 010 subfield 0, is stored exactly as given.
bool Utf8MarcRecordClass::Store010Exactly(const FieldEntry& f, std::string_view code) const {
    return f.Tag == "010" && (!isAuthority_ || code == "0");
}

std::string Utf8MarcRecordClass::CleanSubfieldText(const FieldEntry& f, std::string_view code,
                                                   std::string_view text) const {
    return std::string(Store010Exactly(f, code) ? text : TrimBlanksView(text));
}

void Utf8MarcRecordClass::SfdChange(const std::string& sSubfieldCode, const std::string& sSubfieldText) {
    const FieldEntry* f = Current();
    SubfieldEntry* s = CurrentSubfield();
    if (!s || f->NoIndicators) return;
    if (!sSubfieldCode.empty()) s->Code = sSubfieldCode.substr(0, 1);
    s->Text = CleanSubfieldText(*f, s->Code, sSubfieldText);
    s->NormScheme = 0;
}

// The new subfield goes last, or into its prescribed place; the cursor stands on it afterwards.
void Utf8MarcRecordClass::SfdAdd(const std::string& sSubfieldCode, const std::string& sSubfieldText) {
    FieldEntry* f = Current();
    if (!f || f->NoIndicators || sSubfieldCode.empty()) return;
    ClearFlags();
    const std::string code = sSubfieldCode.substr(0, 1);
    const std::int16_t before = f->MaxSubfield;
    const std::int16_t index = AppendSubfieldEntry(*f, code, CleanSubfieldText(*f, code, sSubfieldText));
    if (index == before) {  // the field is full; the text joined its last subfield
        sfdPointer_ = index;
        return;
    }
    if (code == "a" && f->Tag == "035" && removeDuplicative035Fields_) {
        RemoveDuplicate035(fldPointer_, f->Subfields[static_cast<std::size_t>(index)].Text);
    }
    if (code == "6") f->OrderSubKey = SubKeyFromLinkage(*f);
    PlaceNewSubfield(*f, index);
    sfdPointer_ = index;
}

// Marks every other 035 whose $a states the same number (in comparison form) deleted.
void Utf8MarcRecordClass::RemoveDuplicate035(std::int16_t keepIndex, const std::string& number) {
    const std::string wanted = NormString(number, true, "V");
    if (wanted.empty()) return;
    for (std::int16_t i = head_; i >= 0; i = fields_[static_cast<std::size_t>(i)].NextField) {
        FieldEntry& other = fields_[static_cast<std::size_t>(i)];
        if (i == keepIndex || other.Deleted || other.Tag != "035") continue;
        for (std::int16_t s = other.FirstSubfield; s >= 0;
             s = other.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
            const SubfieldEntry& sub = other.Subfields[static_cast<std::size_t>(s)];
            if (sub.Deleted || sub.Code != "a") continue;
            if (NormString(sub.Text, true, "V") == wanted) {
                other.Deleted = true;
                marcRecordModified_ = true;
            }
            break;
        }
    }
}

namespace {
template <typename Field>
void LinkSubfieldBefore(Field& f, std::int16_t index, std::int16_t before) {
    auto& s = f.Subfields[static_cast<std::size_t>(index)];
    auto& b = f.Subfields[static_cast<std::size_t>(before)];
    s.NextSubfield = before;
    s.PrevSubfield = b.PrevSubfield;
    if (b.PrevSubfield >= 0) f.Subfields[static_cast<std::size_t>(b.PrevSubfield)].NextSubfield = index;
    else f.FirstSubfield = index;
    b.PrevSubfield = index;
}

template <typename Field>
void UnlinkSubfield(Field& f, std::int16_t index) {
    auto& s = f.Subfields[static_cast<std::size_t>(index)];
    if (s.PrevSubfield >= 0) f.Subfields[static_cast<std::size_t>(s.PrevSubfield)].NextSubfield = s.NextSubfield;
    else f.FirstSubfield = s.NextSubfield;
    if (s.NextSubfield >= 0) f.Subfields[static_cast<std::size_t>(s.NextSubfield)].PrevSubfield = s.PrevSubfield;
    else f.LastSubfield = s.PrevSubfield;
    s.NextSubfield = s.PrevSubfield = -1;
}
}  // namespace

void Utf8MarcRecordClass::SfdInsertBefore(const std::string& sSubfieldCode, const std::string& sSubfieldText) {
    FieldEntry* f = Current();
    if (!f || f->NoIndicators || sSubfieldCode.empty()) return;
    ClearFlags();
    const std::int16_t anchor = CurrentSubfield() ? sfdPointer_ : f->FirstSubfield;
    const std::string code = sSubfieldCode.substr(0, 1);
    const std::int16_t before = f->MaxSubfield;
    const std::int16_t index = AppendSubfieldEntry(*f, code, CleanSubfieldText(*f, code, sSubfieldText));
    if (index != before && anchor >= 0) {
        UnlinkSubfield(*f, index);
        LinkSubfieldBefore(*f, index, anchor);
    }
    if (code == "6") f->OrderSubKey = SubKeyFromLinkage(*f);
    sfdPointer_ = index;
}

void Utf8MarcRecordClass::SfdInsertAfter(const std::string& sSubfieldCode, const std::string& sSubfieldText) {
    FieldEntry* f = Current();
    if (!f || f->NoIndicators || sSubfieldCode.empty()) return;
    ClearFlags();
    const std::int16_t anchor = CurrentSubfield() ? sfdPointer_ : -1;
    const std::string code = sSubfieldCode.substr(0, 1);
    const std::int16_t before = f->MaxSubfield;
    const std::int16_t index = AppendSubfieldEntry(*f, code, CleanSubfieldText(*f, code, sSubfieldText));
    if (index != before && anchor >= 0 && anchor != index) {
        const std::int16_t next = f->Subfields[static_cast<std::size_t>(anchor)].NextSubfield;
        if (next >= 0 && next != index) {
            UnlinkSubfield(*f, index);
            LinkSubfieldBefore(*f, index, next);
        }
    }
    if (code == "6") f->OrderSubKey = SubKeyFromLinkage(*f);
    sfdPointer_ = index;
}

// A deleted 245 $h ("[videorecording] :") leaves its closing punctuation to the subfield before it,
// or, when it had none, the title ends with a full stop.
void Utf8MarcRecordClass::SfdDelete(bool bConsider245HPunctuation) {
    FieldEntry* f = Current();
    SubfieldEntry* s = CurrentSubfield();
    if (!s || f->NoIndicators) return;
    s->Deleted = true;
    if (!bConsider245HPunctuation || f->Tag != "245" || s->Code != "h") return;

    std::string_view tail(s->Text);
    const auto bracket = tail.rfind(']');
    if (bracket != std::string_view::npos) {
        tail.remove_prefix(bracket + 1);
    } else {
        std::size_t k = tail.size();
        while (k > 0 && !IsDigit(tail[k - 1]) && !IsAsciiLetter(tail[k - 1]) &&
               static_cast<unsigned char>(tail[k - 1]) < 0x80) {
            --k;
        }
        tail.remove_prefix(k);
    }
    while (!tail.empty() && tail.back() == ' ') tail.remove_suffix(1);
    const std::string punctuation(tail);

    if (TrimBlanksView(punctuation).empty()) {
        std::int16_t last = EndSubfield(*f, false, true);
        if (last >= 0) {
            SubfieldEntry& l = f->Subfields[static_cast<std::size_t>(last)];
            if (EndsWithAlnum(l.Text)) {
                l.Text += '.';
                l.NormScheme = 0;
            }
        }
        return;
    }
    std::int16_t prev = s->PrevSubfield;
    while (prev >= 0 && f->Subfields[static_cast<std::size_t>(prev)].Deleted) {
        prev = f->Subfields[static_cast<std::size_t>(prev)].PrevSubfield;
    }
    if (prev < 0) return;
    SubfieldEntry& p = f->Subfields[static_cast<std::size_t>(prev)];
    if (!p.Text.ends_with(punctuation) && !p.Text.ends_with(std::string(TrimBlanksView(punctuation)))) {
        p.Text += punctuation;
        p.NormScheme = 0;
    }
}

void Utf8MarcRecordClass::SfdUndelete() {
    if (SubfieldEntry* s = CurrentSubfield()) s->Deleted = false;
}

std::string Utf8MarcRecordClass::SfdMake(const std::string& sSubfieldCode, const std::string& sSubfieldText) {
    return std::string(1, kDelimiter) + sSubfieldCode + sSubfieldText;
}

std::string Utf8MarcRecordClass::SfdDelim(const std::string& sSubfieldCode) {
    return std::string(1, kDelimiter) + sSubfieldCode;
}

}  // namespace linkmend
