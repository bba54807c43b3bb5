// The checks run over the record's octets as they stand, without loading it: what loading would
// repair or translate silently (a short leader, an escape cut short) must show here instead.
#include "marc/MarcRecordCheck.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "marc/Marc8Text.h"
#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {
namespace {

bool Digits(std::string_view s, std::size_t& value) {
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

// Text that reads the same in every set needs no character check.
bool Plain(std::string_view text) {
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 || u == 0x1B) return false;
    }
    return true;
}

// UTF-8 valid as a whole is valid in every part that begins and ends between two characters.
bool ValidUtf8(std::string_view text) {
    for (std::size_t i = marc8::SkipAscii(text, 0); i < text.size(); i = marc8::SkipAscii(text, i)) {
        const marc8::Utf8Decoded d = marc8::DecodeUtf8Multi(text, i);
        if (!d.valid) return false;
        i += d.length;
    }
    return true;
}

// The escape sequences (or, in UTF-8, every character) of a field; MARC-8 codes come after.
std::string SequenceDamage(std::string_view field, char set) {
    if (set == 'U') return ValidUtf8(field) ? std::string() : "invalid UTF-8";
    if (Plain(field)) return {};
    marc8::WorkingSets sets;
    for (std::size_t at = field.find('\x1B'); at != std::string_view::npos; at = field.find('\x1B', at + 1)) {
        if (marc8::ReadEscapeSequence(field, at, sets) == 0) return "MARC-8 escape sequence cut short or unknown";
    }
    return {};
}

std::string CodeDamage(std::string_view field, char set) {
    if (set == 'U' || Plain(field)) return {};
    marc8::TranslateOptions options;
    marc8::EncodingFromCode(std::string_view(&set, 1), options.encoding);
    marc8::WorkingSets sets;
    thread_local std::string ignored;  // its storage kept from field to field
    ignored.clear();
    if (marc8::Marc8ToUtf8(field, sets, options, ignored).error) return "MARC-8 octets that stand for no character";
    return {};
}

}  // namespace

std::string MarcRecordDamage(const std::string& record, Utf8MarcRecordClass& object) {
    if (!object.IsMarc(record)) return object.IsMarcErrorText();
    const std::string_view r(record);
    if (r.substr(10, 2) != "22" || r.substr(20, 4) != "4500") {
        return "Leader positions 10-11 and 20-23 are not \"22\" and \"4500\"";
    }
    std::size_t base = 0;
    Digits(r.substr(12, 5), base);
    if (base < 25 || (base - 25) % 12 != 0) return "Directory is not made of 12-octet entries";
    char set = r[9] == 'a' ? 'U' : object.CharacterizeCharacterSet(record)[0];
    if (set == 'X') set = 'V';
    if (set == 'Y') set = 'M';
    const std::size_t dataEnd = record.size() - 1;  // before the record terminator
    // Kept from record to record: a check allocates nothing once it has seen a record as long.
    thread_local std::vector<std::pair<std::string_view, std::string_view>> fields;
    fields.clear();
    for (std::size_t d = 24; d < base - 1; d += 12) {
        const std::string_view tag = r.substr(d, 3);
        std::size_t length = 0, start = 0;
        if (!Digits(r.substr(d + 3, 4), length) || !Digits(r.substr(d + 7, 5), start) || length < 1 ||
            base + start + length > dataEnd || r[base + start + length - 1] != '\x1E') {
            return "Directory entry of field " + std::string(tag) + " does not match the data";
        }
        fields.emplace_back(tag, r.substr(base + start, length - 1));
    }
    // A UTF-8 record whose data is valid throughout is valid in each field: a field ends before its
    // terminator, between two characters, so only where it begins needs a look (no continuation
    // octet there). Anything else is checked field by field, to name the field.
    if (set == 'U' && ValidUtf8(r.substr(base, dataEnd > base ? dataEnd - base : 0)) &&
        std::none_of(fields.begin(), fields.end(), [](const auto& field) {
            return !field.second.empty() && (static_cast<unsigned char>(field.second[0]) & 0xC0) == 0x80;
        })) {
        return {};
    }
    // Broken sequences first, wherever they are: a code that reads as nothing is often their
    // consequence further on.
    for (auto check : {SequenceDamage, CodeDamage}) {
        for (const auto& [tag, field] : fields) {
            const std::string why = check(field, set);
            if (!why.empty()) return "Field " + std::string(tag) + ": " + why;
        }
    }
    return {};
}

}  // namespace linkmend
