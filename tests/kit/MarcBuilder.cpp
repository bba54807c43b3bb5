#include "kit/MarcBuilder.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace linkmend::test {
namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::string Decode(std::string_view text, bool delimiters) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 3 < text.size() && text[i + 3] == '}' && IsHex(text[i + 1]) && IsHex(text[i + 2])) {
            out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(delimiters && text[i] == '$' ? '\x1F' : text[i]);
        }
    }
    return out;
}

}  // namespace

std::string X(std::string_view text) { return Decode(text, false); }
std::string D(std::string_view text) { return Decode(text, true); }

std::string Digits(std::size_t value, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*zu", width, value);
    return buf;
}

std::string Leader(char type, char encoding) {
    return std::string("00000n") + type + "m " + encoding + "2200000   4500";
}

RawField Field(std::string_view line) {
    const std::string tag(line.substr(0, 3));
    if (tag.starts_with("00")) return {tag, D(line.size() > 4 ? line.substr(4) : "")};
    return {tag, std::string(line.substr(4, 2)) + D(line.size() > 7 ? line.substr(7) : "")};
}

std::string AssembleRecord(std::string leader, const std::vector<RawField>& fields) {
    std::string directory, data;
    for (const RawField& f : fields) {
        directory += f.tag + Digits(f.data.size() + 1, 4) + Digits(data.size());
        data += f.data + '\x1E';
    }
    const std::size_t base = 24 + directory.size() + 1;
    leader.replace(0, 5, Digits(base + data.size() + 1));
    leader.replace(12, 5, Digits(base));
    return leader + directory + "\x1E" + data + "\x1D";
}

std::string BuildRecord(std::string leader, const std::vector<std::string>& fields) {
    std::vector<RawField> raw;
    for (const std::string& f : fields) raw.push_back(Field(f));
    return AssembleRecord(std::move(leader), raw);
}

std::vector<std::string> SplitRecords(const std::string& stream) {
    std::vector<std::string> records;
    for (std::size_t at = 0; at + 24 <= stream.size();) {
        const std::size_t length = std::strtoul(stream.substr(at, 5).c_str(), nullptr, 10);
        if (length < 24 || at + length > stream.size()) break;
        records.push_back(stream.substr(at, length));
        at += length;
    }
    return records;
}

std::vector<RawField> RecordFields(const std::string& record) {
    std::vector<RawField> fields;
    const std::size_t base = std::strtoul(record.substr(12, 5).c_str(), nullptr, 10);
    for (std::size_t d = 24; d + 12 < base && base <= record.size(); d += 12) {
        const std::size_t length = std::strtoul(record.substr(d + 3, 4).c_str(), nullptr, 10);
        const std::size_t start = std::strtoul(record.substr(d + 7, 5).c_str(), nullptr, 10);
        fields.push_back({record.substr(d, 3), record.substr(base + start, length ? length - 1 : 0)});
    }
    return fields;
}

}  // namespace linkmend::test
