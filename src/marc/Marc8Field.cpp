// Whole fields between MARC-8 and UTF-8: non-filing counts and the 880 right-to-left mark.
#include "marc/Marc8Field.h"

namespace linkmend::marc8 {

namespace {

bool IsOneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    for (auto t : tags)
        if (t == tag) return true;
    return false;
}

void Accumulate(TranslateResult& total, const TranslateResult& part) {
    total.changed = total.changed || part.changed;
    total.error = total.error || part.error;
}

TranslateResult FromDefaults(std::string_view text, const TranslateOptions& options, std::string& out) {
    WorkingSets sets;
    return Marc8ToUtf8(text, sets, options, out);
}

}  // namespace

int NonFilingIndicator(std::string_view format, std::string_view tag) {
    if (format == "A") return IsOneOf(tag, {"130", "430", "530"}) ? 2 : 0;
    if (format.size() != 1 || std::string_view("BSMPFDU").find(format[0]) == std::string_view::npos) return 0;
    if (IsOneOf(tag, {"130", "430", "630", "730"})) return 1;
    if (IsOneOf(tag, {"222", "240", "242", "243", "245", "440", "830"})) return 2;
    return 0;
}

TranslateResult TranslateFieldToUtf8(std::string_view format, std::string_view tag, std::string& indicators,
                                     std::string& field, const TranslateOptions& options) {
    TranslateResult result;
    std::string out;
    const int which = NonFilingIndicator(format, tag);
    const char count = which > 0 && indicators.size() >= static_cast<std::size_t>(which) ? indicators[which - 1] : '0';
    const std::size_t delimiter = field.find('\x1F');
    if (count >= '1' && count <= '9' && delimiter != std::string::npos && delimiter + 2 <= field.size()) {
        const std::size_t start = delimiter + 2;
        std::size_t end = std::min(field.size(), start + static_cast<std::size_t>(count - '0'));
        while (end > start && end < field.size() && static_cast<unsigned char>(field[end - 1]) >= 0xE0) ++end;
        Accumulate(result, FromDefaults(std::string_view(field).substr(0, start), options, out));
        const std::size_t before = out.size();
        Accumulate(result, FromDefaults(std::string_view(field).substr(start, end - start), options, out));
        const std::size_t length = out.size() - before;
        if (length != static_cast<std::size_t>(count - '0') && length <= 9) {
            indicators[which - 1] = static_cast<char>('0' + length);
            result.changed = true;
        }
        Accumulate(result, FromDefaults(std::string_view(field).substr(end), options, out));
    } else {
        Accumulate(result, FromDefaults(field, options, out));
    }
    field.swap(out);
    return result;
}

TranslateResult TranslateFieldToMarc8(std::string_view tag, std::string& text, WorkingSets& sets,
                                      const TranslateOptions& options) {
    TranslateResult marked;
    if (tag == "880") {
        const std::size_t six = text.find(
            "\x1F"
            "6");
        if (six != std::string::npos) {
            std::size_t end = text.find('\x1F', six + 2);
            if (end == std::string::npos) end = text.size();
            const std::string_view linkage = std::string_view(text).substr(six + 2, end - six - 2);
            const std::size_t slash = linkage.find('/');
            if (slash != std::string_view::npos) {
                const std::string_view script = linkage.substr(slash + 1, 2);
                const bool rightToLeft = script == "(3" || script == "(2";
                if (rightToLeft && !linkage.substr(slash + 3).starts_with("/r")) {
                    text.insert(six + 2 + slash + 3, "/r");
                    marked.changed = true;
                }
            }
        }
    }
    std::string out;
    TranslateResult result = Utf8ToMarc8(text, sets, options, out);
    Accumulate(result, marked);
    text.swap(out);
    return result;
}

WorkingSets SetsFromCodes(std::string_view codes) {
    WorkingSets sets;
    const std::size_t space = codes.find(' ');
    WorkingSet set;
    if (SetFromCode(codes.substr(0, space), false, set)) sets.g0 = set;
    if (space != std::string_view::npos && SetFromCode(codes.substr(space + 1), true, set)) sets.g1 = set;
    return sets;
}

std::string CodesOfSets(const WorkingSets& sets) { return CodeOfSet(sets.g0, false) + " " + CodeOfSet(sets.g1, true); }

}  // namespace linkmend::marc8
