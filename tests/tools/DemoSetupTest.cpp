// demo/setup-demo.sh: the folder it writes holds a database and settings that work together (the
// read-only data source reads and cannot write, the read-write one writes, the profile names both
// and the operator), it touches nothing outside that folder, and a second run starts afresh.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "DemoSupport.h"
#include "PgCluster.h"
#include "TestDatabase.h"
#include "TestSupport.h"
#include "base/INI.h"
#include "profile/Password.h"

namespace linkmend::test {
namespace {

// Runs one statement on a data source of the demo's ODBC configuration (the process's own is put
// back afterwards); rows come back as "a|b" lines, a failure as the driver's text.
std::string Sql(const std::map<std::string, std::string>& env, const std::string& dsn, const std::string& uid,
                const std::string& pwd, const std::string& sql) {
    std::map<std::string, std::optional<std::string>> saved;
    for (const char* name : {"ODBCSYSINI", "ODBCINI"}) {
        const char* old = std::getenv(name);
        saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        setenv(name, env.at(name).c_str(), 1);
    }
    std::string out;
    try {
        odbc::Connection c;
        c.Connect(dsn, uid, pwd);
        for (const Row& row : Query(c, sql)) {
            std::string line;
            for (const auto& v : row) line += (line.empty() ? "" : "|") + v.value_or("NULL");
            out += (out.empty() ? "" : "\n") + line;
        }
    } catch (const std::exception& e) {
        out = e.what();
    }
    for (const auto& [name, value] : saved) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
    return out;
}

// A value as Linkmend reads it: a password with the profile's size (at most 79 characters).
std::string Ini(const std::string& file, const std::string& section, const std::string& key) {
    return ReadIniValue(file, section, key, key == "PWD" ? 80 : 1000);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(DemoSetup, TheSqliteDemoWorksWithBothAccountsAndStaysInItsFolder) {
    TempDir base;
    const std::string run = base.File("run"), home = base.File("home");
    std::filesystem::create_directory(home);
    auto r = RunSetup({"--bibs", "150", "--seed", "3", "--run", run}, home);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(Contains(r.output, "Demo ready in " + run)) << r.output;
    EXPECT_TRUE(std::filesystem::is_empty(home)) << "nothing may go to the user's own home or ~/.config";
    EXPECT_TRUE(std::filesystem::is_directory(run + "/reports"));

    const std::string profile = run + "/profile/Linkmend.INI";
    EXPECT_EQ(Ini(profile, "Connection", "DSN"), "LinkmendDemoRO");
    EXPECT_EQ(Ini(profile, "Connection", "TNP"), "main.");
    EXPECT_EQ(Ini(profile, "Connection", "VoyagerPath"), run + "/profile/");
    EXPECT_EQ(Ini(profile, "Read", "UID"), "dbread");
    EXPECT_NE(Ini(profile, "Read", "PWD"), "dbread-demo") << "passwords are stored scrambled";
    EXPECT_EQ(UnscramblePassword(Ini(profile, "Read", "PWD")), "dbread-demo");
    EXPECT_EQ(Ini(profile, "Write", "UID"), "cataloger");
    EXPECT_EQ(UnscramblePassword(Ini(profile, "Write", "PWD")), "cataloger-demo");
    EXPECT_EQ(Ini(profile, "Folders", "FolderForReports"), run + "/reports/");
    EXPECT_EQ(Ini(profile, "Miscellaneous", "Happening"), "5");
    EXPECT_EQ(Ini(profile, "Miscellaneous", "BooleansDefaultTrue"), "TTTTTTTTTT");
    EXPECT_EQ(Ini(profile, "Miscellaneous", "OwningLibraryString"), "1 2 3");
    EXPECT_EQ(Ini(profile, "UrlStem", "Old"), kOldStem);
    EXPECT_EQ(Ini(profile, "UrlStem", "New"), kNewStem);
    EXPECT_EQ(Ini(profile, "UrlStem", "UrlActions"), "100000");
    EXPECT_EQ(Ini(profile, "UrlStem", "MatchEnd"), "0");
    EXPECT_EQ(Ini(profile, "UrlStem", "BibLimit"), "0");
    EXPECT_EQ(Ini(profile, "General", "LimitByLocation"), "False");
    struct stat st {};
    ASSERT_EQ(stat(profile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a file with passwords is for its owner only";

    const std::string voyager = run + "/profile/Voyager.INI";
    EXPECT_EQ(Ini(voyager, "Database", "DSN"), "LinkmendDemo");
    EXPECT_EQ(Ini(voyager, "Database", "UID"), "dbwrite");
    EXPECT_EQ(Ini(voyager, "Database", "PWD"), "dbwrite-demo");
    EXPECT_EQ(Ini(voyager, "Database", "TableNamePrefix"), "main.");
    const std::string reader = run + "/profile/VGERREAD.INI";
    EXPECT_EQ(Ini(reader, "Login", "DSN"), "LinkmendDemoRO");
    EXPECT_EQ(Ini(reader, "Tables", "TableNamePrefix$"), "main.");
    EXPECT_EQ(Ini(reader, "General", "DebuggingFile"), run + "/VrDebug.txt");

    const auto env = DemoEnvironment(run);
    EXPECT_EQ(env.at("ODBCSYSINI"), run);
    EXPECT_EQ(env.at("ODBCINI"), run + "/odbc.ini");
    EXPECT_EQ(env.at("LINKMEND_PROFILE_DIR"), run + "/profile");
    // The read-only source: the job's link query, the reader's segment query (RAWTOHEX from the
    // built extension), the operator's happening location; no writing.
    const std::string stem(kOldStem);
    std::string upperStem = stem;
    for (char& c : upperStem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto summary = ReadSummary(run + "/demo-summary.json");
    const std::string found = Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo",
                                  "SELECT COUNT(DISTINCT RECORD_ID) FROM main.ELINK_INDEX WHERE RECORD_TYPE = 'B' AND "
                                  "UPPER(LINK) LIKE '" +
                                      upperStem + "%'");
    EXPECT_EQ(found,
              std::to_string(SummaryCount(summary, "bibs_matching") + SummaryCount(summary, "bibs_case_variant") +
                             SummaryCount(summary, "bibs_second_u")));
    EXPECT_EQ(SummaryCount(summary, "bibs_matching"), 30) << "20% of 150";
    EXPECT_TRUE(Contains(Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo",
                             "SELECT RAWTOHEX(RECORD_SEGMENT) FROM main.BIB_DATA WHERE BIB_ID = 1 AND SEQNUM = 1"),
                         "3030"))  // "00" of the record length, in hexadecimal
        << "RAWTOHEX comes from the extension the data source loads";
    EXPECT_EQ(Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo",
                  "SELECT T2.LOCATION_ID FROM main.CAT_OPERATOR T1, main.CAT_SECURITY_LOCS T2, main.CAT_POLICY_LOCS T3 "
                  "WHERE T1.OPERATOR_ID = 'cataloger' AND T2.CAT_PROFILE_ID = T1.CAT_PROFILE_ID AND T3.LOCATION_ID = "
                  "T2.LOCATION_ID AND T3.CATALOGING_LOCATION = 'Y' AND T2.LOCATION_ID = 5"),
              "5");
    EXPECT_TRUE(Contains(
        Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo", "INSERT INTO main.LIBRARY (LIBRARY_ID) VALUES (99)"),
        "attempt to write a readonly database"));
    // The read-write source writes.
    EXPECT_EQ(Sql(env, "LinkmendDemo", "dbwrite", "dbwrite-demo", "INSERT INTO main.LIBRARY (LIBRARY_ID) VALUES (99)"),
              "");
    EXPECT_EQ(Sql(env, "LinkmendDemo", "dbwrite", "dbwrite-demo", "SELECT COUNT(*) FROM main.LIBRARY"), "4");

    // The job on the demo: what its settings ask for, exactly as the generator counted.
    ExpectTheDemoJobChangesWhatTheSummaryCounts(run);

    // A second setup starts afresh.
    r = RunSetup({"--bibs", "120", "--run", run}, home);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo", "SELECT COUNT(*) FROM main.BIB_MASTER"), "120");
    EXPECT_EQ(Sql(env, "LinkmendDemoRO", "dbread", "dbread-demo", "SELECT COUNT(*) FROM main.LIBRARY"), "3");
    EXPECT_TRUE(std::filesystem::is_empty(home));
}

TEST(DemoSetup, UnknownOptionsMissingValuesAndAMissingDemoAreRefused) {
    TempDir base;
    const std::string run = base.File("run");
    auto r = RunSetup({"--bibs"}, base.Path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.output, "setup-demo.sh: --bibs needs a value")) << r.output;
    r = RunSetup({"--postgress", "--run", run}, base.Path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.output, "setup-demo.sh: unknown option --postgress")) << r.output;
    r = RunSetup({"--bibs", "0", "--run", run}, base.Path());
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(Contains(r.output, "--bibs must be 1 to 1000000, not 0")) << r.output;
    EXPECT_FALSE(FileExists(run + "/linkmend-demo.db"));
    EXPECT_FALSE(FileExists(run + "/profile/Linkmend.INI"));
    // Running the demo job where no demo was set up.
    r = testdb::RunProcess(
        {"sh", std::string(LINKMEND_SOURCE_DIR) + "/demo/run-demo.sh", LINKMEND_BINARY_DIR, "--run", run});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.output, "run-demo.sh: no demo in " + run + ": run demo/setup-demo.sh first")) << r.output;
}

