#include <gtest/gtest.h>
#include "odbc/Dialect.h"
TEST(Dialect, Placeholder) { std::string out; EXPECT_TRUE(linkmend::odbc::RewriteSelectUnique("SELECT UNIQUE A FROM T", out)); EXPECT_EQ(out, "SELECT DISTINCT A FROM T"); }
