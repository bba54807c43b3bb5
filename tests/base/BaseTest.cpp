#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Error.h"
#include "base/Hex.h"
#include "base/MessagePump.h"

using namespace linkmend;

TEST(ErrorTest, CarriesNumberSourceAndDescription) {
    const LinkmendError e(ObjectError(1012), "VgerRead", "No BibliographicRecordNumber supplied");
    EXPECT_EQ(e.Number(), -2147220492);
    EXPECT_EQ(e.Source(), "VgerRead");
    EXPECT_EQ(e.Description(), "No BibliographicRecordNumber supplied");
    EXPECT_STREQ(e.what(), "No BibliographicRecordNumber supplied");
    EXPECT_EQ(NumberWithSign(1), " 1");
    EXPECT_EQ(NumberWithSign(0), " 0");
    EXPECT_EQ(NumberWithSign(-1), "-1");
}

TEST(HexTest, RoundTripsEveryOctet) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    const std::string hex = TextToHex(all);
    EXPECT_EQ(hex.size(), 512u);
    EXPECT_EQ(hex.substr(0, 6), "000102");
    EXPECT_EQ(hex.substr(506), "FDFEFF");
    EXPECT_EQ(HexToText(hex), all);
    EXPECT_EQ(HexToText("c3a9"), "\xC3\xA9");
}

TEST(HexTest, DropsOddDigitAndNonHexPairs) {
    EXPECT_EQ(HexToText("414"), "A");
    EXPECT_EQ(HexToText("41ZZ42"), "AB");
    EXPECT_EQ(HexToText(""), "");
}

TEST(MessagePumpTest, HookRunsUntilRemoved) {
    int calls = 0;
    auto previous = SetMessagePump([&] { ++calls; });
    LetWindowMessagesRun();
    LetWindowMessagesRun();
    SetMessagePump(previous);
    LetWindowMessagesRun();
    EXPECT_EQ(calls, 2);
}

TEST(DateTimeTest, ZeroIsThirtiethDecember1899) {
    const DateTime zero;
    EXPECT_TRUE(zero.IsZero());
    EXPECT_EQ(zero.Format(), "1899-12-30 00:00:00");
    EXPECT_EQ(DateTime::FromParts({1900, 1, 1, 0, 0, 0}).Days(), 2.0);
    EXPECT_EQ(DateTime::FromParts({2000, 1, 1, 12, 0, 0}).Days(), 36526.5);
}

TEST(DateTimeTest, ParsesDriverTextsWithAndWithoutFraction) {
    EXPECT_EQ(DateTime::Parse("2024-02-29 13:45:07").Format(), "2024-02-29 13:45:07");
    EXPECT_EQ(DateTime::Parse("2024-02-29 13:45:07.123456").Format(), "2024-02-29 13:45:07");
    EXPECT_EQ(DateTime::Parse("2024-02-29T13:45").Format(), "2024-02-29 13:45:00");
    EXPECT_EQ(DateTime::Parse(" 2024-03-01 ").Format(), "2024-03-01 00:00:00");
    EXPECT_EQ(DateTime::Parse("2024-03-01 10:00:00+01").Format(), "2024-03-01 10:00:00");
    EXPECT_EQ(DateTime::Parse("2024-03-01 10:00:00").FileStamp(), "20240301.100000");
}

TEST(DateTimeTest, UnreadableTextsGiveZero) {
    for (const char* bad : {"", "yesterday", "2023-02-29", "2024-13-01", "2024-01-01 24:00:00", "2024-01-01 10:00:00.",
                            "2024-1-1", "2024-01-01 10:00:00 junk"}) {
        EXPECT_TRUE(DateTime::Parse(bad).IsZero()) << bad;
    }
}

TEST(DateTimeTest, OrdersByTime) {
    EXPECT_LT(DateTime::Parse("2024-01-01 10:00:00"), DateTime::Parse("2024-01-01 10:00:01"));
    EXPECT_EQ(DateTime::Parse("2024-01-01 10:00:00.9"), DateTime::Parse("2024-01-01 10:00:00"));
}

#include "base/Numeric.h"

TEST(NumericTest, ValTakesLeadingNumericPart) {
    EXPECT_EQ(Val("17"), 17.0);
    EXPECT_EQ(Val("  17x"), 17.0);
    EXPECT_EQ(Val("abc"), 0.0);
    EXPECT_EQ(Val(""), 0.0);
    EXPECT_EQ(Val("-3.5e1z"), -35.0);
    EXPECT_EQ(Val("2e"), 2.0);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("-"), 0.0);
    EXPECT_EQ(Val("000003"), 3.0);
}

TEST(NumericTest, RoundsHalfToEvenAndClamps) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(12.6), 13);
    EXPECT_EQ(RoundToInt32(1e20), 2147483647);
    EXPECT_EQ(RoundToInt32(-1e20), -2147483647 - 1);
}

TEST(NumericTest, TruthTexts) {
    for (const char* yes : {"TRUE", "true", " Yes ", "y", "T", "1", "-1"}) EXPECT_TRUE(IsTrueText(yes)) << yes;
    for (const char* no : {"", "no", "False", "F", "0", "2", "yess", "-", "1 1"}) EXPECT_FALSE(IsTrueText(no)) << no;
}
