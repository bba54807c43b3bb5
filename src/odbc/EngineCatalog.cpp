// The driver's catalogue: the tables of a schema and their columns, for the reader's diagnostics.
#include <algorithm>

#include "base/Error.h"
#include "odbc/EngineState.h"

namespace linkmend {
namespace {

// A column of the catalogue's current row; "" for NULL or a value the driver will not give.
std::string ColumnText(SQLHSTMT stmt, SQLUSMALLINT column) {
    char buffer[512];
    SQLLEN length = 0;
    const SQLRETURN rc =
        odbc::Traced("SQLGetData", SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof buffer, &length));
    if (!odbc::Succeeded(rc) || length < 0) return std::string();
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

bool FetchNext(SQLHSTMT stmt) { return odbc::Succeeded(odbc::Traced("SQLFetch", SQLFetch(stmt))); }

void CloseCursor(SQLHSTMT stmt) { odbc::Traced("SQLFreeStmt", SQLFreeStmt(stmt, SQL_CLOSE)); }

}  // namespace

void VgerReaderDllClass6::ForEachCatalogColumn(const std::string& owner, bool includeViews,
                                               const std::function<void(const CatalogColumn&)>& each) {
    ConnectToVoyager();
    odbc::StmtHandle handle;
    odbc::Check(handle.Allocate(dbc_.Get()), SQL_HANDLE_DBC, dbc_.Get(), ObjectError(1000),
                "Could not allocate a statement for the catalogue");
    SQLHSTMT stmt = handle.Get();
    // With the schema, or without one: the schema's argument is then a null pointer.
    auto schema = [&](bool withSchema) { return withSchema ? odbc::Chars(owner) : nullptr; };
    auto schemaLength = [](bool withSchema) { return static_cast<SQLSMALLINT>(withSchema ? SQL_NTS : 0); };

    const std::string types = includeViews ? "TABLE,VIEW" : "TABLE";
    auto tables = [&](bool withSchema) {
        std::vector<std::string> names;
        const SQLRETURN rc =
            odbc::Traced("SQLTables", SQLTables(stmt, nullptr, 0, schema(withSchema), schemaLength(withSchema),
                                                odbc::Chars("%"), SQL_NTS, odbc::Chars(types), SQL_NTS));
        odbc::Check(rc, SQL_HANDLE_STMT, stmt, ObjectError(1000), "SQLTables");
        while (FetchNext(stmt)) names.push_back(ColumnText(stmt, 3));
        CloseCursor(stmt);
        return names;
    };
    bool withSchema = true;
    std::vector<std::string> names = tables(true);
    if (names.empty()) {
        withSchema = false;  // a driver without schemas may list none under one: take all it has
        names = tables(false);
    }
    std::sort(names.begin(), names.end());

    for (const std::string& table : names) {
        const SQLRETURN rc =
            odbc::Traced("SQLColumns", SQLColumns(stmt, nullptr, 0, schema(withSchema), schemaLength(withSchema),
                                                  odbc::Chars(table), SQL_NTS, odbc::Chars("%"), SQL_NTS));
        odbc::Check(rc, SQL_HANDLE_STMT, stmt, ObjectError(1000), "SQLColumns " + table);
        // Catalogue columns 4, 6, 7 and 11: name, type name, size, nullable; read in that order.
        while (FetchNext(stmt)) {
            CatalogColumn c{table, ColumnText(stmt, 4), ColumnText(stmt, 6), ColumnText(stmt, 7)};
            c.nullable = ColumnText(stmt, 11) != "0";
            each(c);
        }
        CloseCursor(stmt);
    }
}

}  // namespace linkmend
