#include "odbc/OdbcHandles.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "base/Error.h"

namespace linkmend::odbc {
namespace {

struct TraceState {
    std::mutex mutex;
    TraceSink sink;
    std::atomic<bool> on{false};
};

TraceState& Trace() {
    static TraceState state;
    // LINKMEND_ODBC_TRACE=1 in the environment traces from the start, to standard error.
    static const bool fromEnvironment = [] {
        const char* env = std::getenv("LINKMEND_ODBC_TRACE");
        if (env && std::string_view(env) == "1") {
            state.sink = [](std::string_view line) {
                std::fprintf(stderr, "odbc: %.*s\n", static_cast<int>(line.size()), line.data());
            };
            state.on = true;
        }
        return true;
    }();
    (void)fromEnvironment;
    return state;
}

}  // namespace

template <HandleType Type>
std::int16_t Handle<Type>::Allocate(RawHandle parent) {
    Reset();
    SQLHANDLE h = SQL_NULL_HANDLE;
    const SQLRETURN rc = Traced("SQLAllocHandle", SQLAllocHandle(static_cast<SQLSMALLINT>(Type), parent, &h));
    if (Succeeded(rc)) {
        h_ = h;
        owned_ = true;
    }
    return rc;
}

template <HandleType Type>
void Handle<Type>::Reset() noexcept {
    if (h_ && owned_) {
        if constexpr (Type == HandleType::Connection) Traced("SQLDisconnect", SQLDisconnect(h_));
        Traced("SQLFreeHandle", SQLFreeHandle(static_cast<SQLSMALLINT>(Type), h_));
    }
    h_ = nullptr;
    owned_ = false;
}

template class Handle<HandleType::Environment>;
template class Handle<HandleType::Connection>;
template class Handle<HandleType::Statement>;

std::string CleanDiagnosticText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (const char c : text) {
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) out.push_back(' ');
        pendingBlank = false;
        out.push_back(c);
    }
    return out;
}

std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<DiagRecord> records;
    if (handle == SQL_NULL_HANDLE) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native, message,
                                           static_cast<SQLSMALLINT>(sizeof message), &length);
        if (!Succeeded(rc)) break;
        // A message longer than the buffer arrives cut; the length says how long it was.
        const std::size_t kept =
            std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), sizeof message - 1);
        records.push_back({std::string(reinterpret_cast<char*>(state)), native,
                           CleanDiagnosticText(std::string_view(reinterpret_cast<char*>(message), kept))});
    }
    return records;
}

std::string FormatDiagnostics(const std::vector<DiagRecord>& records) {
    std::string text;
    for (const auto& r : records) {
        if (!text.empty()) text += '\n';
        text += r.message.empty() ? std::string("Error--No error information available") : r.message;
        text += " Native error: " + NumberWithSign(r.native);
    }
    return text;
}

TraceSink SetCallTrace(TraceSink sink) {
    auto& t = Trace();
    std::lock_guard lock(t.mutex);
    t.on = static_cast<bool>(sink);
    return std::exchange(t.sink, std::move(sink));
}

bool CallTraceOn() { return Trace().on.load(std::memory_order_relaxed); }

void TraceCall(const char* name, SQLRETURN rc) {
    auto& t = Trace();
    std::lock_guard lock(t.mutex);
    if (t.sink) t.sink(std::string(name) + " " + std::to_string(rc));
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::int32_t number, std::string_view what) {
    if (Succeeded(rc)) return;
    std::string text(what);
    const std::string diagnostics = FormatDiagnostics(ReadDiagnostics(handleType, handle));
    text += ": ";
    text += diagnostics.empty() ? "Return: " + NumberWithSign(rc) : diagnostics;
    throw LinkmendError(number, kErrorSource, text);
}

void KeepInstallerLibraryLoaded() {
    static const bool once = [] {
        for (const char* name : {"libodbcinst.so.2", "libodbcinst.so"})
            if (dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE)) return true;
        return false;
    }();
    (void)once;
}

EnvHandle NewEnvironment() {
    KeepInstallerLibraryLoaded();
    EnvHandle env;
    if (!Succeeded(env.Allocate(SQL_NULL_HANDLE)))
        throw LinkmendError(ObjectError(1004), kErrorSource, "Could not allocate an environment handle");
    const SQLRETURN rc = Traced(
        "SQLSetEnvAttr", SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION,
                                       reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0));
    Check(rc, SQL_HANDLE_ENV, env.Get(), ObjectError(1004), "Could not set the ODBC version");
    return env;
}

std::string DbmsName(SQLHDBC dbc) {
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        Traced("SQLGetInfo", SQLGetInfo(dbc, SQL_DBMS_NAME, name, static_cast<SQLSMALLINT>(sizeof name), &length));
    if (!Succeeded(rc)) return {};
    return std::string(reinterpret_cast<char*>(name));
}

}  // namespace linkmend::odbc
