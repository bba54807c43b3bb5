// Password scrambling: the padding texts by call counter, the length number, the offsets, and the
// texts that are used as they stand.
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
    for (long n; in >> n;) out.push_back(n);
    return out;
}

class Password : public ::testing::Test {
protected:
    void SetUp() override { ResetPasswordScrambler(); }
};

TEST_F(Password, PaddingTextsFollowTheCallCounter) {
    EXPECT_EQ(ScramblePassword(""), "");  // does not advance the counter
    // Call 1: text one unrotated; "abc" padded with the last seven characters of "q7Z%m2w!Rk4".
    EXPECT_EQ(ScramblePassword("abc"), "114 45 124 28 73 77 112 47 102 93 104");
    // Call 2: text two rotated left by five, "vb=Jd35Tn+8"; its last seven "d35Tn+8" pad "abc".
    const std::string second = ScramblePassword("abc");
    EXPECT_EQ(Numbers(second), (std::vector<long>{'d' + 5, '3' - 5, '5' + 5, 'T' - 5, 73, 'n' - 5, '+' + 5, '8' - 5,
                                                  'a' + 5, 'b' - 5, 'c' + 5}));
    EXPECT_EQ(UnscramblePassword(second), "abc");
    ResetPasswordScrambler();
    std::vector<std::string> round;
    for (int i = 0; i < 9; ++i) round.push_back(ScramblePassword("pw"));
    round.push_back(ScramblePassword("pw"));  // the tenth call: counter 1 again
    // Calls six to nine share text six, seven and nine unrotated, six and eight rotated.
    EXPECT_EQ(std::vector<bool>({round[9] == round[0], round[0] == round[1], round[5] == round[7], round[6] == round[8],
                                 round[5] == round[6]}),
              std::vector<bool>({true, false, true, true, false}));
    for (const auto& s : round) EXPECT_EQ(UnscramblePassword(s), "pw");
}

TEST_F(Password, LengthNumberOffsetsAndEveryCharacterComeBack) {
    // Twelve characters: thirteen numbers, the length fifth; character 5 after it takes minus five.
    EXPECT_EQ(Numbers(ScramblePassword("ABCDEFGHIJKL")),
              (std::vector<long>{'A' + 5, 'B' - 5, 'C' + 5, 'D' - 5, 82, 'E' - 5, 'F' + 5, 'G' - 5, 'H' + 5, 'I' - 5,
                                 'J' + 5, 'K' - 5, 'L' + 5}));
    const std::string blank = ScramblePassword("   ");  // trims to nothing: ten padding characters, length 70
    EXPECT_EQ(Numbers(blank)[4], 70);
    EXPECT_EQ(UnscramblePassword(blank), "");
    const std::string low("\x01\x02\x03\x04\x01", 5);  // negative numbers at minus positions
    EXPECT_NE(ScramblePassword(low).find('-'), std::string::npos);
    const std::string euro = ScramblePassword("caf\xC3\xA9\xE2\x82\xAC");  // "café€": Windows-1252 codes
    EXPECT_EQ(Numbers(euro).back(), 0x80 + 5);
    EXPECT_LE(ScramblePassword(std::string(19, '~')).size(), 79u);  // 19 characters fit the read size
    for (const std::string& pw : {std::string("ABCDEFGHIJKL"), std::string("  secret  "), low,
                                  std::string("caf\xC3\xA9\xE2\x82\xAC"), std::string("\xE4\xB8\xAD")}) {
        const std::string s = ScramblePassword(pw);
        EXPECT_TRUE(s.front() >= '0' && s.front() <= '9') << s;
        const std::string expected = pw == "  secret  " ? "secret" : pw == "\xE4\xB8\xAD" ? "?" : pw;
        EXPECT_EQ(UnscramblePassword(s), expected) << s;  // no Windows-1252 form: "?"
    }
}

TEST_F(Password, TextsNotInScrambledFormAreUsedAsTheyStand) {
    for (const char* plain :
         {"secret", "1secret", "secret1", "12345", "1 2 3", " 60 70 ", "12 34 56 78 90 12 34 56 78 90 9999", ""})
        EXPECT_EQ(UnscramblePassword(plain), plain) << plain;
}

TEST(AnsiCodePage, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");
    EXPECT_EQ(Windows1252ToUtf8("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(Utf8ToWindows1252("\xFF\xC3"), "\xFF\xC3");  // not UTF-8: octets pass as codes
    EXPECT_EQ(Utf8ToWindows1252("\xC0\x80"), "\xC0\x80");  // an overlong form is not a character
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");
}

}  // namespace
