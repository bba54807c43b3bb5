// Everything the record class does that depends on the character set: the set codes, translation
// of loaded fields between sets (through the character workbench's MARC-8 walk), decomposition of
// UTF-8 text, the alif, characterising a record, and the per-character step of the comparison form.
//
// The cataloguing client's preference "BypassAutoDecompose" (section "Preferences") is read from
// "Catalog.ini", a bare name resolved like every settings file (README, "Settings files"); the file
// is read again only when it changes.
#include <sys/stat.h>

#include <utility>
#include <vector>

#include "base/Error.h"
#include "base/INI.h"
#include "marc/Marc8Field.h"
#include "marc/Marc8Text.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {

constexpr const char* kPreferencesFile = "Catalog.ini";

// True when the text reads the same in every set: no octet from 0x80, no escape, no reference.
bool ReadsTheSameEverywhere(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\x1B' || c == '&') return false;
    }
    return true;
}

marc8::Encoding EncodingOf(char set) {
    marc8::Encoding e = marc8::Encoding::Marc8;
    marc8::EncodingFromCode(std::string_view(&set, 1), e);
    return e;
}

// "BypassAutoDecompose" of the cataloguing client, cached while the file stays the same.
bool BypassAutoDecompose() {
    struct Cache {
        std::string path;
        bool exists = false;
        timespec modified{};
        off_t size = 0;
        bool value = false;
    };
    static Cache cache;
    const std::string path = ResolveIniPath(kPreferencesFile);
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (path == cache.path && exists == cache.exists &&
        (!exists || (st.st_size == cache.size && st.st_mtim.tv_sec == cache.modified.tv_sec &&
                     st.st_mtim.tv_nsec == cache.modified.tv_nsec)))
        return cache.value;
    cache.path = path;
    cache.exists = exists;
    cache.modified = exists ? st.st_mtim : timespec{};
    cache.size = exists ? st.st_size : 0;
    const std::string value = exists ? ReadIniValue(kPreferencesFile, "Preferences", "BypassAutoDecompose", 64) : "";
    std::string upper;
    for (char c : TrimBlanksView(value)) upper += AsciiUpper(c);
    cache.value = upper == "TRUE";
    return cache.value;
}

}  // namespace

char Utf8MarcRecordClass::ValidCharacterSetCode(const std::string& value, bool forOutput, bool& ulc) {
    ulc = false;
    const std::string_view v = TrimBlanksView(value);
    if (v.empty()) return 0;
    if (forOutput && v.size() == 3 && AsciiUpper(v[0]) == 'U' && AsciiUpper(v[1]) == 'L' && AsciiUpper(v[2]) == 'C') {
        ulc = true;
        return 'U';
    }
    const char c = AsciiUpper(v[0]);
    if (c == 'U' || c == 'M' || c == 'V' || c == 'O' || c == 'L') return c;
    if (forOutput && c == 'Y') return 'M';
    return 0;
}

std::string Utf8MarcRecordClass::CharacterSetIn() const {
    return std::string(1, recordCharacterSet_ != 0 ? recordCharacterSet_ : characterSetIn_);
}

void Utf8MarcRecordClass::CharacterSetIn(const std::string& value) {
    bool ulc = false;
    const char c = ValidCharacterSetCode(value, false, ulc);
    if (c == 0) throw LinkmendError(kInvalidPropertyValue, "MarcClass", "Invalid value for CharacterSetIn property");
    characterSetIn_ = c;
}

void Utf8MarcRecordClass::CharacterSetOut(const std::string& value) {
    bool ulc = false;
    const char c = ValidCharacterSetCode(value, true, ulc);
    if (c == 0) {
        throw LinkmendError(kInvalidPropertyValue, "MarcClass", "Invalid value for CharacterSetOut property: " + value);
    }
    if (fieldCount_ > 0 && c != characterSetOut_) TranslateLoadedFields(characterSetOut_, c);
    characterSetOut_ = c;
    outputUlc_ = ulc;
}

