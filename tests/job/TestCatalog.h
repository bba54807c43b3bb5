#pragma once
// Fills a test database the way the library system holds its data: libraries, locations, operators
// with profiles and cataloguing locations, and records stored in segments with their master,
// history and link-index rows.
#include <cstdint>
#include <string>
#include <vector>

#include "odbc/Connection.h"

namespace linkmend::test {

// Reference data every job test starts from:
//   libraries 1 "Main Library", 2 "Law Library";
//   locations 10 MAIN and 11 LAW (cataloguing locations), 12 STORE (not one);
//   operators (password = id + "-pw"): "cat" all update rights at MAIN, LAW, STORE; "bibonly" bibliographic
//   rights only, at MAIN; "holdonly" holdings rights only, at MAIN; "norights" a profile without rights.
class TestCatalog {
public:
    TestCatalog(odbc::Connection& connection, std::string prefix);

    void Basics();

    // Stores a record (fields as "856 40 $uhttp://..." specs) and indexes its 856 $u links.
    std::string AddBib(std::int32_t id, const std::vector<std::string>& fields, std::int32_t library = 1,
                       const std::string& suppress = "N", const std::string& created = "2024-01-02 10:00:00",
                       const std::string& updated = "");
    std::string AddHoldings(std::int32_t id, std::int32_t bib, const std::vector<std::string>& fields,
                            std::int32_t location = 10, const std::string& suppress = "N",
                            const std::string& created = "2024-01-02 10:00:00", const std::string& updated = "");
    std::string AddAuthority(std::int32_t id, const std::vector<std::string>& fields,
                             const std::string& created = "2024-01-02 10:00:00");
    void AddItem(std::int32_t id, std::int32_t mfhd, std::int32_t bib, const std::string& link);
    void AddHistory(const std::string& kind, std::int32_t id, const std::string& date, int actionType,
                    const std::string& operatorId = "other");

    // The record as stored now (segments joined); "" when it has none.
    std::string Stored(const std::string& kind, std::int32_t id);
    // The link-index rows of a record: "TYPE LINK | TEXT" lines in LINK_ID order.
    std::vector<std::string> Links(std::int32_t id, const std::string& type);
    // The number of rows a query counts.
    long long Count(const std::string& sqlAfterFrom);

    void Exec(const std::string& sql);

private:
    void Store(const std::string& kind, std::int32_t id, const std::string& record, std::size_t segment);
    void Index(std::int32_t id, const std::string& type, const std::string& record);

    odbc::Connection& c_;
    std::string p_;
};

}  // namespace linkmend::test
