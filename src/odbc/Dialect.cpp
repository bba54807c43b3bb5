#include "odbc/Dialect.h"

#include <cstddef>
#include <utility>

#include "base/Text.h"

namespace linkmend::odbc {
namespace {

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '#';
}

bool WordIs(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (AsciiUpper(word[i]) != upper[i]) return false;
    return true;
}

bool ContainsUnique(std::string_view sql) {
    for (std::size_t i = 0; i + 6 <= sql.size(); ++i)
        if (AsciiUpper(sql[i]) == 'U' && WordIs(sql.substr(i, 6), "UNIQUE")) return true;
    return false;
}

// Position after blanks and comments starting at i.
std::size_t SkipBlanksAndComments(std::string_view s, std::size_t i) {
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const std::size_t end = s.find("*/", i + 2);
            i = end == std::string_view::npos ? s.size() : end + 2;
        } else {
            break;
        }
    }
    return i;
}

// Position after the quoted text that starts at i (a doubled quote stays inside).
std::size_t SkipQuoted(std::string_view s, std::size_t i) {
    const char quote = s[i];
    ++i;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

}  // namespace

bool RewriteSelectUnique(std::string_view sql, std::string& out) {
    if (!ContainsUnique(sql)) return false;
    std::string result;
    std::size_t copied = 0;  // sql[0, copied) is already in result
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            i = SkipQuoted(sql, i);
        } else if ((c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') ||
                   (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*')) {
            i = SkipBlanksAndComments(sql, i);
        } else if (IsWordChar(c)) {
            std::size_t end = i;
            while (end < sql.size() && IsWordChar(sql[end])) ++end;
            if (WordIs(sql.substr(i, end - i), "SELECT")) {
                const std::size_t next = SkipBlanksAndComments(sql, end);
                std::size_t nextEnd = next;
                while (nextEnd < sql.size() && IsWordChar(sql[nextEnd])) ++nextEnd;
                if (WordIs(sql.substr(next, nextEnd - next), "UNIQUE")) {
                    result.append(sql.substr(copied, next - copied));
                    result.append("DISTINCT");
                    copied = nextEnd;
                    end = nextEnd;
                }
            }
            i = end;
        } else {
            ++i;
        }
    }
    if (copied == 0) return false;
    result.append(sql.substr(copied));
    out = std::move(result);
    return true;
}

