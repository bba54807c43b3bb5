// Statements prepared once per connection: the engine keeps them by their text, binds their values
// afresh at each run and reads every column of a row whole. Also the read transaction that brackets
// a block of such reads.
#include "base/Error.h"
#include "odbc/EngineState.h"
#include "odbc/PreparedQuery.h"

namespace linkmend {
namespace {

std::string HandleText(SQLHSTMT statement) {
    return NumberWithSign(static_cast<long long>(reinterpret_cast<std::intptr_t>(statement)));
}

void SetAutocommit(SQLHDBC dbc, bool on) {
    odbc::Traced(
        "SQLSetConnectAttr",
        SQLSetConnectAttr(
            dbc, SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0));
}

}  // namespace

struct PreparedQuery::Value {
    bool bound = false;
    bool isText = false;
    std::int64_t number = 0;
    std::string text;
    SQLLEN indicator = 0;
};

PreparedQuery& VgerReaderDllClass6::Prepared(const std::string& sql) {
    if (const auto found = prepared_.find(sql); found != prepared_.end()) return *found->second;
    ConnectToVoyager();
    odbc::StmtHandle statement;
    if (!odbc::Succeeded(statement.Allocate(dbc_.Get())))
        throw LinkmendError(ObjectError(1005), odbc::kErrorSource, "Could not allocate a statement handle for " + sql);
    const std::string_view text = driver_->Adapt(sql, adaptedSql_);
    const SQLRETURN rc = odbc::Traced(
        "SQLPrepare", SQLPrepare(statement.Get(), odbc::Chars(text), static_cast<SQLINTEGER>(text.size())));
    if (!odbc::Succeeded(rc)) {
        GetErrorText(statement.Get());
        const std::string handle = HandleText(statement.Get());
        throw LinkmendError(ObjectError(1000), handle + " VgerReadDLL",
                            handle + " : " + sql + " : " + lastError_ + "\nReturn: " + NumberWithSign(rc));
    }
    auto query = std::make_unique<PreparedQuery>(*this, std::move(statement), sql);
    return *prepared_.emplace(sql, std::move(query)).first->second;
}

void VgerReaderDllClass6::DropPrepared() noexcept { prepared_.clear(); }

void VgerReaderDllClass6::BeginReadTransaction() {
    ConnectToVoyager();
    if (inReadTransaction_) return;
    SetAutocommit(dbc_.Get(), false);
    inReadTransaction_ = true;
}

// Reads change nothing: the end only lets go of the locks or the snapshot, and a failure to do so
// leaves nothing to report.
void VgerReaderDllClass6::EndReadTransaction() noexcept {
    if (!inReadTransaction_) return;
    inReadTransaction_ = false;
    if (!dbc_) return;
    odbc::Traced("SQLEndTran", SQLEndTran(SQL_HANDLE_DBC, dbc_.Get(), SQL_COMMIT));
    SetAutocommit(dbc_.Get(), true);
}

PreparedQuery::PreparedQuery(VgerReaderDllClass6& engine, odbc::StmtHandle statement, std::string sql)
    : engine_(engine), statement_(std::move(statement)), sql_(std::move(sql)) {}

PreparedQuery::~PreparedQuery() = default;

PreparedQuery::Value* PreparedQuery::Slot(int index, bool isText) {
    if (index < 1) return nullptr;
    if (values_.size() < static_cast<std::size_t>(index)) values_.resize(static_cast<std::size_t>(index));
    Value& v = values_[static_cast<std::size_t>(index) - 1];
    v.bound = true;
    v.isText = isText;
    return &v;
}

void PreparedQuery::Bind(int index, std::int64_t number) {
    if (Value* v = Slot(index, false)) v->number = number;
}

void PreparedQuery::Bind(int index, std::string_view text) {
    if (Value* v = Slot(index, true)) v->text.assign(text);
}

void PreparedQuery::ReadAsOctets(int column) {
    if (column < 1) return;
    if (octets_.size() <= static_cast<std::size_t>(column)) octets_.resize(static_cast<std::size_t>(column) + 1);
    octets_[static_cast<std::size_t>(column)] = true;
}

void PreparedQuery::Fail(std::int16_t rc) {
    engine_.GetErrorText(statement_.Get());
    const std::string handle = HandleText(statement_.Get());
    throw LinkmendError(ObjectError(1000), handle + " VgerReadDLL",
                        handle + " : " + Worded() + " : " + engine_.lastError_ + "\nReturn: " + NumberWithSign(rc));
}

void PreparedQuery::Execute() {
    SQLHSTMT stmt = statement_.Get();
    odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE));
    for (std::string& value : row_) value.clear();
    for (std::size_t i = 0; i < values_.size(); ++i) {
        Value& v = values_[i];
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc;
        if (!v.bound) {
            v.indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                                  &v.indicator);
        } else if (v.isText) {
            v.indicator = static_cast<SQLLEN>(v.text.size());
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(v.text.size(), 1), 0, v.text.data(),
                                  static_cast<SQLLEN>(v.text.size()), &v.indicator);
        } else {
            v.indicator = 0;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &v.number, 0,
                                  &v.indicator);
        }
        if (!odbc::Succeeded(odbc::Traced("SQLBindParameter", rc))) Fail(rc);
    }
    const SQLRETURN rc = odbc::Traced("SQLExecute", SQLExecute(stmt));
    ++engine_.statementsSubmitted_;
    if (!odbc::Succeeded(rc) && rc != SQL_NO_DATA) Fail(rc);
    if (columns_ < 0) {
        SQLSMALLINT count = 0;
        if (!odbc::Succeeded(odbc::Traced("SQLNumResultCols", SQLNumResultCols(stmt, &count)))) count = 0;
        columns_ = count;
        row_.resize(static_cast<std::size_t>(count));
    }
}

