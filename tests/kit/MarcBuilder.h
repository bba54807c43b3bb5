#pragma once
// The one ISO 2709 record builder of the tests and benchmarks, independent of the record class: the
// directory, the record length and the base address are computed here from readable field texts.
// And the way back: records split by their length digits, a record's fields by its directory.
#include <string>
#include <string_view>
#include <vector>

namespace linkmend::test {

// Octets written readably: "{hh}" (two hexadecimal digits) is that octet; everything else stands
// for itself. D() also turns every "$" into the subfield delimiter 0x1F (a "$" octet is "{24}").
std::string X(std::string_view text);
std::string D(std::string_view text);

// A leader with status "n", the given type of record (leader/06), level "m" and encoding (leader/09).
std::string Leader(char type = 'a', char encoding = 'a');
inline constexpr const char* kBookLeader = "00000nam a2200000 a 4500";

// A record's field as its directory gives it: tag, and data without the field terminator.
struct RawField {
    std::string tag, data;
    bool operator==(const RawField&) const = default;
};

// A field written readably: "245 10 $aTitle" (tag, blank, indicators, blank, subfields) or
// "001 text" (a control field: the tag begins "00"); the text after the indicators goes through D().
RawField Field(std::string_view line);

// A record of the leader (its record length and base address filled in) and the fields in the
// order given. AssembleRecord takes the fields' octets as they are.
std::string AssembleRecord(std::string leader, const std::vector<RawField>& fields);
std::string BuildRecord(std::string leader, const std::vector<std::string>& fields);
inline std::string BuildRecord(const std::vector<std::string>& fields, char type = 'a', char encoding = 'a') {
    return BuildRecord(Leader(type, encoding), fields);
}

// The records of a stream, cut by their length digits; stops at the first that does not fit.
std::vector<std::string> SplitRecords(const std::string& stream);

// A record's fields as its directory gives them.
std::vector<RawField> RecordFields(const std::string& record);

// Five digits with leading zeros, as the leader and the directory write numbers.
std::string Digits(std::size_t value, int width = 5);

}  // namespace linkmend::test
