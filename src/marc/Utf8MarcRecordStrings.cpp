// Octet-safe string services and the comparison form of texts.
#include "base/Error.h"
#include "marc/Utf8MarcRecordClass.h"
#include "marc/Utf8MarcRecordInternal.h"

namespace linkmend {
using namespace marc_detail;

std::int32_t Utf8MarcRecordClass::Rat(std::string_view sSourceString, std::string_view sStringToFind) {
    if (sSourceString.empty() || sStringToFind.empty() || sStringToFind.size() > sSourceString.size()) return 0;
    const std::size_t found = sSourceString.rfind(sStringToFind);
    return found == std::string_view::npos ? 0 : static_cast<std::int32_t>(found + 1);
}

std::string Utf8MarcRecordClass::SafeStuff(const std::string& t, std::int32_t p, std::int16_t k, const std::string& r) {
    const std::int64_t n = static_cast<std::int64_t>(t.size());
    if (k >= 1) {
        if (t.empty()) return r;
        if (p < 1) return r + t;
        if (p == 1)
            return r + (static_cast<std::int64_t>(k) < n ? t.substr(static_cast<std::size_t>(k)) : std::string());
        if (p <= n) {
            std::string out = t.substr(0, static_cast<std::size_t>(p - 1)) + r;
            const std::int64_t rest = static_cast<std::int64_t>(p) - 1 + k;
            if (rest < n) out.append(t, static_cast<std::size_t>(rest), std::string::npos);
            return out;
        }
        return t + r;
    }
    if (p >= 2 && p <= n) {
        std::string out = t.substr(0, static_cast<std::size_t>(p - 1)) + r;
        out.append(t, static_cast<std::size_t>(p - 1), std::string::npos);
        return out;
    }
    if (p > n) return t + r;
    return r + t;
}

std::string Utf8MarcRecordClass::RemoveRepeatedCharacters(const std::string& s, const std::string& ch) {
    if (ch.empty() || s.find(ch + ch) == std::string::npos) return s;
    std::string out;
    out.reserve(s.size());
    bool lastWasCh = false;
    for (std::size_t i = 0; i < s.size();) {
        if (s.compare(i, ch.size(), ch) == 0) {
            if (!lastWasCh) out += ch;
            lastWasCh = true;
            i += ch.size();
        } else {
            out += s[i++];
            lastWasCh = false;
        }
    }
    return out;
}

// Scanned from the end, so a replacement can take part in a match that begins before it.
std::string Utf8MarcRecordClass::ReplaceCharacters(const std::string& sIn, const std::string& remove,
                                                   const std::string& replacement,
                                                   bool bReplaceMultipleSpacesWithSingle) {
    if (remove.empty() || replacement == remove) return sIn;
    std::string s = sIn;
    if (s.size() >= remove.size()) {
        for (std::size_t pos = s.size() - remove.size() + 1; pos-- > 0;) {
            if (s.compare(pos, remove.size(), remove) == 0) s.replace(pos, remove.size(), replacement);
        }
    }
    if (bReplaceMultipleSpacesWithSingle && replacement == " ") s = RemoveRepeatedCharacters(s, " ");
    return s;
}

bool Utf8MarcRecordClass::IsTrue(const std::string& sInput) const {
    const std::string v = NormString(sInput, true, "V");
    return v == "TRUE" || v == "YES" || v == "Y" || v == "T" || v == "1" || v == "-1";
}

void Utf8MarcRecordClass::NormalizationScheme(const std::string& value) {
    const std::string_view v = TrimBlanksView(value);
    const char c = v.empty() ? '\0' : AsciiUpper(v[0]);
    if (c != 'P' && c != 'V') {
        throw LinkmendError(kInvalidPropertyValue, "MarcClass", "Invalid value for NormalizationScheme property");
    }
    normalizationScheme_ = c;
}

std::string Utf8MarcRecordClass::NormString(std::string_view text, bool bTrim, const std::string& sScheme) const {
    char scheme = normalizationScheme_;
    if (const std::string_view s = TrimBlanksView(sScheme); !s.empty()) {
        const char c = AsciiUpper(s[0]);
        if (c == 'P' || c == 'V') scheme = c;
    }
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t d = text.find(kDelimiter, start);
        NormalizeCharacters(text.substr(start, d == std::string_view::npos ? d : d - start), scheme, characterSetOut_,
                            out);
        if (d == std::string_view::npos) break;
        out += ' ';  // a delimiter and its code separate words
        start = d + 2;
    }
    if (!bTrim) return out;
    std::string trimmed;
    trimmed.reserve(out.size());
    for (char c : out) {
        if (c == ' ' && (trimmed.empty() || trimmed.back() == ' ')) continue;
        trimmed += c;
    }
    if (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    return trimmed;
}

}  // namespace linkmend
