// The record class's translation members for single fields and texts, on the workbench's field and
// text translation.
#include "marc/Marc8Field.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {
namespace {

// The MARC-8 form the record reads (its input set; plain MARC-8 when that is UTF-8).
marc8::TranslateOptions ReadOptions(const std::string& inputSet, bool doubleWidth) {
    marc8::TranslateOptions options;
    marc8::EncodingFromCode(inputSet, options.encoding);
    options.doubleWidthDiacritics = doubleWidth;
    return options;
}

}  // namespace

void Utf8MarcRecordClass::TranslateMarc2Utf8OneField(const std::string& sMarcRecordFormat, const std::string& sTag,
                                                     std::string& sIndicators, std::string& sField, bool& bChanged,
                                                     bool& bError) const {
    const marc8::TranslateResult r = marc8::TranslateFieldToUtf8(
        sMarcRecordFormat, sTag, sIndicators, sField, ReadOptions(CharacterSetIn(), UseDoubleWidthDiacritics()));
    bChanged = bChanged || r.changed;
    bError = bError || r.error;
}

void Utf8MarcRecordClass::TranslateMarc2Utf8Text(std::string& sMarc8CharacterSetCode0,
                                                 std::string& sMarc8CharacterSetCode1, const std::string&,
                                                 std::string& sText, bool& bChanged, bool& bError) const {
    if (sText.empty()) return;
    marc8::WorkingSets sets;
    if (!marc8::SetFromCode(sMarc8CharacterSetCode0, false, sets.g0)) sets.g0 = marc8::WorkingSets{}.g0;
    if (!marc8::SetFromCode(sMarc8CharacterSetCode1, true, sets.g1)) sets.g1 = marc8::WorkingSets{}.g1;
    std::string out;
    const marc8::TranslateResult r =
        marc8::Marc8ToUtf8(sText, sets, ReadOptions(CharacterSetIn(), UseDoubleWidthDiacritics()), out);
    sMarc8CharacterSetCode0 = marc8::CodeOfSet(sets.g0, false);
    sMarc8CharacterSetCode1 = marc8::CodeOfSet(sets.g1, true);
    bChanged = bChanged || r.changed || out != sText;
    bError = bError || r.error;
    sText.swap(out);
}

void Utf8MarcRecordClass::TranslateUtf82MarcOneField(std::string& sMarc8CharacterSetCodes, const std::string& sTag,
                                                     std::string& sText, bool& bChanged, bool& bError) const {
    marc8::WorkingSets sets = marc8::SetsFromCodes(sMarc8CharacterSetCodes);
    marc8::TranslateOptions options;
    marc8::EncodingFromCode(CharacterSetOut(), options.encoding);
    const std::string before = sText;
    const marc8::TranslateResult r = marc8::TranslateFieldToMarc8(sTag, sText, sets, options);
    sMarc8CharacterSetCodes = marc8::CodesOfSets(sets);
    bChanged = bChanged || r.changed || before != sText;
    bError = bError || r.error;
}

std::string Utf8MarcRecordClass::DecomposeUnicodeCharactersInString(const std::string& sField, bool* bChanged) const {
    std::string out;
    out.reserve(sField.size() + 8);
    const bool changed = marc8::DecomposeUtf8(sField, UseDoubleWidthDiacritics(), out);
    if (bChanged) *bChanged = changed;
    return changed ? out : sField;
}

}  // namespace linkmend
