#include <gtest/gtest.h>

#include "voyager/SqlText.h"

namespace linkmend {
namespace {

TEST(EncodeSqlNonAscii, AccentedLetterInLiteralBecomesHexPieceBetweenQuotedPieces) {
    EXPECT_EQ(EncodeSqlNonAscii("'caf\xC3\xA9'"), "'caf' || HEXTORAW('C3A9') || ''");
    EXPECT_EQ(EncodeSqlNonAscii("SELECT X FROM T WHERE A = 'caf\xC3\xA9'"),
              "SELECT X FROM T WHERE A = 'caf' || HEXTORAW('C3A9') || ''");
}

TEST(EncodeSqlNonAscii, AsciiTextWithApostrophesAndAposEntityIsUntouched) {
    const std::string sql = "SELECT 'O''Brien', '&apos;' FROM T WHERE X = 'it''s'";
    EXPECT_EQ(EncodeSqlNonAscii(sql), sql);
    EXPECT_EQ(EncodeSqlNonAscii(""), "");
}

TEST(EncodeSqlNonAscii, AdjacentMultiOctetCharactersShareOneHexPiece) {
    // é, ü and a CJK ideograph in a row: one HEXTORAW with all their octets, in order.
    EXPECT_EQ(EncodeSqlNonAscii("'x\xC3\xA9\xC3\xBC\xE4\xB8\xAD'"), "'x' || HEXTORAW('C3A9C3BCE4B8AD') || ''");
    EXPECT_EQ(EncodeSqlNonAscii("'\xC3\xA9t\xC3\xA9'"), "'' || HEXTORAW('C3A9') || 't' || HEXTORAW('C3A9') || ''");
}

TEST(EncodeSqlNonAscii, TextEndingOrStartingWithNonAsciiKeepsItsOuterQuote) {
    EXPECT_EQ(EncodeSqlNonAscii("abc\xC3\xA9"), "'abc' || HEXTORAW('C3A9')");
    EXPECT_EQ(EncodeSqlNonAscii("\xC3\xA9xyz"), "HEXTORAW('C3A9') || 'xyz'");
    EXPECT_EQ(EncodeSqlNonAscii("\xE4\xB8\xAD"), "HEXTORAW('E4B8AD')");
}

TEST(EncodeSqlNonAscii, StrayOctetsAboveAsciiAreHexedToo) {
    // A lone continuation octet or a cut sequence still reaches the database as its octets.
    EXPECT_EQ(EncodeSqlNonAscii("'a\xA9'"), "'a' || HEXTORAW('A9') || ''");
    EXPECT_EQ(EncodeSqlNonAscii("'a\xC3'"), "'a' || HEXTORAW('C3') || ''");
}

TEST(ChrChain, OneChrPerOctetJoinedByConcatenation) {
    EXPECT_EQ(ChrChain("AB"), "CHR(65) || CHR(66)");
    EXPECT_EQ(ChrChain("\xC3\xA9"), "CHR(195) || CHR(169)");
    EXPECT_EQ(ChrChain(""), "");
}

TEST(CodeListCondition, OneCodeIsComparedSeveralAreListedAllIsNoCondition) {
    EXPECT_EQ(CodeListCondition("INDEX_TYPE", "n"), " AND INDEX_TYPE = 'n'");
    EXPECT_EQ(CodeListCondition("HEADING_TYPE", "abc"), " AND HEADING_TYPE IN ('a', 'b', 'c')");
    EXPECT_EQ(CodeListCondition("INDEX_TYPE", "*"), "");
    EXPECT_EQ(CodeListCondition("INDEX_TYPE", ""), "");
}

TEST(IsAllDigits, EmptyTextAndSignsAndBlanksAreNotDigits) {
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("-1"));
    EXPECT_FALSE(IsAllDigits("12 "));
    EXPECT_FALSE(IsAllDigits("1e3"));
}

}  // namespace
}  // namespace linkmend
