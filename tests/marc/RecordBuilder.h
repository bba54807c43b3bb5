#pragma once
// Builds ISO 2709 records for the record tests, independently of the class under test: the
// directory and the leader numbers are computed here from the field contents.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace linkmend::test {

struct TestField {
    std::string tag;
    std::string content;  // indicators + subfields, or a control field's text; "$" stands for 0x1F
};

// "$" becomes the subfield delimiter.
inline std::string D(std::string text) {
    for (char& c : text) {
        if (c == '$') c = '\x1F';
    }
    return text;
}

inline std::string Digits(std::size_t value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*zu", width, value);
    return buf;
}

// A record from a 24-octet leader (its length and base address are filled in) and fields.
inline std::string BuildRecord(std::string leader, const std::vector<TestField>& fields) {
    std::string directory, data;
    for (const TestField& f : fields) {
        const std::string body = D(f.content) + "\x1E";
        directory += f.tag + Digits(body.size(), 4) + Digits(data.size(), 5);
        data += body;
    }
    const std::size_t base = 24 + directory.size() + 1;
    leader.replace(0, 5, Digits(base + data.size() + 1, 5));
    leader.replace(12, 5, Digits(base, 5));
    return leader + directory + "\x1E" + data + "\x1D";
}

inline const char* kBookLeader = "00000nam a2200000 a 4500";

// The records of an ISO 2709 file, split by their length digits.
inline std::vector<std::string> SplitRecords(const std::string& file) {
    std::vector<std::string> records;
    std::size_t pos = 0;
    while (pos + 5 <= file.size()) {
        const std::size_t length = std::strtoul(file.substr(pos, 5).c_str(), nullptr, 10);
        if (length < 24 || pos + length > file.size()) break;
        records.push_back(file.substr(pos, length));
        pos += length;
    }
    return records;
}

// Points the per-machine settings folder at a fresh folder for the life of the object, so no
// developer's own "MarcRecordClass.INI" takes part in a test.
class ProfileFolder {
public:
    ProfileFolder() {
        const char* old = std::getenv("LINKMEND_PROFILE_DIR");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        setenv("LINKMEND_PROFILE_DIR", dir_.Path().c_str(), 1);
    }
    ~ProfileFolder() {
        if (hadOld_) setenv("LINKMEND_PROFILE_DIR", old_.c_str(), 1);
        else unsetenv("LINKMEND_PROFILE_DIR");
    }
    ProfileFolder(const ProfileFolder&) = delete;
    ProfileFolder& operator=(const ProfileFolder&) = delete;
    const TempDir& Dir() const { return dir_; }

private:
    TempDir dir_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace linkmend::test
