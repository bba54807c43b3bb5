#include <gtest/gtest.h>

#include "job/UtliMiscNonUtf8.h"

using namespace linkmend;

TEST(SplitOffTest, TakesTextBeforeDelimiter) {
    std::string ids = "12 57 88";
    EXPECT_EQ(SplitOff(ids, " "), "12");
    EXPECT_EQ(ids, "57 88");
    EXPECT_EQ(SplitOff(ids, " "), "57");
    EXPECT_EQ(SplitOff(ids, " "), "88");
    EXPECT_EQ(ids, "");
    std::string line = "1234\tB";
    EXPECT_EQ(SplitOff(line, "\t"), "1234");
    EXPECT_EQ(line, "B");
    std::string lead = "\tX";
    EXPECT_EQ(SplitOff(lead, "\t"), "");
    EXPECT_EQ(lead, "X");
}
