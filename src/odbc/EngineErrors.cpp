// Error text: the diagnostics of the environment, the connection and a statement, in that order.
#include <algorithm>

#include "odbc/EngineState.h"

namespace linkmend {

bool VgerReaderDllClass6::GetErrorText(odbc::RawHandle statement) {
    lastError_.clear();
    lastStates_.clear();
    const std::pair<SQLSMALLINT, SQLHANDLE> levels[] = {
        {SQL_HANDLE_ENV, env_.Get()}, {SQL_HANDLE_DBC, dbc_.Get()}, {SQL_HANDLE_STMT, statement}};
    for (const auto& [type, handle] : levels) {
        const auto records = odbc::ReadDiagnostics(type, handle);
        if (records.empty()) continue;
        if (!lastError_.empty()) lastError_ += '\n';
        lastError_ += odbc::FormatDiagnostics(records);
        for (const auto& r : records) lastStates_.push_back(r.state);
    }
    if (!lastError_.empty()) return true;
    lastError_ = "Can't retrieve error message text";
    return false;
}

bool VgerReaderDllClass6::IsInvalidCursorState() const {
    return lastError_.find("Invalid cursor state") != std::string::npos ||
           std::find(lastStates_.begin(), lastStates_.end(), "24000") != lastStates_.end();
}

}  // namespace linkmend
