// The helpers every subsystem shares: the error type, hexadecimal text, the message pump, the
// date-time value, numbers and truth texts of settings.
#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Error.h"
#include "base/Hex.h"
#include "base/MessagePump.h"
#include "base/Numeric.h"

using namespace linkmend;

TEST(Base, ErrorCarriesNumberSourceAndDescription) {
    const LinkmendError e(ObjectError(1012), "VgerRead", "No BibliographicRecordNumber supplied");
    EXPECT_EQ(e.Number(), -2147220492);
    EXPECT_EQ(e.Source(), "VgerRead");
    EXPECT_EQ(e.Description(), "No BibliographicRecordNumber supplied");
    EXPECT_STREQ(e.what(), "No BibliographicRecordNumber supplied");
    EXPECT_EQ(NumberWithSign(1) + NumberWithSign(0) + NumberWithSign(-1), " 1 0-1");
}

TEST(Base, HexRoundTripsEveryOctetAndDropsWhatIsNotHex) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    const std::string hex = TextToHex(all);
    EXPECT_EQ(hex.substr(0, 6) + hex.substr(506), "000102FDFEFF");
    EXPECT_EQ(HexToText(hex), all);
    for (const auto& [in, out] : {std::pair{"c3a9", "\xC3\xA9"}, {"414", "A"}, {"41ZZ42", "AB"}, {"", ""}})
        EXPECT_EQ(HexToText(in), out) << in;
}

TEST(Base, MessagePumpHookRunsUntilRemoved) {
    int calls = 0;
    auto previous = SetMessagePump([&] { ++calls; });
    LetWindowMessagesRun();
    LetWindowMessagesRun();
    SetMessagePump(previous);
    LetWindowMessagesRun();
    EXPECT_EQ(calls, 2);
}

TEST(Base, DateTimeCountsDaysFrom1899AndParsesDriverTexts) {
    EXPECT_TRUE(DateTime().IsZero());
    EXPECT_EQ(DateTime().Format(), "1899-12-30 00:00:00");
    EXPECT_EQ(DateTime::FromParts({1900, 1, 1, 0, 0, 0}), DateTime(2.0));
    EXPECT_EQ(DateTime::FromParts({2000, 1, 1, 12, 0, 0}).Days(), 36526.5);
    const std::pair<const char*, const char*> texts[] = {{"2024-02-29 13:45:07", "2024-02-29 13:45:07"},
                                                         {"2024-02-29 13:45:07.123456", "2024-02-29 13:45:07"},
                                                         {"2024-02-29T13:45", "2024-02-29 13:45:00"},
                                                         {" 2024-03-01 ", "2024-03-01 00:00:00"},
                                                         {"2024-03-01 10:00:00+01", "2024-03-01 10:00:00"}};
    for (const auto& [text, formatted] : texts) EXPECT_EQ(DateTime::Parse(text).Format(), formatted) << text;
    EXPECT_EQ(DateTime::Parse("2024-03-01 10:00:00").FileStamp(), "20240301.100000");
    for (const char* bad : {"", "yesterday", "2023-02-29", "2024-13-01", "2024-01-01 24:00:00", "2024-01-01 10:00:00.",
                            "2024-1-1", "2024-01-01 10:00:00 junk"})
        EXPECT_TRUE(DateTime::Parse(bad).IsZero()) << bad;
    EXPECT_LT(DateTime::Parse("2024-01-01 10:00:00"), DateTime::Parse("2024-01-01 10:00:01"));
    EXPECT_EQ(DateTime::Parse("2024-01-01 10:00:00.9"), DateTime::Parse("2024-01-01 10:00:00"));
}

TEST(Base, NumbersAndTruthTextsOfSettings) {
    const std::pair<const char*, double> values[] = {{"17", 17},  {"  17x", 17},    {"abc", 0},
                                                     {"", 0},     {"-3.5e1z", -35}, {"2e", 2},
                                                     {".5", 0.5}, {"-", 0},         {"000003", 3}};
    for (const auto& [text, value] : values) EXPECT_EQ(Val(text), value) << text;
    const std::pair<double, std::int32_t> rounded[] = {
        {2.5, 2},   {3.5, 4},           {-2.5, -2},
        {12.6, 13}, {1e20, 2147483647}, {-1e20, -2147483647 - 1}};  // half to even, clamped
    for (const auto& [value, n] : rounded) EXPECT_EQ(RoundToInt32(value), n) << value;
    for (const char* yes : {"TRUE", "true", " Yes ", "y", "T", "1", "-1"}) EXPECT_TRUE(IsTrueText(yes)) << yes;
    for (const char* no : {"", "no", "False", "F", "0", "2", "yess", "-", "1 1"}) EXPECT_FALSE(IsTrueText(no)) << no;
}
