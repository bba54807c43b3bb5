#pragma once
// A statement of the engine's connection prepared once with "?" markers and run many times with
// bound values; its rows are read whole, every column as text unless read as octets. Made and owned by the engine
// (VgerReaderDllClass6::Prepared) and freed before its connection. Errors: LinkmendError
// −2147220504 naming the statement handle and the statement worded with its values.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "odbc/HandleOwner.h"

namespace linkmend {

class VgerReaderDllClass6;

class PreparedQuery {
public:
    PreparedQuery(VgerReaderDllClass6& engine, odbc::StmtHandle statement, std::string sql);
    ~PreparedQuery();
    PreparedQuery(const PreparedQuery&) = delete;
    PreparedQuery& operator=(const PreparedQuery&) = delete;

    // Markers are numbered from 1; a value stays bound until bound again.
    void Bind(int index, std::int64_t number);
    void Bind(int index, std::string_view text);

    // The column (from 1) is read as octets, as the database stores them, not as text.
    void ReadAsOctets(int column);

    // Runs the statement with its values, closing the rows of the previous run.
    void Execute();
    // Moves to the next row and reads all its columns; false at the end of the rows.
    bool Fetch();
    // A column (from 1) of the current row; "" for NULL, for a column the statement lacks, and
    // before the first row and after the last.
    const std::string& Column(int column) const;

    const std::string& Sql() const { return sql_; }
    // The statement as it would be written with its values in place of the markers (texts quoted).
    std::string Worded() const;

private:
    friend class VgerReaderDllClass6;
    struct Value;
    [[noreturn]] void Fail(std::int16_t rc);
    // The value of marker `index` (from 1), marked bound as text or number; null for no marker.
    Value* Slot(int index, bool isText);

    VgerReaderDllClass6& engine_;
    odbc::StmtHandle statement_;
    std::string sql_;
    std::vector<Value> values_;
    std::vector<std::string> row_;
    std::vector<bool> octets_;   // by column from 1
    std::int16_t columns_ = -1;  // asked of the driver after the first run
};

}  // namespace linkmend
