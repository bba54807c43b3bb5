#pragma once
// The statement engine: one ODBC connection with numbered result sets, each with its own statement,
// SQL text, column metadata and current row, read column by column as text. Errors: LinkmendError,
// source "VgerReadDLL". Single-threaded. Callers need no ODBC header (handles are untyped pointers).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "odbc/Dialect.h"
#include "odbc/HandleOwner.h"

namespace linkmend {

class PreparedQuery;

class VgerReaderDllClass6 {
public:
    // A parameter value or an output value: nothing, a 32-bit number or a text.
    using Variant = std::variant<std::monostate, std::int32_t, std::string>;

    static constexpr int kMaxBlockRows = 25;
    static constexpr int kMaxBlockColumns = 9;
    static constexpr int kBlockCellBytes = 300;
    static constexpr int kFetchBufferBytes = 2048;

    // Fetch orientations of GetNextRowScroll (the ODBC SQL_FETCH_* numbers).
    enum FetchOrientation : std::int32_t {
        kFetchNext = 1,
        kFetchFirst = 2,
        kFetchLast = 3,
        kFetchPrior = 4,
        kFetchAbsolute = 5,
        kFetchRelative = 6
    };

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

    // Connects with DSN, uID and PWD; does nothing when already connected. Then runs what the
    // database's row of the driver table asks for: its statements for a new connection, and the
    // check that the database has RAWTOHEX, HEXTORAW and CHR (not on Oracle, which has them).
    void ConnectToVoyager();
    void ConnectToVger() { ConnectToVoyager(); }
    // Frees every statement, then the connection and the environment; the engine is spent after.
    void Disconnect();

    odbc::RawHandle EnvironmentHandle() const { return env_.Get(); }
    void EnvironmentHandle(odbc::RawHandle handle);  // taken only while the engine has none of its own
    odbc::RawHandle DatabaseHandle() const { return dbc_.Get(); }
    void DatabaseHandle(odbc::RawHandle handle);
    odbc::RawHandle RetrieveStatement() const;

    bool IsRetrieval() const { return isRetrieval_; }
    void IsRetrieval(bool value) { isRetrieval_ = value; }

    // A session opened for reading only: at connect the database's row of the driver table makes
    // it read-only (set before the connection; the reader's sessions are).
    bool ForReading() const { return forReading_; }
    void ForReading(bool value) { forReading_ = value; }

    // The DBMS name the driver reported at connection ("" before).
    const std::string& DbmsName() const { return dbmsName_; }
    // The connected database's row of the driver table (the fallback row before connecting).
    const odbc::DriverSettings& Driver() const { return *driver_; }
    // The table the next connection chooses its database's row from; the built-in one unless a
    // caller (a test) gives another, which must outlive the engine.
    void DriverTable(std::span<const odbc::DriverSettings> rows) { driverTable_ = rows; }

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
    odbc::RawHandle ResultSetStatement() const;
    void ResultSetColumnDataType(std::int16_t column, std::int16_t cType);  // an ODBC C type
    std::int16_t ColumnCount(std::int16_t set = 0);
    void FreeStatement(odbc::RawHandle statement);

    // --- Execution and fetching -----------------------------------------------------------------
    // Let: the pending SQL text. Get: the SQL text of the current set.
    std::string SQLString() const;
    void SQLString(std::string sql);

    // Executes the pending SQL text in set (0: a new set; below 0: the current set); the target
    // becomes current and its number is returned.
    std::int16_t ExecuteSQL(std::int16_t set = 0);
    void ExecuteSearch() { ExecuteSQL(-1); }
    void MyExecuteSQL(std::string_view sql, odbc::RawHandle statement, bool fromExecuteSQL);

    // Fetches the next row of set's statement into the current set's row (set below 1: current).
    // At the end of the rows every column reads "".
    void GetNextRow(std::int16_t set = 0);
    void RealNextRow(odbc::RawHandle statement);
    // Fetch with an orientation (kFetchNext, kFetchPrior, ...) on the current set.
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
    std::int16_t PendingParameterCapacity() const;

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

