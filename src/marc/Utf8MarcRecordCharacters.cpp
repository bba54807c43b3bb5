// Everything the record class does that depends on the character set: the set codes, translation
// of loaded fields between sets, decomposition, characterising a record, and the per-character step
// of the comparison form. Until the character workbench is wired in, texts are handled as UTF-8 (or
// MARC-8 where octet rules suffice): ASCII text is identical in every set and is "translated" as it
// is; other text is kept unchanged and reported as not translatable, so nothing is ever lost.
#include <array>

#include "base/Error.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {

bool IsMarc8Family(char set) { return set == 'M' || set == 'V' || set == 'O'; }

bool IsCombiningMark(std::int32_t cp) {
    return (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x1AB0 && cp <= 0x1AFF) || (cp >= 0x1DC0 && cp <= 0x1DFF) ||
           (cp >= 0x20D0 && cp <= 0x20FF) || (cp >= 0xFE20 && cp <= 0xFE2F);
}

// The ASCII part of the comparison forms. "V": letters in upper case, digits, and "&", "#", "+",
// "@" kept; an apostrophe vanishes (O'Brien, OBrien); other punctuation separates words. "P": letters
// in upper case, all punctuation kept. Control octets separate words in both.
void NormalizeAscii(char c, char scheme, std::string& out) {
    if (c >= 'a' && c <= 'z') {
        out += static_cast<char>(c - 32);
    } else if ((c >= 'A' && c <= 'Z') || IsDigit(c) || c == ' ') {
        out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        out += ' ';
    } else if (scheme == 'P') {
        out += c;
    } else if (c == '&' || c == '#' || c == '+' || c == '@') {
        out += c;
    } else if (c != '\'') {
        out += ' ';
    }
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\x1B') return false;
    }
    return true;
}

}  // namespace

char Utf8MarcRecordClass::ValidCharacterSetCode(const std::string& value, bool forOutput, bool& ulc) {
    ulc = false;
    const std::string_view v = TrimBlanks(value);
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

// Translates every field of the loaded record.
void Utf8MarcRecordClass::TranslateLoadedFields(char fromSet, char toSet) {
    for (std::int16_t i = 0; i < fieldCount_; ++i) {
        FieldEntry& f = fields_[static_cast<std::size_t>(i)];
        for (std::int16_t s = 0; s <= f.MaxSubfield; ++s) {
            SubfieldEntry& sub = f.Subfields[static_cast<std::size_t>(s)];
            bool error = false;
            if (TranslateText(sub.Text, fromSet, toSet, error)) {
                sub.NormScheme = 0;
                marcRecordTranslated_ = true;
            }
        }
    }
}

// Returns whether the text changed; error is set when part of it could not be translated.
bool Utf8MarcRecordClass::TranslateText(std::string& text, char fromSet, char toSet, bool& error) const {
    if (fromSet == toSet || IsAscii(text)) return false;
    error = true;
    return false;
}

// Replaces precomposed characters by base letter and combining marks. Without decomposition data
// every character is left as it is, which is exact for ASCII and for already decomposed text.
bool Utf8MarcRecordClass::DecomposeText(std::string& text) const {
    (void)text;
    return false;
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
    const bool decompose = !disableUtf8Decomposition_;
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

// "U" for well-formed UTF-8 with at least one multi-octet character, otherwise "M". Octets the
// chosen encoding never uses are listed.
std::string Utf8MarcRecordClass::CharacterizeOctets(std::string_view text) const {
    std::array<std::uint32_t, 256> counts{};
    bool wellFormed = true;
    bool multiOctet = false;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Decoded d = DecodeUtf8(text, i);
        if (d.codePoint < 0) wellFormed = false;
        if (d.length > 1) multiOctet = true;
        for (std::size_t k = 0; k < d.length; ++k) ++counts[static_cast<unsigned char>(text[i + k])];
        i += d.length;
    }
    const char code = wellFormed && multiOctet ? 'U' : 'M';
    auto illegal = [code](unsigned v) {
        if (v < 0x20) return v != 0x1B && v != 0x1D && v != 0x1E && v != 0x1F;
        if (v == 0x7F) return true;
        if (code == 'U') return v == 0xC0 || v == 0xC1 || v >= 0xF5;
        if (v < 0x80) return false;
        if (v == 0x88 || v == 0x89 || v == 0x8D || v == 0x8E) return false;
        return v < 0xA1 || v == 0xFF;
    };
    std::string result(1, code);
    std::string list;
    for (unsigned v = 0; v < 256; ++v) {
        if (counts[v] > 0 && illegal(v)) list += std::to_string(v) + " ";
    }
    if (!list.empty()) result += "Illegal character(s): " + list;
    return result;
}

std::string Utf8MarcRecordClass::CharacterizeCharacterSet(const std::string& sMarcRecord) const {
    return CharacterizeOctets(sMarcRecord.empty() ? rawRecord_ : sMarcRecord);
}

// One run of text (no delimiters) into its comparison form. MARC-8 text loses its escape sequences
// and combining octets; UTF-8 text loses its combining marks. Other non-ASCII characters are kept
// as they are.
void Utf8MarcRecordClass::NormalizeCharacters(std::string_view text, char scheme, char characterSet,
                                              std::string& out) const {
    if (IsMarc8Family(characterSet)) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == 0x1B) {
                while (i + 1 < text.size() && std::string_view("()$,-!\"").find(text[i + 1]) != std::string_view::npos) ++i;
                ++i;  // the final character of the sequence
            } else if (c >= 0xE0 && c <= 0xFE) {
                continue;
            } else if (c >= 0x80) {
                out += static_cast<char>(c);
            } else {
                NormalizeAscii(static_cast<char>(c), scheme, out);
            }
        }
        return;
    }
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Decoded d = DecodeUtf8(text, i);
        if (d.length == 1 && d.codePoint >= 0) NormalizeAscii(text[i], scheme, out);
        else if (!IsCombiningMark(d.codePoint)) out.append(text.substr(i, d.length));
        i += d.length;
    }
}

}  // namespace linkmend
