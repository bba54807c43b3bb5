// Parameters of prepared statements. Only output parameters are accepted: a character one is bound
// as SQL_C_CHAR / SQL_VARCHAR into its 256-octet buffer, a numeric one as a 32-bit SQL_C_SLONG /
// SQL_INTEGER; after execution their values are read back with FetchParameter.
#include <charconv>

#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {
namespace {

constexpr const char* kSource = odbc::kErrorSource;
constexpr std::int16_t kOutput = 4;
constexpr std::int16_t kInputOutput = 2;

std::string AsText(const VgerReaderDllClass6::Variant& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* n = std::get_if<std::int32_t>(&v)) return std::to_string(*n);
    return {};
}

// The value as a 32-bit number; text that is not a number reads as 0.
std::int32_t AsNumber(const VgerReaderDllClass6::Variant& v) {
    if (const auto* n = std::get_if<std::int32_t>(&v)) return *n;
    if (const auto* s = std::get_if<std::string>(&v)) {
        std::string_view t(*s);
        while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        if (!t.empty() && t.front() == '+') t.remove_prefix(1);
        std::int32_t n = 0;
        if (std::from_chars(t.data(), t.data() + t.size(), n).ec == std::errc()) return n;
    }
    return 0;
}

}  // namespace

void VgerReaderDllClass6::BindParameter(std::int16_t sequence, std::int16_t inputOutputType, std::int16_t valueType,
                                        const Variant& value) {
    if (sequence < 1)
        throw LinkmendError(kInvalidPropertyValue, kSource,
                            "Invalid value for Sequence property in BindParameter (" + std::to_string(sequence) +
                                "); must be 1 or higher");
    if (inputOutputType != kOutput)
        throw LinkmendError(kInvalidPropertyValue, kSource,
                            "Invalid value for Input/Output property in BindParameter (" +
                                std::to_string(inputOutputType) + "); only output allowed");
    std::int16_t cType = 0;
    if (valueType == 1 || valueType == 12) cType = 1;
    else if (valueType >= 2 && valueType <= 8) cType = 2;
    else
        throw LinkmendError(kInvalidPropertyValue, kSource,
                            "Invalid value for ValueType property in BindParameter (" + std::to_string(valueType) +
                                "); must be character (" + std::to_string(1) + ")");
    std::string text;
    if (cType == 1) {
        text = AsText(value);
        if (text.size() > 255)
            throw LinkmendError(kInvalidPropertyValue, kSource,
                                "Invalid value for Value property in BindParameter (" + std::to_string(text.size()) +
                                    " octets); at most 255 fit");
    }

    pendingCount_ = std::max(pendingCount_, sequence);
    if (static_cast<std::size_t>(pendingCount_) > pending_.size())
        pending_.resize(static_cast<std::size_t>(sequence) + 5);  // new records are not pending

    Parameter& p = pending_[static_cast<std::size_t>(sequence) - 1];
    p = Parameter{};
    p.pending = true;
    p.sequence = sequence;
    p.inputOutputType = inputOutputType;
    p.outputIndicator = 0;
    p.cType = cType;
    p.decimalDigits = 0;
    p.indicator = 0;
    if (cType == 1) {
        p.sqlType = 12;
        p.textValue = std::move(text);
        p.size = static_cast<std::int16_t>(p.textValue.size());
        p.bufferLength = static_cast<SQLLEN>(p.textValue.size());
        std::copy(p.textValue.begin(), p.textValue.end(), p.bytes.begin());
    } else {
        p.sqlType = 2;
        p.bufferLength = 0;
        p.size = 8;
        p.numericValue = AsNumber(value);
    }
}

void VgerReaderDllClass6::BindPendingParameters(Set& s) {
    for (std::int16_t i = 0; i < s.parameterCount; ++i) {
        Parameter& p = s.parameters[static_cast<std::size_t>(i)];
        if (!p.pending) continue;
        p.pending = false;
        const SQLSMALLINT io = p.inputOutputType == kOutput ? SQL_PARAM_OUTPUT : SQL_PARAM_INPUT_OUTPUT;
        SQLRETURN rc;
        if (p.cType == 1) {
            p.outputIndicator = static_cast<SQLLEN>(p.textValue.size());
            rc = SQLBindParameter(s.statement.Get(), static_cast<SQLUSMALLINT>(p.sequence), io, SQL_C_CHAR, SQL_VARCHAR,
                                  p.bytes.size() - 1, 0, p.bytes.data(), static_cast<SQLLEN>(p.bytes.size()),
                                  &p.outputIndicator);
        } else {
            p.outputIndicator = 0;
            rc = SQLBindParameter(s.statement.Get(), static_cast<SQLUSMALLINT>(p.sequence), io, SQL_C_SLONG,
                                  SQL_INTEGER, 0, 0, &p.numericValue, 0, &p.outputIndicator);
        }
        odbc::Traced("SQLBindParameter", rc);
        if (rc == SQL_INVALID_HANDLE)
            throw LinkmendError(ObjectError(1005), kSource, "Binding with invalid connection handle");
        if (!odbc::Succeeded(rc)) {
            const auto records = odbc::ReadDiagnostics(SQL_HANDLE_STMT, s.statement.Get());
            lastError_ = records.empty() ? std::string() : odbc::FormatDiagnostics({records.front()});
            throw LinkmendError(
                ObjectError(1000), kSource,
                "Binding error (" + std::to_string(rc) + ") for parameter " + std::to_string(p.sequence));
        }
    }
}

void VgerReaderDllClass6::CopyOutputParameters(Set& s) {
    for (std::int16_t i = 0; i < s.parameterCount; ++i) {
        Parameter& p = s.parameters[static_cast<std::size_t>(i)];
        if (p.cType != 1 || (p.inputOutputType != kOutput && p.inputOutputType != kInputOutput)) continue;
        const SQLLEN n = p.outputIndicator;
        if (n == SQL_NULL_DATA || n < 0) p.textValue.clear();
        else p.textValue.assign(p.bytes.data(), std::min<std::size_t>(static_cast<std::size_t>(n), p.bytes.size() - 1));
    }
}

VgerReaderDllClass6::Variant VgerReaderDllClass6::FetchParameter(std::int16_t sequence, std::int16_t set) {
    const auto highest = static_cast<std::int16_t>(sets_.size() - 1);
    if (set >= 1 && set > highest)
        throw LinkmendError(ObjectError(1058), kSource,
                            "Set number (" + std::to_string(set) + " in FetchParameter not valid; between 1 and " +
                                std::to_string(highest));
    if (set < 1) set = current_;
    const Set& s = At(set);
    if (s.parameterCount < 1)
        throw LinkmendError(ObjectError(1058), kSource,
                            "Sequence number (" + std::to_string(sequence) +
                                " in FetchParameter not valid; there are no bound parameters in this statement");
    if (sequence < 1 || sequence > s.parameterCount)
        throw LinkmendError(ObjectError(1058), kSource,
                            "Sequence number (" + std::to_string(sequence) +
                                " in FetchParameter not valid; between 1 and " + std::to_string(s.parameterCount));
    const Parameter& p = s.parameters[static_cast<std::size_t>(sequence) - 1];
    if (p.inputOutputType != kOutput && p.inputOutputType != kInputOutput)
        throw LinkmendError(ObjectError(1059), kSource,
                            "Parameter " + std::to_string(sequence) + " not defined as output or input/output");
    if (p.cType == 2) return p.numericValue;
    return p.textValue;
}

}  // namespace linkmend
