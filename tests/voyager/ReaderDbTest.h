#pragma once
// Reader tests on both drivers: a fresh database per case, the reader connected with the read-only
// account, settings files in a folder of the case's own, and helpers that insert Voyager rows.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DbTest.h"
#include "TestSupport.h"
#include "base/Error.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend::test {

class ReaderDb : public testdb::DbTest {
protected:
    void SetUp() override {
        setenv("LINKMEND_PROFILE_DIR", profile_.Path().c_str(), 1);
        DbTest::SetUp();
    }

    const std::string& P() const { return Prefix(); }

    // A reader on the read-only data source (SQLite ignores the account; the reader wants one).
    std::unique_ptr<VgerReaderClass7> NewReader() {
        auto r = std::make_unique<VgerReaderClass7>();
        r->DSN(Db().ReadOnlyDsn());
        r->TableNamePrefix(Prefix());
        r->uID(Db().ReadOnlyUid().empty() ? "reader" : Db().ReadOnlyUid());
        r->PWD(Db().ReadOnlyPwd().empty() ? "reader" : Db().ReadOnlyPwd());
        return r;
    }

    // Stores a record in segments of the given size (each segment as given: a shorter one models
    // a segment stored without its trailing blanks).
    void InsertSegments(const std::string& table, const std::string& idColumn, int id,
                        const std::vector<std::string>& segments) {
        auto st = Writer().Prepare("INSERT INTO " + P() + table + " (" + idColumn +
                                   ", SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)");
        for (std::size_t i = 0; i < segments.size(); ++i) {
            st.BindInt32(1, id);
            st.BindInt32(2, static_cast<std::int32_t>(i + 1));
            st.BindBinary(3, segments[i]);
            st.Execute();
        }
    }
    // The record cut into whole segments, the last one shorter.
    static std::vector<std::string> Cut(const std::string& record, std::size_t size) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < record.size(); i += size) out.push_back(record.substr(i, size));
        return out;
    }
    void InsertBib(int id, const std::string& record, const std::string& suppress = "N",
                   const std::string& library = "1") {
        InsertSegments("BIB_DATA", "BIB_ID", id, Cut(record, 990));
        Exec("INSERT INTO " + P() + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (" + std::to_string(id) +
             ", " + library + ", '" + suppress + "')");
    }
    void History(const std::string& kind, int id, const std::string& date, const std::string& op, int action) {
        Exec("INSERT INTO " + P() + kind + "_HISTORY (" + (kind == "MFHD" ? "MFHD" : kind) +
             "_ID, ACTION_DATE, "
             "OPERATOR_ID, ACTION_TYPE_ID) VALUES (" +
             std::to_string(id) + ", " + Timestamp(date) + ", '" + op + "', " + std::to_string(action) + ")");
    }
    // A timestamp literal each database stores as a date-time.
    std::string Timestamp(const std::string& text) const {
        return IsSqlite() ? "'" + text + "'" : "TIMESTAMP '" + text + "'";
    }

private:
    TempDir profile_;
};

// A MARC-like record of n octets that holds every octet value.
inline std::string RecordOf(std::size_t n, char tag = 'r') {
    std::string s;
    s.reserve(n);
    for (std::size_t i = 0; i < n; ++i) s.push_back(i % 7 == 0 ? tag : static_cast<char>((i * 37) % 256));
    return s;
}

// Runs the statement and expects a LinkmendError with that number, source and text.
template <typename F>
void ExpectError(F&& f, std::int32_t number, const std::string& source, const std::string& text) {
    try {
        f();
        ADD_FAILURE() << "no error; expected " << number << " " << text;
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_EQ(e.Source(), source);
        EXPECT_EQ(e.Description(), text);
    }
}

}  // namespace linkmend::test
