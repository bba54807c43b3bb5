// Block fetch: up to 25 rows of up to 9 columns per driver call into bound buffers of 300 octets.
#include <cstring>

#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {
namespace {

SQLPOINTER Value(SQLULEN v) { return reinterpret_cast<SQLPOINTER>(v); }

}  // namespace

void VgerReaderDllClass6::PrepareBlockFetch(Set& s) {
    if (!s.block) s.block = std::make_unique<BlockBuffers>();
    SQLHSTMT stmt = s.statement.Get();
    BlockBuffers& b = *s.block;
    const SQLRETURN results[] = {
        odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, Value(SQL_BIND_BY_COLUMN), 0)),
        odbc::Traced("SQLSetStmtAttr",
                     SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, Value(static_cast<SQLULEN>(s.rowsPerFetch)), 0)),
        odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, b.rowStatus.data(), 0)),
        odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &b.rowsFetched, 0))};
    s.blockBound = true;
    b.rowsFetched = 0;
    s.rowsInBlock = 0;
    s.currentBlockRow = 0;
    for (const SQLRETURN rc : results) {
        if (odbc::Succeeded(rc)) continue;
        GetErrorText(stmt);
        throw LinkmendError(ObjectError(1000), odbc::kErrorSource,
                            "Block fetch of " + std::to_string(s.rowsPerFetch) + " rows refused: " + lastError_);
    }
}

void VgerReaderDllClass6::ResetBlockFetch(Set& s) {
    SQLHSTMT stmt = s.statement.Get();
    odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_UNBIND));
    odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, Value(1), 0));
    odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0));
    odbc::Traced("SQLSetStmtAttr", SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0));
    s.blockBound = false;
    s.rowsInBlock = 0;
    s.currentBlockRow = 0;
}

void VgerReaderDllClass6::BindBlockColumns(Set& s) {
    BlockBuffers& b = *s.block;
    std::memset(b.cells.data(), 0, sizeof b.cells);
    const int columns = std::min<int>(s.columnCount, kMaxBlockColumns);
    for (int c = 0; c < columns; ++c) {
        const SQLRETURN rc =
            odbc::Traced("SQLBindCol", SQLBindCol(s.statement.Get(), static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                                                  b.cells[static_cast<std::size_t>(c)].data(), kBlockCellBytes,
                                                  b.lengths[static_cast<std::size_t>(c)].data()));
        if (!odbc::Succeeded(rc)) {
            GetErrorText(s.statement.Get());
            throw LinkmendError(ObjectError(1000), odbc::kErrorSource,
                                "Binding column " + std::to_string(c + 1) + " for block fetch: " + lastError_);
        }
    }
}

// Fetches the next block (or scrolls to one) and keeps its rows; false at the end of the rows.
// Each row keeps its values apart, so a line feed inside a value does not shift the columns.
bool VgerReaderDllClass6::FetchBlock(Set& s, odbc::RawHandle statement, FetchKind kind, std::int16_t direction,
                                     std::int32_t offset) {
    BlockBuffers& b = *s.block;
    b.rowsFetched = 0;
    s.rowsInBlock = 0;
    const SQLRETURN rc = kind == FetchKind::Next
                             ? odbc::Traced("SQLFetch", SQLFetch(statement))
                             : odbc::Traced("SQLFetchScroll", SQLFetchScroll(statement, direction, offset));
    if (!odbc::Succeeded(rc)) {
        if (rc == SQL_ERROR) GetErrorText(statement);
        return false;
    }
    const auto rows = static_cast<std::size_t>(std::min<SQLULEN>(b.rowsFetched, static_cast<SQLULEN>(s.rowsPerFetch)));
    const auto columns = static_cast<std::size_t>(std::min<int>(s.columnCount, kMaxBlockColumns));
    if (s.blockRows.size() < rows) s.blockRows.resize(rows);
    std::size_t kept = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        const SQLUSMALLINT status = b.rowStatus[r];
        if (status == SQL_ROW_NOROW || status == SQL_ROW_ERROR || status == SQL_ROW_DELETED) continue;
        auto& row = s.blockRows[kept++];
        row.resize(columns);
        for (std::size_t c = 0; c < columns; ++c) {
            const SQLLEN length = b.lengths[c][r];
            const char* cell = b.cells[c][r].data();
            if (length == SQL_NULL_DATA) row[c].clear();
            else if (length == SQL_NO_TOTAL || length >= kBlockCellBytes)
                row[c].assign(cell, strnlen(cell, kBlockCellBytes - 1));
            else row[c].assign(cell, static_cast<std::size_t>(std::max<SQLLEN>(length, 0)));
        }
    }
    s.rowsInBlock = static_cast<std::int32_t>(kept);
    return kept > 0;
}

}  // namespace linkmend
