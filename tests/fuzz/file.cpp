// The MARC file reader on a file of fuzzed octets. The first octet chooses the form: 0 the octets
// as they are; 1 one ISO 2709 record, given length digits for its size; 2 the octets cut into
// segments of a segmented file (the second octet gives their size); 3 the octets as the content of
// one MARCXML record element. Properties checked: the record of each form comes back exactly (cut
// after its first record terminator, digits rewritten, when it holds one early); every record read
// has the shape of its form; the record count and end of file agree; characterising the file in
// the middle of reading it does not move the reading on.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "marc/Utf8MarcFileClass.h"

using linkmend::Utf8MarcFileClass;
using linkmend::fuzz::Hex;

namespace {

constexpr char kEndOfRecord = '\x1D';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Digits(std::size_t value, int width) {
    std::string s(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i, value /= 10)
        s[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return s;
}

// Every record to the end. Only a segmented file gives an empty one: a complete-record segment of
// no octets.
std::vector<std::string> ReadAll(Utf8MarcFileClass& reader) {
    std::vector<std::string> records;
    std::string record;
    while (reader.ReadNextRecord(record)) {
        FUZZ_CHECK(!record.empty() || reader.FileIsSegmented(), "an empty record");
        records.push_back(record);
        FUZZ_CHECK(reader.RecordIndex() == static_cast<std::int32_t>(records.size()), "");
    }
    FUZZ_CHECK(record.empty() && reader.EndOfFile(), Hex(record));
    FUZZ_CHECK(!reader.ReadNextRecord(record) && record.empty(), "read past the end");
    return records;
}

// An ISO 2709 record as read: five digits, and a record terminator nowhere but at its end; a record
// cut at its terminator states its new length.
void CheckPlainRecord(const std::string& record) {
    FUZZ_CHECK(record.size() >= 5, Hex(record));
    for (std::size_t i = 0; i < 5; ++i) FUZZ_CHECK(IsDigit(record[i]), Hex(record));
    const std::size_t terminator = record.find(kEndOfRecord);
    FUZZ_CHECK(terminator == std::string::npos || terminator + 1 == record.size(), Hex(record));
    const std::size_t stated = std::stoul(record.substr(0, 5));
    FUZZ_CHECK(record.size() <= std::max<std::size_t>(stated, 5), Hex(record));
}

// A MARCXML record as read: the opening tag of a record element, any namespace prefix.
void CheckXmlRecord(const std::string& record) {
    const auto nameOctet = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == ':' || c == '_' || c == '-' ||
               c == '.';
    };
    std::size_t end = 1;
    while (end < record.size() && nameOctet(record[end])) ++end;
    const std::string name = record.substr(0, end);
    const bool prefixed = name.size() > 8 && name.compare(name.size() - 7, 7, ":record") == 0;
    FUZZ_CHECK(name == "<record" || prefixed, Hex(record.substr(0, 64)));
}

// What the first record of a one-record ISO 2709 file must be.
std::string ExpectedPlain(std::string file) {
    const std::size_t terminator = file.find(kEndOfRecord);
    if (terminator != std::string::npos && terminator + 1 < file.size()) {
        file.resize(terminator + 1);
        file.replace(0, 5, Digits(file.size(), 5));
    }
    return file;
}

std::string Segmented(std::string_view body, std::size_t segmentSize) {
    std::string file;
    for (std::size_t at = 0; at < body.size(); at += segmentSize) {
        const std::string_view piece = body.substr(at, segmentSize);
        const bool first = at == 0, last = at + segmentSize >= body.size();
        file += first && last ? '0' : first ? '1' : last ? '3' : '2';
        file += Digits(piece.size() + 5, 4);
        file += piece;
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = linkmend::fuzz::ScratchFolder() + "/records.mrc";
    linkmend::fuzz::Input in(data, size);
    const std::uint8_t form = in.Byte();
    std::string file, expected;
    switch (form % 4) {
        case 0: file = in.Rest(); break;
        case 1:
            file = Digits(std::min<std::size_t>(in.Rest().size() + 5, 99999), 5) + std::string(in.Rest());
            expected = ExpectedPlain(file);
            break;
        case 2: {
            const std::size_t segmentSize = 1 + in.Byte() % 200;
            expected = in.Rest();
            file = Segmented(expected, segmentSize);
            break;
        }
        default:
            expected = "<record>" + std::string(in.Rest()) + "</record>";
            file =
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection xmlns=\"http://www.loc.gov/MARC21/slim\">\n" +
                expected + "\n</collection>\n";
            break;
    }
    linkmend::fuzz::WriteWholeFile(path, file);

    Utf8MarcFileClass reader;
    reader.OpenFile(path);
    FUZZ_CHECK(!reader.EndOfFile() && reader.RecordIndex() == 0, path);
    const bool segmented = reader.FileIsSegmented();
    // MARCXML is told by a "<" among the first 29 octets, after a byte-order mark and blank lines.
    const std::size_t first = file.find_first_not_of(" \t\r\n", file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
    const bool xml = first < 29 && first < file.size() && file[first] == '<';
    const std::vector<std::string> records = ReadAll(reader);
    for (const std::string& record : records) {
        if (xml) CheckXmlRecord(record);
        else if (!segmented) CheckPlainRecord(record);
    }
    // The forms whose record is known: the plain record unless its leader makes it look segmented,
    // the segmented file when it is taken as one, the XML record when no markup of its own is in it.
    const bool known = (form % 4 == 1 && !segmented && in.Rest().size() + 5 <= 99999) || (form % 4 == 2 && segmented) ||
                       (form % 4 == 3 && in.Rest().find('<') == std::string::npos);
    if (known) {
        FUZZ_CHECK(!records.empty() && records[0] == expected,
                   linkmend::fuzz::Diff(expected, records.empty() ? "" : records[0]));
        FUZZ_CHECK(form % 4 == 1 || records.size() == 1, std::to_string(records.size()) + " records");
    }

    // Characterising the file after some records leaves the reader where it was.
    const std::size_t before = records.empty() ? 0 : (form / 4) % (records.size() + 1);
    reader.OpenFile(path);
    std::string record;
    for (std::size_t i = 0; i < before; ++i) FUZZ_CHECK(reader.ReadNextRecord(record) && record == records[i], "");
    const std::string code = reader.CharacterizeCharacterSet();
    FUZZ_CHECK(code == "U" || code == "M" || code == "V" || code == "O" || code == "X" || code == "Y" || code == "?",
               code);
    FUZZ_CHECK(reader.RecordIndex() == static_cast<std::int32_t>(before), std::to_string(reader.RecordIndex()));
    for (std::size_t i = before; i < records.size(); ++i) {
        FUZZ_CHECK(reader.ReadNextRecord(record) && record == records[i], "record " + std::to_string(i));
    }
    FUZZ_CHECK(!reader.ReadNextRecord(record), "a record more after characterising");
    return 0;
}
