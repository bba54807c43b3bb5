#include "DemoSupport.h"

#include <crypt.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "TestSupport.h"
#include "base/Hex.h"

namespace linkmend::test {

testdb::ProcessResult RunGenerator(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> argv = {LINKMEND_PYTHON, std::string(LINKMEND_SOURCE_DIR) + "/tools/demo/generate.py"};
    argv.insert(argv.end(), args.begin(), args.end());
    return testdb::RunProcess(argv, env);
}

testdb::ProcessResult RunSetup(const std::vector<std::string>& args, const std::string& home) {
    std::vector<std::string> argv = {"sh", std::string(LINKMEND_SOURCE_DIR) + "/demo/setup-demo.sh",
                                     LINKMEND_BINARY_DIR};
    argv.insert(argv.end(), args.begin(), args.end());
    return testdb::RunProcess(argv, {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config"});
}

std::map<std::string, std::string> DemoEnvironment(const std::string& run) {
    const auto r = testdb::RunProcess({"sh", "-c",
                                       ". \"$RUN/env.sh\" && printf '%s\\n%s\\n%s\\n' \"$ODBCSYSINI\" "
                                       "\"$ODBCINI\" \"$LINKMEND_PROFILE_DIR\""},
                                      {"RUN=" + run});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    std::istringstream in(r.output);
    std::map<std::string, std::string> env;
    for (const char* name : {"ODBCSYSINI", "ODBCINI", "LINKMEND_PROFILE_DIR"}) std::getline(in, env[name]);
    return env;
}

std::map<std::string, std::string> ReadSummary(const std::string& path) {
    // The generator writes one "key": value pair per line.
    std::map<std::string, std::string> summary;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        const auto open = line.find('"');
        const auto close = line.find('"', open + 1);
        const auto colon = line.find(':', close);
        if (open == std::string::npos || close == std::string::npos || colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        while (!value.empty() && (value.back() == ',' || value.back() == ' ')) value.pop_back();
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        summary[line.substr(open + 1, close - open - 1)] = value;
    }
    return summary;
}

long SummaryCount(const std::map<std::string, std::string>& summary, const std::string& key) {
    const auto it = summary.find(key);
    if (it == summary.end()) {
        ADD_FAILURE() << "the summary has no " << key;
        return -1;
    }
    return std::stol(it->second);
}

std::vector<StoredRecord> ReadStoredRecords(odbc::Connection& c, const std::string& prefix, const std::string& table) {
    const std::string id = table == "BIB_DATA" ? "BIB_ID" : table == "MFHD_DATA" ? "MFHD_ID" : "AUTH_ID";
    auto st = c.Prepare("SELECT " + id + ", SEQNUM, RAWTOHEX(RECORD_SEGMENT) FROM " + prefix + table + " ORDER BY " +
                        id + ", SEQNUM");
    st.Execute();
    std::vector<StoredRecord> records;
    while (st.Fetch()) {
        const int recordId = std::stoi(*st.Text(1));
        const int seq = std::stoi(*st.Text(2));
        if (records.empty() || records.back().id != recordId) records.push_back({recordId, {}, {}});
        StoredRecord& r = records.back();
        EXPECT_EQ(seq, static_cast<int>(r.segments.size()) + 1) << table << " " << recordId << ": SEQNUM out of order";
        const std::string segment = HexToText(st.Text(3).value_or(""));
        r.segments.push_back(segment);
        r.octets += segment;
    }
    return records;
}

const DecodedField* DecodedRecord::First(const std::string& tag) const {
    for (const auto& f : fields)
        if (f.tag == tag) return &f;
    return nullptr;
}

std::vector<const DecodedField*> DecodedRecord::All(const std::string& tag) const {
    std::vector<const DecodedField*> out;
    for (const auto& f : fields)
        if (f.tag == tag) out.push_back(&f);
    return out;
}

std::vector<DecodedRecord> DecodeWithMarcRecord(const std::string& octets) {
    TempDir dir;
    WriteFile(dir.File("records.mrc"), octets);
    const auto r = testdb::RunProcess(
        {LINKMEND_PERL, std::string(LINKMEND_SOURCE_DIR) + "/tests/tools/marc_fields.pl", dir.File("records.mrc")});
    EXPECT_EQ(r.exitCode, 0) << r.output.substr(0, 2000);
    std::vector<DecodedRecord> records;
    std::istringstream in(r.output);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> parts;
        std::size_t from = 0;
        for (;;) {
            const auto tab = line.find('\t', from);
            parts.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        const std::string& kind = parts[0];
        if (kind == "R" && parts.size() == 3) {
            records.push_back({});
            records.back().leader = parts[2];
            continue;
        }
        if (records.empty()) {
            ADD_FAILURE() << "MARC::Record said before any record: " << line;
            continue;
        }
        DecodedRecord& rec = records.back();
        if (kind == "C" && parts.size() == 3) {
            rec.fields.push_back({parts[1], "", HexToText(parts[2]), {}});
        } else if (kind == "D" && parts.size() >= 3) {
            DecodedField f{parts[1], parts[2], "", {}};
            for (std::size_t i = 3; i < parts.size(); ++i)
                f.subfields.emplace_back(parts[i][0], HexToText(parts[i].substr(2)));
            rec.fields.push_back(std::move(f));
        } else if (kind == "U" && parts.size() == 3) {
            rec.utf8[parts[1]].push_back(HexToText(parts[2]));
        } else {
            rec.problems.push_back(line);
        }
    }
    return records;
}

std::optional<std::string> FirstSubfield(const DecodedField& f, char code) {
    for (const auto& [c, text] : f.subfields)
        if (c == code) return text;
    return std::nullopt;
}

std::vector<Row> Query(odbc::Connection& c, const std::string& sql) {
    auto st = c.Prepare(sql);
    st.Execute();
    std::vector<Row> rows;
    const int columns = st.ColumnCount();
    while (columns > 0 && st.Fetch()) {
        Row row;
        for (int i = 1; i <= columns; ++i) row.push_back(st.Text(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

const std::vector<std::string>& GeneratedTables() {
    static const std::vector<std::string> tables = {
        "VERSIONS",         "BASE_CURRENCY",     "LIBRARY",      "LOCATION",     "CAT_POLICY_LOCS",
        "CAT_PROFILE",      "CAT_SECURITY_LOCS", "OPERATOR",     "CAT_OPERATOR", "ITEM_TYPE",
        "ITEM_STATUS_TYPE", "ITEM_NOTE_TYPE",    "CALL_NO_TYPE", "BIB_MASTER",   "BIB_DATA",
        "BIB_HISTORY",      "MFHD_MASTER",       "MFHD_DATA",    "MFHD_HISTORY", "AUTH_MASTER",
        "AUTH_DATA",        "AUTH_HISTORY",      "BIB_MFHD",     "ELINK_INDEX",  "ITEM",
        "BIB_ITEM",         "MFHD_ITEM",         "ITEM_BARCODE", "ITEM_STATUS",  "ITEM_NOTE"};
    return tables;
}

std::string DumpTables(odbc::Connection& c, const std::string& prefix, const std::vector<std::string>& tables) {
    std::string dump;
    for (const auto& table : tables) {
        // Segments as hexadecimal text, so that both databases hand over the same form.
        const bool segmented = table.size() > 5 && table.substr(table.size() - 5) == "_DATA";
        const std::string sql = segmented ? "SELECT " + table.substr(0, table.size() - 5) +
                                                "_ID, SEQNUM, RAWTOHEX(RECORD_SEGMENT) FROM " + prefix + table
                                          : "SELECT * FROM " + prefix + table;
        std::vector<std::string> lines;
        for (const Row& row : Query(c, sql)) {
            std::string line = table;
            for (const auto& v : row) line += "\t" + (v ? "=" + *v : std::string("NULL"));
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        for (const auto& l : lines) dump += l + "\n";
    }
    return dump;
}

const std::vector<DemoOperator>& DemoOperators() {
    static const std::vector<DemoOperator> operators = {
        {"cataloger", "cataloger-demo", "YYYYYYYYYYYY", 5},
        {"bibcat", "bibcat-demo", "YYNNNNNNNNNN", 5},
        {"holdcat", "holdcat-demo", "NNNYYNNNNNNN", 8},
        {"guest", "guest-demo", "", 0},
    };
    return operators;
}

bool PasswordMatches(const std::string& password, const std::string& hash) {
    crypt_data data{};
    const char* result = crypt_r(password.c_str(), hash.c_str(), &data);
    return result != nullptr && hash == result;
}

std::string Hex(const std::string& octets) { return TextToHex(octets); }

namespace {

struct JobRun {
    int exitCode = -1;
    std::string output;
    std::map<std::string, long> counters;  // report label -> count
    std::string report;
};

// demo/run-demo.sh with the options: the report it names, and the counter lines it prints.
JobRun RunDemoJob(const std::string& runFolder, const std::vector<std::string>& options) {
    std::vector<std::string> argv = {"sh", std::string(LINKMEND_SOURCE_DIR) + "/demo/run-demo.sh", LINKMEND_BINARY_DIR,
                                     "--run", runFolder};
    argv.insert(argv.end(), options.begin(), options.end());
    // A sanitizer build of the program would report the PostgreSQL driver's own unfreed blocks.
    TempDir scratch;
    WriteFile(scratch.File("lsan.supp"), "leak:psqlodbca.so\n");
    const auto r =
        testdb::RunProcess(argv, {"LSAN_OPTIONS=suppressions=" + scratch.File("lsan.supp") + ":print_suppressions=0"});
    JobRun run{r.exitCode, r.output, {}, {}};
    std::istringstream out(r.output);
    std::string line;
    while (std::getline(out, line)) {
        if (line.compare(0, 8, "Report: ") == 0) run.report = ReadFile(line.substr(8));
        // Counter lines: the count right-aligned in eight characters, a blank, the label.
        if (line.size() > 9 && line[8] == ' ' && std::isdigit(static_cast<unsigned char>(line[7])) &&
            line.substr(0, 8).find_first_not_of(" 0123456789") == std::string::npos)
            run.counters[line.substr(9)] = std::stol(line.substr(0, 8));
    }
    run.counters.erase("rows in the change report");  // checked against the records by tests/golden/demo_changes.py
    return run;
}

}  // namespace

void ExpectTheDemoJobChangesWhatTheSummaryCounts(const std::string& run) {
    const auto summary = ReadSummary(run + "/demo-summary.json");
    auto count = [&](const char* key) { return SummaryCount(summary, key); };
    // Work-list lines the link query yields (bibs reached only through holdings are not read).
    const long read = count("bibs_matching") + count("bibs_case_variant") + count("bibs_second_u") +
                      count("holdings_matching") + count("authorities_matching") + count("item_links_matching");
    const long change = count("records_to_change");
    ASSERT_GT(change, 0);

    JobRun test = RunDemoJob(run, {});
    ASSERT_EQ(test.exitCode, 0) << test.output;
    EXPECT_NE(test.report.find("Run performed as test\r\n"), std::string::npos) << test.report;
    EXPECT_EQ(test.counters, (std::map<std::string, long>{{"records read", read},
                                                          {"records needing the requested change", change},
                                                          {"records would have been updated", change}}))
        << test.report;

    JobRun production = RunDemoJob(run, {"--production"});
    ASSERT_EQ(production.exitCode, 0) << production.output;
    EXPECT_EQ(production.counters, (std::map<std::string, long>{{"records read", read},
                                                                {"records needing the requested change", change},
                                                                {"records updated", change}}))
        << production.report;

    // What is left: the records whose links only look like the stem, and the items.
    JobRun again = RunDemoJob(run, {"--production"});
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(again.counters, (std::map<std::string, long>{{"records read", read - change}})) << again.report;
}

}  // namespace linkmend::test
