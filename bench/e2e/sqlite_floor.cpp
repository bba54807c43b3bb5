// The floor of the embedded database under a production run: the same per-record transactions the
// write-back commits (segments replaced, a history row, the master row's date, the link-index rows
// replaced), with the same journal settings, written straight through the SQLite library with
// statements prepared once and nothing else done. What it takes is what no program writing one
// record per transaction through SQLite can go below on this machine.
//
//   sqlite_floor DATABASE ORIGINALS_TXT OLD_STEM NEW_STEM
//
// ORIGINALS_TXT: the list a production run leaves beside its originals file (per line: B, H or A,
// the id, a date). The records named there are rewritten with their own stored octets, and their
// link-index rows with OLD_STEM changed to NEW_STEM at the start of each link, as the run changes
// them (a link that moves in the link indexes dirties other pages than one written back as it was).
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Link {
    std::string subtype, link, text;
    bool textNull = false;
};

struct Record {
    std::string table;  // BIB, MFHD, AUTH
    std::string indexType;
    int id = 0;
    std::vector<std::string> segments;
    std::vector<Link> links;
};

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), db, sql.c_str());
    return s;
}

void Run(sqlite3_stmt* s, sqlite3* db) {
    Check(sqlite3_step(s), db, sqlite3_sql(s));
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
}

std::string Text(sqlite3_stmt* s, int column) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(s, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, column))) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: sqlite_floor DATABASE ORIGINALS_TXT OLD_STEM NEW_STEM\n");
        return 2;
    }
    sqlite3* db = nullptr;
    Check(sqlite3_open(argv[1], &db), db, "open");
    Check(sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 10000",
                       nullptr, nullptr, nullptr),
          db, "pragmas");

    std::vector<Record> records;
    std::ifstream list(argv[2]);
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string type;
        Record r;
        fields >> type >> r.id;
        if (type.empty()) continue;
        r.table = type == "B" ? "BIB" : type == "H" ? "MFHD" : "AUTH";
        r.indexType = r.table == "BIB" ? "B" : r.table == "MFHD" ? "M" : "A";
        records.push_back(std::move(r));
    }
    for (Record& r : records) {
        sqlite3_stmt* s =
            Prepare(db, "SELECT RECORD_SEGMENT FROM " + r.table + "_DATA WHERE " + r.table + "_ID = ? ORDER BY SEQNUM");
        sqlite3_bind_int(s, 1, r.id);
        while (sqlite3_step(s) == SQLITE_ROW) r.segments.push_back(Text(s, 0));
        sqlite3_finalize(s);
        s = Prepare(db,
                    "SELECT LINK_SUBTYPE, LINK, LINK_TEXT FROM ELINK_INDEX WHERE RECORD_ID = ? AND RECORD_TYPE = ? "
                    "ORDER BY LINK_ID");
        sqlite3_bind_int(s, 1, r.id);
        sqlite3_bind_text(s, 2, r.indexType.c_str(), -1, SQLITE_TRANSIENT);
        const std::string oldStem = argv[3], newStem = argv[4];
        while (sqlite3_step(s) == SQLITE_ROW) {
            Link l{Text(s, 0), Text(s, 1), Text(s, 2), sqlite3_column_type(s, 2) == SQLITE_NULL};
            if (l.link.compare(0, oldStem.size(), oldStem) == 0) l.link = newStem + l.link.substr(oldStem.size());
            r.links.push_back(std::move(l));
        }
        sqlite3_finalize(s);
    }

    struct Statements {
        sqlite3_stmt *deleteSegments, *insertSegment, *insertHistory, *updateMaster;
    };
    std::vector<std::pair<std::string, Statements>> byTable;
    auto statementsFor = [&](const std::string& t) -> Statements& {
        for (auto& [name, st] : byTable)
            if (name == t) return st;
        const std::string id = t + "_ID";
        byTable.push_back(
            {t,
             {Prepare(db, "DELETE FROM " + t + "_DATA WHERE " + id + " = ?"),
              Prepare(db, "INSERT INTO " + t + "_DATA (" + id + ", SEQNUM, RECORD_SEGMENT) VALUES (?, ?, ?)"),
              Prepare(db, "INSERT INTO " + t + "_HISTORY (" + id +
                              ", ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID) VALUES (?, ?, ?, ?, 2)"),
              // The write-back sets the owning library (holdings: location) and the
              // suppression again with the date; each dirties its index's leaf.
              Prepare(db, "UPDATE " + t + "_MASTER SET " +
                              (t == "BIB"    ? "LIBRARY_ID = LIBRARY_ID, SUPPRESS_IN_OPAC = SUPPRESS_IN_OPAC, "
                               : t == "MFHD" ? "LOCATION_ID = LOCATION_ID, SUPPRESS_IN_OPAC = SUPPRESS_IN_OPAC, "
                                             : "") +
                              "UPDATE_DATE = ? WHERE " + id + " = ?")}});
        return byTable.back().second;
    };
    sqlite3_stmt* unlink = Prepare(db, "DELETE FROM ELINK_INDEX WHERE RECORD_ID = ? AND RECORD_TYPE = ?");
    sqlite3_stmt* link = Prepare(
        db, "INSERT INTO ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT) VALUES (?, ?, ?, ?, ?)");
    sqlite3_stmt* begin = Prepare(db, "BEGIN IMMEDIATE");
    sqlite3_stmt* commit = Prepare(db, "COMMIT");
    const char* now = "2026-12-06 12:00:00";

    const auto start = std::chrono::steady_clock::now();
    for (const Record& r : records) {
        Statements& w = statementsFor(r.table);
        Run(begin, db);
        sqlite3_bind_int(w.deleteSegments, 1, r.id);
        Run(w.deleteSegments, db);
        for (std::size_t i = 0; i < r.segments.size(); ++i) {
            sqlite3_bind_int(w.insertSegment, 1, r.id);
            sqlite3_bind_int(w.insertSegment, 2, static_cast<int>(i + 1));
            sqlite3_bind_blob(w.insertSegment, 3, r.segments[i].data(), static_cast<int>(r.segments[i].size()),
                              SQLITE_STATIC);
            Run(w.insertSegment, db);
        }
        sqlite3_bind_int(w.insertHistory, 1, r.id);
        sqlite3_bind_text(w.insertHistory, 2, now, -1, SQLITE_STATIC);
        sqlite3_bind_text(w.insertHistory, 3, "cataloger", -1, SQLITE_STATIC);
        sqlite3_bind_int(w.insertHistory, 4, 1);
        Run(w.insertHistory, db);
        sqlite3_bind_text(w.updateMaster, 1, now, -1, SQLITE_STATIC);
        sqlite3_bind_int(w.updateMaster, 2, r.id);
        Run(w.updateMaster, db);
        sqlite3_bind_int(unlink, 1, r.id);
        sqlite3_bind_text(unlink, 2, r.indexType.c_str(), -1, SQLITE_STATIC);
        Run(unlink, db);
        for (const Link& l : r.links) {
            sqlite3_bind_int(link, 1, r.id);
            sqlite3_bind_text(link, 2, r.indexType.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(link, 3, l.subtype.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(link, 4, l.link.c_str(), -1, SQLITE_STATIC);
            if (l.textNull) sqlite3_bind_null(link, 5);
            else sqlite3_bind_text(link, 5, l.text.c_str(), -1, SQLITE_STATIC);
            Run(link, db);
        }
        Run(commit, db);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu records written in %.2f s: %.0f written/s\n", records.size(), seconds,
                static_cast<double>(records.size()) / seconds);
    sqlite3_close(db);
    return 0;
}
