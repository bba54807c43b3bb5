#pragma once
// Support for the demo-generator tests: running the generator and the setup script, the stored
// records reassembled from their segments, the same records as MARC::Record (Perl) decodes them,
// and the demo's fixed facts (stems, operators) restated from its documentation.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Process.h"
#include "odbc/Connection.h"

namespace linkmend::test {

inline constexpr const char* kOldStem = "http://ezproxy.demo-university.edu/login?url=";
inline constexpr const char* kNewStem = "https://login.proxy.demo-university.edu/login?qurl=";

// python3 tools/demo/generate.py with the arguments (and extra environment entries "NAME=value").
testdb::ProcessResult RunGenerator(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// sh demo/setup-demo.sh BUILD_DIR args..., with HOME and XDG_CONFIG_HOME in the folder home.
testdb::ProcessResult RunSetup(const std::vector<std::string>& args, const std::string& home);

// ODBCSYSINI, ODBCINI and LINKMEND_PROFILE_DIR as a shell that sources the run folder's env.sh sees them.
std::map<std::string, std::string> DemoEnvironment(const std::string& run);

// Runs the demo job headless through demo/run-demo.sh on the demo of a run folder, as the demo's
// operator: a test run and then two production runs, and checks each report's counters against
// the generator's summary: the first run changes exactly the records the summary counts, the
// second finds nothing left to change.
void ExpectTheDemoJobChangesWhatTheSummaryCounts(const std::string& run);

// The generator's --summary file: flat JSON, values as their text ("300", "20", a stem).
std::map<std::string, std::string> ReadSummary(const std::string& path);
long SummaryCount(const std::map<std::string, std::string>& summary, const std::string& key);

struct StoredRecord {
    int id = 0;
    std::vector<std::string> segments;  // in SEQNUM order
    std::string octets;                 // the segments joined
};

// Every record of a segment table ("BIB_DATA", "MFHD_DATA", "AUTH_DATA"), read the way the reader
// reads them: RAWTOHEX(RECORD_SEGMENT) ordered by SEQNUM. Fails the test on a gap in SEQNUM.
std::vector<StoredRecord> ReadStoredRecords(odbc::Connection& c, const std::string& prefix, const std::string& table);

struct DecodedField {
    std::string tag;
    std::string indicators;                               // data fields only
    std::string data;                                     // control fields only
    std::vector<std::pair<char, std::string>> subfields;  // data fields only, octets
};

struct DecodedRecord {
    std::string leader;
    std::vector<DecodedField> fields;
    std::map<std::string, std::vector<std::string>> utf8;  // MARC-8 records: tag -> converted texts
    std::vector<std::string> problems;                     // MARC::Record's and MARC::Charset's complaints

    const DecodedField* First(const std::string& tag) const;
    std::vector<const DecodedField*> All(const std::string& tag) const;
};

// The records decoded by Perl's MARC::Record (tests/tools/marc_fields.pl), in file order.
std::vector<DecodedRecord> DecodeWithMarcRecord(const std::string& octets);

// The first text of a subfield code in a field, or nullopt.
std::optional<std::string> FirstSubfield(const DecodedField& f, char code);

// Rows of a query as texts (NULL as nullopt), in the order returned; none for a statement that
// returns no result set.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> Query(odbc::Connection& c, const std::string& sql);

// Every row of the named tables, each as one text (table, then columns; binary columns in hex),
// sorted: two databases with the same rows give the same dump.
std::string DumpTables(odbc::Connection& c, const std::string& prefix, const std::vector<std::string>& tables);

// The tables the generator fills.
const std::vector<std::string>& GeneratedTables();

struct DemoOperator {
    std::string id, password;
    std::string rights;  // the twelve CAT_PROFILE permission flags in the reader's order, "Y"/"N"
    int happening;       // a cataloguing location of the operator, 0 for none
};
// The operators and passwords the demo documents (demo/README.md).
const std::vector<DemoOperator>& DemoOperators();

// glibc's crypt of the password with the hash's own salt equals the hash.
bool PasswordMatches(const std::string& password, const std::string& hash);

std::string Hex(const std::string& octets);

}  // namespace linkmend::test
