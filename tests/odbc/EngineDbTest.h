#pragma once
// The fixture of the engine's database tests: engines connected to the case's fresh database, and
// a few rows to read. The ODBC layer's own tests may use the ODBC headers and calls.
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
    int operator[](const std::string& name) const {
        const auto it = counts_.find(name);
        return it == counts_.end() ? 0 : it->second;
    }

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

    // LIBRARY rows 1..count named "Library 01".. with NUC code "NUC" + id, in one transaction.
    void AddLibraries(int count) {
        auto& w = Writer();
        w.Begin();
        auto insert =
            w.Prepare("INSERT INTO " + Prefix() +
                      "LIBRARY (LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE) VALUES (?, ?, ?, ?)");
        for (int i = 1; i <= count; ++i) {
            insert.BindInt32(1, i);
            insert.BindText(2, LibraryName(i));
            insert.BindText(3, "Display " + std::to_string(i));
            insert.BindText(4, "NUC" + std::to_string(i));
            insert.Execute();
        }
        w.Commit();
    }

    static std::string LibraryName(int i) { return std::string("Library ") + (i < 10 ? "0" : "") + std::to_string(i); }

    std::string LibrarySelect() const {
        return "SELECT LIBRARY_ID, LIBRARY_NAME, NUC_CODE FROM " + Prefix() + "LIBRARY ORDER BY LIBRARY_ID";
    }
};

}  // namespace linkmend::test
