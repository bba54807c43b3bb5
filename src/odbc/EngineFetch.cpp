// Fetching: one row per driver call into the current set's value slots, or a row out of a fetched
// block; the end of the rows leaves every column empty.
#include <cstring>

#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {

static_assert(VgerReaderDllClass6::kFetchNext == SQL_FETCH_NEXT &&
              VgerReaderDllClass6::kFetchFirst == SQL_FETCH_FIRST &&
              VgerReaderDllClass6::kFetchLast == SQL_FETCH_LAST &&
              VgerReaderDllClass6::kFetchPrior == SQL_FETCH_PRIOR &&
              VgerReaderDllClass6::kFetchAbsolute == SQL_FETCH_ABSOLUTE &&
              VgerReaderDllClass6::kFetchRelative == SQL_FETCH_RELATIVE);

void VgerReaderDllClass6::GetNextRow(std::int16_t set) {
    if (!connected_) return;
    if (set < 1) set = current_;
    CheckResultSet(set);
    RealNextRow(At(set).statement.Get());
}

void VgerReaderDllClass6::RealNextRow(odbc::RawHandle statement) {
    FetchRow(statement, FetchKind::Next, SQL_FETCH_NEXT, 0);
}

void VgerReaderDllClass6::GetNextRowScroll(std::int32_t direction, std::int16_t rowsToScroll) {
    if (!connected_) return;
    CheckResultSet(current_);
    FetchRow(Current().statement.Get(), FetchKind::Scroll, static_cast<SQLSMALLINT>(direction), rowsToScroll);
}

void VgerReaderDllClass6::ClearRow(Set& s) {
    const std::size_t count = static_cast<std::size_t>(std::max<std::int16_t>(s.columnCount, 0));
    for (std::size_t i = 0; i < std::min<std::size_t>(count, s.values.size()); ++i) {
        s.values[i].clear();
        s.lengths[i] = 0;
    }
    if (count > s.values.size()) {
        s.tailValues.resize(count - s.values.size());
        s.tailLengths.assign(count - s.values.size(), 0);
        for (auto& v : s.tailValues) v.clear();
    } else {
        s.tailValues.clear();
        s.tailLengths.clear();
    }
}

// Stores one column of the current row. Column 2 of the index searches keeps a short code: search
// type 1 its first 3 characters, type 2 its first 4 with a leading "A" read as "0".
void VgerReaderDllClass6::StoreValue(Set& s, std::int16_t column, std::string_view value) {
    const auto length = static_cast<SQLLEN>(value.size());
    if (column > static_cast<std::int16_t>(s.values.size())) {
        const std::size_t i = static_cast<std::size_t>(column) - s.values.size() - 1;
        if (i >= s.tailValues.size()) {
            s.tailValues.resize(i + 1);
            s.tailLengths.resize(i + 1, 0);
        }
        s.tailLengths[i] = length;
        s.tailValues[i].assign(value);
        return;
    }
    const std::size_t i = static_cast<std::size_t>(column) - 1;
    s.lengths[i] = length;
    if (length <= 0) return;
    if (column == 2 && s.searchType == 1) {
        value = value.substr(0, 3);
    } else if (column == 2 && s.searchType == 2) {
        value = value.substr(0, 4);
        s.values[i].assign(value);
        if (s.values[i][0] == 'A') s.values[i][0] = '0';
        return;
    }
    s.values[i].assign(value);
}

void VgerReaderDllClass6::RaiseFetchError(std::int16_t rc, bool diagnosticsFound) {
    if (!diagnosticsFound)
        lastError_ = rc == SQL_ERROR ? std::string("Error in SQL statement")
                                     : "Error message text not found for return code " + std::to_string(rc);
    throw LinkmendError(ObjectError(1000), odbc::kErrorSource, lastError_);
}

void VgerReaderDllClass6::FetchRow(odbc::RawHandle statement, FetchKind kind, std::int16_t direction,
                                   std::int32_t offset) {
    Set& s = Current();
    ClearRow(s);
    ++retrievalsSubmitted_;

    if (s.rowsPerFetch >= 2) {
        ++s.currentBlockRow;
        if (kind == FetchKind::Scroll || s.currentBlockRow > s.rowsInBlock) {
            s.currentBlockRow = 1;
            if (!FetchBlock(s, statement, kind, direction, offset)) return;
        }
        const auto& row = s.blockRows[static_cast<std::size_t>(s.currentBlockRow - 1)];
        const auto columns = std::min<std::size_t>(row.size(), static_cast<std::size_t>(s.columnCount));
        for (std::size_t c = 0; c < columns; ++c) StoreValue(s, static_cast<std::int16_t>(c + 1), row[c]);
        return;
    }

    const SQLRETURN rc = kind == FetchKind::Next
                             ? odbc::Traced("SQLFetch", SQLFetch(statement))
                             : odbc::Traced("SQLFetchScroll", SQLFetchScroll(statement, direction, offset));
    if (!odbc::Succeeded(rc)) {
        if (rc == SQL_ERROR) GetErrorText(statement);
        // No row: a statement without a result set (a procedure call) may have output values now.
        if (s.prepared) CopyOutputParameters(s);
        return;
    }

    if (s.columnTypes.size() <= static_cast<std::size_t>(s.columnCount))
        s.columnTypes.resize(static_cast<std::size_t>(s.columnCount) + 1, 0);
    char* buffer = fetchBuffer_.data();
    for (std::int16_t c = 1; c <= s.columnCount; ++c) {
        const std::int16_t recorded = s.columnTypes[static_cast<std::size_t>(c)];
        const SQLSMALLINT cType = recorded != 0 ? recorded : SQL_C_CHAR;
        SQLLEN indicator = 0;
        const SQLRETURN got = odbc::Traced("SQLGetData", SQLGetData(statement, static_cast<SQLUSMALLINT>(c), cType,
                                                                    buffer, kFetchBufferBytes, &indicator));
        if (!odbc::Succeeded(got)) {
            const bool found = GetErrorText(statement);
            if (IsInvalidCursorState()) return;
            RaiseFetchError(got, found);
        }
        std::size_t length = 0;
        if (indicator == SQL_NO_TOTAL) length = cType == SQL_C_CHAR ? std::strlen(buffer) : kFetchBufferBytes - 1;
        else if (indicator > 0)
            length = std::min<std::size_t>(static_cast<std::size_t>(indicator), kFetchBufferBytes - 1);
        StoreValue(s, c, std::string_view(buffer, length));
    }
}

}  // namespace linkmend
