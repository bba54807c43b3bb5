#pragma once
// The statement engine: one ODBC connection with numbered result sets, each with its own statement,
// SQL text, column metadata and current row, read column by column as text. Errors are raised as
// LinkmendError with source "VgerReadDLL". Single-threaded; one engine per connection.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "odbc/Dialect.h"
#include "odbc/OdbcHandles.h"

namespace linkmend {

class VgerReaderDllClass6 {
public:
    // A parameter value or an output value: nothing, a 32-bit number or a text.
    using Variant = std::variant<std::monostate, std::int32_t, std::string>;

    static constexpr int kMaxBlockRows = 25;
    static constexpr int kMaxBlockColumns = 9;
    static constexpr int kBlockCellBytes = 300;
    static constexpr int kFetchBufferBytes = 2048;

    VgerReaderDllClass6();
    ~VgerReaderDllClass6();  // disconnects unless the handles are borrowed; never throws
    VgerReaderDllClass6(const VgerReaderDllClass6&) = delete;
    VgerReaderDllClass6& operator=(const VgerReaderDllClass6&) = delete;

    // --- Connection -----------------------------------------------------------------------------
    const std::string& DSN() const { return dsn_; }
    void DSN(std::string value) { dsn_ = std::move(value); }
    const std::string& uID() const { return uid_; }
    void uID(std::string value) { uid_ = std::move(value); }
    const std::string& PWD() const { return pwd_; }
    void PWD(std::string value) { pwd_ = std::move(value); }

    // Connects with DSN, uID and PWD; does nothing when already connected. On a database other
    // than Oracle it also checks once that RAWTOHEX, HEXTORAW and CHR exist.
    void ConnectToVoyager();
    void ConnectToVger() { ConnectToVoyager(); }
    // Frees every statement, then the connection and the environment; the engine is spent after.
    void Disconnect();

    SQLHENV EnvironmentHandle() const { return env_.Get(); }
    void EnvironmentHandle(SQLHENV handle);  // taken only while the engine has none of its own
    SQLHDBC DatabaseHandle() const { return dbc_.Get(); }
    void DatabaseHandle(SQLHDBC handle);
    SQLHSTMT RetrieveStatement() const;

    bool IsRetrieval() const { return isRetrieval_; }
    void IsRetrieval(bool value) { isRetrieval_ = value; }

    // The DBMS name the driver reported at connection ("" before).
    const std::string& DbmsName() const { return dbmsName_; }

    // --- Result sets ----------------------------------------------------------------------------
    std::int16_t ResultSet() const { return current_; }
    void ResultSet(std::int16_t set);
    // True when 0 <= set <= highest; otherwise error 380, or false when raising is not wanted.
    bool CheckResultSet(std::int16_t set, bool raiseWhenInvalid = true) const;
    void AssignStatementHandle();
    void PushResultSet();
    void PopResultSet();

    std::int16_t ResultSetColumns() const;
    void ResultSetColumns(std::int16_t count);
    std::int16_t ResultSetSearchType() const;
    void ResultSetSearchType(std::int16_t type);
    SQLHSTMT ResultSetStatement() const;
    void ResultSetColumnDataType(std::int16_t column, std::int16_t cType);
    std::int16_t ColumnCount(std::int16_t set = 0);
    void FreeStatement(SQLHSTMT statement);

    // --- Execution and fetching -----------------------------------------------------------------
    // Let: the pending SQL text. Get: the SQL text of the current set.
    std::string SQLString() const;
    void SQLString(std::string sql);

    // Executes the pending SQL text in set (0: a new set; below 0: the current set); the target
    // becomes current and its number is returned.
    std::int16_t ExecuteSQL(std::int16_t set = 0);
    void ExecuteSearch() { ExecuteSQL(-1); }
    void MyExecuteSQL(std::string_view sql, SQLHSTMT statement, bool fromExecuteSQL);

    // Fetches the next row of set's statement into the current set's row (set below 1: current).
    // At the end of the rows every column reads "".
    void GetNextRow(std::int16_t set = 0);
    void RealNextRow(SQLHSTMT statement);
    // Fetch with an ODBC orientation (SQL_FETCH_NEXT, SQL_FETCH_PRIOR, SQL_FETCH_FIRST,
    // SQL_FETCH_LAST, SQL_FETCH_ABSOLUTE, SQL_FETCH_RELATIVE) on the current set.
    void GetNextRowScroll(std::int32_t direction, std::int16_t rowsToScroll);

    // CurrentRow(column) of the current set, or CurrentRow(set, column) making set current.
    std::string CurrentRow(std::int16_t setOrColumn = 0, std::int16_t column = 0);
    std::int16_t CurrentRowLength(std::int16_t setOrColumn = 0, std::int16_t column = 0);

    std::string ColumnHeaders(std::int16_t set = 0);
    void DisplayResultHeaders();

    // --- Parameters, block and scrolling fetch, tracing ----------------------------------------
    void BindParameter(std::int16_t sequence, std::int16_t inputOutputType, std::int16_t valueType,
                       const Variant& value);
    Variant FetchParameter(std::int16_t sequence, std::int16_t set = 0);
    std::int16_t PendingParameterCount() const { return pendingCount_; }
    std::int16_t PendingParameterCapacity() const { return static_cast<std::int16_t>(pending_.size()); }

    // Let: rows per driver call (0 to 25) for the next ExecuteSQL only. Get: the current set's.
    std::int32_t RowsPerFetch() const;
    void RowsPerFetch(std::int32_t rows);
    // Let: the next ExecuteSQL opens a scrollable cursor. Get: whether the current set has one.
    bool ScrollableCursor() const;
    void ScrollableCursor(bool value) { pendingScrollable_ = value; }

