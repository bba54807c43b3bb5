#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "profile/AnsiCodePage.h"
#include "profile/Password.h"

using namespace linkmend;

namespace {

std::vector<long> Numbers(const std::string& scrambled) {
    std::istringstream in(scrambled);
    std::vector<long> out;
    long n;
    while (in >> n) out.push_back(n);
    return out;
}

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPasswordScrambler(); }
};

TEST_F(PasswordTest, FirstCallUsesTextOneUnrotated) {
    // "abc" is padded with the last seven characters of "q7Z%m2w!Rk4": "m2w!Rk4abc".
    const std::string s = ScramblePassword("abc");
    EXPECT_EQ(s, "114 45 124 28 73 77 112 47 102 93 104");
    EXPECT_EQ(UnscramblePassword(s), "abc");
}

TEST_F(PasswordTest, SecondCallUsesTextTwoRotated) {
    ScramblePassword("x");
    // Text two rotated left by five: "vb=Jd35Tn+8"; its last seven characters "d35Tn+8" pad "abc".
    const std::string s = ScramblePassword("abc");
    const auto n = Numbers(s);
    ASSERT_EQ(n.size(), 11u);
    EXPECT_EQ(n[0], 'd' + 5);
    EXPECT_EQ(n[1], '3' - 5);
    EXPECT_EQ(n[2], '5' + 5);
    EXPECT_EQ(n[3], 'T' - 5);
    EXPECT_EQ(n[4], 73);
    EXPECT_EQ(n[5], 'n' - 5);
    EXPECT_EQ(n[6], '+' + 5);
    EXPECT_EQ(n[7], '8' - 5);
    EXPECT_EQ(n[10], 'c' + 5);
    EXPECT_EQ(UnscramblePassword(s), "abc");
}

TEST_F(PasswordTest, CounterRunsOneToNineThenOneAgain) {
    std::vector<std::string> firstRound;
    for (int i = 0; i < 9; ++i) firstRound.push_back(ScramblePassword("pw"));
    EXPECT_EQ(ScramblePassword("pw"), firstRound[0]);  // tenth call: counter 1 again
    EXPECT_NE(firstRound[0], firstRound[1]);
    // Calls six and eight share text six (eight rotated), seven and nine too (unrotated).
    EXPECT_EQ(firstRound[6], firstRound[8]);
    EXPECT_NE(firstRound[5], firstRound[6]);
    EXPECT_EQ(firstRound[5], firstRound[7]);
    for (const auto& s : firstRound) EXPECT_EQ(UnscramblePassword(s), "pw");
}

TEST_F(PasswordTest, EmptyPasswordDoesNotAdvanceCounter) {
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(ScramblePassword("abc"), "114 45 124 28 73 77 112 47 102 93 104");
}

TEST_F(PasswordTest, TwelveCharactersGiveThirteenNumbersWithLengthFifth) {
    const std::string s = ScramblePassword("ABCDEFGHIJKL");
    const auto n = Numbers(s);
    ASSERT_EQ(n.size(), 13u);
    EXPECT_EQ(n[4], 82);
    EXPECT_EQ(n[0], 'A' + 5);
    EXPECT_EQ(n[5], 'E' - 5);  // character 5, right after the length: minus five
    EXPECT_EQ(n[6], 'F' + 5);
    EXPECT_EQ(UnscramblePassword(s), "ABCDEFGHIJKL");
}

TEST_F(PasswordTest, BlanksAroundAreNotKeptAndBlankPasswordGivesEmpty) {
    EXPECT_EQ(UnscramblePassword(ScramblePassword("  secret  ")), "secret");
    const std::string blank = ScramblePassword("   ");
    EXPECT_EQ(Numbers(blank)[4], 70);
    EXPECT_EQ(UnscramblePassword(blank), "");
}

TEST_F(PasswordTest, LowCodesAndNegativeNumbersRoundTrip) {
    const std::string pw = std::string("\x01\x02\x03\x04\x01", 5);
    const std::string s = ScramblePassword(pw);
    EXPECT_NE(s.find("-"), std::string::npos);
    EXPECT_TRUE(s.front() >= '0' && s.front() <= '9');
    EXPECT_EQ(UnscramblePassword(s), pw);
}

TEST_F(PasswordTest, Windows1252CharactersRoundTripAndMatchWindowsCodes) {
    const std::string pw = "caf\xC3\xA9\xE2\x82\xAC";  // "café€" in UTF-8
    const std::string s = ScramblePassword(pw);
    const auto n = Numbers(s);
    ASSERT_EQ(n.size(), 11u);
    EXPECT_EQ(n.back(), 0x80 + 5);  // € is 0x80 in Windows-1252; character 10 takes plus five
    EXPECT_EQ(UnscramblePassword(s), pw);
    EXPECT_EQ(UnscramblePassword(ScramblePassword("\xE4\xB8\xAD")), "?");  // no Windows-1252 form
}

TEST_F(PasswordTest, PlainPasswordsAreUsedUnchanged) {
    for (const char* plain :
         {"secret", "1secret", "secret1", "12345", "1 2 3", " 60 70 ", "12 34 56 78 90 12 34 56 78 90 9999"}) {
        EXPECT_EQ(UnscramblePassword(plain), plain) << plain;
    }
    EXPECT_EQ(UnscramblePassword(""), "");
}

TEST_F(PasswordTest, NineteenCharacterPasswordFitsTheReadSize) {
    const std::string pw(19, '~');
    EXPECT_LE(ScramblePassword(pw).size(), 79u);
}

TEST(AnsiCodePageTest, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");
    EXPECT_EQ(Windows1252ToUtf8("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(Utf8ToWindows1252("\xFF\xC3"), "\xFF\xC3");  // not UTF-8: octets pass as codes
    EXPECT_EQ(Utf8ToWindows1252("\xC0\x80"), "\xC0\x80");  // overlong form is not a character
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");
}

}  // namespace
