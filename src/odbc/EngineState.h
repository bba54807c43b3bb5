#pragma once
// Inside src/odbc only: the statement engine's per-set state, parameters and block buffers, which
// hold ODBC types and are therefore kept out of the engine's public header.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "odbc/OdbcHandles.h"
#include "odbc/VgerReaderDllClass6.h"

namespace linkmend {

struct VgerReaderDllClass6::Parameter {
    bool pending = false;
    std::int16_t sequence = 0;
    std::int16_t inputOutputType = 0;
    std::int16_t cType = 0;  // 1 character, 2 numeric
    std::int16_t sqlType = 0;
    std::int16_t size = 0;
    std::int16_t decimalDigits = 0;
    std::int32_t numericValue = 0;
    std::array<char, 256> bytes{};
    SQLLEN bufferLength = 0;
    SQLLEN indicator = 0;
    SQLLEN outputIndicator = 0;
    std::string textValue;
};

struct VgerReaderDllClass6::BlockBuffers {
    std::array<std::array<std::array<char, kBlockCellBytes>, kMaxBlockRows>, kMaxBlockColumns> cells{};
    std::array<std::array<SQLLEN, kMaxBlockRows>, kMaxBlockColumns> lengths{};
    std::array<SQLUSMALLINT, kMaxBlockRows> rowStatus{};
    SQLULEN rowsFetched = 0;
};

struct VgerReaderDllClass6::Set {
    odbc::StmtHandle statement;
    std::string headers;
    std::int16_t columnCount = 0;
    std::int16_t parameterCount = 0;
    std::int16_t rowsPerFetch = 0;
    std::int16_t searchType = 0;
    std::string sql;
    // Columns 1 to 8, then 9 onwards in the tail.
    std::array<std::string, 8> values;
    std::array<SQLLEN, 8> lengths{};
    std::vector<std::string> tailValues;
    std::vector<SQLLEN> tailLengths;
    std::vector<std::int16_t> columnTypes;  // index 1 .. column count; 0 = character
    bool prepared = false;
    bool scrollable = false;
    bool blockBound = false;  // the statement still carries block attributes and bindings
    std::vector<Parameter> parameters;
    std::unique_ptr<BlockBuffers> block;
    std::int32_t rowsInBlock = 0;
    std::int32_t currentBlockRow = 0;
    std::vector<std::vector<std::string>> blockRows;
};

}  // namespace linkmend
