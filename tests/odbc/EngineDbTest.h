#pragma once
// The engine's database tests: engines for the case's fresh database (both drivers, see DbTest.h),
// a few rows to read, and a count of the driver calls the engine makes.
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "DbTest.h"
#include "ErrorAssert.h"
#include "odbc/OdbcHandles.h"
#include "odbc/VgerReaderDllClass6.h"

namespace linkmend::test {

// Counts the traced driver calls by name while it lives.
class CallCounter {
public:
    CallCounter() {
        odbc::SetCallTrace([this](std::string_view line) { ++counts_[std::string(line.substr(0, line.find(' ')))]; });
    }
    ~CallCounter() { odbc::SetCallTrace(nullptr); }
    int operator[](const std::string& name) { return counts_[name]; }

private:
    std::map<std::string, int> counts_;
};

class EngineDbTest : public testdb::DbTest {
protected:
    // An engine with the owner's (or the read-only account's) connection values, not yet connected.
    std::unique_ptr<VgerReaderDllClass6> NewEngine(bool readOnly = false) const {
        auto e = std::make_unique<VgerReaderDllClass6>();
        e->DSN(readOnly ? Db().ReadOnlyDsn() : Db().Dsn());
        e->uID(readOnly ? Db().ReadOnlyUid() : Db().Uid());
        e->PWD(readOnly ? Db().ReadOnlyPwd() : Db().Pwd());
        return e;
    }
    // LIBRARY rows 1..count: "Library 01".., NUC code "NUC" + id.
    void AddLibraries(int count) {
        Writer().Begin();
        for (int i = 1; i <= count; ++i)
            Exec("INSERT INTO " + Prefix() + "LIBRARY (LIBRARY_ID, LIBRARY_NAME, NUC_CODE) VALUES (" +
                 std::to_string(i) + ", '" + LibraryName(i) + "', 'NUC" + std::to_string(i) + "')");
        Writer().Commit();
    }
    static std::string LibraryName(int i) { return std::string("Library ") + (i < 10 ? "0" : "") + std::to_string(i); }
    std::string LibrarySelect() const {
        return "SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE FROM " + Prefix() + "LIBRARY ORDER BY LIBRARY_ID";
    }
};

}  // namespace linkmend::test
