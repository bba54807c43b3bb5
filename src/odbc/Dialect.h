#pragma once
// The reader speaks Oracle SQL. On other databases one thing is adapted here: "SELECT UNIQUE"
// becomes "SELECT DISTINCT" (SQLite and PostgreSQL know only the latter). Nothing else is
// rewritten; the Oracle functions they lack (RAWTOHEX, HEXTORAW) come from the database side.
#include <string>
#include <string_view>

namespace linkmend::odbc {

class SqlDialect {
public:
    // The dialect for the DBMS name the driver reports (SQLGetInfo SQL_DBMS_NAME). Oracle, and a
    // driver that names no DBMS, get the text unchanged.
    static SqlDialect ForDbms(std::string_view dbmsName);

    bool RewritesUnique() const { return rewriteUnique_; }

    // The statement to send: sql itself when nothing changes, otherwise the adapted copy held in
    // scratch. Only the keyword UNIQUE right after SELECT changes, outside quotes and comments.
    std::string_view Adapt(std::string_view sql, std::string& scratch) const;

    // A statement that fails unless the database has RAWTOHEX, HEXTORAW and CHR; "" when the
    // DBMS needs no such check (Oracle has them built in).
    const char* FunctionProbe() const { return probe_; }
    // What is missing when the probe fails, naming where the functions come from.
    const char* MissingFunctionsText() const { return missing_; }

private:
    bool rewriteUnique_ = false;
    const char* probe_ = "";
    const char* missing_ = "";
};

// Replaces "SELECT UNIQUE" by "SELECT DISTINCT" (keywords in any case, any blanks, line breaks
// or comments between them); quoted literals, quoted names and comments stay as they are.
// Returns false and leaves out alone when there is nothing to replace.
bool RewriteSelectUnique(std::string_view sql, std::string& out);

}  // namespace linkmend::odbc
