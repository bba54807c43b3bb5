// Comparison forms of headings, standard numbers and call numbers.
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

namespace {

constexpr const char* kAllLetters = "abcdefghijklmnopqrstuvwxyz";
constexpr const char* kPersonalName = "abcdfgklmnoprsqt";
constexpr const char* kCorporateName = "abcdfgklmnoprst";
constexpr const char* kMeetingName = "abcdefgklnpsqt";
constexpr const char* kUniformTitle = "adfgklmnoprst";
constexpr const char* kTitle = "abnp";

bool OneOf(const std::string& tag, std::initializer_list<const char*> tags) {
    for (const char* t : tags) {
        if (tag == t) return true;
    }
    return false;
}

bool IsBibliographicFormat(const std::string& format) {
    return format.size() == 1 && std::string_view("BDFMPSU").find(format[0]) != std::string_view::npos;
}

}  // namespace

std::string Utf8MarcRecordClass::ListSubfieldsForNormalization(const std::string& sFormat,
                                                               const std::string& sTag) const {
    if (sFormat == "A") {
        const std::string rest = sTag.size() == 3 ? sTag.substr(1) : std::string();
        const bool headingGroup = !sTag.empty() && std::string_view("1457").find(sTag[0]) != std::string_view::npos;
        if (headingGroup && rest == "00") return std::string(kPersonalName) + "vxyz";
        if (headingGroup && rest == "10") return std::string(kCorporateName) + "vxyz";
        if (headingGroup && rest == "11") return std::string(kMeetingName) + "vxyz";
        if (headingGroup && rest == "30") return std::string(kUniformTitle) + "vxyz";
        if (headingGroup && rest == "50") return "abcdvxyz";
        if (headingGroup && rest == "51") return "avxyz";
        if (headingGroup && rest.size() == 2 && rest[0] == '8' && rest[1] >= '0' && rest[1] <= '5') return "vxyz";
        return kAllLetters;
    }
    if (!IsBibliographicFormat(sFormat)) return kAllLetters;
    if (OneOf(sTag, {"100", "400", "500", "600", "700", "800"})) return kPersonalName;
    if (OneOf(sTag, {"110", "410", "510", "610", "710", "810"})) return kCorporateName;
    if (OneOf(sTag, {"111", "411", "511", "611", "711", "811"})) return kMeetingName;
    if (OneOf(sTag, {"130", "630", "730", "240", "440", "490", "830"})) return kUniformTitle;
    if (OneOf(sTag, {"210", "211", "245", "246", "740"})) return kTitle;
    if (sTag == "650") return "abcd";
    if (sTag == "651") return "a";
    if (sTag == "655") return "ab";
    return kAllLetters;
}

std::string Utf8MarcRecordClass::NormalizeWholeField(const std::string& sNormalizationScheme,
                                                     const std::string& sMarcFormat, const std::string& sTag,
                                                     const std::string& sIndicators, const std::string& sInputText,
                                                     std::string* notNormalized) {
    (void)sIndicators;
    const char saved = normalizationScheme_;
    NormalizationScheme(sNormalizationScheme);
    const std::string wanted = ListSubfieldsForNormalization(sMarcFormat, sTag);
    const bool nameHeading =
        (IsBibliographicFormat(sMarcFormat) && OneOf(sTag, {"100", "400", "500", "600", "700", "800"})) ||
        (sMarcFormat == "A" && OneOf(sTag, {"100", "400", "500"}));
    std::string result;
    std::string kept;
    std::string_view text(sInputText);
    std::size_t d = text.find(kDelimiter);
    // Text before any delimiter is taken as subfield a.
    std::string_view firstPiece = text.substr(0, d);
    auto take = [&](char code, std::string_view value) {
        if (code == 'w' || IsDigit(code)) {
            kept += kDelimiter;
            kept += code;
            kept.append(value);
            return;
        }
        if (wanted.find(code) == std::string::npos) return;
        std::string norm;
        const std::size_t comma = value.find(',');
        if (nameHeading && code == 'a' && comma != std::string_view::npos) {
            const std::string surname = NormString(value.substr(0, comma), true);
            const std::string forenames = NormString(value.substr(comma + 1), true);
            norm = forenames.empty() ? surname : surname + ", " + forenames;
        } else {
            norm = NormString(value, true);
        }
        if (norm.empty()) return;
        if (!result.empty()) result += ' ';
        result += norm;
    };
    if (!TrimBlanksView(firstPiece).empty()) take('a', firstPiece);
    while (d != std::string_view::npos) {
        const std::size_t next = text.find(kDelimiter, d + 1);
        const std::string_view piece = text.substr(d + 1, next == std::string_view::npos ? next : next - d - 1);
        if (!piece.empty()) take(piece[0], piece.substr(1));
        d = next;
    }
    normalizationScheme_ = saved;
    if (notNormalized) *notNormalized = kept;
    return result;
}

