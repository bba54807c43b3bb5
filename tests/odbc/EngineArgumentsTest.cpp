// The engine's checks that need no database: result-set numbers, missing SQL, parameter binding
// and fetching, rows per fetch, the trace file default.
#include <gtest/gtest.h>

#include <filesystem>

#include "ErrorAssert.h"
#include "odbc/VgerReaderDllClass6.h"

using namespace linkmend;

namespace {

constexpr const char* kSource = "VgerReadDLL";

TEST(EngineArguments, EmptySqlStringRaisesBeforeAnyConnectionIsTried) {
    VgerReaderDllClass6 e;
    e.DSN("NoSuchDataSource");
    e.SQLString("");
    EXPECT_LINKMEND_ERROR(e.ExecuteSQL(0), -2147220496, kSource, "No SQLString supplied");
    EXPECT_EQ(e.DatabaseHandle(), nullptr);
    EXPECT_LINKMEND_ERROR(e.MyExecuteSQL("", nullptr, false), -2147220496, kSource, "No SQLString supplied");
}

TEST(EngineArguments, ResultSetNumbersOutsideTheTableAreRefused) {
    VgerReaderDllClass6 e;
    EXPECT_TRUE(e.CheckResultSet(0));
    EXPECT_FALSE(e.CheckResultSet(1, false));
    EXPECT_FALSE(e.CheckResultSet(-1, false));
    EXPECT_LINKMEND_ERROR(e.ResultSet(1), 380, kSource, "Invalid value for ResultSet property (1)");
    EXPECT_LINKMEND_ERROR(e.CheckResultSet(-3), 380, kSource, "Invalid value for ResultSet property (-3)");
    EXPECT_LINKMEND_ERROR(e.ColumnCount(2), 380, kSource, "Invalid value for ResultSet property (2)");
    EXPECT_EQ(e.ResultSet(), 0);
}

TEST(EngineArguments, CurrentRowOfSetZeroNeedsIsRetrieval) {
    VgerReaderDllClass6 e;
    EXPECT_LINKMEND_ERROR(e.CurrentRow(1), -2147220455, kSource,
                          "Invalid value (0) for ResultSet property in CurrentRow");
    e.IsRetrieval(true);
    // Set 0 is now valid but has no columns yet.
    EXPECT_LINKMEND_ERROR(e.CurrentRow(1), -2147220454, kSource, "Invalid value (1) for column number in CurrentRow");
    EXPECT_LINKMEND_ERROR(e.CurrentRowLength(0, 2), -2147220454, kSource,
                          "Invalid value (2) for column number in CurrentRow");
}

TEST(EngineArguments, PopWithoutPushIsRefusedAndPushPopRestoresTheSet) {
    VgerReaderDllClass6 e;
    e.PushResultSet();
    e.PopResultSet();
    EXPECT_EQ(e.ResultSet(), 0);
    EXPECT_LINKMEND_ERROR(e.PopResultSet(), 380, kSource, "PopResultSet without a matching PushResultSet");
}

TEST(EngineArguments, BindParameterRefusesBadSequenceDirectionAndType) {
    VgerReaderDllClass6 e;
    EXPECT_LINKMEND_ERROR(e.BindParameter(0, 4, 1, std::string("x")), 380, kSource,
                          "Invalid value for Sequence property in BindParameter (0); must be 1 or higher");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 1, 1, std::string("x")), 380, kSource,
                          "Invalid value for Input/Output property in BindParameter (1); only output allowed");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 4, 9, std::string("x")), 380, kSource,
                          "Invalid value for ValueType property in BindParameter (9); must be character (1)");
    EXPECT_LINKMEND_ERROR(e.BindParameter(1, 4, 1, std::string(256, 'x')), 380, kSource,
                          "Invalid value for Value property in BindParameter (256 octets); at most 255 fit");
    // Nothing was taken on.
    EXPECT_EQ(e.PendingParameterCount(), 0);
}

TEST(EngineArguments, BindingASequenceGrowsThePendingListWithRoomToSpare) {
    VgerReaderDllClass6 e;
    e.BindParameter(3, 4, 12, std::string("abc"));
    EXPECT_EQ(e.PendingParameterCount(), 3);
    EXPECT_EQ(e.PendingParameterCapacity(), 8);
    e.BindParameter(2, 4, 4, std::int32_t{7});
    EXPECT_EQ(e.PendingParameterCount(), 3);
    EXPECT_EQ(e.PendingParameterCapacity(), 8);
    e.BindParameter(8, 4, 1, std::string("h"));
    EXPECT_EQ(e.PendingParameterCapacity(), 8);
    e.BindParameter(9, 4, 1, std::string("i"));
    EXPECT_EQ(e.PendingParameterCount(), 9);
    EXPECT_EQ(e.PendingParameterCapacity(), 14);
}

TEST(EngineArguments, FetchParameterWithoutParametersOrWithABadSetIsRefused) {
    VgerReaderDllClass6 e;
    EXPECT_LINKMEND_ERROR(
        e.FetchParameter(1), -2147220446, kSource,
        "Sequence number (1 in FetchParameter not valid; there are no bound parameters in this statement");
    EXPECT_LINKMEND_ERROR(e.FetchParameter(1, 5), -2147220446, kSource,
                          "Set number (5 in FetchParameter not valid; between 1 and 0");
}

TEST(EngineArguments, RowsPerFetchBeyondTheBlockBuffersIsRefused) {
    VgerReaderDllClass6 e;
    EXPECT_LINKMEND_ERROR(e.RowsPerFetch(26), 380, kSource,
                          "Invalid value for RowsPerFetch property (26); must be 0 to 25");
    EXPECT_LINKMEND_ERROR(e.RowsPerFetch(-1), 380, kSource,
                          "Invalid value for RowsPerFetch property (-1); must be 0 to 25");
    e.RowsPerFetch(25);
    // Set 0 never reports a block size.
    EXPECT_EQ(e.RowsPerFetch(), 0);
}

TEST(EngineArguments, ReadingTraceOnNamesTheDefaultTraceFileInTheTemporaryFolder) {
    VgerReaderDllClass6 e;
    EXPECT_EQ(e.TraceFileName(), "");
    EXPECT_FALSE(e.TraceOn());
    EXPECT_EQ(e.TraceFileName(), (std::filesystem::temp_directory_path() / "log.log").string());
    e.TraceFileName("/somewhere/trace.txt");
    e.TraceOn(true);
    EXPECT_TRUE(e.TraceOn());
    EXPECT_EQ(e.TraceFileName(), "/somewhere/trace.txt");
}

TEST(EngineArguments, LentHandlesAreTakenOnlyWhileTheEngineHasNone) {
    VgerReaderDllClass6 e;
    auto* env = reinterpret_cast<odbc::RawHandle>(0x1234);
    e.EnvironmentHandle(env);
    EXPECT_EQ(e.EnvironmentHandle(), env);
    e.EnvironmentHandle(reinterpret_cast<odbc::RawHandle>(0x5678));
    EXPECT_EQ(e.EnvironmentHandle(), env);
    // Destruction must leave the lent (here fake) handle alone.
}

}  // namespace
