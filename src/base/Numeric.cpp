#include "base/Numeric.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "base/Text.h"

namespace linkmend {

double Val(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    auto digits = [&] {
        std::size_t n = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            num.push_back(s[i++]);
            ++n;
        }
        return n;
    };
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        mantissa += digits();
    }
    if (mantissa == 0) return 0.0;
    if (i + 1 < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            num.append(s.substr(i, j - i));
            i = j;
            digits();
        }
    }
    return std::strtod(num.c_str(), nullptr);
}

std::int32_t RoundToInt32(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);  // default rounding mode: half to even
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(r);
}

bool IsTrueText(std::string_view s) {
    // The comparison form of the text, as the record services build it: upper case, apostrophes
    // dropped, other punctuation a blank, blanks collapsed and trimmed.
    std::string u;
    for (char c : s) {
        c = AsciiUpper(c);
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '&' || c == '#' || c == '+' ||
                          c == '@' || static_cast<unsigned char>(c) >= 0x80;
        if (c == '\'') continue;
        if (!keep) c = ' ';
        if (c == ' ' && (u.empty() || u.back() == ' ')) continue;
        u.push_back(c);
    }
    if (!u.empty() && u.back() == ' ') u.pop_back();
    return u == "TRUE" || u == "YES" || u == "Y" || u == "T" || u == "1";
}

}  // namespace linkmend
