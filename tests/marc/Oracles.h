#pragma once
// The independent converters the character tests compare with: yaz-marcdump and Perl's
// MARC::Charset, run in batches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/SharedData.h"

namespace linkmend::test {

// Runs a shell command with `input` on standard input; returns its standard output.
inline std::string RunFilter(const TempDir& dir, const std::string& command, const std::string& input) {
    WriteFile(dir.File("filter.in"), input);
    const int rc = std::system((command + " <" + dir.File("filter.in") + " >" + dir.File("filter.out")).c_str());
    EXPECT_EQ(rc, 0) << command;
    return ReadFile(dir.File("filter.out"));
}

inline bool HaveConverters() {
    return HaveOracle("command -v yaz-marcdump", "yaz") &&
           HaveOracle("perl -MMARC::Charset -e 1", "libmarc-charset-perl");
}

// MARC-8 texts to UTF-8 through yaz-marcdump: each text the $a of a field, 200 fields a record.
inline std::vector<std::string> YazMarc8ToUtf8(const TempDir& dir, const std::vector<std::string>& texts) {
    std::string stream;
    for (std::size_t i = 0; i < texts.size(); i += 200) {
        std::vector<RawField> fields;
        for (std::size_t k = i; k < texts.size() && k < i + 200; ++k)
            fields.push_back({"500", X("  {1F}a") + texts[k]});
        stream += AssembleRecord(Leader('a', ' '), fields);
    }
    std::vector<std::string> out;
    for (const auto& r : SplitRecords(RunFilter(dir, "yaz-marcdump -f marc8 -t utf8 -o marc /dev/stdin", stream)))
        for (const auto& f : RecordFields(r)) out.push_back(f.data.substr(4));
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
    for (std::size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(output.substr(start, end - start));
    return lines;
}

}  // namespace linkmend::test
