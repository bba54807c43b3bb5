#pragma once
// The reader's database tests (both drivers, see DbTest.h): readers on the read-only account, and
// rows each case inserts as bound values, so that any octets reach the tables unchanged.
#include <memory>
#include <string>
#include <vector>

#include "DbTest.h"
#include "kit/Files.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend::test {

using Rows = std::vector<std::string>;

class ReaderDb : public testdb::DbTest {
protected:
    std::unique_ptr<VgerReaderClass7> NewReader() const {
        auto r = std::make_unique<VgerReaderClass7>();
        r->DSN(Db().ReadOnlyDsn());
        r->TableNamePrefix(Prefix());
        r->uID(Db().ReadOnlyUid().empty() ? "reader" : Db().ReadOnlyUid());
        r->PWD(Db().ReadOnlyPwd().empty() ? "reader" : Db().ReadOnlyPwd());
        return r;
    }
    // Rows of the table's columns; "<null>" stands for NULL.
    void Insert(const std::string& table, const std::string& columns, const std::vector<Rows>& rows) {
        std::string marks = "?";
        for (char c : columns) marks += c == ',' ? ", ?" : "";
        auto st = Writer().Prepare("INSERT INTO " + Prefix() + table + " (" + columns + ") VALUES (" + marks + ")");
        for (const Rows& values : rows) {
            for (std::size_t i = 0; i < values.size(); ++i)
                values[i] == "<null>" ? st.BindNull(static_cast<int>(i + 1))
                                      : st.BindText(static_cast<int>(i + 1), values[i]);
            st.Execute();
        }
    }

    ProfileFolder profile_;  // no VGERREAD.INI: the settings are not automatic
};

}  // namespace linkmend::test