    // --- Prepared statements and read transactions ---------------------------------------------
    // The statement prepared for sql (markers "?") on this connection, connecting first when
    // needed; made on the first request and kept until Disconnect.
    PreparedQuery& Prepared(const std::string& sql);
    // Until EndReadTransaction, the connection's statements run in one transaction (the database
    // takes its locks, or its snapshot, once). The end commits and never throws.
    void BeginReadTransaction();
    void EndReadTransaction() noexcept;
    bool InReadTransaction() const { return inReadTransaction_; }

    // --- Counters and version -------------------------------------------------------------------
    std::int32_t SqlStatementsSubmitted() const { return statementsSubmitted_; }
    std::int32_t RetrievalRequestsSubmitted() const { return retrievalsSubmitted_; }
    void ResetCounters() { statementsSubmitted_ = retrievalsSubmitted_ = 0; }
    static std::string Version();

    // The text GetErrorText built last.
    const std::string& LastErrorText() const { return lastError_; }

    // --- The driver's catalogue -----------------------------------------------------------------
    struct CatalogColumn {
        std::string table, name, type, size;
        bool nullable = true;
    };
    // Hands each column of owner's tables (with includeViews, views too) to each as it is read:
    // tables in name order, columns in the driver's. A driver without schemas (none listed under
    // owner) gives all its tables. Connects first when needed.
    void ForEachCatalogColumn(const std::string& owner, bool includeViews,
                              const std::function<void(const CatalogColumn&)>& each);

private:
    friend class PreparedQuery;
    // Defined with the engine's internals; they hold ODBC types.
    struct Parameter;
    struct BlockBuffers;
    struct Set;
    enum class FetchKind { Next, Scroll };

    Set& Current() { return *sets_[static_cast<std::size_t>(current_)]; }
    const Set& Current() const { return *sets_[static_cast<std::size_t>(current_)]; }
    Set& At(std::int16_t set) { return *sets_[static_cast<std::size_t>(set)]; }

    // Fills lastError_ from the environment, the connection and statement; false when none had any.
    bool GetErrorText(odbc::RawHandle statement);
    void UpdateColumnCount(odbc::RawHandle statement);
    void PrepareSession();
    void RunAtConnect(std::string_view sql, std::string_view whatFailed);
    std::int16_t TryAtConnect(std::string_view sql);
    [[noreturn]] void ConnectFailed(std::int16_t rc);
    void PrepareBlockFetch(Set& s);
    void ResetBlockFetch(Set& s);
    void PrepareParameters(Set& s);
    void BindPendingParameters(Set& s);
    void BindBlockColumns(Set& s);
    void CopyOutputParameters(Set& s);
    void FetchRow(odbc::RawHandle statement, FetchKind kind, std::int16_t direction, std::int32_t offset);
    bool FetchBlock(Set& s, odbc::RawHandle statement, FetchKind kind, std::int16_t direction, std::int32_t offset);
    void ClearRow(Set& s);
    void StoreValue(Set& s, std::int16_t column, std::string_view value);
    bool IsInvalidCursorState() const;
    [[noreturn]] void RaiseFetchError(std::int16_t rc, bool diagnosticsFound);
    std::int16_t ResolveRowArguments(std::int16_t setOrColumn, std::int16_t column);
    [[noreturn]] void RaiseBadSet(std::int16_t set) const;
    void SetTraceOption(bool on);
    void DropPrepared() noexcept;

    std::string dsn_, uid_, pwd_;
    odbc::EnvHandle env_;
    odbc::DbcHandle dbc_;
    bool isRetrieval_ = false;
    bool connected_ = false;
    bool handlesBorrowed_ = false;
    bool forReading_ = false;
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
    std::span<const odbc::DriverSettings> driverTable_ = odbc::DriverTable();
    const odbc::DriverSettings* driver_ = &odbc::DriverFor({});  // the connected database's row
    std::string adaptedSql_;
    std::array<char, kFetchBufferBytes> fetchBuffer_{};
    std::unordered_map<std::string, std::unique_ptr<PreparedQuery>> prepared_;
    bool inReadTransaction_ = false;
};

}  // namespace linkmend
