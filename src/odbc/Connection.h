#pragma once
// A plain ODBC connection for writing: transactions committed by hand, statements prepared once and
// executed many times with text, integer, NULL and binary parameters, rows read as text or octets.
// Errors are LinkmendError with source "VgerReadDLL" and the driver's diagnostics. Its callers need
// no ODBC header.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "odbc/Dialect.h"
#include "odbc/HandleOwner.h"

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
    // The database's row of the driver table (the fallback row before connecting).
    const DriverSettings& Driver() const { return *driver_; }
    RawHandle Handle() const { return dbc_.Get(); }

    // Outside a transaction every statement commits by itself. Inside one, nothing is kept until
    // Commit; a statement that fails rolls the whole transaction back before its error is raised.
    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const { return inTransaction_; }

    // The statement must not outlive this connection.
    Statement Prepare(std::string_view sql);
    // An INSERT, UPDATE or DELETE to be run many times: sent behind the driver row's keptWriteHead,
    // so that the driver keeps it prepared; its affected row count is then unknown. Errors word it
    // as given.
    Statement PrepareWrite(std::string_view sql);
    // Runs one statement without parameters; returns the affected row count (-1 when unknown).
    long long Execute(std::string_view sql);

private:
    friend class Statement;
    [[noreturn]] void Fail(std::int16_t rc, HandleType type, RawHandle handle, std::string_view sql);
    void SetAutocommit(bool on);
    void EndTransaction(bool commit);

    EnvHandle env_;
    DbcHandle dbc_;
    std::string dsn_;
    std::string dbmsName_;
    const DriverSettings* driver_ = &DriverFor({});
    bool inTransaction_ = false;
};

class Statement {
public:
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    ~Statement();

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
    Statement(Connection& connection, std::string sql, std::string_view head = {});

    enum class Kind { Unset, Null, Text, Int32, Int64, Binary };
    struct Param;  // holds an ODBC length indicator
    Param& Slot(int index);
    std::optional<std::string> Read(int column, bool binary);

    Connection* connection_ = nullptr;
    StmtHandle stmt_;
    std::string sql_;
    std::vector<Param> params_;
};

}  // namespace linkmend::odbc