// Translates every field of the loaded record, data fields whole (so that a set designated in one
// subfield stays in force in the next, the non-filing count follows the article, and Arabic and
// Hebrew 880s get their right-to-left mark); when anything changed, leader/09 is set to match
// ("a" for UTF-8, blank otherwise).
void Utf8MarcRecordClass::TranslateLoadedFields(char fromSet, char toSet) {
    if (fromSet == toSet) return;
    marc8::TranslateOptions read, write;
    read.encoding = EncodingOf(fromSet);
    read.doubleWidthDiacritics = useDoubleWidthDiacritics_;
    write.encoding = EncodingOf(toSet);
    bool changedAny = false;
    std::string joined, translated;
    for (std::int16_t i = 0; i < fieldCount_; ++i) {
        FieldEntry& f = fields_[static_cast<std::size_t>(i)];
        if (f.NoIndicators) {
            if (f.MaxSubfield < 0) continue;
            bool error = false;
            if (TranslateText(f.Subfields[0].Text, fromSet, toSet, error)) {
                f.Subfields[0].NormScheme = 0;
                changedAny = true;
            }
            continue;
        }
        joined.clear();
        bool plain = true;
        for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
            const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
            if (!sub.Code.empty()) joined += kDelimiter + sub.Code;
            joined += sub.Text;
            plain = plain && ReadsTheSameEverywhere(sub.Text) && ReadsTheSameEverywhere(sub.Code);
        }
        if (plain) continue;
        marc8::TranslateResult r;
        if (fromSet != 'U') {
            r = marc8::TranslateFieldToUtf8(formatCode_, f.Tag, f.Indicators, joined, read);
        }
        if (toSet != 'U') {
            marc8::WorkingSets sets;
            const marc8::TranslateResult w = marc8::TranslateFieldToMarc8(f.Tag, joined, sets, write);
            r.changed = r.changed || w.changed;
        }
        if (!r.changed) continue;
        changedAny = true;
        // Delimiters and codes come through unchanged: give each subfield its part back.
        std::size_t at = 0;
        bool aligned = true;
        std::vector<std::pair<std::int16_t, std::string>> parts;
        for (std::int16_t s = f.FirstSubfield; s >= 0 && aligned;
             s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
            const SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
            if (!sub.Code.empty()) {
                aligned = joined.compare(at, 1 + sub.Code.size(), kDelimiter + sub.Code) == 0;
                if (!aligned) break;  // the part would start past a code the translation changed
                at += 1 + sub.Code.size();
            }
            const std::size_t end = std::min(joined.find(kDelimiter, at), joined.size());
            parts.emplace_back(s, joined.substr(at, end - at));
            at = end;
        }
        if (aligned && at == joined.size()) {
            for (auto& [s, text] : parts) {
                f.Subfields[static_cast<std::size_t>(s)].Text = std::move(text);
                f.Subfields[static_cast<std::size_t>(s)].NormScheme = 0;
            }
            continue;
        }
        // A code that is no code to the translation (an escape or a diacritic after a delimiter)
        // loses the alignment: then every subfield is translated on its own, from the default sets.
        for (std::int16_t s = f.FirstSubfield; s >= 0; s = f.Subfields[static_cast<std::size_t>(s)].NextSubfield) {
            SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
            bool error = false;
            TranslateText(sub.Text, fromSet, toSet, error);
            sub.NormScheme = 0;
        }
    }
    if (!changedAny) return;  // text that reads the same in both sets keeps its leader as well
    marcRecordTranslated_ = true;
    if (leader_.size() > 9) leader_[9] = toSet == 'U' ? 'a' : ' ';
}

