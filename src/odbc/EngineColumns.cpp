// Column access: the current row's values and lengths, and the column headers.
#include "base/Error.h"
#include "base/Hex.h"
#include "odbc/EngineState.h"

namespace linkmend {

// Resolves CurrentRow's arguments to a column of the set it makes current; raises on bad numbers.
std::int16_t VgerReaderDllClass6::ResolveRowArguments(std::int16_t setOrColumn, std::int16_t column) {
    std::int16_t set = current_;
    if (column > 0) {
        set = setOrColumn;
    } else {
        column = setOrColumn;
    }
    const std::int16_t lowest = isRetrieval_ ? 0 : 1;
    if (set < lowest || static_cast<std::size_t>(set) >= sets_.size())
        throw LinkmendError(ObjectError(1049), odbc::kErrorSource,
                            "Invalid value (" + std::to_string(set) + ") for ResultSet property in CurrentRow");
    current_ = set;
    if (column < 1 || column > Current().columnCount)
        throw LinkmendError(ObjectError(1050), odbc::kErrorSource,
                            "Invalid value (" + std::to_string(column) + ") for column number in CurrentRow");
    return column;
}

std::string VgerReaderDllClass6::CurrentRow(std::int16_t setOrColumn, std::int16_t column) {
    column = ResolveRowArguments(setOrColumn, column);
    const Set& s = Current();
    const std::size_t slots = s.values.size();
    const std::size_t i = static_cast<std::size_t>(column) - 1;
    const std::string* value = nullptr;
    static const std::string kEmpty;
    if (i < slots) value = &s.values[i];
    else value = i - slots < s.tailValues.size() ? &s.tailValues[i - slots] : &kEmpty;
    // Search type 3 (headings) returns its normalised heading as hex in column 4 and a
    // reference flag in column 7.
    if (s.searchType == 3) {
        if (column == 4) return HexToText(*value);
        if (column == 7) return value->empty() ? "N" : "Y";
    }
    return *value;
}

std::int16_t VgerReaderDllClass6::CurrentRowLength(std::int16_t setOrColumn, std::int16_t column) {
    column = ResolveRowArguments(setOrColumn, column);
    const Set& s = Current();
    const std::size_t slots = s.lengths.size();
    const std::size_t i = static_cast<std::size_t>(column) - 1;
    SQLLEN length = 0;
    if (i < slots) length = s.lengths[i];
    else if (i - slots < s.tailLengths.size()) length = s.tailLengths[i - slots];
    return static_cast<std::int16_t>(length);
}

std::string VgerReaderDllClass6::ColumnHeaders(std::int16_t set) {
    if (set < 1) set = current_;
    CheckResultSet(set);
    if (At(set).headers.empty()) DisplayResultHeaders();
    return At(set).headers;
}

void VgerReaderDllClass6::DisplayResultHeaders() {
    Set& s = Current();
    s.headers.clear();
    char label[1024];
    for (std::int16_t c = 1; c <= s.columnCount; ++c) {
        SQLSMALLINT length = 0;
        label[0] = '\0';
        const SQLRETURN rc =
            odbc::Traced("SQLColAttribute", SQLColAttribute(s.statement.Get(), static_cast<SQLUSMALLINT>(c),
                                                            SQL_DESC_LABEL, label, 255, &length, nullptr));
        if (c > 1) s.headers += columnSeparator_;
        if (odbc::Succeeded(rc)) s.headers += label;
    }
}

}  // namespace linkmend
