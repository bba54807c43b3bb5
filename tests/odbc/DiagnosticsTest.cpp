// Diagnostic texts and the call trace of the handle layer.
#include <gtest/gtest.h>

#include "ErrorAssert.h"
#include "odbc/OdbcHandles.h"

using namespace linkmend;
using namespace linkmend::odbc;

namespace {

TEST(Diagnostics, LineBreaksAndTabsDriversPutInMessagesBecomeSingleBlanks) {
    EXPECT_EQ(CleanDiagnosticText("ERROR: syntax error at or near \"SELEC\";\nError while executing the query\n"),
              "ERROR: syntax error at or near \"SELEC\"; Error while executing the query");
    EXPECT_EQ(CleanDiagnosticText("\t\r\n  a\t\tb  \r\n"), "a b");
    EXPECT_EQ(CleanDiagnosticText(""), "");
    EXPECT_EQ(CleanDiagnosticText("\n\t "), "");
}

TEST(Diagnostics, RecordsJoinByLineFeedWithTheirNativeErrorSigned) {
    EXPECT_EQ(FormatDiagnostics({{"42601", 1, "first"}, {"HY000", -7, ""}, {"01004", 0, "third"}}),
              "first Native error:  1\nError--No error information available Native error: -7\nthird Native error:  0");
    EXPECT_EQ(FormatDiagnostics({}), "");
}

TEST(Diagnostics, CheckRaisesWithTheCallAndTheReturnCodeWhenNoRecordExists) {
    EXPECT_NO_THROW(Check(SQL_SUCCESS_WITH_INFO, SQL_HANDLE_ENV, SQL_NULL_HANDLE, 1, "x"));
    EXPECT_LINKMEND_ERROR(Check(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE, -2147220504, "Preparing"), -2147220504,
                          "VgerReadDLL", "Preparing: Return: -1");
}

TEST(Diagnostics, TheCallTraceReportsEveryTracedCallUntilSwitchedOff) {
    std::vector<std::string> lines;
    SetCallTrace([&](std::string_view line) { lines.emplace_back(line); });
    {
        EnvHandle env = NewEnvironment();
        DbcHandle dbc;
        ASSERT_EQ(dbc.Allocate(env.Get()), SQL_SUCCESS);
    }
    SetCallTrace(nullptr);
    EnvHandle quiet = NewEnvironment();
    EXPECT_EQ(lines, (std::vector<std::string>{"SQLAllocHandle 0", "SQLSetEnvAttr 0", "SQLAllocHandle 0",
                                               "SQLDisconnect -1", "SQLFreeHandle 0", "SQLFreeHandle 0"}));
}

}  // namespace
