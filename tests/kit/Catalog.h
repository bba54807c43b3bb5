#pragma once
// The reference catalogue of the job, write-back, program and window tests, filled the way the
// library system holds its data: records in segments with their master, history and link-index rows.
#include <cstdint>
#include <string>
#include <vector>

#include "odbc/Connection.h"

namespace linkmend::test {

// Basics(): libraries 1 "Main Library", 2 "Law Library"; locations 10 MAIN and 11 LAW (cataloguing
// locations), 12 STORE (not one); operators (password = id + "-pw"): "cat" all rights at MAIN, LAW,
// STORE; "bibonly" bibliographic rights at MAIN; "holdonly" holdings rights at MAIN; "norights".
class TestCatalog {
public:
    TestCatalog(odbc::Connection& connection, std::string prefix) : c_(connection), p_(std::move(prefix)) {}

    void Basics();
    void Exec(const std::string& sql) { c_.Execute(sql); }

    // Stores a record (fields as "856 40 $uhttp://..."; 001 and for holdings 004 come first) and
    // indexes its 856 $u links; returns the record.
    std::string AddBib(std::int32_t id, const std::vector<std::string>& fields, std::int32_t library = 1);
    std::string AddHoldings(std::int32_t id, std::int32_t bib, const std::vector<std::string>& fields,
                            std::int32_t location = 10);
    std::string AddAuthority(std::int32_t id, const std::vector<std::string>& fields);

    // The record as stored now; "" when it has no segments.
    std::string Stored(const std::string& kind, std::int32_t id);
    long long Count(const std::string& sqlAfterFrom);

private:
    std::string Add(const std::string& kind, const std::string& type, std::int32_t id, const std::string& record,
                    std::size_t segment, const std::string& masterColumns, const std::string& masterValues);

    odbc::Connection& c_;
    std::string p_;
};

}  // namespace linkmend::test
