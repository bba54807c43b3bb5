// The engine's connection: construction, connect and what the database's row of the driver table
// asks for on a new connection, disconnect, borrowed handles and the driver manager's trace.
#include <filesystem>

#include "base/Error.h"
#include "base/MessagePump.h"
#include "odbc/EngineState.h"
#include "odbc/PreparedQuery.h"

namespace linkmend {
namespace {

constexpr const char* kSource = odbc::kErrorSource;

SQLSMALLINT TextLength(const std::string& s) { return static_cast<SQLSMALLINT>(s.size()); }

}  // namespace

VgerReaderDllClass6::VgerReaderDllClass6() {
    sets_.push_back(std::make_unique<Set>());
    sets_[0]->columnTypes.assign(1, 0);
}

VgerReaderDllClass6::~VgerReaderDllClass6() {
    if (handlesBorrowed_) {
        // The lender's connection owns everything allocated on it; leave it all alone.
        for (auto& s : sets_) s->statement.Release();
        for (auto& [sql, query] : prepared_) query->statement_.Release();
        env_.Release();
        dbc_.Release();
        return;
    }
    try {
        Disconnect();
    } catch (...) {
        // Nothing may escape a destructor; the handles are freed below regardless.
    }
}

std::int16_t VgerReaderDllClass6::PendingParameterCapacity() const {
    return static_cast<std::int16_t>(pending_.size());
}

void VgerReaderDllClass6::EnvironmentHandle(odbc::RawHandle handle) {
    if (env_) return;
    env_.Borrow(handle);
    handlesBorrowed_ = true;
}

void VgerReaderDllClass6::DatabaseHandle(odbc::RawHandle handle) {
    if (dbc_) return;
    dbc_.Borrow(handle);
    handlesBorrowed_ = true;
}

odbc::RawHandle VgerReaderDllClass6::RetrieveStatement() const { return sets_[0]->statement.Get(); }

void VgerReaderDllClass6::SetTraceOption(bool on) {
    if (!dbc_) return;
    odbc::Traced(
        "SQLSetConnectAttr",
        SQLSetConnectAttr(
            dbc_.Get(), SQL_ATTR_TRACE,
            reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(on ? SQL_OPT_TRACE_ON : SQL_OPT_TRACE_OFF)), 0));
}

void VgerReaderDllClass6::ConnectFailed(std::int16_t rc) {
    throw LinkmendError(
        ObjectError(1006), kSource,
        "Could not establish a database connection to " + dsn_ + "\n\n" + lastError_ + "\n" + NumberWithSign(rc));
}

void VgerReaderDllClass6::ConnectToVoyager() {
    if (connected_) return;
    if (!(env_ && dbc_)) {
        // A single lent handle is not used: the engine makes both its own.
        env_.Reset();
        dbc_.Reset();
        handlesBorrowed_ = false;
        odbc::KeepInstallerLibraryLoaded();
        SQLRETURN rc = env_.Allocate(SQL_NULL_HANDLE);
        if (odbc::Succeeded(rc))
            rc = odbc::Traced("SQLSetEnvAttr",
                              SQLSetEnvAttr(env_.Get(), SQL_ATTR_ODBC_VERSION,
                                            reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0));
        if (!odbc::Succeeded(rc)) {
            env_.Reset();
            throw LinkmendError(ObjectError(1004), kSource, "Could not allocate an environment handle");
        }
        if (!odbc::Succeeded(dbc_.Allocate(env_.Get()))) {
            env_.Reset();
            throw LinkmendError(ObjectError(1005), kSource, "Could not allocate a connection handle");
        }
        if (traceOn_ && !traceFile_.empty()) {
            odbc::Traced("SQLSetConnectAttr", SQLSetConnectAttr(dbc_.Get(), SQL_ATTR_TRACEFILE, odbc::Chars(traceFile_),
                                                                static_cast<SQLINTEGER>(traceFile_.size())));
            SetTraceOption(true);
        }
        LetWindowMessagesRun();
        rc = odbc::Traced("SQLConnect", SQLConnect(dbc_.Get(), odbc::Chars(dsn_), TextLength(dsn_), odbc::Chars(uid_),
                                                   TextLength(uid_), odbc::Chars(pwd_), TextLength(pwd_)));
        if (!odbc::Succeeded(rc)) {
            GetErrorText(SQL_NULL_HANDLE);
            // Not connected: free without disconnecting.
            odbc::Traced("SQLFreeHandle", SQLFreeHandle(SQL_HANDLE_DBC, dbc_.Get()));
            dbc_.Release();
            env_.Reset();
            ConnectFailed(rc);
        }
        if (!traceOn_) SetTraceOption(false);
    }
    Set& zero = *sets_[0];
    if (!odbc::Succeeded(zero.statement.Allocate(dbc_.Get())))
        throw LinkmendError(ObjectError(1007), kSource, "Could not allocate a 'retrieval' statement handle");
    dbmsName_ = odbc::DbmsName(dbc_.Get());
    driver_ = &odbc::DriverFor(dbmsName_, driverTable_);
    PrepareSession();
    connected_ = true;
}

