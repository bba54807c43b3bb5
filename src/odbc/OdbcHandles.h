#pragma once
// Owners of ODBC environment, connection and statement handles, the one way diagnostics are read,
// and a switch that traces every call. Destructors never throw; a borrowed handle is never freed.
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace linkmend::odbc {

// Source text of every error raised by the ODBC layer.
inline constexpr const char* kErrorSource = "VgerReadDLL";

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// One diagnostic record; the message has line feeds, carriage returns and tabs folded into blanks
// and is trimmed, because some drivers put them into their texts.
struct DiagRecord {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

// Reads all diagnostic records of one handle, each once (some drivers misbehave when asked again).
std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// "message Native error: n" lines joined by line feeds; "" for no records.
std::string FormatDiagnostics(const std::vector<DiagRecord>& records);

// Folds line breaks and tabs into single blanks and trims blanks at both ends.
std::string CleanDiagnosticText(std::string_view text);

// Call tracing: when a sink is installed every traced call reports "name rc" to it.
// LINKMEND_ODBC_TRACE=1 in the environment installs one that writes to standard error.
using TraceSink = std::function<void(std::string_view line)>;
TraceSink SetCallTrace(TraceSink sink);  // returns the previous sink; empty switches tracing off
bool CallTraceOn();
void TraceCall(const char* name, SQLRETURN rc);

// Passes rc through, reporting the call when tracing is on.
inline SQLRETURN Traced(const char* name, SQLRETURN rc) {
    if (CallTraceOn()) TraceCall(name, rc);
    return rc;
}

// Raises LinkmendError(number, kErrorSource, what + ": " + diagnostics of the handle) unless rc
// is success or success-with-info. The diagnostics are read once, here.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::int32_t number, std::string_view what);

// Common owner: frees the handle on Reset and destruction unless it was borrowed.
template <SQLSMALLINT Type>
class Handle {
public:
    Handle() = default;
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_), owned_(other.owned_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.h_;
            owned_ = other.owned_;
            other.h_ = nullptr;
        }
        return *this;
    }

    SQLHANDLE Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    bool Borrowed() const noexcept { return h_ != nullptr && !owned_; }

    // Allocates a new handle under parent (SQL_NULL_HANDLE for an environment); returns the
    // driver manager's result and leaves the owner empty on failure.
    SQLRETURN Allocate(SQLHANDLE parent) {
        Reset();
        SQLHANDLE h = SQL_NULL_HANDLE;
        const SQLRETURN rc = Traced("SQLAllocHandle", SQLAllocHandle(Type, parent, &h));
        if (Succeeded(rc)) {
            h_ = h;
            owned_ = true;
        }
        return rc;
    }
    // Uses a handle that belongs to someone else; it is never freed here.
    void Borrow(SQLHANDLE h) noexcept {
        Reset();
        h_ = h;
        owned_ = false;
    }
    // Frees an owned handle (a connection is disconnected first); forgets a borrowed one.
    void Reset() noexcept;
    // Forgets the handle without freeing it (its connection's owner frees it by disconnecting).
    void Release() noexcept {
        h_ = nullptr;
        owned_ = false;
    }

private:
    SQLHANDLE h_ = nullptr;
    bool owned_ = false;
};

using EnvHandle = Handle<SQL_HANDLE_ENV>;
using DbcHandle = Handle<SQL_HANDLE_DBC>;
using StmtHandle = Handle<SQL_HANDLE_STMT>;

template <SQLSMALLINT Type>
void Handle<Type>::Reset() noexcept {
    if (h_ && owned_) {
        if constexpr (Type == SQL_HANDLE_DBC) Traced("SQLDisconnect", SQLDisconnect(h_));
        Traced("SQLFreeHandle", SQLFreeHandle(Type, h_));
    }
    h_ = nullptr;
    owned_ = false;
}

// An ODBC 3 environment: allocates and sets the version; raises on failure.
EnvHandle NewEnvironment();

// Keeps unixODBC's installer library loaded for the life of the process. Drivers (SQLite's) open and
// close it at every connection; unloaded, it would be reloaded each time and its settings cache
// lost. Called before the first environment is allocated; idempotent.
void KeepInstallerLibraryLoaded();

// The DBMS name the driver reports (SQLGetInfo SQL_DBMS_NAME), "" when it will not say.
std::string DbmsName(SQLHDBC dbc);

}  // namespace linkmend::odbc
