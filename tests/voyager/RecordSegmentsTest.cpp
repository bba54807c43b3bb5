#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/Hex.h"
#include "base/MessagePump.h"
#include "voyager/RecordSegments.h"

namespace linkmend {
namespace {

std::string Filled(std::size_t n, char c) { return std::string(n, c); }

TEST(AppendHexSegment, FullSegmentsAndShortLastSegmentJoinWithoutPadding) {
    std::string record;
    AppendHexSegment(record, TextToHex(Filled(990, 'a')), kBibSegmentSize);
    AppendHexSegment(record, TextToHex(Filled(990, 'b')), kBibSegmentSize);
    AppendHexSegment(record, TextToHex(Filled(400, 'c')), kBibSegmentSize);
    EXPECT_EQ(record.size(), 2380u);
    EXPECT_TRUE(test::OctetsEqual(Filled(990, 'a') + Filled(990, 'b') + Filled(400, 'c'), record));
}

TEST(AppendHexSegment, SegmentStoredWithoutTrailingBlanksIsPaddedBeforeTheNext) {
    int pumps = 0;
    SetMessagePump([&pumps] { ++pumps; });
    std::string record;
    AppendHexSegment(record, TextToHex(Filled(985, 'a')), kBibSegmentSize);
    AppendHexSegment(record, TextToHex("tail"), kBibSegmentSize);
    SetMessagePump({});
    EXPECT_TRUE(test::OctetsEqual(Filled(985, 'a') + "     tail", record));
    EXPECT_EQ(pumps, 5);  // one for each blank
}

TEST(AppendHexSegment, HoldingsPadToThreeHundred) {
    std::string record;
    AppendHexSegment(record, TextToHex(Filled(298, 'h')), kHoldSegmentSize);
    AppendHexSegment(record, TextToHex("x"), kHoldSegmentSize);
    EXPECT_TRUE(test::OctetsEqual(Filled(298, 'h') + "  x", record));
}

TEST(AppendHexSegment, AllOctetValuesSurviveAndLowerCaseHexIsRead) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    std::string record;
    AppendHexSegment(record, TextToHex(all), kBibSegmentSize);
    EXPECT_TRUE(test::OctetsEqual(all, record));
    record.clear();
    AppendHexSegment(record, "1d1E1f", kBibSegmentSize);
    EXPECT_TRUE(test::OctetsEqual("\x1D\x1E\x1F", record));
}

TEST(AppendHexSegment, BrokenHexPairsAndOddDigitAreDropped) {
    std::string record;
    AppendHexSegment(record, "41ZZ42F", kBibSegmentSize);
    EXPECT_EQ(record, "AB");
}

}  // namespace
}  // namespace linkmend
