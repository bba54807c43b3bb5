#pragma once
// A fresh test database (SQLite or PostgreSQL) filled by the demo generator.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DbTest.h"
#include "DemoSupport.h"
#include "TestSupport.h"

namespace linkmend::test {

class DemoDb : public testdb::DbTest {
protected:
    // Runs the generator into this case's database; fails the test when it does not succeed.
    std::map<std::string, std::string> Generate(int bibs, int seed, const std::string& matching);
    // The generator's arguments that name this case's database, and the environment it needs.
    std::vector<std::string> TargetArgs() const;
    std::vector<std::string> TargetEnv() const;

    // A connection with the read-only account, as Linkmend's reader has.
    odbc::Connection& Reader();

    // The records of a segment table, reassembled, and as MARC::Record decodes them (same order).
    struct Records {
        std::vector<StoredRecord> stored;
        std::vector<DecodedRecord> decoded;
    };
    Records LoadRecords(const std::string& table);

    TempDir work_;

private:
    std::unique_ptr<odbc::Connection> reader_;
};

}  // namespace linkmend::test
