#include "voyager/IndexCodes.h"

#include <array>
#include <cctype>

#include "base/Error.h"
#include "base/Text.h"
#include "voyager/SqlText.h"

namespace linkmend {
namespace {

constexpr const char* kSource = "VgerRead";

[[noreturn]] void Raise(std::int32_t offset, const char* text) {
    throw LinkmendError(ObjectError(offset), kSource, text);
}

// Trimmed, upper-cased, inner runs of blanks kept as they are.
std::string Word(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return AsciiUpper(s);
}

}  // namespace

std::string StandardNumberIndexCode(bool authority, std::string_view tag, std::string_view subfieldCode) {
    if (tag.size() == 4) return AsciiUpper(tag);
    if (subfieldCode.size() != 1) Raise(1035, "Invalid value for subfield code");
    if (tag.size() != 3) Raise(1034, "Invalid value for tag");
    const char sub = subfieldCode[0];
    if (!authority) {
        if (sub != '*') return std::string(tag) + AsciiUpper(sub);
        if (tag == "010") return "('010A', '010Z')";
        if (tag == "019") return "019A";
        if (tag == "020") return "('020A', '020Z')";
        if (tag == "022") return "('022A', '022Y', '022Z')";
        if (tag == "024") return "('024A', '024Z')";
        if (tag == "028") return "028A";
        if (tag == "035") return "('035A', '035Z', '0359')";
        Raise(1022, "Invalid combination of StandardNumberSubfieldCode and StandardNumberTag properties");
    }
    if (sub == '*') {
        if (tag == "010") return "('A10A', 'A10Z')";
        if (tag == "035") return "A35A";
        Raise(1022, "Invalid combination of tag and subfield code");
    }
    std::string code = "A";
    code.append(tag.substr(1, 2));
    code += AsciiUpper(sub);
    if (std::string_view("A10A*A10Z*A35A").find(code) == std::string_view::npos)
        Raise(1022, "Invalid combination of tag and subfield code");
    return code;
}

std::string CallNumberIndexCode(std::string_view callNumberType) {
    if (callNumberType == "0") return "0500";
    if (callNumberType == "1") return "0820";
    if (callNumberType == "2") return "0600";
    if (callNumberType == "3") return "0700";
    return std::string();
}

HeadingCodes BibHeadingIndexCodes(std::string_view tagOrCategory) {
    struct Category {
        const char* word;
        const char* tag;
        const char* list;
    };
    static constexpr std::array<Category, 8> kCategories{{
        {"PERSONAL", "100", "('100H', '400H', '600H', '700H', '800H')"},
        {"CORPORATE", "110",
         "('110H', '111H', '410H', '411H', '610H', '611H', '651H', '710H', '711H', '810H', '811H')"},
        {"CONFERENCE", "111", "('111H', '411H', '611H', '711H', '811H')"},
        {"NAME", "100",
         "('100H', '110H', '111H', '400H', '410H', '411H', '600H', '610H', '611H', '700H', '710H', "
         "'711H', '800H', '810H', '811H')"},
        {"UNIFORM TITLE", "130", "('130H', '240H', '630H', '730H', '830H')"},
        {"TITLE", "245", "('130H', '240H', '245H', '246H', '730H', '740H')"},
        {"SUBJECT", "650", "('600H', '610H', '611H', '630H', '650H', '651H')"},
        {"SERIES", "830", "('440H', '490H', '800H', '810H', '811H', '830H')"},
    }};
    const std::string word = Word(tagOrCategory);
    for (const auto& c : kCategories)
        if (word == c.word) return {c.list, c.tag};
    if (word.size() == 3 && IsAllDigits(word)) return {"('" + word + "H')", word};
    return {};
}

}  // namespace linkmend
