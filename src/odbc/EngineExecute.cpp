// Execution: ExecuteSQL moves the pending text, rows per fetch and parameters into a set and runs it;
// MyExecuteSQL is the step shared with the reader's own retrievals.
#include <utility>

#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {
namespace {

constexpr const char* kSource = odbc::kErrorSource;

std::string HandleText(SQLHSTMT statement) {
    return NumberWithSign(static_cast<long long>(reinterpret_cast<std::intptr_t>(statement)));
}

}  // namespace

std::int16_t VgerReaderDllClass6::ExecuteSQL(std::int16_t set) {
    if (pendingSql_.empty()) throw LinkmendError(ObjectError(1008), kSource, "No SQLString supplied");
    ConnectToVoyager();
    if (set > -1) ResultSet(set);
    AssignStatementHandle();
    Set& s = Current();
    SQLHSTMT stmt = s.statement.Get();
    s.sql = pendingSql_;
    s.rowsPerFetch = std::exchange(pendingRowsPerFetch_, 0);
    const bool scrollable = std::exchange(pendingScrollable_, false);

    odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE));
    odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_RESET_PARAMS));
    // The reset unbinds the set's parameters: a re-execution binds them again.
    for (auto& p : s.parameters) p.pending = p.sequence > 0;
    // Block attributes and bound columns outlive the cursor; rows per fetch holds for one execution.
    if (s.blockBound) ResetBlockFetch(s);
    if (scrollable != s.scrollable) {
        const SQLULEN type = scrollable ? SQL_CURSOR_STATIC : SQL_CURSOR_FORWARD_ONLY;
        odbc::Traced("SQLSetStmtAttr",
                     SQLSetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(type), 0));
        s.scrollable = scrollable;
    }
    if (s.rowsPerFetch > 0) PrepareBlockFetch(s);
    PrepareParameters(s);

    sqlChanged_ = false;
    MyExecuteSQL(s.sql, stmt, true);
    return current_;
}

void VgerReaderDllClass6::PrepareParameters(Set& s) {
    if (pendingCount_ >= 1) {
        if (sqlChanged_ || !s.prepared) {
            s.prepared = true;
            const std::string_view text = driver_->Adapt(s.sql, adaptedSql_);
            const SQLRETURN rc = odbc::Traced(
                "SQLPrepare", SQLPrepare(s.statement.Get(), odbc::Chars(text), static_cast<SQLINTEGER>(text.size())));
            if (!odbc::Succeeded(rc)) {
                s.prepared = false;
                GetErrorText(s.statement.Get());
                throw LinkmendError(ObjectError(1000), HandleText(s.statement.Get()) + " VgerReadDLL",
                                    HandleText(s.statement.Get()) + " : " + s.sql + " : " + lastError_ +
                                        "\nReturn: " + NumberWithSign(rc));
            }
        }
        s.parameterCount = pendingCount_;
        s.parameters.assign(pending_.begin(), pending_.begin() + pendingCount_);
        for (auto& p : pending_) p.pending = false;
        pendingCount_ = 0;
    } else if (sqlChanged_) {
        // A new text without parameters runs directly; parameters bound for the old text go.
        s.prepared = false;
        s.parameterCount = 0;
        s.parameters.clear();
    }
}

void VgerReaderDllClass6::MyExecuteSQL(std::string_view sql, odbc::RawHandle statement, bool fromExecuteSQL) {
    if (sql.empty()) throw LinkmendError(ObjectError(1008), kSource, "No SQLString supplied");
    if (!fromExecuteSQL) odbc::Traced("SQLFreeStmt", SQLFreeStmt(statement, SQL_CLOSE));
    Set& s = Current();
    SQLRETURN rc;
    if (s.prepared) {
        BindPendingParameters(s);
        rc = odbc::Traced("SQLExecute", SQLExecute(statement));
    } else {
        const std::string_view text = driver_->Adapt(sql, adaptedSql_);
        rc = odbc::Traced("SQLExecDirect",
                          SQLExecDirect(statement, odbc::Chars(text), static_cast<SQLINTEGER>(text.size())));
    }
    ++statementsSubmitted_;
    if (!odbc::Succeeded(rc) && rc != SQL_NEED_DATA) {
        GetErrorText(statement);
        throw LinkmendError(
            ObjectError(1000), HandleText(statement) + " VgerReadDLL",
            HandleText(statement) + " : " + std::string(sql) + " : " + lastError_ + "\nReturn: " + NumberWithSign(rc));
    }
    UpdateColumnCount(statement);
    s.headers.clear();
    if (s.prepared) CopyOutputParameters(s);
    if (s.rowsPerFetch >= 2) BindBlockColumns(s);
}

void VgerReaderDllClass6::UpdateColumnCount(odbc::RawHandle statement) {
    SQLSMALLINT count = 0;
    if (!odbc::Succeeded(odbc::Traced("SQLNumResultCols", SQLNumResultCols(statement, &count)))) count = 0;
    Current().columnCount = count;
}

}  // namespace linkmend
