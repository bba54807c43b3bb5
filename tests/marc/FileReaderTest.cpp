// The MARC file reader on files the tests build: plain, separated, segmented, MARCXML, byte-order
// mark, wrong length digits, truncation, empty and missing files, characterising a file.
#include <gtest/gtest.h>

#include "Marc8TestSupport.h"
#include "marc/Utf8MarcFileClass.h"

using linkmend::Utf8MarcFileClass;
using linkmend::test::BuildRecord;
using linkmend::test::TempDir;
using linkmend::test::WriteFile;

namespace {

std::string Record(int n, const std::string& text = "", char coding = ' ') {
    return BuildRecord({"\x1F"
                        "aRecord number " +
                        std::to_string(n) + text},
                       coding);
}

std::vector<std::string> ReadAll(Utf8MarcFileClass& f) {
    std::vector<std::string> records;
    std::string r;
    while (f.ReadNextRecord(r)) records.push_back(r);
    EXPECT_EQ(r, "");
    EXPECT_TRUE(f.EndOfFile());
    return records;
}

std::vector<std::string> ReadFileRecords(const std::string& content, bool* segmented = nullptr) {
    TempDir dir;
    WriteFile(dir.File("in.mrc"), content);
    Utf8MarcFileClass f;
    f.OpenFile(dir.File("in.mrc"));
    if (segmented) *segmented = f.FileIsSegmented();
    auto records = ReadAll(f);
    EXPECT_EQ(f.RecordIndex(), static_cast<std::int32_t>(records.size()));
    return records;
}

TEST(FileReader, RecordsBackToBackOrSeparatedComeBackExactly) {
    const std::string a = Record(1), b = Record(2, "\xC3\xA9", 'a'), c = Record(3);
    for (const std::string& separator :
         {std::string(), std::string("\r\n"), std::string("\n"), std::string(" \0\0 ", 4)}) {
        const auto records = ReadFileRecords(separator + a + separator + b + separator + c + separator);
        ASSERT_EQ(records.size(), 3u) << "separator of " << separator.size();
        EXPECT_EQ(records[0], a);
        EXPECT_EQ(records[1], b);
        EXPECT_EQ(records[2], c);
    }
}

TEST(FileReader, TwoRecordsSeparatedByCrLfGiveRecordIndexTwo) {
    TempDir dir;
    WriteFile(dir.File("two.mrc"), Record(1) + "\r\n" + Record(2));
    Utf8MarcFileClass f;
    f.OpenFile(dir.File("two.mrc"));
    EXPECT_FALSE(f.EndOfFile());
    EXPECT_FALSE(f.FileIsSegmented());
    std::string r;
    EXPECT_TRUE(f.ReadNextRecord(r));
    EXPECT_TRUE(f.ReadNextRecord(r));
    EXPECT_EQ(r, Record(2));
    EXPECT_EQ(f.RecordIndex(), 2);
    EXPECT_FALSE(f.ReadNextRecord(r));
    EXPECT_EQ(r, "");
    EXPECT_TRUE(f.EndOfFile());
}

TEST(FileReader, ManyRecordsAcrossReadBlocks) {
    std::string content;
    std::vector<std::string> originals;
    for (int i = 0; i < 1000; ++i) {
        originals.push_back(Record(i, std::string(static_cast<std::size_t>(i % 300), 'x')));
        content += originals.back() + (i % 7 == 0 ? "\r\n" : "");
    }
    ASSERT_GT(content.size(), 3u * 65536u);
    EXPECT_EQ(ReadFileRecords(content), originals);
}

// A record in segments of at most `size` octets of data: codes 1 (first), 2 (middle), 3 (last), or 0
// for a record in one segment; each header is the code and the segment length with its header.
std::string Segmented(const std::string& record, std::size_t size, const std::string& between = "") {
    std::string out;
    for (std::size_t at = 0; at < record.size(); at += size) {
        const std::string part = record.substr(at, size);
        const bool first = at == 0, last = at + size >= record.size();
        const char code = first && last ? '0' : first ? '1' : last ? '3' : '2';
        char header[8];
        std::snprintf(header, sizeof header, "%c%04zu", code, part.size() + 5);
        out += header + part + between;
    }
    return out;
}

TEST(FileReader, SegmentedFilesAreJoinedBack) {
    const std::string a = Record(1, std::string(250, 'y')), b = Record(2), c = Record(3, std::string(90, 'z'));
    bool segmented = false;
    const auto records = ReadFileRecords(Segmented(a, 100) + Segmented(b, 1000) + Segmented(c, 40, " "), &segmented);
    EXPECT_TRUE(segmented);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], a);
    EXPECT_EQ(records[1], b);
    EXPECT_EQ(records[2], c);
}

