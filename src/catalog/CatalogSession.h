#pragma once
// The component's connection while an operator is signed on, and the look-ups a replace makes
// before it writes. Driver errors come out as LinkmendError; the component turns them into codes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/DateTime.h"
#include "catalog/RecordKinds.h"
#include "odbc/Connection.h"

namespace linkmend {

class CatalogSession {
public:
    // Connects with the account of "Voyager.INI" and checks the operator: 0 signed on; 26 no data
    // source named; 27 unknown operator or wrong password; 28 no cataloguing profile.
    std::int32_t SignOn(const std::string& voyagerPath, const std::string& operatorId, const std::string& password);
    bool SignedOn() const { return signedOn_; }

    odbc::Connection& Connection() { return connection_; }
    std::string Table(std::string_view name) const { return prefix_ + std::string(name); }
    const std::string& OperatorId() const { return operatorId_; }

    // What a replace checks about its record, read in one statement.
    struct RecordFacts {
        bool exists = false;
        bool libraryExists = false;             // bibliographic: the owning library given
        bool belongsToBib = false;              // holdings: linked to the bib given
        std::optional<std::string> locationId;  // holdings: LOCATION_ID of the code given; none unknown
        bool updatedSince = false;              // a history entry after its creation is later than the date given
    };
    // `other` is the owning library of a bib, the bib of holdings; `locationCode` that of holdings.
    RecordFacts Facts(const RecordKind& kind, std::int32_t id, const DateTime& lastModified, std::int32_t other,
                      const std::string& locationCode);
    // A cataloguing location of the operator's profile (remembered until the next sign-on).
    bool CatalogingLocationValid(std::int32_t locationId);

private:
    struct KindLookups {
        std::optional<odbc::Statement> facts;
    };
    void DropStatements();
    static std::optional<std::string> First(odbc::Statement& s);

    // The connection is declared first: statements go before it does.
    odbc::Connection connection_;
    std::string prefix_;
    std::string operatorId_;
    bool signedOn_ = false;
    std::unordered_map<std::string, KindLookups> kinds_;
    std::unordered_map<std::int32_t, bool> catalogingLocations_;
};

}  // namespace linkmend
