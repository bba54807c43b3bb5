// The ISO 2709 loader as a run uses it: each input is loaded into the one record object that is
// reused for every record, then the run's walk over the 856 fields rewrites the first $u and drops
// every $x, the record is assembled and shown as display text. Properties checked: an invalid input
// fails for the reason the exchange-format rules give and leaves nothing; an assembled record is
// well-formed, as long as its fields predict, and loads again to the same octets unless the loader
// says it changed something; the display texts carry no raw control octets.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "marc/Utf8MarcRecordClass.h"

using linkmend::Utf8MarcRecordClass;
using linkmend::fuzz::Hex;

namespace {

constexpr char kEndOfField = '\x1E';
constexpr char kEndOfRecord = '\x1D';
constexpr std::size_t kNoRecord = 0;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A leader number: blanks, then the digits up to the first other octet.
std::size_t Number(std::string_view s) {
    std::size_t i = 0, v = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    for (; i < s.size() && IsDigit(s[i]); ++i) v = v * 10 + static_cast<std::size_t>(s[i] - '0');
    return v;
}

// The leader repair: blanks go in front of the last "45" of the first 24 octets until it stands at
// leader/20, where the entry map begins.
std::string Repaired(const std::string& record) {
    const std::size_t at = std::string_view(record).substr(0, 24).rfind("45");
    if (at == std::string_view::npos || at >= 20) return record;
    std::string fixed = record;
    fixed.insert(at, 20 - at, ' ');
    return fixed;
}

// The exchange format's validity rules in their order: the reason of the first that fails.
std::string ValidityError(const std::string& r) {
    if (r.size() < 50) return "Too short to be a MARC record";
    for (std::size_t i = 0; i < 5; ++i)
        if (!IsDigit(r[i])) return "First 5 characters not all numeric";
    const std::size_t length = Number(std::string_view(r).substr(0, 5));
    const std::size_t base = Number(std::string_view(r).substr(12, 5));
    if (length > r.size()) return "Record length in leader does not match actual record length";
    if (base > length) return "Base address of data longer than record length";
    if (base < 1) return "Base address of data unacceptable";
    if (r[base - 1] != kEndOfField) return "Directory does not end with end-of-field character";
    if (r.back() != kEndOfRecord) return "Record does not end with end-of-record character";
    if (r[r.size() - 2] != kEndOfField) return "Last field does not end with end-of-field character";
    return std::string();
}

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (!IsDigit(c)) return false;
    return true;
}

// An assembled record: valid (a record of a few short fields can be below the 50 octets the
// validity test asks for), its length and base address true, leader/22-23 "00", and a directory of
// 12-octet entries whose fields lie back to back, each ending with the field terminator.
void CheckAssembled(const std::string& out) {
    const std::string error = ValidityError(out);
    FUZZ_CHECK(error.empty() || (out.size() < 50 && error == "Too short to be a MARC record"), error + "\n" + Hex(out));
    FUZZ_CHECK(AllDigits(std::string_view(out).substr(0, 5)) && AllDigits(std::string_view(out).substr(12, 5)) &&
                   out.compare(22, 2, "00") == 0,
               Hex(out));
    const std::size_t base = Number(std::string_view(out).substr(12, 5));
    FUZZ_CHECK(Number(std::string_view(out).substr(0, 5)) == out.size() && base >= 25 && (base - 25) % 12 == 0,
               Hex(out));
    std::size_t next = 0;
    for (std::size_t e = 24; e + 1 < base; e += 12) {
        const std::string_view entry = std::string_view(out).substr(e, 12);
        FUZZ_CHECK(AllDigits(entry.substr(3)), Hex(entry));
        const std::size_t length = Number(entry.substr(3, 4));
        // A text that is nothing but a field terminator is written as that one octet.
        FUZZ_CHECK(Number(entry.substr(7, 5)) == next && length >= 1, Hex(entry));
        next += length;
        FUZZ_CHECK(base + next < out.size() && out[base + next - 1] == kEndOfField, Hex(out));
    }
    FUZZ_CHECK(base + next + 1 == out.size(), Hex(out));
}

// The size the fields, read through the cursor, give the assembled record: leader, one directory
// entry per field of a three-octet tag with text, the directory's terminator, each field's
// indicators and text with its terminator (one already ending the text counts), and the record
// terminator. kNoRecord when there are no fields, or a field or the record is beyond what the
// length digits can state; fields that are all left out give a record of the leader alone.
std::size_t PredictedSize(Utf8MarcRecordClass& record) {
    std::size_t size = 24 + 1 + 1;
    if (!record.FldMoveFirst()) return kNoRecord;
    for (bool on = true; on; on = record.FldMoveNext()) {
        const std::string text = record.FldText();
        if (record.FldDeleted() || record.FldTag().size() != 3 || text.empty()) continue;
        const std::size_t field = record.FldInd().size() + text.size() + (text.back() == kEndOfField ? 0 : 1);
        if (field > 9999) return kNoRecord;
        size += 12 + field;
    }
    return size > 99999 ? kNoRecord : size;
}