TEST(FileReader, SegmentedRecordCutShortOrBrokenKeepsWhatWasRead) {
    const std::string a = Record(1, std::string(250, 'y'));
    const std::string segments = Segmented(a, 100);
    // The last segment missing: what was gathered comes back, then the end.
    auto records = ReadFileRecords(segments.substr(0, 2 * 105));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], a.substr(0, 200));
    // A broken segment header ends the file after the segments before it.
    records = ReadFileRecords(segments.substr(0, 105) + "9xyz!" + segments.substr(105));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], a.substr(0, 100));
}

TEST(FileReader, MarcXmlRecordsWithAndWithoutPrefix) {
    const std::string r1 = "<record>\n  <leader>00000nam a2200000 a 4500</leader>\n</record>";
    const std::string r2 =
        "<marc:record xmlns:marc=\"http://www.loc.gov/MARC21/slim\"><marc:datafield tag=\"245\">"
        "<marc:subfield code=\"a\">T\xC3\xADtulo</marc:subfield></marc:datafield></marc:record>";
    const std::string r3 = "<record type=\"Bibliographic\"><controlfield tag=\"001\">1</controlfield></record >";
    for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
        const std::string xml = bom +
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection xmlns=\"x\">\n<recordSet/>" +
                                r1 + "\n<record/>\n" + r2 + "\n" + r3 + "\n</collection>\n";
        const auto records = ReadFileRecords(xml);
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0], r1);
        EXPECT_EQ(records[1], r2);
        EXPECT_EQ(records[2], r3);
    }
    // A file that starts with the collection element, no declaration, is MARCXML as well.
    EXPECT_EQ(ReadFileRecords("<collection>" + r1 + "</collection>").size(), 1u);
}

TEST(FileReader, MarcXmlAcrossReadBlocksAndTruncated) {
    std::string xml = "<?xml version=\"1.0\"?><collection>";
    std::vector<std::string> originals;
    for (int i = 0; i < 3000; ++i) {
        originals.push_back("<record><controlfield tag=\"001\">" + std::to_string(i) + std::string(40, ' ') +
                            "</controlfield></record>");
        xml += originals.back() + "\n";
    }
    ASSERT_GT(xml.size(), 200000u);
    EXPECT_EQ(ReadFileRecords(xml + "</collection>"), originals);
    // Cut inside the last record: it comes back as far as it goes.
    const auto records = ReadFileRecords(xml + "<record><leader>0000");
    ASSERT_EQ(records.size(), 3001u);
    EXPECT_EQ(records.back(), "<record><leader>0000");
}

TEST(FileReader, ByteOrderMarkIsSkipped) {
    const auto records = ReadFileRecords("\xEF\xBB\xBF" + Record(1) + "\xEF\xBB\xBF\r\n" + Record(2));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], Record(1));
    EXPECT_EQ(records[1], Record(2));
}