namespace {

constexpr std::string_view kFunctionProbe = "SELECT RAWTOHEX('A'), HEXTORAW('41'), CHR(65)";
constexpr std::string_view kSqliteFunctionProbe =
    "SELECT RAWTOHEX('A'), HEXTORAW('41'), CHR(65), LINKMEND_OCTETS(HEXTORAW('41'))";

// Each replace commits some twenty pages to the write-ahead log; SQLite's default copies the log
// into the database (and syncs both) every 1,000 pages, so that the pages every replace touches (the
// tails of the history and link tables, their index pages) were copied again every fifty records.
// Every 10,000 pages (about 40 MB of log) copies them a tenth as often; a crash of the program still
// loses nothing committed (demo/README.md says what the sync setting promises).
constexpr std::string_view kSqliteWriteOnConnect[] = {"PRAGMA wal_autocheckpoint = 10000"};
// Oracle's SET TRANSACTION READ ONLY ends with the transaction, and with autocommit that is the
// next statement; the session-wide READ_ONLY parameter (Oracle 23 on) is the closest guarantee.
// Older releases refuse it: there the read-only account is the only guard.
constexpr std::string_view kOracleReadOnly[] = {"ALTER SESSION SET READ_ONLY = TRUE"};
// Every transaction of the session read-only, the implicit one of each statement included.
constexpr std::string_view kPostgresReadOnly[] = {"SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"};

// One row per kind of database, most specific first; the last row takes any other name.
//
// Block reads send "WHERE BIB_ID IN (?, ?, ...)" with the block's ids. Oracle refuses an IN-list of
// more than 1000 expressions (ORA-01795). Its queries see one moment each unless the transaction
// says otherwise: a block that must see one moment throughout would begin with "SET TRANSACTION
// READ ONLY" (autocommit off, as the block transaction has it) and end with COMMIT. SQLite's
// builds before 3.32 take at most 999 markers per statement; a block transaction there takes the
// read lock once instead of per statement, and WAL lets the writer go on meanwhile. PostgreSQL
// takes 65535 markers; there a block goes without a transaction of its own: under READ COMMITTED a
// transaction would not hold one snapshot for the block anyway, and psqlODBC wraps each statement
// inside one in a savepoint of its own, a further round trip per statement. (The reader reads a
// block's history before its segments, so that a record saved meanwhile is refused at the write
// however the block's statements see the database.) The database side must provide, besides
// RAWTOHEX, HEXTORAW and CHR where the database lacks them, the function named in replaceFunction
// where one is named (PostgreSQL: demo/schema-postgresql.sql), so that a write-back costs one round
// trip.
constexpr DriverSettings kDrivers[] = {
    {.dbmsName = "Oracle",
     .match = NameMatch::Prefix,
     .unnamed = true,
     .rewriteSelectUnique = false,
     .functionProbe = "",
     .missingFunctions = "",
     .onConnect = {},
     .readOnlySession = kOracleReadOnly,
     .readOnlyMayFail = true,
     .blockMarkers = 1000,
     .blockTransaction = true},
    {.dbmsName = "SQLite",
     .match = NameMatch::Whole,
     .unnamed = false,
     .rewriteSelectUnique = true,
     .functionProbe = kSqliteFunctionProbe,
     .missingFunctions =
         "The SQLite extension linkmend_sqlite (RAWTOHEX, HEXTORAW, CHR, LINKMEND_OCTETS) is not loaded: name the "
         "module linkmend_sqlite.so in the data source's LoadExt setting",
     .onConnect = {},
     // The reading data source opens the file read-only (mode=ro): the file itself refuses writes.
     .readOnlySession = {},
     .readOnlyMayFail = false,
     .blockMarkers = 999,
     .blockTransaction = true,
     // The SQLite driver keeps a statement prepared only when it reads as a query; any other
     // statement it parses again at each SQLExecute. Behind a WITH clause a write reads as one, and
     // still runs at SQLExecute, its errors reported there.
     .keptWriteHead = "WITH LINKMEND_KEPT AS (SELECT 1) ",
     // The SQLite driver turns a blob into hexadecimal text at each row and decodes it again
     // (a lookup per half octet): the larger part of reading a record's segments.
     .octetsAsText = "LINKMEND_OCTETS",
     .writeOnConnect = kSqliteWriteOnConnect},
    {.dbmsName = "PostgreSQL",
     .match = NameMatch::Whole,
     .unnamed = false,
     .rewriteSelectUnique = true,
     .functionProbe = kFunctionProbe,
     .missingFunctions = "The database lacks the functions rawtohex and hextoraw: load the Linkmend schema script "
                         "(demo/schema-postgresql.sql) into it",
     .onConnect = {},
     .readOnlySession = kPostgresReadOnly,
     .readOnlyMayFail = false,
     .blockMarkers = 1000,
     .blockTransaction = false,
     .replaceFunction = "LINKMEND_REPLACE_RECORD"},
    {.dbmsName = "",
     .match = NameMatch::Any,
     .unnamed = false,
     .rewriteSelectUnique = true,
     .functionProbe = "",
     .missingFunctions = "",
     .onConnect = {},
     .readOnlySession = {},
     .readOnlyMayFail = false,
     .blockMarkers = 0,
     .blockTransaction = false},
};

}  // namespace

bool DriverSettings::Recognises(std::string_view name) const {
    if (name.empty()) return unnamed;
    switch (match) {
        case NameMatch::Whole: return EqualsAsciiCaseBlind(name, dbmsName);
        case NameMatch::Prefix:
            return name.size() >= dbmsName.size() && EqualsAsciiCaseBlind(name.substr(0, dbmsName.size()), dbmsName);
        case NameMatch::Any: return true;
    }
    return false;
}

std::string_view DriverSettings::Adapt(std::string_view sql, std::string& scratch) const {
    if (rewriteSelectUnique && RewriteSelectUnique(sql, scratch)) return scratch;
    return sql;
}

std::string DriverSettings::OctetsColumn(std::string_view column) const {
    if (octetsAsText.empty()) return std::string(column);
    return std::string(octetsAsText) + "(" + std::string(column) + ")";
}

bool UnescapeOctets(std::string& text) {
    std::size_t at = text.find('\x01');
    if (at == std::string::npos) return true;
    std::size_t out = at;
    for (; at < text.size(); ++at) {
        if (text[at] != '\x01') {
            text[out++] = text[at];
            continue;
        }
        if (at + 1 == text.size() || (text[at + 1] != '0' && text[at + 1] != '1')) return false;
        text[out++] = static_cast<char>(text[++at] - '0');
    }
    text.resize(out);
    return true;
}

std::span<const DriverSettings> DriverTable() { return kDrivers; }

const DriverSettings& DriverFor(std::string_view name, std::span<const DriverSettings> table) {
    for (const DriverSettings& row : table)
        if (row.Recognises(name)) return row;
    return table.back();
}

}  // namespace linkmend::odbc