    // Reading TraceOn with no trace file name set names the file log.log in the temporary folder.
    bool TraceOn();
    void TraceOn(bool on);
    const std::string& TraceFileName() const { return traceFile_; }
    void TraceFileName(std::string name) { traceFile_ = std::move(name); }

    // --- Counters and version -------------------------------------------------------------------
    std::int32_t SqlStatementsSubmitted() const { return statementsSubmitted_; }
    std::int32_t RetrievalRequestsSubmitted() const { return retrievalsSubmitted_; }
    void ResetCounters() { statementsSubmitted_ = retrievalsSubmitted_ = 0; }
    static std::string Version();

    // The text GetErrorText built last.
    const std::string& LastErrorText() const { return lastError_; }

private:
    struct Parameter {
        bool pending = false;
        std::int16_t sequence = 0;
        std::int16_t inputOutputType = 0;
        std::int16_t cType = 0;  // 1 character, 2 numeric
        std::int16_t sqlType = 0;
        std::int16_t size = 0;
        std::int16_t decimalDigits = 0;
        std::int32_t numericValue = 0;
        std::array<char, 256> bytes{};
        SQLLEN bufferLength = 0;
        SQLLEN indicator = 0;
        SQLLEN outputIndicator = 0;
        std::string textValue;
    };
    struct BlockBuffers {
        std::array<std::array<std::array<char, kBlockCellBytes>, kMaxBlockRows>, kMaxBlockColumns> cells{};
        std::array<std::array<SQLLEN, kMaxBlockRows>, kMaxBlockColumns> lengths{};
        std::array<SQLUSMALLINT, kMaxBlockRows> rowStatus{};
        SQLULEN rowsFetched = 0;
    };
    struct Set {
        odbc::StmtHandle statement;
        std::string headers;
        std::int16_t columnCount = 0;
        std::int16_t parameterCount = 0;
        std::int16_t rowsPerFetch = 0;
        std::int16_t searchType = 0;
        std::string sql;
        // Columns 1 to 8, then 9 onwards in the tail.
        std::array<std::string, 8> values;
        std::array<SQLLEN, 8> lengths{};
        std::vector<std::string> tailValues;
        std::vector<SQLLEN> tailLengths;
        std::vector<std::int16_t> columnTypes;  // index 1 .. column count; 0 = character
        bool prepared = false;
        bool scrollable = false;
        bool blockBound = false;  // the statement still carries block attributes and bindings
        std::vector<Parameter> parameters;
        std::unique_ptr<BlockBuffers> block;
        std::int32_t rowsInBlock = 0;
        std::int32_t currentBlockRow = 0;
        std::vector<std::vector<std::string>> blockRows;
    };
    enum class FetchKind { Next, Scroll };

    Set& Current() { return *sets_[static_cast<std::size_t>(current_)]; }
    const Set& Current() const { return *sets_[static_cast<std::size_t>(current_)]; }
    Set& At(std::int16_t set) { return *sets_[static_cast<std::size_t>(set)]; }

    // Fills lastError_ from the environment, the connection and statement; false when none had any.
    bool GetErrorText(SQLHSTMT statement);
    void UpdateColumnCount(SQLHSTMT statement);
    void ProbeFunctions();
    void ConnectFailed(SQLRETURN rc);
    void PrepareBlockFetch(Set& s);
    void ResetBlockFetch(Set& s);
    void PrepareParameters(Set& s);
    void BindPendingParameters(Set& s);
    void BindBlockColumns(Set& s);
    void CopyOutputParameters(Set& s);
    void FetchRow(SQLHSTMT statement, FetchKind kind, SQLSMALLINT direction, SQLLEN offset);
    bool FetchBlock(Set& s, SQLHSTMT statement, FetchKind kind, SQLSMALLINT direction, SQLLEN offset);
    void ClearRow(Set& s);
    void StoreValue(Set& s, std::int16_t column, std::string_view value);
    bool IsInvalidCursorState() const;
    [[noreturn]] void RaiseFetchError(SQLRETURN rc, bool diagnosticsFound);
    std::int16_t ResolveRowArguments(std::int16_t setOrColumn, std::int16_t column);
    [[noreturn]] void RaiseBadSet(std::int16_t set) const;
    void SetTraceOption(bool on);

    std::string dsn_, uid_, pwd_;
    odbc::EnvHandle env_;
    odbc::DbcHandle dbc_;
    bool isRetrieval_ = false;
    bool connected_ = false;
    bool handlesBorrowed_ = false;
    bool traceOn_ = false;
    std::string traceFile_;
    std::int16_t current_ = 0;
    std::vector<std::unique_ptr<Set>> sets_;  // index 0 .. highest
    std::vector<std::int16_t> stack_;
    std::string pendingSql_;
    bool sqlChanged_ = false;
    std::int16_t pendingRowsPerFetch_ = 0;
    bool pendingScrollable_ = false;
    std::string columnSeparator_ = "\n";
    std::string lastError_;
    std::vector<std::string> lastStates_;  // SQLSTATEs behind lastError_
    std::int32_t statementsSubmitted_ = 0;
    std::int32_t retrievalsSubmitted_ = 0;
    std::vector<Parameter> pending_;  // index 0 = sequence 1
    std::int16_t pendingCount_ = 0;
    std::string dbmsName_;
    odbc::SqlDialect dialect_;
    std::string adaptedSql_;
    std::array<char, kFetchBufferBytes> fetchBuffer_{};
};

}  // namespace linkmend