TEST(FileReader, OverstatedLengthIsCutAtTheTerminator) {
    std::string a =
        BuildRecord({"\x1F"
                     "a" +
                     std::string(1057, 'q')});
    ASSERT_EQ(a.size(), 1100u);
    const std::string b = Record(2);
    std::string stated = a;
    stated.replace(0, 5, "01200");
    const auto records = ReadFileRecords(stated + b + Record(3));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], a);  // 1100 octets, length digits 01100
    EXPECT_EQ(records[0].substr(0, 5), "01100");
    EXPECT_EQ(records[1], b);
    EXPECT_EQ(records[2], Record(3));
}

TEST(FileReader, UnderstatedLengthIsReturnedAsStated) {
    const std::string a =
        BuildRecord({"\x1F"
                     "aonly letters here to the end of the record"});
    std::string stated = a;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%05zu", a.size() - 20);
    stated.replace(0, 5, digits);
    const auto records = ReadFileRecords(stated + Record(2));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], stated.substr(0, a.size() - 20));
    EXPECT_EQ(records[1], Record(2));  // the excess was skipped up to the next length digits
}

TEST(FileReader, TruncatedLastRecordComesBackAsFarAsItGoes) {
    const std::string b = Record(2, std::string(100, 'w'));
    const auto records = ReadFileRecords(Record(1) + b.substr(0, 60));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], b.substr(0, 60));
    // Not even five length digits at the end: no record.
    EXPECT_EQ(ReadFileRecords(Record(1) + "\r\n012").size(), 1u);
}

TEST(FileReader, EmptyMissingAndClosedFiles) {
    TempDir dir;
    WriteFile(dir.File("empty.mrc"), "");
    Utf8MarcFileClass f;
    f.OpenFile(dir.File("empty.mrc"));
    std::string r = "left over";
    EXPECT_FALSE(f.ReadNextRecord(r));
    EXPECT_EQ(r, "");
    EXPECT_TRUE(f.EndOfFile());

    f.OpenFile(dir.File("missing.mrc"));
    EXPECT_TRUE(f.EndOfFile());
    EXPECT_FALSE(f.ReadNextRecord(r));
    EXPECT_EQ(f.MarcFileName(), dir.File("missing.mrc"));

    f.OpenFile(dir.Path());  // a folder is not a file
    EXPECT_TRUE(f.EndOfFile());
    EXPECT_FALSE(f.ReadNextRecord(r));

    f.OpenFile("");
    EXPECT_TRUE(f.EndOfFile());

    WriteFile(dir.File("one.mrc"), Record(1) + Record(2));
    f.MarcFileName(dir.File("one.mrc"));  // setting the name opens the file
    EXPECT_FALSE(f.EndOfFile());
    EXPECT_TRUE(f.ReadNextRecord(r));
    f.CloseFile();
    EXPECT_TRUE(f.EndOfFile());
    EXPECT_FALSE(f.ReadNextRecord(r));
    EXPECT_EQ(f.RecordIndex(), 1);
}

TEST(FileReader, CharacterizingAFileKeepsTheReadPosition) {
    TempDir dir;
    const std::string utf8 = Record(1, " caf\xC3\xA9", 'a');
    const std::string marc8 = Record(2,
                                     " caf\xE2"
                                     "e");
    const std::string variantV = Record(3, " H\xD2O");
    const std::string ascii = Record(4);
    struct Case {
        std::string content;
        const char* code;
    };
    const Case cases[] = {
        {utf8 + ascii + utf8, "U"},
        {ascii, "U"},
        {marc8 + ascii + marc8, "M"},
        {marc8 + variantV, "V"},
        {marc8 + utf8, "?"},
        {Record(5, "\x1B(B\xC3\xA9") + marc8, "Y"},
        {"", "?"},
    };
    for (const auto& k : cases) {
        WriteFile(dir.File("c.mrc"), k.content);
        Utf8MarcFileClass f;
        f.OpenFile(dir.File("c.mrc"));
        EXPECT_EQ(f.CharacterizeCharacterSet(), k.code) << linkmend::test::Hex(k.content.substr(0, 80));
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
