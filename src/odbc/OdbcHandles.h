#pragma once
// Inside src/odbc only (and the ODBC layer's tests and benchmarks): the ODBC headers, the one way a
// call is traced and checked, diagnostics are read and a text is handed to the driver manager. The
// reader, the job and the windows never include it; the handle owners are in odbc/HandleOwner.h.
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "odbc/DiagnosticText.h"
#include "odbc/HandleOwner.h"

namespace linkmend::odbc {

static_assert(std::is_same_v<SQLHANDLE, RawHandle> && std::is_same_v<SQLHSTMT, RawHandle> &&
              std::is_same_v<SQLHDBC, RawHandle> && std::is_same_v<SQLHENV, RawHandle>);
static_assert(static_cast<SQLSMALLINT>(HandleType::Environment) == SQL_HANDLE_ENV &&
              static_cast<SQLSMALLINT>(HandleType::Connection) == SQL_HANDLE_DBC &&
              static_cast<SQLSMALLINT>(HandleType::Statement) == SQL_HANDLE_STMT);
static_assert(std::is_same_v<SQLRETURN, std::int16_t>);

// Source text of every error raised by the ODBC layer.
inline constexpr const char* kErrorSource = "VgerReadDLL";

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// A text as the driver manager's SQLCHAR*, which it only reads. Pass the length along, or SQL_NTS
// for a text that ends in a zero octet (a std::string's or a literal's).
inline SQLCHAR* Chars(std::string_view s) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.data())); }

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

// An ODBC 3 environment: allocates and sets the version; raises on failure.
EnvHandle NewEnvironment();

// Keeps unixODBC's installer library loaded for the life of the process. Drivers (SQLite's) open and
// close it at every connection; unloaded, it would be reloaded each time and its settings cache
// lost. Called before the first environment is allocated; idempotent.
void KeepInstallerLibraryLoaded();

// The DBMS name the driver reports (SQLGetInfo SQL_DBMS_NAME), "" when it will not say.
std::string DbmsName(SQLHDBC dbc);

}  // namespace linkmend::odbc
