// The SQLite extension's functions, loaded straight into SQLite as the ODBC driver's LoadExt does.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>

#include "TestSupport.h"
#include "base/Hex.h"

namespace {

class SqliteExtension : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        sqlite3_enable_load_extension(db_, 1);
        char* error = nullptr;
        ASSERT_EQ(sqlite3_load_extension(db_, LINKMEND_SQLITE_EXTENSION, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
    }
    void TearDown() override { sqlite3_close(db_); }

    // The first column of the first row as octets; nullopt for NULL; "error: ..." on failure.
    std::optional<std::string> Value(const std::string& sql, const std::string& bound = {}, bool bind = false) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return "error: " + std::string(sqlite3_errmsg(db_));
        if (bind) sqlite3_bind_blob(stmt, 1, bound.data(), static_cast<int>(bound.size()), SQLITE_TRANSIENT);
        std::optional<std::string> result;
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            if (sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
                result = std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
            }
        } else {
            result = "error: " + std::string(sqlite3_errmsg(db_));
        }
        sqlite3_finalize(stmt);
        return result;
    }

    sqlite3* db_ = nullptr;
};

TEST_F(SqliteExtension, RawToHexGivesUpperCaseHexOfEveryOctetOfBlobsAndTexts) {
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<char>(i);
    EXPECT_EQ(Value("SELECT RAWTOHEX(?)", all, true), linkmend::TextToHex(all));
    EXPECT_EQ(Value("SELECT RAWTOHEX('caf' || X'C3A9')"), "636166C3A9");
    EXPECT_EQ(Value("SELECT rawtohex(X'00ff')"), "00FF");
    EXPECT_EQ(Value("SELECT RAWTOHEX(12)"), "3132");
    EXPECT_EQ(Value("SELECT RAWTOHEX('')"), "");
    EXPECT_EQ(Value("SELECT RAWTOHEX(NULL)"), std::nullopt);
}

TEST_F(SqliteExtension, HexToRawReadsEitherCaseAndPadsAnOddCountOnTheLeft) {
    EXPECT_EQ(Value("SELECT HEXTORAW('00FFc3a9')"), std::string("\x00\xFF\xC3\xA9", 4));
    EXPECT_EQ(Value("SELECT typeof(HEXTORAW('41'))"), "blob");
    EXPECT_EQ(Value("SELECT HEXTORAW('ABC')"), std::string("\x0A\xBC", 2));
    EXPECT_EQ(Value("SELECT HEXTORAW('F')"), std::string("\x0F", 1));
    EXPECT_EQ(Value("SELECT HEXTORAW('')"), std::nullopt);
    EXPECT_EQ(Value("SELECT HEXTORAW(NULL)"), std::nullopt);
    EXPECT_EQ(Value("SELECT 'caf' || HEXTORAW('C3A9') || ''"), "caf\xC3\xA9");
}

TEST_F(SqliteExtension, HexToRawRefusesWhatIsNotHexadecimal) {
    for (const char* bad : {"4G", "0x41", "41 42", "-1"})
        EXPECT_EQ(Value(std::string("SELECT HEXTORAW('") + bad + "')"), "error: HEXTORAW: invalid hexadecimal number")
            << bad;
}

TEST_F(SqliteExtension, ChrGivesOneOctetBelow256AndTheCodesOctetsAbove) {
    EXPECT_EQ(Value("SELECT CHR(65)"), "A");
    EXPECT_EQ(Value("SELECT CHR(0)"), std::string(1, '\0'));
    EXPECT_EQ(Value("SELECT CHR(233)"), "\xE9");
    EXPECT_EQ(Value("SELECT CHR(255)"), "\xFF");
    EXPECT_EQ(Value("SELECT CHR(50089)"), "\xC3\xA9");
    EXPECT_EQ(Value("SELECT CHR(14844588)"), "\xE2\x82\xAC");
    EXPECT_EQ(Value("SELECT typeof(CHR(65))"), "text");
    EXPECT_EQ(Value("SELECT CHR(NULL)"), std::nullopt);
    EXPECT_EQ(Value("SELECT CHR(-1)"), "error: CHR: character code out of range");
}

}  // namespace
