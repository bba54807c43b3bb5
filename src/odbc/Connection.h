#pragma once
// A plain ODBC connection for writing: transactions committed by hand, statements prepared once and
// executed many times with text, integer, NULL and binary parameters, rows read as text or octets.
// Errors are LinkmendError with source "VgerReadDLL" and the driver's diagnostics.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "odbc/Dialect.h"
#include "odbc/OdbcHandles.h"

namespace linkmend::odbc {

class Statement;

class Connection {
public:
    Connection() = default;
    ~Connection();  // rolls back an open transaction and disconnects; never throws
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Raises −2147220498 "Could not establish a database connection to " + dsn + … on refusal.
    void Connect(const std::string& dsn, const std::string& uid, const std::string& pwd);
    void Disconnect() noexcept;
    bool Connected() const { return static_cast<bool>(dbc_); }
    const std::string& DbmsName() const { return dbmsName_; }
    SQLHDBC Handle() const { return dbc_.Get(); }

    // Outside a transaction every statement commits by itself. Inside one, nothing is kept until
    // Commit; a statement that fails rolls the whole transaction back before its error is raised.
    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const { return inTransaction_; }

    // The statement must not outlive this connection.
    Statement Prepare(std::string_view sql);
    // Runs one statement without parameters; returns the affected row count (-1 when unknown).
    long long Execute(std::string_view sql);

private:
    friend class Statement;
    [[noreturn]] void Fail(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view sql);
    void SetAutocommit(bool on);
    void EndTransaction(SQLSMALLINT completion);

    EnvHandle env_;
    DbcHandle dbc_;
    std::string dsn_;
    std::string dbmsName_;
    SqlDialect dialect_;
    bool inTransaction_ = false;
};

class Statement {
public:
    Statement(Statement&&) noexcept = default;
    Statement& operator=(Statement&&) noexcept = default;

    // Parameters are numbered from 1 and keep their value until bound again.
    void BindText(int index, std::string_view text);
    void BindInt32(int index, std::int32_t value);
    void BindInt64(int index, std::int64_t value);
    void BindNull(int index);
    void BindBinary(int index, std::string_view octets);

    // Runs the statement (closing the previous cursor); returns the affected rows (-1 unknown).
    long long Execute();
    // Moves to the next row; false at the end.
    bool Fetch();
    std::int16_t ColumnCount() const;
    // Column values of the current row, whole whatever their length; nullopt for NULL.
    std::optional<std::string> Text(int column);
    std::optional<std::string> Binary(int column);

private:
    friend class Connection;
    Statement(Connection& connection, std::string sql);

    enum class Kind { Unset, Null, Text, Int32, Int64, Binary };
    struct Param {
        Kind kind = Kind::Unset;
        std::string bytes;
        std::int32_t int32 = 0;
        std::int64_t int64 = 0;
        SQLLEN indicator = 0;
    };
    Param& Slot(int index);
    std::optional<std::string> Read(int column, SQLSMALLINT cType);

    Connection* connection_ = nullptr;
    StmtHandle stmt_;
    std::string sql_;
    std::vector<Param> params_;
};

}  // namespace linkmend::odbc