TEST(DemoSetup, ThePostgresDemoReadsThroughTheSelectOnlyRoleAndRunsTheJob) {
    testdb::PgClusterInfo cluster;
    try {
        cluster = testdb::TestCluster();
    } catch (const testdb::PostgresUnavailable& e) {
        if (testdb::PostgresRequired()) FAIL() << e.what();
        GTEST_SKIP() << "PostgreSQL unavailable: " << e.what();
    }
    TempDir base;
    const std::string run = base.File("run"), state = base.File("cluster.state");
    testdb::PgCluster::WriteState(state, cluster);
    const std::string database = "demo_setup_" + std::to_string(getpid());
    struct Drop {
        const testdb::PgClusterInfo& cluster;
        std::string database;
        ~Drop() {
            try {
                testdb::PgCluster::Superuser(cluster, "postgres",
                                             "DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
            } catch (...) {
                // The cluster goes at the end of the run anyway.
            }
        }
    } drop{cluster, database};
    const auto r =
        RunSetup({"--bibs", "100", "--run", run, "--pg-cluster", state, "--pg-database", database}, base.Path());
    ASSERT_EQ(r.exitCode, 0) << r.output;

    const std::string profile = run + "/profile/Linkmend.INI";
    EXPECT_EQ(Ini(profile, "Connection", "DSN"), "LinkmendDemoPgRO");
    EXPECT_EQ(Ini(profile, "Connection", "TNP"), "linkmend_db.");
    EXPECT_EQ(Ini(profile, "Read", "UID"), testdb::kPgReader);
    // Scrambled, this 22-character password would not fit what Linkmend reads: it is kept plain.
    EXPECT_EQ(Ini(profile, "Read", "PWD"), testdb::kPgReaderPassword);
    EXPECT_EQ(UnscramblePassword(Ini(profile, "Read", "PWD")), testdb::kPgReaderPassword);
    const std::string voyager = run + "/profile/Voyager.INI";
    EXPECT_EQ(Ini(voyager, "Database", "DSN"), "LinkmendDemoPg");
    EXPECT_EQ(Ini(voyager, "Database", "UID"), testdb::kPgOwner);

    const auto env = DemoEnvironment(run);
    EXPECT_EQ(Sql(env, "LinkmendDemoPgRO", testdb::kPgReader, testdb::kPgReaderPassword,
                  "SELECT COUNT(*) FROM linkmend_db.BIB_MASTER"),
              "100");
    EXPECT_TRUE(Contains(Sql(env, "LinkmendDemoPgRO", testdb::kPgReader, testdb::kPgReaderPassword,
                             "INSERT INTO linkmend_db.LIBRARY (LIBRARY_ID) VALUES (99)"),
                         "permission denied"));
    EXPECT_EQ(Sql(env, "LinkmendDemoPg", testdb::kPgOwner, testdb::kPgOwnerPassword,
                  "INSERT INTO linkmend_db.LIBRARY (LIBRARY_ID) VALUES (99)"),
              "");
    EXPECT_EQ(Sql(env, "LinkmendDemoPg", testdb::kPgOwner, testdb::kPgOwnerPassword,
                  "SELECT COUNT(*) FROM linkmend_db.LIBRARY"),
              "4");
    ExpectTheDemoJobChangesWhatTheSummaryCounts(run);
}

}  // namespace
}  // namespace linkmend::test
