// The two schema scripts: the same tables and columns, the tables and indexes the reader and the
// job rely on, and databases created octet-transparent.
#include <algorithm>
#include <map>

#include "DbTest.h"
#include "TestSupport.h"

using namespace linkmend;
using namespace linkmend::testdb;

namespace {

using Columns = std::map<std::string, std::vector<std::string>>;

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Table -> column names in declaration order, upper case, read through the database's catalogue.
Columns CatalogueColumns(const TestDatabase& db) {
    odbc::Connection c;
    c.Connect(db.Dsn(), db.Uid(), db.Pwd());
    auto s = c.Prepare(db.Kind() == DbKind::Sqlite
                           ? "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                             "WHERE m.type = 'table' ORDER BY m.name, p.cid"
                           : "SELECT table_name, column_name FROM information_schema.columns "
                             "WHERE table_schema = 'linkmend_db' ORDER BY table_name, ordinal_position");
    s.Execute();
    Columns columns;
    while (s.Fetch()) columns[Upper(*s.Text(1))].push_back(Upper(*s.Text(2)));
    return columns;
}

// Index definitions as the catalogue prints them, upper case.
std::vector<std::string> CatalogueIndexes(const TestDatabase& db) {
    odbc::Connection c;
    c.Connect(db.Dsn(), db.Uid(), db.Pwd());
    auto s =
        c.Prepare(db.Kind() == DbKind::Sqlite ? "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"
                                              : "SELECT indexdef FROM pg_indexes WHERE schemaname = 'linkmend_db'");
    s.Execute();
    std::vector<std::string> indexes;
    while (s.Fetch()) {
        std::string def = Upper(*s.Text(1));
        def.erase(std::remove(def.begin(), def.end(), '"'), def.end());
        indexes.push_back(def);
    }
    return indexes;
}

const std::vector<std::string> kRequiredTables = {"VERSIONS",
                                                  "BIB_DATA",
                                                  "BIB_MASTER",
                                                  "BIB_HISTORY",
                                                  "MFHD_DATA",
                                                  "MFHD_MASTER",
                                                  "MFHD_HISTORY",
                                                  "AUTH_DATA",
                                                  "AUTH_MASTER",
                                                  "AUTH_HISTORY",
                                                  "BIB_MFHD",
                                                  "ELINK_INDEX",
                                                  "LOCATION",
                                                  "LIBRARY",
                                                  "BIB_ITEM",
                                                  "MFHD_ITEM",
                                                  "ITEM",
                                                  "ITEM_BARCODE",
                                                  "ITEM_STATUS",
                                                  "ITEM_STATUS_TYPE",
                                                  "ITEM_TYPE",
                                                  "ITEM_NOTE",
                                                  "ITEM_NOTE_TYPE",
                                                  "BASE_CURRENCY",
                                                  "CAT_OPERATOR",
                                                  "CAT_PROFILE",
                                                  "CAT_SECURITY_LOCS",
                                                  "CAT_POLICY_LOCS",
                                                  "BIB_INDEX",
                                                  "AUTH_INDEX",
                                                  "HEADING",
                                                  "AUTH_HEADING",
                                                  "BIB_HEADING",
                                                  "SUBDIVISION",
                                                  "AUTH_SUBDIVISION",
                                                  "BIB_SUBDIVISION",
                                                  "HEADING_SUBDIVISION",
                                                  "CALL_NO_TYPE"};

class Schema : public DbTest {};

TEST_P(Schema, HoldsEveryTableTheReaderAndTheJobQuery) {
    const Columns columns = CatalogueColumns(Db());
    for (const auto& table : kRequiredTables) EXPECT_TRUE(columns.count(table)) << table;
    EXPECT_EQ(columns.at("ELINK_INDEX"),
              (std::vector<std::string>{"LINK_ID", "RECORD_ID", "RECORD_TYPE", "LINK_SUBTYPE", "LINK", "LINK_TEXT"}));
    EXPECT_EQ(columns.at("BIB_DATA"), (std::vector<std::string>{"BIB_ID", "SEQNUM", "RECORD_SEGMENT"}));
}

TEST_P(Schema, HasTheIndexesOfARealInstallation) {
    const auto indexes = CatalogueIndexes(Db());
    auto has = [&](const std::string& table, const std::string& columns) {
        return std::any_of(indexes.begin(), indexes.end(), [&](const std::string& def) {
            std::string compact;
            for (char c : def)
                if (c != ' ') compact += c;
            return compact.find("ON" + table) != std::string::npos &&
                   (compact.find("(" + columns + ")") != std::string::npos ||
                    compact.find("BTREE(" + columns + ")") != std::string::npos);
        });
    };
    const std::string p = IsSqlite() ? "" : "LINKMEND_DB.";
    EXPECT_TRUE(has(p + "ELINK_INDEX", IsSqlite() ? "UPPER(LINK)" : "UPPER((LINK)::TEXT)"));
    EXPECT_TRUE(has(p + "BIB_HISTORY", "BIB_ID"));
    EXPECT_TRUE(has(p + "MFHD_HISTORY", "MFHD_ID"));
    EXPECT_TRUE(has(p + "BIB_MFHD", "MFHD_ID"));
    EXPECT_TRUE(has(p + "LOCATION", "LOCATION_CODE"));
}

// The database's own settings that keep octets unchanged.
TEST_P(Schema, DatabaseIsOctetTransparentByConstruction) {
    odbc::Connection c;
    c.Connect(Db().Dsn(), Db().Uid(), Db().Pwd());
    auto s = c.Prepare(IsSqlite()
                           ? "PRAGMA journal_mode"
                           : "SELECT pg_encoding_to_char(encoding) || ' ' || datcollate || ' ' || "
                             "current_setting('client_encoding') FROM pg_database WHERE datname = current_database()");
    s.Execute();
    ASSERT_TRUE(s.Fetch());
    EXPECT_EQ(s.Text(1), IsSqlite() ? "wal" : "SQL_ASCII C SQL_ASCII");
}

LINKMEND_DB_TEST_SUITE(Schema);

TEST(SchemaScripts, SqliteAndPostgresqlDefineTheSameTablesAndColumns) {
    auto sqlite = DatabaseOrSkip(DbKind::Sqlite);
    auto postgres = DatabaseOrSkip(DbKind::Postgres);
    if (!sqlite || !postgres) return;
    const Columns a = CatalogueColumns(*sqlite), b = CatalogueColumns(*postgres);
    for (const auto& [table, columns] : a) {
        ASSERT_TRUE(b.count(table)) << table << " is missing from the PostgreSQL schema";
        EXPECT_EQ(columns, b.at(table)) << table;
    }
    for (const auto& [table, columns] : b) EXPECT_TRUE(a.count(table)) << table << " is missing from the SQLite schema";
}

}  // namespace
