// The numbered result sets: validation, allocation, the push/pop stack and per-set properties.
#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {
namespace {
constexpr const char* kSource = odbc::kErrorSource;
}

void VgerReaderDllClass6::RaiseBadSet(std::int16_t set) const {
    throw LinkmendError(kInvalidPropertyValue, kSource,
                        "Invalid value for ResultSet property (" + std::to_string(set) + ")");
}

bool VgerReaderDllClass6::CheckResultSet(std::int16_t set, bool raiseWhenInvalid) const {
    if (set >= 0 && static_cast<std::size_t>(set) < sets_.size()) return true;
    if (raiseWhenInvalid) RaiseBadSet(set);
    return false;
}

void VgerReaderDllClass6::ResultSet(std::int16_t set) {
    CheckResultSet(set);
    current_ = set;
}

void VgerReaderDllClass6::AssignStatementHandle() {
    if (current_ < 1) {
        if (sets_.size() >= 32767) RaiseBadSet(32767);
        sets_.push_back(std::make_unique<Set>());
        sets_.back()->columnTypes.assign(1, 0);
        current_ = static_cast<std::int16_t>(sets_.size() - 1);
    }
    Set& s = Current();
    if (s.statement) return;
    if (!odbc::Succeeded(s.statement.Allocate(dbc_.Get())))
        throw LinkmendError(ObjectError(1003), kSource,
                            "Could not allocate a statement handle for set " + std::to_string(current_));
    s.searchType = 0;
}

void VgerReaderDllClass6::PushResultSet() { stack_.push_back(current_); }

void VgerReaderDllClass6::PopResultSet() {
    if (stack_.empty())
        throw LinkmendError(kInvalidPropertyValue, kSource, "PopResultSet without a matching PushResultSet");
    const std::int16_t set = stack_.back();
    ResultSet(set);
    stack_.pop_back();
}

std::int16_t VgerReaderDllClass6::ResultSetColumns() const { return Current().columnCount; }

void VgerReaderDllClass6::ResultSetColumns(std::int16_t count) { Current().columnCount = count < 0 ? 0 : count; }

std::int16_t VgerReaderDllClass6::ResultSetSearchType() const { return Current().searchType; }

void VgerReaderDllClass6::ResultSetSearchType(std::int16_t type) { Current().searchType = type; }

odbc::RawHandle VgerReaderDllClass6::ResultSetStatement() const { return Current().statement.Get(); }

void VgerReaderDllClass6::ResultSetColumnDataType(std::int16_t column, std::int16_t cType) {
    if (column < 1)
        throw LinkmendError(
            kInvalidPropertyValue, kSource,
            "Invalid value (" + std::to_string(column) + ") for column number in ResultSetColumnDataType");
    auto& types = Current().columnTypes;
    if (types.size() <= static_cast<std::size_t>(column)) types.resize(static_cast<std::size_t>(column) + 1, 0);
    types[static_cast<std::size_t>(column)] = cType;
}

std::int16_t VgerReaderDllClass6::ColumnCount(std::int16_t set) {
    if (set < 1) set = current_;
    CheckResultSet(set);
    return At(set).columnCount;
}

void VgerReaderDllClass6::FreeStatement(odbc::RawHandle statement) {
    odbc::Traced("SQLFreeStmt", SQLFreeStmt(statement, SQL_CLOSE));
}

std::string VgerReaderDllClass6::SQLString() const { return Current().sql; }

void VgerReaderDllClass6::SQLString(std::string sql) {
    pendingSql_ = std::move(sql);
    sqlChanged_ = true;
}

std::int32_t VgerReaderDllClass6::RowsPerFetch() const { return current_ > 0 ? Current().rowsPerFetch : 0; }

void VgerReaderDllClass6::RowsPerFetch(std::int32_t rows) {
    if (rows < 0 || rows > kMaxBlockRows)
        throw LinkmendError(kInvalidPropertyValue, kSource,
                            "Invalid value for RowsPerFetch property (" + std::to_string(rows) + "); must be 0 to " +
                                std::to_string(kMaxBlockRows));
    pendingRowsPerFetch_ = static_cast<std::int16_t>(rows);
}

bool VgerReaderDllClass6::ScrollableCursor() const { return Current().scrollable; }

}  // namespace linkmend
