#include <gtest/gtest.h>

#include "job/ReturnCodes.h"
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

TEST(ReturnCodeTextTest, TableAndUndefinedCodes) {
    EXPECT_EQ(ReturnCodeText(0), "Success");
    EXPECT_EQ(ReturnCodeText(24), "Cataloging location ID is not valid");
    EXPECT_EQ(ReturnCodeText(35), "Error with the linked bibligraphic ID");
    EXPECT_EQ(ReturnCodeText(41), "Record updated since last read");
    EXPECT_EQ(ReturnCodeText(101), ReturnCodeText(103));
    EXPECT_EQ(ReturnCodeText(103), "Cannot delete; line items attached");
    EXPECT_EQ(ReturnCodeText(203), "Server is set to 'read only'");
    for (int undefined : {12, 14, 17, 40, 43, 108, 202, 204, -1, -2147483647}) {
        EXPECT_EQ(ReturnCodeText(undefined), "Return value not defined") << undefined;
    }
}
