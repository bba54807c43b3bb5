#pragma once
// Builds ISO 2709 records for tests from readable field texts: "856 40 $uhttp://a$zNote" (the "$"
// marks a subfield delimiter) or "001 12345" for a control field.
#include <cstdio>
#include <string>
#include <vector>

namespace linkmend::test {

inline std::string FieldData(const std::string& field) {
    const std::string tag = field.substr(0, 3);
    if (tag.compare(0, 2, "00") == 0) return field.substr(4) + "\x1E";
    std::string data = field.substr(4, 2);
    for (std::size_t i = 7; i < field.size(); ++i) data += field[i] == '$' ? '\x1F' : field[i];
    return data + "\x1E";
}

// A record of the given leader type (leader/06) and fields, in the order given.
inline std::string BuildRecord(const std::vector<std::string>& fields, char type = 'a', char encoding = 'a') {
    std::string directory, data;
    for (const std::string& f : fields) {
        const std::string d = FieldData(f);
        char entry[16];
        std::snprintf(entry, sizeof entry, "%s%04zu%05zu", f.substr(0, 3).c_str(), d.size(), data.size());
        directory += entry;
        data += d;
    }
    directory += '\x1E';
    const std::size_t base = 24 + directory.size();
    const std::size_t length = base + data.size() + 1;
    char leader[32];
    std::snprintf(leader, sizeof leader, "%05zun%cm %c22%05zu   4500", length, type, encoding, base);
    return std::string(leader) + directory + data + "\x1D";
}

}  // namespace linkmend::test
