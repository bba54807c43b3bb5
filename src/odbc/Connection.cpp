#include "odbc/Connection.h"

#include "base/Error.h"
#include "odbc/OdbcHandles.h"

namespace linkmend::odbc {

struct Statement::Param {
    Kind kind = Kind::Unset;
    std::string bytes;
    std::int32_t int32 = 0;
    std::int64_t int64 = 0;
    SQLLEN indicator = 0;
};

Connection::~Connection() { Disconnect(); }

void Connection::Connect(const std::string& dsn, const std::string& uid, const std::string& pwd) {
    Disconnect();
    dsn_ = dsn;
    env_ = NewEnvironment();
    if (!Succeeded(dbc_.Allocate(env_.Get()))) {
        env_.Reset();
        throw LinkmendError(ObjectError(1005), kErrorSource, "Could not allocate a connection handle");
    }
    const SQLRETURN rc = Traced("SQLConnect", SQLConnect(dbc_.Get(), Chars(dsn), static_cast<SQLSMALLINT>(dsn.size()),
                                                         Chars(uid), static_cast<SQLSMALLINT>(uid.size()), Chars(pwd),
                                                         static_cast<SQLSMALLINT>(pwd.size())));
    if (!Succeeded(rc)) {
        const std::string text = FormatDiagnostics(ReadDiagnostics(SQL_HANDLE_DBC, dbc_.Get()));
        Traced("SQLFreeHandle", SQLFreeHandle(SQL_HANDLE_DBC, dbc_.Get()));
        dbc_.Release();
        env_.Reset();
        throw LinkmendError(
            ObjectError(1006), kErrorSource,
            "Could not establish a database connection to " + dsn + "\n\n" + text + "\n" + NumberWithSign(rc));
    }
    dbmsName_ = odbc::DbmsName(dbc_.Get());
    driver_ = &DriverFor(dbmsName_);
}

void Connection::Disconnect() noexcept {
    if (dbc_ && inTransaction_) Traced("SQLEndTran", SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), SQL_ROLLBACK));
    inTransaction_ = false;
    dbc_.Reset();
    env_.Reset();
}

void Connection::SetAutocommit(bool on) {
    const SQLRETURN rc = Traced(
        "SQLSetConnectAttr",
        SQLSetConnectAttr(
            dbc_.Get(), SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0));
    Check(rc, SQL_HANDLE_DBC, dbc_.Get(), ObjectError(1000), on ? "Switching autocommit on" : "Starting a transaction");
}

void Connection::Begin() {
    if (!dbc_) throw LinkmendError(ObjectError(1005), kErrorSource, "Not connected: no transaction can start");
    if (inTransaction_) throw LinkmendError(ObjectError(1000), kErrorSource, "A transaction is already open");
    SetAutocommit(false);
    inTransaction_ = true;
}

void Connection::EndTransaction(bool commit) {
    const SQLSMALLINT completion = commit ? SQL_COMMIT : SQL_ROLLBACK;
    if (!inTransaction_)
        throw LinkmendError(
            ObjectError(1000), kErrorSource,
            completion == SQL_COMMIT ? "Commit without an open transaction" : "Rollback without an open transaction");
    inTransaction_ = false;
    const SQLRETURN rc = Traced("SQLEndTran", SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), completion));
    if (!Succeeded(rc)) {
        const std::string text = FormatDiagnostics(ReadDiagnostics(SQL_HANDLE_DBC, dbc_.Get()));
        if (completion == SQL_COMMIT) Traced("SQLEndTran", SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), SQL_ROLLBACK));
        SetAutocommit(true);
        throw LinkmendError(ObjectError(1000), kErrorSource,
                            std::string(completion == SQL_COMMIT ? "Commit failed; the transaction was rolled back: "
                                                                 : "Rollback failed: ") +
                                text);
    }
    SetAutocommit(true);
}

void Connection::Commit() { EndTransaction(true); }

void Connection::Rollback() { EndTransaction(false); }

void Connection::Fail(std::int16_t rc, HandleType type, RawHandle handle, std::string_view sql) {
    std::string text = std::string(sql) + " : " +
                       FormatDiagnostics(ReadDiagnostics(static_cast<SQLSMALLINT>(type), handle)) +
                       "\nReturn: " + NumberWithSign(rc);
    if (inTransaction_) {
        inTransaction_ = false;
        Traced("SQLEndTran", SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), SQL_ROLLBACK));
        Traced("SQLSetConnectAttr",
               SQLSetConnectAttr(dbc_.Get(), SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_AUTOCOMMIT_ON)), 0));
        text += "\nThe transaction was rolled back.";
    }
    throw LinkmendError(ObjectError(1000), kErrorSource, text);
}

Statement Connection::Prepare(std::string_view sql) { return Statement(*this, std::string(sql)); }

Statement Connection::PrepareWrite(std::string_view sql) {
    return Statement(*this, std::string(sql), driver_->keptWriteHead);
}

long long Connection::Execute(std::string_view sql) {
    Statement s(*this, std::string(sql));
    return s.Execute();
}