// The row's statements for a new connection, then for a reading session those that make it
// read-only, then the functions check: a failed LoadExt (SQLite) or a database without the
// schema's functions (PostgreSQL) does not fail the connection by itself; the reader's first
// RAWTOHEX would. Say so once, here.
void VgerReaderDllClass6::PrepareSession() {
    for (const std::string_view sql : driver_->onConnect)
        RunAtConnect(sql, "The statement for a new connection failed: " + std::string(sql));
    // A lent connection is its lender's session: only the engine's own is made read-only.
    if (forReading_ && !handlesBorrowed_) {
        for (const std::string_view sql : driver_->readOnlySession) {
            if (driver_->readOnlyMayFail) TryAtConnect(sql);  // a refusal leaves nothing open
            else RunAtConnect(sql, "The reading session could not be made read-only: " + std::string(sql));
        }
    }
    if (!driver_->functionProbe.empty()) RunAtConnect(driver_->functionProbe, driver_->missingFunctions);
}

// Runs one statement on the retrieval statement and answers the driver's return code; after a
// failure its diagnostics wait on the statement.
std::int16_t VgerReaderDllClass6::TryAtConnect(std::string_view sql) {
    SQLHSTMT stmt = sets_[0]->statement.Get();
    const SQLRETURN rc =
        odbc::Traced("SQLExecDirect", SQLExecDirect(stmt, odbc::Chars(sql), static_cast<SQLINTEGER>(sql.size())));
    if (odbc::Succeeded(rc)) odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE));
    return rc;
}

// Runs one statement; when it fails the connection is given up, with whatFailed and the driver's
// diagnostics as the reason.
void VgerReaderDllClass6::RunAtConnect(std::string_view sql, std::string_view whatFailed) {
    const SQLRETURN rc = TryAtConnect(sql);
    if (odbc::Succeeded(rc)) return;
    SQLHSTMT stmt = sets_[0]->statement.Get();
    const std::string driverText = odbc::FormatDiagnostics(odbc::ReadDiagnostics(SQL_HANDLE_STMT, stmt));
    lastError_ = std::string(whatFailed) + "\n" + driverText;
    sets_[0]->statement.Reset();
    if (!handlesBorrowed_) {
        dbc_.Reset();
        env_.Reset();
    }
    ConnectFailed(rc);
}

void VgerReaderDllClass6::Disconnect() {
    if (handlesBorrowed_ || !connected_) return;
    EndReadTransaction();
    DropPrepared();
    for (auto& s : sets_) {
        if (!s->statement) continue;
        odbc::Traced("SQLFreeStmt", SQLFreeStmt(s->statement.Get(), SQL_CLOSE));
        s->statement.Reset();
    }
    sets_.resize(1);
    current_ = 0;
    dbc_.Reset();
    env_.Reset();
}

bool VgerReaderDllClass6::TraceOn() {
    if (traceFile_.empty()) traceFile_ = (std::filesystem::temp_directory_path() / "log.log").string();
    return traceOn_;
}

void VgerReaderDllClass6::TraceOn(bool on) {
    traceOn_ = on;
    if (!on) SetTraceOption(false);
}

std::string VgerReaderDllClass6::Version() {
    return std::to_string(LINKMEND_VERSION_MAJOR) + "." + std::to_string(LINKMEND_VERSION_MINOR) + "." +
           std::to_string(LINKMEND_VERSION_PATCH);
}

}  // namespace linkmend