namespace {

// The first subfield a (or the first subfield, or the whole text) of a standard-number field.
std::string_view NumberText(std::string_view text) {
    if (text.find(kDelimiter) == std::string_view::npos) return TrimBlanksView(text);
    std::string_view first;
    for (std::size_t d = text.find(kDelimiter); d != std::string_view::npos;) {
        const std::size_t next = text.find(kDelimiter, d + 1);
        const std::string_view piece = text.substr(d + 1, next == std::string_view::npos ? next : next - d - 1);
        if (!piece.empty() && piece[0] == 'a') return TrimBlanksView(piece.substr(1));
        if (first.empty() && !piece.empty()) first = piece.substr(1);
        d = next;
    }
    return TrimBlanksView(first);
}

// The leading run of digits, X, hyphens and blanks: "0-19-852663-6 (pbk.)" gives "0198526636".
std::string DigitsAndX(std::string_view text, std::string& found) {
    std::string digits;
    std::size_t i = 0;
    while (i < text.size() &&
           (IsDigit(text[i]) || text[i] == 'X' || text[i] == 'x' || text[i] == '-' || text[i] == ' ')) {
        if (text[i] != '-' && text[i] != ' ') digits += AsciiUpper(text[i]);
        ++i;
    }
    found = std::string(TrimBlanksView(text.substr(0, i)));
    return digits;
}

std::string Isbn13(const std::string& isbn10) {
    std::string out = "978" + isbn10.substr(0, 9);
    int sum = 0;
    for (std::size_t i = 0; i < 12; ++i) sum += (out[i] - '0') * (i % 2 == 0 ? 1 : 3);
    out += static_cast<char>('0' + (10 - sum % 10) % 10);
    return out;
}

bool AllDigits(std::string_view s, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (!IsDigit(s[i])) return false;
    }
    return true;
}

// Library of Congress rule: blanks go, a "/" and what follows go, and a hyphenated serial number
// is padded to six digits ("n 79-1234" gives "n79001234").
std::string NormalizeLccn(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c != ' ') s += AsciiLower(c);
    }
    if (const auto slash = s.find('/'); slash != std::string::npos) s.resize(slash);
    if (const auto hyphen = s.find('-'); hyphen != std::string::npos) {
        std::string serial = s.substr(hyphen + 1);
        if (!serial.empty() && AllDigits(serial, 0, serial.size()) && serial.size() < 6) {
            serial.insert(0, 6 - serial.size(), '0');
        }
        s = s.substr(0, hyphen) + serial;
    }
    return s;
}

}  // namespace

std::string Utf8MarcRecordClass::NormalizeStandardNumber(std::string& tag, std::string& text) const {
    std::string upperTag;
    for (char c : TrimBlanksView(tag)) upperTag += AsciiUpper(c);
    if (upperTag == "ISBN") upperTag = "020";
    else if (upperTag == "ISSN") upperTag = "022";
    else if (upperTag == "LCCN") upperTag = "010";
    tag = upperTag;
    const std::string number(NumberText(text));
    if (tag == "010") {
        text = number;
        return NormalizeLccn(number);
    }
    if (tag == "020" || tag == "022") {
        std::string found;
        const std::string digits = DigitsAndX(number, found);
        text = found;
        if (tag == "020" && digits.size() == 10 && AllDigits(digits, 0, 9)) return Isbn13(digits);
        return digits;
    }
    text = number;
    std::string out;
    for (char c : number) {
        if (c != ' ' && c != '-') out += AsciiUpper(c);
    }
    return out;
}