bool PreparedQuery::Fetch() {
    SQLHSTMT stmt = statement_.Get();
    ++engine_.retrievalsSubmitted_;
    const SQLRETURN rc = odbc::Traced("SQLFetch", SQLFetch(stmt));
    if (rc == SQL_NO_DATA) {
        odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE));
        for (std::string& value : row_) value.clear();
        return false;
    }
    if (!odbc::Succeeded(rc)) Fail(rc);
    char* buffer = engine_.fetchBuffer_.data();
    constexpr SQLLEN kBytes = VgerReaderDllClass6::kFetchBufferBytes;
    for (std::int16_t c = 1; c <= columns_; ++c) {
        std::string& value = row_[static_cast<std::size_t>(c) - 1];
        value.clear();
        const bool wanted = static_cast<std::size_t>(c) < octets_.size() && octets_[static_cast<std::size_t>(c)];
        // Where the driver row reads octets as escaped text, the column is text on the wire.
        const bool escaped = wanted && !engine_.driver_->octetsAsText.empty();
        const bool octets = wanted && !escaped;
        // A long value comes in pieces, each but the last filling the buffer (text: up to its
        // terminator).
        const SQLLEN piece = octets ? kBytes : kBytes - 1;
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN got =
                odbc::Traced("SQLGetData", SQLGetData(stmt, static_cast<SQLUSMALLINT>(c),
                                                      octets ? SQL_C_BINARY : SQL_C_CHAR, buffer, kBytes, &indicator));
            if (got == SQL_NO_DATA) break;
            if (!odbc::Succeeded(got)) Fail(got);
            if (indicator == SQL_NULL_DATA) break;
            const bool whole = indicator != SQL_NO_TOTAL && indicator <= piece;
            value.append(buffer, static_cast<std::size_t>(whole ? indicator : piece));
            if (whole) break;
        }
        if (escaped && !odbc::UnescapeOctets(value)) {
            const std::string handle = HandleText(stmt);
            throw LinkmendError(
                ObjectError(1000), handle + " VgerReadDLL",
                handle + " : " + Worded() + " : column " + std::to_string(c) + " does not hold escaped octets");
        }
    }
    return true;
}

const std::string& PreparedQuery::Column(int column) const {
    static const std::string kNone;
    if (column < 1 || static_cast<std::size_t>(column) > row_.size()) return kNone;
    return row_[static_cast<std::size_t>(column) - 1];
}

std::string PreparedQuery::Worded() const {
    std::string out;
    std::size_t next = 0;
    for (const char c : sql_) {
        if (c != '?') {
            out += c;
            continue;
        }
        const Value* v = next < values_.size() ? &values_[next] : nullptr;
        ++next;
        if (v == nullptr || !v->bound) out += "NULL";
        else if (v->isText) out += "'" + v->text + "'";
        else out += std::to_string(v->number);
    }
    return out;
}

}  // namespace linkmend
