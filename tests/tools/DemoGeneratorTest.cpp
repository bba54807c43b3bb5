// The generator's answers to bad input (a clear message, nothing written, nothing lost) and its
// rounding of the matching share.
#include "DemoDb.h"

namespace linkmend::test {
namespace {

class DemoGenerator : public DemoDb {};

TEST(DemoGeneratorArguments, ImpossibleArgumentsAreRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    const std::string file = dir.File("demo.db");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--sqlite", file, "--bibs", "0"}, "--bibs must be 1 to 1000000, not 0"},
        {{"--sqlite", file, "--bibs", "1000001"}, "--bibs must be 1 to 1000000, not 1000001"},
        {{"--sqlite", file, "--bibs", "many"}, "--bibs: invalid int value: 'many'"},
        {{"--sqlite", file, "--matching", "100.5"}, "--matching must be a percentage from 0 to 100, not 100.5"},
        {{"--sqlite", file, "--matching", "-1"}, "--matching must be a percentage from 0 to 100, not -1"},
        {{"--sqlite", file, "--matching", "half"}, "--matching must be a percentage from 0 to 100, not half"},
        {{"--bibs", "10"}, "one of the arguments --sqlite --postgres is required"},
        {{"--sqlite", file, "--postgres", "dbname=x"}, "argument --postgres: not allowed with argument --sqlite"},
        {{"--postgres", "dbname=x", "--grant-select", "x; DROP TABLE y"}, "--grant-select takes a plain role name"},
    };
    for (const Case& c : cases) {
        const auto r = RunGenerator(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_FALSE(FileExists(file)) << c.message;
    }
}

TEST(DemoGeneratorArguments, AFileThatIsNotAnEmptyDemoDatabaseIsLeftAsItWas) {
    TempDir dir;
    const std::string text = dir.File("notes.db");
    WriteFile(text, "Shelf list, not a database\n");
    auto r = RunGenerator({"--sqlite", text, "--bibs", "10"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find(text + " is not an SQLite database"), std::string::npos) << r.output;
    EXPECT_EQ(ReadFile(text), "Shelf list, not a database\n");

    // An empty file is an SQLite database without tables.
    const std::string empty = dir.File("empty.db");
    WriteFile(empty, "");
    r = RunGenerator({"--sqlite", empty, "--bibs", "10"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find(empty + " exists but lacks the demo schema (no table AUTH_DATA); nothing was changed"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(ReadFile(empty), "");
}

TEST(DemoGeneratorArguments, AnUnreachablePostgresServerIsNamedInTheMessage) {
    // A port nothing listens on: psql's own words come through.
    const auto r = RunGenerator(
        {"--postgres", "host=127.0.0.1 port=1 dbname=nothing user=nobody connect_timeout=5", "--bibs", "10"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("generate.py: psql failed: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("127.0.0.1"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Traceback"), std::string::npos) << r.output;
}

TEST_P(DemoGenerator, ADatabaseThatHoldsRecordsIsRefusedUnchangedAndReplacedOnRequest) {
    Generate(40, 31, "20");
    const std::string before = DumpTables(Reader(), Prefix(), GeneratedTables());
    std::vector<std::string> args = TargetArgs();
    args.insert(args.end(), {"--bibs", "60", "--seed", "32"});
    auto r = RunGenerator(args, TargetEnv());
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("already holds rows (table BIB_MASTER); nothing was changed"), std::string::npos)
        << r.output;
    EXPECT_EQ(DumpTables(Reader(), Prefix(), GeneratedTables()), before);

    args.push_back("--replace");
    r = RunGenerator(args, TargetEnv());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // SQLite replaces the file, so a connection opened before sees the old one: ask a new one.
    odbc::Connection fresh;
    fresh.Connect(Db().ReadOnlyDsn(), Db().ReadOnlyUid().empty() ? "dbread" : Db().ReadOnlyUid(),
                  Db().ReadOnlyPwd().empty() ? "dbread-demo" : Db().ReadOnlyPwd());
    EXPECT_EQ(*Query(fresh, "SELECT COUNT(*) FROM " + Prefix() + "BIB_MASTER")[0][0], "60");
    EXPECT_EQ(*Query(fresh, "SELECT COUNT(*) FROM " + Prefix() + "OPERATOR")[0][0], "4");
}

TEST_P(DemoGenerator, TheMatchingShareIsRoundedToTheNearestRecord) {
    struct Case {
        int bibs;
        const char* percent;
        long matching;
    };
    for (const Case& c : {Case{7, "50", 4}, Case{9, "100", 9}, Case{10, "0", 0}, Case{3, "33.4", 1}}) {
        SCOPED_TRACE(std::to_string(c.bibs) + " bibs, " + c.percent + "%");
        std::vector<std::string> args = TargetArgs();
        const std::string summary = work_.File("summary.json");
        args.insert(args.end(),
                    {"--bibs", std::to_string(c.bibs), "--matching", c.percent, "--replace", "--summary", summary});
        const auto r = RunGenerator(args, TargetEnv());
        ASSERT_EQ(r.exitCode, 0) << r.output;
        odbc::Connection fresh;
        fresh.Connect(Db().ReadOnlyDsn(), Db().ReadOnlyUid().empty() ? "dbread" : Db().ReadOnlyUid(),
                      Db().ReadOnlyPwd().empty() ? "dbread-demo" : Db().ReadOnlyPwd());
        const auto stored = ReadStoredRecords(fresh, Prefix(), "BIB_DATA");
        ASSERT_EQ(static_cast<int>(stored.size()), c.bibs);
        std::string all;
        for (const auto& s : stored) all += s.octets;
        long matching = 0;
        for (const DecodedRecord& rec : DecodeWithMarcRecord(all)) {
            bool match = false;
            for (const DecodedField* f : rec.All("856")) {
                const auto u = FirstSubfield(*f, 'u');
                match = match || (u && u->compare(0, std::string(kOldStem).size(), kOldStem) == 0);
            }
            matching += match;
        }
        EXPECT_EQ(matching, c.matching);
        EXPECT_EQ(SummaryCount(ReadSummary(summary), "bibs_matching"), c.matching);
    }
}

LINKMEND_DB_TEST_SUITE(DemoGenerator);

}  // namespace
}  // namespace linkmend::test