void CheckAssemblyPredicted(Utf8MarcRecordClass& record, const std::string& out) {
    const std::size_t predicted = PredictedSize(record);
    FUZZ_CHECK(out.size() == predicted, std::to_string(predicted) + " predicted\n" + Hex(out));
    if (!out.empty()) CheckAssembled(out);
}

// What a run does to a loaded record with every 856 whose first $u there is: a new stem in front of
// the link, and every $x gone.
void RewriteLinks(Utf8MarcRecordClass& record) {
    const std::string stem = "https://links.example.org/";
    record.FldMoveTop();
    while (record.FldFindNext("856")) {
        // An "X" in the record's tag matches any character too, as in a wanted tag.
        FUZZ_CHECK(record.TagCompare("856", record.FldTag()), Hex(record.FldTag()));
        if (!record.SfdFindFirst("u")) continue;
        FUZZ_CHECK(record.SfdCode() == "u", Hex(record.SfdCode()));
        std::string link = stem + record.SfdText();
        record.SfdText(link);
        while (!link.empty() && link.back() == ' ') link.pop_back();  // blanks around a subfield go
        FUZZ_CHECK(record.SfdText() == link, linkmend::fuzz::Diff(link, record.SfdText()));
        for (int n = 0; record.SfdFindFirst("x"); ++n) {
            FUZZ_CHECK(n < 32768 && record.SfdCode() == "x", Hex(record.FldText()));
            record.SfdDelete();
        }
        FUZZ_CHECK(record.SfdFindFirst("u") && record.SfdText() == link, Hex(record.FldText()));
    }
}

// Display texts: control octets of field text never reach them raw; RTF is all ASCII, with no
// control octets but its line ends (DEL is passed as the ASCII it is).
void CheckDisplay(Utf8MarcRecordClass& record) {
    for (bool on = record.FldMoveFirst(); on; on = record.FldMoveNext()) {
        const std::string line = record.FldTextFormatted(0, false, 10, "0123456789abcdefghijklmnopqrstuvwxyz", "");
        for (char c : line) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20, Hex(line));
    }
    record.TextFormatted();
    const std::string rtf = record.TextFormatted(1, true, 10);
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const auto c = static_cast<unsigned char>(rtf[i]);
        const bool lineEnd = rtf.compare(i, 2, "\r\n") == 0 || (c == '\n' && i > 0 && rtf[i - 1] == '\r');
        FUZZ_CHECK((c >= 0x20 && c < 0x80) || lineEnd, Hex(rtf.substr(i > 20 ? i - 20 : 0, 40)));
    }
}

// Fields that read differently at their next load: a control field that (still) begins with a
// delimiter loses it and its code again; a text ending with a field terminator has it taken for
// the field's own terminator (and may be left empty).
bool ChangesAtNextLoad(Utf8MarcRecordClass& record) {
    for (bool on = record.FldMoveFirst(); on; on = record.FldMoveNext()) {
        const std::string text = record.FldText();
        if (record.FldIsControl() && text.compare(0, 1, "\x1F") == 0) return true;
        if (!text.empty() && text.back() == kEndOfField) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    linkmend::fuzz::ScratchFolder();
    static Utf8MarcRecordClass record;  // one object for every record, as a run keeps it
    static Utf8MarcRecordClass reloaded;
    const std::string input(reinterpret_cast<const char*>(data), size);

    record.MarcRecordIn(input);
    const std::string reason = input.empty() ? std::string() : ValidityError(Repaired(input));
    FUZZ_CHECK(record.IsMarcErrorText() == reason, record.IsMarcErrorText() + " / " + reason);
    if (!reason.empty() || input.empty()) {
        FUZZ_CHECK(!record.FldMoveFirst() && record.MarcRecordOut().empty(), reason);
        return 0;
    }

    const bool changesAgain = ChangesAtNextLoad(record);
    const std::string out = record.MarcRecordOut();
    CheckAssemblyPredicted(record, out);
    if (out.size() >= 50 && Repaired(out) == out) {
        reloaded.MarcRecordIn(out);
        FUZZ_CHECK(reloaded.IsMarcErrorText().empty(), reloaded.IsMarcErrorText() + "\n" + Hex(out));
        if (record.CharacterSetIn() == "U" && reloaded.CharacterSetIn() == "U") {
            FUZZ_CHECK(!reloaded.CharactersDecomposed(), "decomposed twice\n" + Hex(out));
        }
        if (!changesAgain && !reloaded.MarcRecordTranslated() && !reloaded.CharactersDecomposed() &&
            !reloaded.MarcRecordModified()) {
            const std::string again = reloaded.MarcRecordOut();
            FUZZ_CHECK(again == out, linkmend::fuzz::Diff(out, again));
        }
    }

    RewriteLinks(record);
    CheckAssemblyPredicted(record, record.MarcRecordOut());
    CheckDisplay(record);
    return 0;
}