// Returns whether the text changed; error is set when part of it could not be translated. The
// text is read from the default sets; between two MARC-8 forms it goes by way of UTF-8.
bool Utf8MarcRecordClass::TranslateText(std::string& text, char fromSet, char toSet, bool& error) const {
    if (fromSet == toSet || ReadsTheSameEverywhere(text)) return false;
    std::string utf8;
    if (fromSet == 'U') {
        utf8 = text;
    } else {
        marc8::TranslateOptions read;
        read.encoding = EncodingOf(fromSet);
        read.doubleWidthDiacritics = useDoubleWidthDiacritics_;
        marc8::WorkingSets sets;
        error = marc8::Marc8ToUtf8(text, sets, read, utf8).error || error;
    }
    std::string out;
    if (toSet == 'U') {
        out = std::move(utf8);
    } else {
        marc8::TranslateOptions write;
        write.encoding = EncodingOf(toSet);
        marc8::WorkingSets sets;
        error = marc8::Utf8ToMarc8(utf8, sets, write, out).error || error;
    }
    if (out == text) return false;
    text.swap(out);
    return true;
}

// Replaces precomposed characters by base letter and combining marks (and, with
// UseDoubleWidthDiacritics, ligature halves by the double-width marks).
bool Utf8MarcRecordClass::DecomposeText(std::string& text) const {
    if (!HasHighOctets(text)) return false;
    std::string out;
    out.reserve(text.size() + 8);
    if (!marc8::DecomposeUtf8(text, useDoubleWidthDiacritics_, out)) return false;
    text.swap(out);
    return true;
}

void Utf8MarcRecordClass::SubstituteAlif(std::string& text) {
    for (std::size_t p = text.find("\xCA\xBE"); p != std::string::npos; p = text.find("\xCA\xBE", p + 2)) {
        text[p + 1] = '\xBC';
    }
}

void Utf8MarcRecordClass::PrepareLoadedCharacters(std::string_view record) {
    if (recordCharacterSet_ != 'U') return;
    // Both the alif and every precomposed character need octets from 0x80 up.
    if (!HasHighOctets(record)) return;
    const bool alif = record.find("\xCA\xBE") != std::string_view::npos;
    const bool decompose = DecomposesOnLoad();
    if (!alif && !decompose) return;
    for (std::int16_t i = 0; i < fieldCount_; ++i) {
        FieldEntry& f = fields_[static_cast<std::size_t>(i)];
        for (std::int16_t s = 0; s <= f.MaxSubfield; ++s) {
            SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
            if (alif) SubstituteAlif(sub.Text);
            if (decompose && !f.NoIndicators && DecomposeText(sub.Text)) charactersDecomposed_ = true;
            sub.NormScheme = 0;
        }
    }
}

std::string Utf8MarcRecordClass::CharacterizeOctets(std::string_view text) const {
    return marc8::CharacterizeOctets(text);
}

std::string Utf8MarcRecordClass::CharacterizeCharacterSet(const std::string& sMarcRecord) const {
    return CharacterizeOctets(sMarcRecord.empty() ? rawRecord_ : sMarcRecord);
}

// One run of text (no delimiters) into its comparison form, character by character. MARC-8 text is
// read through its sets first (escape sequences vanish, letters keep their identity); marks are
// dropped either way.
void Utf8MarcRecordClass::NormalizeCharacters(std::string_view text, char scheme, char characterSet,
                                              std::string& out) const {
    std::string utf8;
    if (characterSet != 'U' && !ReadsTheSameEverywhere(text)) {
        marc8::TranslateOptions read;
        read.encoding = EncodingOf(characterSet);
        marc8::WorkingSets sets;
        marc8::Marc8ToUtf8(text, sets, read, utf8);
        text = utf8;
    }
    const bool schemeP = scheme == 'P';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            marc8::AppendNormalized(c, schemeP, out);
            ++i;
            continue;
        }
        const marc8::Utf8Decoded d = marc8::DecodeUtf8(text, i);
        if (d.valid) marc8::AppendNormalized(d.cp, schemeP, out);
        else out.push_back(text[i]);  // an octet that is no character is kept as it stands
        i += d.length;
    }
}

bool Utf8MarcRecordClass::DecomposesOnLoad() const { return !disableUtf8Decomposition_ && !BypassAutoDecompose(); }

}  // namespace linkmend
