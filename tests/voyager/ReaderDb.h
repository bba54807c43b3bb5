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

    // Segments as given, in order: a shorter one is a segment stored without its trailing blanks.
    void Segments(const std::string& kind, int id, const Rows& segments) {
        auto st = Writer().Prepare("INSERT INTO " + Prefix() + kind + "_DATA (" + kind +
                                   "_ID, SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
        for (std::size_t i = 0; i < segments.size(); ++i) {
            st.BindInt32(1, id), st.BindInt32(2, static_cast<std::int32_t>(i + 1)), st.BindBinary(3, segments[i]);
            st.Execute();
        }
    }
    void History(const std::string& kind, int id, const std::string& date, const std::string& op, int action) {
        Exec("INSERT INTO " + Prefix() + kind + "_HISTORY (" + kind +
             "_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (" + std::to_string(id) + ", " +
             (IsSqlite() ? "'" : "TIMESTAMP '") + date + "', '" + op + "', " + std::to_string(action) + ")");
    }
    // A record-like text of n octets holding every octet value.
    static std::string RecordOf(std::size_t n, char tag = 'r') {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s.push_back(i % 7 == 0 ? tag : static_cast<char>((i * 37) % 256));
        return s;
    }

    ProfileFolder profile_;  // no VGERREAD.INI: the settings are not automatic
};

}  // namespace linkmend::test
