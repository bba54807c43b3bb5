// The SQL pass-through for the rest of the program, and the typed-retrieval steps on the
// retrieval statement that every record, item and permission read is built from.
#include <charconv>

#include "base/Error.h"
#include "base/Hex.h"
#include "base/MessagePump.h"
#include "odbc/PreparedQuery.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {

void VgerReaderClass7::SQLString(const std::string& value) {
    LetWindowMessagesRun();
    sqlString_ = EncodeSqlNonAscii(value);
    CheckConnection();
    Engine().SQLString(sqlString_);
}

std::string VgerReaderClass7::SQLString() {
    CheckConnection();
    return Engine().ResultSet() != 0 ? sqlString_ : std::string();
}

std::int16_t VgerReaderClass7::ResultSet() {
    CheckConnection();
    resultSet_ = Engine().ResultSet();
    return resultSet_;
}

void VgerReaderClass7::ResultSet(std::int16_t value) {
    resultSet_ = value;
    Engine().ResultSet(value);
}

void VgerReaderClass7::ExecuteSQL(const std::string& sql, std::int16_t& iResultSet) {
    LetWindowMessagesRun();
    if (!sql.empty()) SQLString(sql);
    if (iResultSet >= 0) ResultSet(iResultSet);
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    VgerReaderDllClass6& e = Engine();
    e.ResultSetSearchType(0);
    const std::int16_t executed = e.ExecuteSQL(iResultSet < 0 ? std::int16_t{-1} : iResultSet);
    resultSet_ = executed;
    if (iResultSet == 0) iResultSet = executed;
}

void VgerReaderClass7::ExecuteSQL(const std::string& sql) {
    std::int16_t current = -1;
    ExecuteSQL(sql, current);
}

bool VgerReaderClass7::GetNextRow(std::int16_t iResultSet) {
    CheckConnection();
    VgerReaderDllClass6& e = Engine();
    if (iResultSet > 0) ResultSet(iResultSet);
    e.GetNextRow(e.ResultSet());
    return e.ColumnCount(e.ResultSet()) >= 1 && !e.CurrentRow(1, 0).empty();
}

bool VgerReaderClass7::GetNextRowScroll(std::int16_t iResultSet, std::int32_t lFetchDirection,
                                        std::int16_t iRowsToScroll) {
    CheckConnection();
    VgerReaderDllClass6& e = Engine();
    if (iResultSet > 0) ResultSet(iResultSet);
    e.GetNextRowScroll(lFetchDirection, iRowsToScroll);
    return e.ColumnCount(e.ResultSet()) >= 1 && !e.CurrentRow(1, 0).empty();
}

std::string VgerReaderClass7::CurrentRow(std::int16_t iResultSetOrColumn, std::int16_t iColumnNumber) {
    CheckConnection();
    VgerReaderDllClass6& e = Engine();
    const std::int16_t column = iResultSetOrColumn >= 1 && iColumnNumber >= 1 ? iColumnNumber : iResultSetOrColumn;
    std::string value = e.CurrentRow(iResultSetOrColumn, iColumnNumber);
    // The searches select their display column through RAWTOHEX; it is handed out as octets.
    switch (e.ResultSetSearchType()) {
        case 1:
            if (column == 4) value = HexToText(value);
            break;
        case 2:
        case 7:
            if (column == 3) value = HexToText(value);
            break;
        case 4:
        case 6:
            if (column == 2) value = HexToText(value);
            break;
        default: break;
    }
    resultSet_ = e.ResultSet();
    return value;
}

std::int16_t VgerReaderClass7::ColumnCount(std::int16_t iResultSet) {
    if (iResultSet > 0) ResultSet(iResultSet);
    VgerReaderDllClass6& e = Engine();
    return e.ColumnCount(e.ResultSet());
}

std::string VgerReaderClass7::ColumnHeaders(std::int16_t iResultSet) {
    if (iResultSet > 0) ResultSet(iResultSet);
    VgerReaderDllClass6& e = Engine();
    return e.ColumnHeaders(e.ResultSet());
}

std::string VgerReaderClass7::ColumnHeader(std::int16_t iResultSet, std::int16_t iColumn) {
    if (iResultSet < 1) RaiseInvalidValue("Invalid value for ResultSet property: " + std::to_string(iResultSet));
    const std::string headers = ColumnHeaders(iResultSet);
    const std::int16_t count = ColumnCount(iResultSet);
    if (iColumn < 1 || iColumn > count)
        RaiseInvalidValue("Invalid value for column property (maximum of " + std::to_string(count) + ")");
    std::size_t start = 0;
    for (std::int16_t c = 1; c < iColumn; ++c) {
        const std::size_t lf = headers.find('\n', start);
        if (lf == std::string::npos) return std::string();
        start = lf + 1;
    }
    return headers.substr(start, headers.find('\n', start) - start);
}

// ---- typed retrieval on set 0 ------------------------------------------------------------------

void VgerReaderClass7::Query(const std::string& sql, std::int16_t columns) {
    VgerReaderDllClass6& e = *engine_;
    odbc::RawHandle statement = e.RetrieveStatement();
    Trace(sql);
    e.MyExecuteSQL(sql, statement, false);
    e.ResultSetColumns(columns);
    e.RealNextRow(statement);
}

bool VgerReaderClass7::NextRow() {
    VgerReaderDllClass6& e = *engine_;
    e.RealNextRow(e.RetrieveStatement());
    return !e.CurrentRow(1, 0).empty();
}

std::string VgerReaderClass7::Column(std::int16_t column) { return engine_->CurrentRow(column, 0); }

PreparedQuery& VgerReaderClass7::QueryById(const std::string& sql, const std::string& id) {
    PreparedQuery& q = Engine().Prepared(sql);
    std::int64_t value = 0;
    std::from_chars(id.data(), id.data() + id.size(), value);  // a checked record number
    q.Bind(1, value);
    Trace(q.Worded());
    q.Execute();
    q.Fetch();
    return q;
}

std::string VgerReaderClass7::QueryValue(const std::string& sql) {
    Query(sql, 1);
    return Column(1);
}

}  // namespace linkmend