Statement::Statement(Connection& connection, std::string sql, std::string_view head)
    : connection_(&connection), sql_(std::move(sql)) {
    if (!connection.dbc_) throw LinkmendError(ObjectError(1005), kErrorSource, "Not connected: " + sql_);
    if (!Succeeded(stmt_.Allocate(connection.dbc_.Get())))
        connection.Fail(SQL_ERROR, HandleType::Connection, connection.dbc_.Get(), sql_);
    std::string scratch;
    std::string_view text = connection.driver_->Adapt(sql_, scratch);
    std::string headed;
    if (!head.empty()) {
        headed.reserve(head.size() + text.size());
        headed.append(head).append(text);
        text = headed;
    }
    const SQLRETURN rc =
        Traced("SQLPrepare", SQLPrepare(stmt_.Get(), Chars(text), static_cast<SQLINTEGER>(text.size())));
    if (!Succeeded(rc)) connection.Fail(rc, HandleType::Statement, stmt_.Get(), sql_);
}

Statement::Statement(Statement&&) noexcept = default;
Statement& Statement::operator=(Statement&&) noexcept = default;
Statement::~Statement() = default;

Statement::Param& Statement::Slot(int index) {
    if (index < 1)
        throw LinkmendError(kInvalidPropertyValue, kErrorSource,
                            "Invalid parameter number (" + std::to_string(index) + "); must be 1 or higher");
    if (params_.size() < static_cast<std::size_t>(index)) params_.resize(static_cast<std::size_t>(index));
    return params_[static_cast<std::size_t>(index) - 1];
}

void Statement::BindText(int index, std::string_view text) {
    Param& p = Slot(index);
    p.kind = Kind::Text;
    p.bytes.assign(text);
}

void Statement::BindInt32(int index, std::int32_t value) {
    Param& p = Slot(index);
    p.kind = Kind::Int32;
    p.int32 = value;
}

void Statement::BindInt64(int index, std::int64_t value) {
    Param& p = Slot(index);
    p.kind = Kind::Int64;
    p.int64 = value;
}

void Statement::BindNull(int index) { Slot(index).kind = Kind::Null; }

void Statement::BindBinary(int index, std::string_view octets) {
    Param& p = Slot(index);
    p.kind = Kind::Binary;
    p.bytes.assign(octets);
}

long long Statement::Execute() {
    SQLHSTMT stmt = stmt_.Get();
    Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE));
    for (std::size_t i = 0; i < params_.size(); ++i) {
        Param& p = params_[i];
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        // Character and binary data go with their exact length: octets pass unchanged.
        const auto size = static_cast<SQLULEN>(std::max<std::size_t>(p.bytes.size(), 1));
        SQLRETURN rc = SQL_SUCCESS;
        switch (p.kind) {
            case Kind::Unset:
                throw LinkmendError(kInvalidPropertyValue, kErrorSource,
                                    "Parameter " + std::to_string(i + 1) + " has no value: " + sql_);
            case Kind::Null:
                p.indicator = SQL_NULL_DATA;
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                                      &p.indicator);
                break;
            case Kind::Text:
                p.indicator = static_cast<SQLLEN>(p.bytes.size());
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, size, 0, p.bytes.data(),
                                      static_cast<SQLLEN>(p.bytes.size()), &p.indicator);
                break;
            case Kind::Int32:
                p.indicator = 0;
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &p.int32, 0,
                                      &p.indicator);
                break;
            case Kind::Int64:
                p.indicator = 0;
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &p.int64, 0,
                                      &p.indicator);
                break;
            case Kind::Binary:
                p.indicator = static_cast<SQLLEN>(p.bytes.size());
                rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, size, 0,
                                      p.bytes.data(), static_cast<SQLLEN>(p.bytes.size()), &p.indicator);
                break;
        }
        if (!Succeeded(Traced("SQLBindParameter", rc))) connection_->Fail(rc, HandleType::Statement, stmt, sql_);
    }
    const SQLRETURN rc = Traced("SQLExecute", SQLExecute(stmt));
    if (rc == SQL_NO_DATA) return 0;  // a searched UPDATE or DELETE that touched no row
    if (!Succeeded(rc)) connection_->Fail(rc, HandleType::Statement, stmt, sql_);
    SQLLEN rows = -1;
    if (!Succeeded(Traced("SQLRowCount", SQLRowCount(stmt, &rows)))) rows = -1;
    return rows;
}

bool Statement::Fetch() {
    const SQLRETURN rc = Traced("SQLFetch", SQLFetch(stmt_.Get()));
    if (rc == SQL_NO_DATA) return false;
    if (!Succeeded(rc)) connection_->Fail(rc, HandleType::Statement, stmt_.Get(), sql_);
    return true;
}

std::int16_t Statement::ColumnCount() const {
    SQLSMALLINT count = 0;
    if (!Succeeded(Traced("SQLNumResultCols", SQLNumResultCols(stmt_.Get(), &count)))) return 0;
    return count;
}

std::optional<std::string> Statement::Read(int column, bool binary) {
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    std::string out;
    char buffer[8192];
    // Character data ends each piece with a terminator; binary data fills the whole buffer.
    const std::size_t piece = cType == SQL_C_CHAR ? sizeof buffer - 1 : sizeof buffer;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = Traced("SQLGetData", SQLGetData(stmt_.Get(), static_cast<SQLUSMALLINT>(column), cType,
                                                             buffer, sizeof buffer, &indicator));
        if (rc == SQL_NO_DATA) break;
        if (!Succeeded(rc)) connection_->Fail(rc, HandleType::Statement, stmt_.Get(), sql_);
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool whole = indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= piece;
        out.append(buffer, whole ? static_cast<std::size_t>(indicator) : piece);
        if (whole) break;
    }
    return out;
}

std::optional<std::string> Statement::Text(int column) { return Read(column, false); }

std::optional<std::string> Statement::Binary(int column) { return Read(column, true); }

}  // namespace linkmend::odbc
