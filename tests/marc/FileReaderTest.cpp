// The MARC file reader on files the tests build: plain, separated, segmented, MARCXML, byte-order
// mark, wrong length digits, truncation, empty and missing files, characterising a file.
#include <gtest/gtest.h>

#include "kit/Files.h"
#include "kit/MarcBuilder.h"
#include "kit/Octets.h"
#include "marc/Utf8MarcFileClass.h"

using linkmend::Utf8MarcFileClass;
using namespace linkmend::test;

namespace {

std::string Record(int n, const std::string& text = "", char coding = ' ') {
    return BuildRecord(Leader('a', coding), {"500    $aRecord number " + std::to_string(n) + text});
}

// Every record of a file holding the content; the reader ends at the end of the file.
std::vector<std::string> ReadAll(const std::string& content, bool* segmented = nullptr) {
    TempDir dir;
    WriteFile(dir.File("in.mrc"), content);
    Utf8MarcFileClass f;
    f.OpenFile(dir.File("in.mrc"));
    if (segmented) *segmented = f.FileIsSegmented();
    std::vector<std::string> records;
    std::string r;
    while (f.ReadNextRecord(r)) records.push_back(r);
    EXPECT_EQ(r, "");
    EXPECT_TRUE(f.EndOfFile());
    EXPECT_EQ(f.RecordIndex(), static_cast<std::int32_t>(records.size()));
    return records;
}

TEST(FileReader, RecordsBackToBackOrSeparatedComeBackExactly) {
    const std::string a = Record(1), b = Record(2, X("{C3}{A9}"), 'a'), c = Record(3);
    for (const std::string& separator : {std::string(), std::string("\r\n"), std::string("\n"), X(" {00}{00} ")})
        EXPECT_EQ(ReadAll(separator + a + separator + b + separator + c + separator),
                  (std::vector<std::string>{a, b, c}))
            << "separator of " << separator.size();
    // Across read blocks, and with a byte-order mark before a record.
    std::string content;
    std::vector<std::string> originals;
    for (int i = 0; i < 1000; ++i) {
        originals.push_back(Record(i, std::string(static_cast<std::size_t>(i % 300), 'x')));
        content += (i % 7 == 0 ? X("{EF}{BB}{BF}\r\n") : "") + originals.back();
    }
    ASSERT_GT(content.size(), 3u * 65536u);
    EXPECT_EQ(ReadAll(X("{EF}{BB}{BF}") + content), originals);
}

// A record in segments of at most `size` octets of data: codes 1 (first), 2 (middle), 3 (last), or
// 0 for a record in one segment; each header is the code and the segment length with its header.
std::string Segmented(const std::string& record, std::size_t size, const std::string& between = "") {
    std::string out;
    for (std::size_t at = 0; at < record.size(); at += size) {
        const std::string part = record.substr(at, size);
        const bool first = at == 0, last = at + size >= record.size();
        out += (first && last ? "0" : first ? "1" : last ? "3" : "2") + Digits(part.size() + 5, 4) + part + between;
    }
    return out;
}

TEST(FileReader, SegmentedFilesAreJoinedBackOrKeepWhatWasRead) {
    const std::string a = Record(1, std::string(250, 'y')), b = Record(2), c = Record(3, std::string(90, 'z'));
    bool segmented = false;
    EXPECT_EQ(ReadAll(Segmented(a, 100) + Segmented(b, 1000) + Segmented(c, 40, " "), &segmented),
              (std::vector<std::string>{a, b, c}));
    EXPECT_TRUE(segmented);
    const std::string segments = Segmented(a, 100);
    EXPECT_EQ(ReadAll(segments.substr(0, 210)), std::vector<std::string>{a.substr(0, 200)});  // last one missing
    EXPECT_EQ(ReadAll(segments.substr(0, 105) + "9xyz!" + segments.substr(105)),  // a broken header ends the file
              std::vector<std::string>{a.substr(0, 100)});
}

TEST(FileReader, MarcXmlRecordsWithAndWithoutPrefix) {
    const std::string r1 = "<record>\n  <leader>00000nam a2200000 a 4500</leader>\n</record>";
    const std::string r2 =
        "<marc:record xmlns:marc=\"http://www.loc.gov/MARC21/slim\"><marc:datafield tag=\"245\">"
        "<marc:subfield code=\"a\">T" +
        X("{C3}{AD}") + "tulo</marc:subfield></marc:datafield></marc:record>";
    const std::string r3 = "<record type=\"Bibliographic\"><controlfield tag=\"001\">1</controlfield></record >";
    for (const std::string& bom : {std::string(), X("{EF}{BB}{BF}")})
        EXPECT_EQ(ReadAll(bom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection xmlns=\"x\">\n<recordSet/>" +
                          r1 + "\n<record/>\n" + r2 + "\n" + r3 + "\n</collection>\n"),
                  (std::vector<std::string>{r1, r2, r3}));
    EXPECT_EQ(ReadAll("<collection>" + r1 + "</collection>").size(), 1u);  // no declaration: MARCXML all the same
    std::string xml = "<?xml version=\"1.0\"?><collection>";
    std::vector<std::string> originals;
    for (int i = 0; i < 3000; ++i) {
        originals.push_back("<record><controlfield tag=\"001\">" + std::to_string(i) + std::string(40, ' ') +
                            "</controlfield></record>");
        xml += originals.back() + "\n";
    }
    ASSERT_GT(xml.size(), 200000u);
    EXPECT_EQ(ReadAll(xml + "</collection>"), originals);
    originals.push_back("<record><leader>0000");  // cut inside the last record: as far as it goes
    EXPECT_EQ(ReadAll(xml + originals.back()), originals);
}

TEST(FileReader, WrongLengthDigitsAndTruncation) {
    const std::string a = BuildRecord(Leader('a', ' '), {"500    $a" + std::string(1057, 'q')});
    ASSERT_EQ(a.size(), 1100u);
    // Overstated: cut at the terminator, the digits rewritten (01200 to 01100).
    EXPECT_EQ(ReadAll("01200" + a.substr(5) + Record(2) + Record(3)),
              (std::vector<std::string>{a, Record(2), Record(3)}));
    // Understated: returned as stated; the excess is skipped up to the next length digits.
    const std::string b = BuildRecord(Leader('a', ' '), {"500    $aonly letters here to the end of the record"});
    const std::string stated = Digits(b.size() - 20) + b.substr(5);
    EXPECT_EQ(ReadAll(stated + Record(2)), (std::vector<std::string>{stated.substr(0, b.size() - 20), Record(2)}));
    // A truncated last record comes back as far as it goes; five digits are needed for one at all.
    const std::string c = Record(2, std::string(100, 'w'));
    EXPECT_EQ(ReadAll(Record(1) + c.substr(0, 60)), (std::vector<std::string>{Record(1), c.substr(0, 60)}));
    EXPECT_EQ(ReadAll(Record(1) + "\r\n012"), std::vector<std::string>{Record(1)});
}

TEST(FileReader, EmptyMissingAndClosedFiles) {
    TempDir dir;
    WriteFile(dir.File("empty.mrc"), "");
    Utf8MarcFileClass f;
    std::string r = "left over";
    for (const std::string& path : {dir.File("empty.mrc"), dir.File("missing.mrc"), dir.Path()}) {
        f.OpenFile(path);
        EXPECT_FALSE(f.ReadNextRecord(r)) << path;
        EXPECT_TRUE(r.empty() && f.EndOfFile() && f.MarcFileName() == path) << path;
    }
    WriteFile(dir.File("one.mrc"), Record(1) + Record(2));
    f.MarcFileName(dir.File("one.mrc"));  // setting the name opens the file
    EXPECT_TRUE(f.ReadNextRecord(r) && !f.EndOfFile() && !f.FileIsSegmented());
    f.CloseFile();
    EXPECT_TRUE(f.EndOfFile() && !f.ReadNextRecord(r) && f.RecordIndex() == 1);
}

TEST(FileReader, CharacterizingAFileKeepsTheReadPosition) {
    TempDir dir;
    const std::string utf8 = Record(1, X(" caf{C3}{A9}"), 'a'), marc8 = Record(2, X(" caf{E2}e"));
    const std::string variantV = Record(3, X(" H{D2}O")), ascii = Record(4);
    const std::pair<std::string, const char*> cases[] = {{utf8 + ascii + utf8, "U"},
                                                         {ascii, "U"},
                                                         {marc8 + ascii + marc8, "M"},
                                                         {marc8 + variantV, "V"},
                                                         {marc8 + utf8, "?"},
                                                         {Record(5, X("{1B}(B{C3}{A9}")) + marc8, "Y"},
                                                         {"", "?"},
                                                         {utf8 + Record(6, X("{7F}")), "U"}};  // DEL is plain ASCII
    for (const auto& [content, code] : cases) {
        WriteFile(dir.File("c.mrc"), content);
        Utf8MarcFileClass f;
        f.OpenFile(dir.File("c.mrc"));
        EXPECT_EQ(f.CharacterizeCharacterSet(), code) << Hex(content.substr(0, 80));
    }
    WriteFile(dir.File("c.mrc"), marc8 + variantV + ascii);
    Utf8MarcFileClass f;
    f.OpenFile(dir.File("c.mrc"));
    std::string r;
    ASSERT_TRUE(f.ReadNextRecord(r));
    EXPECT_EQ(f.CharacterizeCharacterSet(), "V");
    EXPECT_EQ(f.RecordIndex(), 1);
    ASSERT_TRUE(f.ReadNextRecord(r));
    EXPECT_EQ(r, variantV);
    EXPECT_EQ(f.RecordIndex(), 2);
}

}  // namespace
