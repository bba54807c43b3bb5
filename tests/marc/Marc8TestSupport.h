#pragma once
// Helpers of the character and file-reader tests: running the external converters in batches,
// building ISO 2709 records from field texts, and splitting records into their fields.
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace linkmend::test {

// True when the program can be found on PATH.
inline bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command with `input` on standard input; returns its standard output.
inline std::string RunFilter(const TempDir& dir, const std::string& command, const std::string& input) {
    const std::string in = dir.File("filter.in");
    const std::string out = dir.File("filter.out");
    WriteFile(in, input);
    const int rc = std::system((command + " <" + in + " >" + out + " 2>/dev/null").c_str());
    EXPECT_EQ(rc, 0) << command;
    return ReadFile(out);
}

// A bibliographic record of data fields "500" (each text given after its indicators), leader/09
// as given; directory and lengths computed.
inline std::string BuildRecord(const std::vector<std::string>& fields, char coding = ' ',
                               const std::string& tag = "500") {
    std::string directory, data;
    char entry[16];
    for (const auto& text : fields) {
        const std::string field = "  " + text + "\x1E";
        std::snprintf(entry, sizeof entry, "%s%04zu%05zu", tag.c_str(), field.size(), data.size());
        directory += entry;
        data += field;
    }
    const std::size_t base = 24 + directory.size() + 1;
    const std::size_t total = base + data.size() + 1;
    char leader[32];
    std::snprintf(leader, sizeof leader, "%05zunam %c22%05zu   4500", total, coding, base);
    return std::string(leader) + directory + "\x1E" + data + "\x1D";
}

// A record of the given fields (tag, then the field as stored: indicators and text for data fields),
// leader/09 as given.
inline std::string BuildTaggedRecord(const std::vector<std::pair<std::string, std::string>>& fields,
                                     char coding = ' ') {
    std::string directory, data;
    char entry[16];
    for (const auto& [tag, text] : fields) {
        const std::string field = text + "\x1E";
        std::snprintf(entry, sizeof entry, "%s%04zu%05zu", tag.c_str(), field.size(), data.size());
        directory += entry;
        data += field;
    }
    const std::size_t base = 24 + directory.size() + 1;
    char leader[32];
    std::snprintf(leader, sizeof leader, "%05zunam %c22%05zu   4500", base + data.size() + 1, coding, base);
    return std::string(leader) + directory + "\x1E" + data + "\x1D";
}

// The data fields of every record in an ISO 2709 stream, without indicators and terminators.
inline std::vector<std::string> FieldTexts(const std::string& stream) {
    std::vector<std::string> texts;
    std::size_t at = 0;
    while (at + 24 <= stream.size()) {
        const std::size_t length = std::stoul(stream.substr(at, 5));
        const std::size_t base = std::stoul(stream.substr(at + 12, 5));
        if (length < 24 || at + length > stream.size()) break;
        const std::string data = stream.substr(at + base, length - base - 1);
        std::size_t start = 0;
        for (std::size_t end = data.find('\x1E'); end != std::string::npos;
             start = end + 1, end = data.find('\x1E', start))
            texts.push_back(data.substr(start + 2, end - start - 2));
        at += length;
    }
    return texts;
}

// MARC-8 texts to UTF-8 through yaz-marcdump, one field per text, many texts per record.
inline std::vector<std::string> YazMarc8ToUtf8(const TempDir& dir, const std::vector<std::string>& texts) {
    std::string stream;
    for (std::size_t i = 0; i < texts.size(); i += 200) {
        std::vector<std::string> chunk(texts.begin() + static_cast<long>(i),
                                       texts.begin() + static_cast<long>(std::min(texts.size(), i + 200)));
        for (auto& t : chunk)
            t = "\x1F"
                "a" +
                t;
        stream += BuildRecord(chunk);
    }
    std::vector<std::string> out =
        FieldTexts(RunFilter(dir, "yaz-marcdump -f marc8 -t utf8 -o marc /dev/stdin", stream));
    for (auto& t : out) t = t.substr(2);  // the "\x1F" "a" put in front
    return out;
}

// MARC-8 texts to UTF-8 through Perl's MARC::Charset, one line per text.
inline std::vector<std::string> PerlMarc8ToUtf8(const TempDir& dir, const std::vector<std::string>& texts) {
    std::string input;
    for (const auto& t : texts) input += t + "\n";
    const std::string output =
        RunFilter(dir,
                  "perl -MMARC::Charset=marc8_to_utf8 -e 'binmode STDOUT; while (<STDIN>) { chomp; "
                  "my $u = marc8_to_utf8($_); $u = \"\" unless defined $u; utf8::encode($u); print \"$u\\n\" }'",
                  input);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = output.find('\n'); end != std::string::npos; start = end + 1, end = output.find('\n', start))
        lines.push_back(output.substr(start, end - start));
    return lines;
}

inline std::string Hex(const std::string& s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : s) {
        h.push_back(kHex[c >> 4]);
        h.push_back(kHex[c & 0xF]);
        h.push_back(' ');
    }
    return h;
}

}  // namespace linkmend::test