namespace {

// Words in upper case separated by single blanks, every run of digits padded to `width` digits, so
// that "v.2" sorts before "v.10".
std::string NaturalOrderForm(std::string_view text, std::size_t width) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (IsDigit(c)) {
            std::size_t j = i;
            while (j < text.size() && IsDigit(text[j])) ++j;
            std::string_view run = text.substr(i, j - i);
            while (run.size() > 1 && run[0] == '0') run.remove_prefix(1);
            if (run.size() < width) out.append(width - run.size(), '0');
            out.append(run);
            i = j;
        } else if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            ++i;
        } else {
            out += AsciiUpper(c);
            ++i;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The whole number of a class ("76" of "76.73") padded to `width`, its decimal part kept as it is
// (decimals compare as text), then a blank so that "QA76 C1" sorts before "QA76.5".
std::size_t ClassNumber(std::string_view s, std::size_t i, std::size_t width, std::string& out) {
    std::size_t j = i;
    while (j < s.size() && IsDigit(s[j])) ++j;
    std::string_view whole = s.substr(i, j - i);
    while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
    if (whole.size() < width) out.append(width - whole.size(), '0');
    out.append(whole);
    if (j + 1 < s.size() && s[j] == '.' && IsDigit(s[j + 1])) {
        out += '.';
        ++j;
        while (j < s.size() && IsDigit(s[j])) out += s[j++];
    }
    out += ' ';
    return j;
}

// Cutter numbers (".C153", "A4") as letter and digits; they compare as decimals, so as text.
std::string CutterForm(std::string_view rest) {
    std::string out;
    for (std::size_t i = 0; i < rest.size();) {
        const char c = rest[i];
        if (c == '.' || c == ' ') {
            ++i;
            continue;
        }
        if (IsAsciiLetter(c) && i + 1 < rest.size() && IsDigit(rest[i + 1])) {
            if (!out.empty() && out.back() != ' ') out += ' ';
            out += AsciiUpper(c);
            ++i;
            while (i < rest.size() && IsDigit(rest[i])) out += rest[i++];
            continue;
        }
        // Anything after the cutters (dates, volumes, copy numbers) in natural order.
        const std::string tail = NaturalOrderForm(rest.substr(i), 5);
        if (!tail.empty()) {
            if (!out.empty()) out += ' ';
            out += tail;
        }
        break;
    }
    return out;
}

}  // namespace

std::string Utf8MarcRecordClass::NormalizeCallNumber(const std::string& sCallNumber,
                                                     const std::string& sCallNumberType) const {
    const std::string_view text = TrimBlanksView(sCallNumber);
    const std::string_view type = TrimBlanksView(sCallNumberType);
    const char kind = type.empty() ? ' ' : type[0];
    std::string out;
    if (kind == '0' || kind == '2') {
        std::size_t i = 0;
        while (i < text.size() && IsAsciiLetter(text[i]) && i < 3) out += AsciiUpper(text[i++]);
        if (!out.empty() && i < text.size() && IsDigit(text[i])) {
            out.append(3 - out.size(), ' ');
            i = ClassNumber(text, i, 4, out);
            out += CutterForm(text.substr(i));
            while (!out.empty() && out.back() == ' ') out.pop_back();
            return out;
        }
        return NaturalOrderForm(text, 5);
    }
    if (kind == '1' && !text.empty() && IsDigit(text[0])) {
        const std::size_t i = ClassNumber(text, 0, 3, out);
        out += CutterForm(TrimBlanksView(text.substr(i)));
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    }
    return NaturalOrderForm(text, 5);
}

}  // namespace linkmend
