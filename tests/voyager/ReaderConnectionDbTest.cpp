// The reader's connection and pass-through against both drivers.
#include "ReaderDbTest.h"

namespace linkmend::test {
namespace {

class ReaderConnection : public ReaderDb {};

TEST_P(ReaderConnection, VersionIsReadOnFirstUseWithTwoDigitYearsWidened) {
    Exec("INSERT INTO " + P() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', ' 99.2 ')");
    auto r = NewReader();
    EXPECT_EQ(r->SqlStatementsSubmitted(), 0);
    EXPECT_EQ(r->VgerMajorVersion(), 1999);  // connects first
    EXPECT_EQ(r->VgerVersion(), "99.2");
    Exec("UPDATE " + P() + "VERSIONS SET VERSION = '2001.2.1'");
    EXPECT_EQ(r->VgerMajorVersion(), 1999);  // read once per reader
    auto r2 = NewReader();
    EXPECT_EQ(r2->VgerMajorVersion(), 2001);
}

TEST_P(ReaderConnection, MissingVersionRowLeavesMajorVersion2000) {
    auto r = NewReader();
    EXPECT_EQ(r->VgerMajorVersion(), 2000);
    EXPECT_EQ(r->VgerVersion(), "");
}

TEST_P(ReaderConnection, ExecuteSqlWithSetZeroHandsBackNewSetsAndReusesNamedOnes) {
    Exec("INSERT INTO " + P() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (1, 'Main'), (2, NULL), (3, 'Law')");
    auto r = NewReader();
    std::int16_t a = 0;
    r->ExecuteSQL("SELECT LIBRARY_ID, LIBRARY_NAME FROM " + P() + "LIBRARY ORDER BY LIBRARY_ID", a);
    EXPECT_EQ(a, 1);
    std::int16_t b = 0;
    r->ExecuteSQL("SELECT LIBRARY_NAME, LIBRARY_ID FROM " + P() + "LIBRARY ORDER BY LIBRARY_ID", b);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(r->ResultSet(), 2);
    EXPECT_EQ(r->SQLString(), "SELECT LIBRARY_NAME, LIBRARY_ID FROM " + P() + "LIBRARY ORDER BY LIBRARY_ID");
    ASSERT_TRUE(r->GetNextRow(a));
    EXPECT_EQ(r->CurrentRow(2), "Main");
    EXPECT_EQ(r->CurrentRow(b, 2), "");  // set b has not fetched yet
    ASSERT_TRUE(r->GetNextRow(b));
    EXPECT_EQ(r->CurrentRow(b, 1), "Main");
    // Column 1 empty reads as the end, though rows follow.
    EXPECT_FALSE(r->GetNextRow(b));
    EXPECT_EQ(r->CurrentRow(2), "2");
    EXPECT_TRUE(r->GetNextRow(b));
    EXPECT_EQ(r->CurrentRow(1), "Law");
    EXPECT_FALSE(r->GetNextRow(b));
    EXPECT_EQ(r->CurrentRow(1), "");
    // The named set is reused; the current set keeps its number.
    std::int16_t again = 1;
    r->ExecuteSQL("SELECT LIBRARY_NAME FROM " + P() + "LIBRARY WHERE LIBRARY_ID = 3", again);
    EXPECT_EQ(again, 1);
    ASSERT_TRUE(r->GetNextRow());
    EXPECT_EQ(r->CurrentRow(1), "Law");
    r->ExecuteSQL("SELECT LIBRARY_ID FROM " + P() + "LIBRARY WHERE LIBRARY_ID = 1");
    EXPECT_EQ(r->ResultSet(), 1);
    EXPECT_EQ(r->ColumnCount(), 1);
}

TEST_P(ReaderConnection, ScrollingFetchMovesForward) {
    Exec("INSERT INTO " + P() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME) VALUES (1, 'Main'), (2, 'Law')");
    auto r = NewReader();
    std::int16_t s = 0;
    r->ExecuteSQL("SELECT LIBRARY_NAME FROM " + P() + "LIBRARY ORDER BY LIBRARY_ID", s);
    ASSERT_TRUE(r->GetNextRowScroll(s, VgerReaderDllClass6::kFetchNext, 1));
    EXPECT_EQ(r->CurrentRow(1), "Main");
    ASSERT_TRUE(r->GetNextRowScroll(s, VgerReaderDllClass6::kFetchNext, 1));
    EXPECT_EQ(r->CurrentRow(1), "Law");
    EXPECT_FALSE(r->GetNextRowScroll(s, VgerReaderDllClass6::kFetchNext, 1));
}

TEST_P(ReaderConnection, ColumnHeadersAndHeaderChecks) {
    auto r = NewReader();
    std::int16_t s = 0;
    r->ExecuteSQL("SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE FROM " + P() + "LIBRARY", s);
    EXPECT_EQ(r->ColumnCount(s), 3);
    std::string headers = r->ColumnHeaders(s);
    for (char& c : headers) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(headers, "LIBRARY_ID\nLIBRARY_NAME\nNUC_CODE");
    std::string second = r->ColumnHeader(s, 2);
    for (char& c : second) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(second, "LIBRARY_NAME");
    ExpectError([&] { r->ColumnHeader(s, 0); }, 380, "VgerRead", "Invalid value for column property (maximum of 3)");
    ExpectError([&] { r->ColumnHeader(s, 4); }, 380, "VgerRead", "Invalid value for column property (maximum of 3)");
}

TEST_P(ReaderConnection, NonAsciiLiteralsSelectTheSameRowsAsPlainUtf8) {
    const std::string names[] = {"caf\xC3\xA9",
                                 "\xC3\xBC"
                                 "ber",
                                 "\xE4\xB8\xAD\xE6\x96\x87", "plain"};
    auto ins = Writer().Prepare("INSERT INTO " + P() +
                                "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME) VALUES (?, ?, ?)");
    for (int i = 0; i < 4; ++i) {
        ins.BindInt32(1, i + 1);
        ins.BindText(2, "L" + std::to_string(i + 1));
        ins.BindText(3, names[i]);
        ins.Execute();
    }
    auto r = NewReader();
    for (int i = 0; i < 4; ++i) {
        const std::string sql = "SELECT LOCATION_ID FROM " + P() + "LOCATION WHERE LOCATION_NAME = '" + names[i] + "'";
        // What the database answers to the plain UTF-8 literal…
        auto plain = Writer().Prepare(sql);
        plain.Execute();
        ASSERT_TRUE(plain.Fetch()) << names[i];
        const std::string expected = plain.Text(1).value_or("");
        EXPECT_EQ(expected, std::to_string(i + 1));
        // …it answers to the rewritten one too.
        std::int16_t s = 0;
        r->ExecuteSQL(sql, s);
        if (i < 3) {
            EXPECT_NE(r->SQLString().find("HEXTORAW('"), std::string::npos) << r->SQLString();
        }
        ASSERT_TRUE(r->GetNextRow(s)) << r->SQLString();
        EXPECT_EQ(r->CurrentRow(1), expected);
        EXPECT_FALSE(r->GetNextRow(s));
    }
    std::int16_t s = 0;
    r->ExecuteSQL("SELECT LOCATION_NAME FROM " + P() +
                      "LOCATION WHERE LOCATION_NAME LIKE '%"
                      "\xC3\xBC"
                      "%'",
                  s);
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), names[1]);
}

TEST_P(ReaderConnection, BaseCurrencyIsLoadedOnce) {
    Exec("INSERT INTO " + P() + "BASE_CURRENCY VALUES ('Norway', 'NOK', 'Krone', 2, ',')");
    auto r = NewReader();
    EXPECT_EQ(r->BaseCurrencyCountry(), "Norway");
    EXPECT_EQ(r->BaseCurrencyCode(), "NOK");
    EXPECT_EQ(r->BaseCurrencyName(), "Krone");
    EXPECT_EQ(r->BaseCurrencyDecimals(), 2);
    const auto statements = r->SqlStatementsSubmitted();
    EXPECT_EQ(r->BaseCurrencyDecimalDelimiter(), ",");
    EXPECT_EQ(r->SqlStatementsSubmitted(), statements);
}

TEST_P(ReaderConnection, DumpTableWritesHeadersAndRowsWithEscapes) {
    Exec("INSERT INTO " + P() + "LIBRARY VALUES (1, 'Main', 'Main\tLibrary', NULL), (2, 'Law', 'Law\nLibrary', 'X')");
    auto r = NewReader();
    TempDir dir;
    const std::string out = dir.File("library.txt");
    r->DumpTable(P() + "LIBRARY", out);
    std::string text = ReadFile(out);
    // Column labels may come back in the database's case.
    const std::size_t lf = text.find('\n');
    std::string header = text.substr(0, lf);
    for (char& c : header) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(header, "LIBRARY_ID\tLIBRARY_NAME\tLIBRARY_DISPLAY_NAME\tNUC_CODE");
    EXPECT_EQ(text.substr(lf + 1), "1\tMain\tMain\\tLibrary\t\n2\tLaw\tLaw\\nLibrary\tX\n");
    r->DumpTable(P() + "LIBRARY", out, 1);
    EXPECT_EQ(ReadFile(out).substr(lf + 1), "1\tMain\tMain\\tLibrary\t\n");
    ExpectError([&] { r->DumpTable("", out); }, ObjectError(1073), "VgerRead", "No table name supplied");
    ExpectError([&] { r->DumpTable("LIBRARY; DROP TABLE LIBRARY", out); }, 380, "VgerRead",
                "Invalid value for table name: LIBRARY; DROP TABLE LIBRARY");
    ExpectError([&] { r->DumpTable("LIBRARY", ""); }, ObjectError(1074), "VgerRead", "No output file name supplied");
}

TEST_P(ReaderConnection, DatabaseStructureListsEveryTableOfThePrefix) {
    auto r = NewReader();
    TempDir dir;
    const std::string out = dir.File("structure.txt");
    r->DumpDatabaseStructure(out);
    std::string text = ReadFile(out);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* line : {"\nBIB_DATA\tRECORD_SEGMENT\t", "\nMFHD_MASTER\tNORMALIZED_CALL_NO\t",
                             "\nCAT_PROFILE\tAUTH_DELETE\t", "\nELINK_INDEX\tLINK\t"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    ExpectError([&] { r->DumpDatabaseStructure(""); }, ObjectError(1074), "VgerRead", "No output file name supplied");
}

// Only a server connection can be cut from outside (an SQLite file stays open), so this case runs
// on PostgreSQL alone.
TEST(ReaderLostConnection, RaisesTheEnginesErrorNotAnEmptyRecord) {
    TempDir profile;
    setenv("LINKMEND_PROFILE_DIR", profile.Path().c_str(), 1);
    auto db = testdb::DatabaseOrSkip(testdb::DbKind::Postgres);
    if (!db) return;
    odbc::Connection owner;
    owner.Connect(db->Dsn(), db->Uid(), db->Pwd());
    auto st =
        owner.Prepare("INSERT INTO " + db->Prefix() + "BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT) VALUES (7, ?, ?)");
    const std::string record = RecordOf(1500);
    st.BindInt32(1, 1);
    st.BindBinary(2, record.substr(0, 990));
    st.Execute();
    st.BindInt32(1, 2);
    st.BindBinary(2, record.substr(990));
    st.Execute();
    // The owner's account, so that the owner may end the reader's server process.
    VgerReaderClass7 r;
    r.DSN(db->Dsn());
    r.TableNamePrefix(db->Prefix());
    r.uID(db->Uid());
    r.PWD(db->Pwd());
    r.RetrieveBibRecord("7");
    ASSERT_TRUE(OctetsEqual(record, r.BibRecord()));
    std::int16_t s = 0;
    r.ExecuteSQL("SELECT pg_backend_pid()", s);
    ASSERT_TRUE(r.GetNextRow(s));
    owner.Execute("SELECT pg_terminate_backend(" + r.CurrentRow(1) + ")");
    try {
        r.RetrieveBibRecord("7");
        FAIL() << "no error; record of " << r.BibRecord().size() << " octets";
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), ObjectError(1000)) << e.Description();
        EXPECT_NE(e.Source().find("VgerReadDLL"), std::string::npos);
    }
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderConnection);

}  // namespace linkmend::test
