// Diagnostics: a table's rows, and the columns of the prefix's tables, as tab-separated text files.
// Values have backslash, tab, line feed and carriage return written as \\, \t, \n and \r, so that
// one line is one row.
#include <algorithm>
#include <fstream>
#include <vector>

#include "base/Error.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

std::string Escaped(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

bool IsTableName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
               c == '$' || c == '#';
    });
}

std::ofstream OpenOutput(const std::string& file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw LinkmendError(ObjectError(1074), VgerReaderClass7::kSource, "Cannot write the output file " + file);
    return out;
}

}  // namespace

void VgerReaderClass7::DumpTable(const std::string& tableName, const std::string& outputFile, std::int32_t rowLimit) {
    if (tableName.empty()) RaiseObjectError(1073, "No table name supplied");
    if (!IsTableName(tableName)) RaiseInvalidValue("Invalid value for table name: " + tableName);
    if (outputFile.empty()) RaiseObjectError(1074, "No output file name supplied");
    std::ofstream out = OpenOutput(outputFile);
    VgerReaderDllClass6& e = Engine();
    e.PushResultSet();
    try {
        std::int16_t set = dumpSet_;
        ExecuteSQL("SELECT * FROM " + tableName, set);
        dumpSet_ = set;
        const std::int16_t columns = e.ColumnCount(set);
        std::string headers = e.ColumnHeaders(set);
        std::replace(headers.begin(), headers.end(), '\n', '\t');
        out << headers << '\n';
        for (std::int32_t rows = 0; rowLimit <= 0 || rows < rowLimit; ++rows) {
            e.GetNextRow(set);
            std::vector<std::string> values;
            bool any = false;
            for (std::int16_t c = 1; c <= columns; ++c) {
                values.push_back(e.CurrentRow(c, 0));
                any = any || !values.back().empty();
            }
            // The end of the rows reads as a row of empty columns.
            if (!any) break;
            for (std::size_t i = 0; i < values.size(); ++i) out << (i ? "\t" : "") << Escaped(values[i]);
            out << '\n';
        }
    } catch (...) {
        e.PopResultSet();
        throw;
    }
    e.PopResultSet();
    resultSet_ = e.ResultSet();
}

void VgerReaderClass7::DumpDatabaseStructure(const std::string& outputFile, bool includeViews) {
    if (outputFile.empty()) RaiseObjectError(1074, "No output file name supplied");
    if (tableNamePrefix_.empty() || tableNamePrefix_ == ".") RaiseObjectError(1061, "No TableNamePrefix supplied");
    const std::string owner = tableNamePrefix_.substr(0, tableNamePrefix_.size() - 1);
    CheckConnection();
    MyCheckVoyagerConnection();
    EnsureDatabaseTested();
    VgerReaderDllClass6& e = Engine();
    std::ofstream out = OpenOutput(outputFile);
    out << "Tables of " << owner << " (" << (e.DbmsName().empty() ? "unknown" : e.DbmsName()) << ")\n";
    out << "TABLE\tCOLUMN\tTYPE\tSIZE\tNULLABLE\n";

    if (e.DbmsName().find("Oracle") != std::string::npos) {
        std::string sql =
            "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM ALL_TAB_COLUMNS WHERE "
            "OWNER = '" +
            owner + "'";
        if (!includeViews)
            sql += " AND TABLE_NAME NOT IN (SELECT VIEW_NAME FROM ALL_VIEWS WHERE OWNER = '" + owner + "')";
        sql += " ORDER BY TABLE_NAME, COLUMN_ID";
        e.PushResultSet();
        try {
            std::int16_t set = dumpSet_;
            ExecuteSQL(sql, set);
            dumpSet_ = set;
            while (GetNextRow(set)) {
                for (std::int16_t c = 1; c <= 5; ++c) out << (c > 1 ? "\t" : "") << e.CurrentRow(c, 0);
                out << '\n';
            }
        } catch (...) {
            e.PopResultSet();
            throw;
        }
        e.PopResultSet();
        return;
    }

    // Elsewhere the driver's catalogue answers: the tables of the schema, then their columns.
    e.ForEachCatalogColumn(owner, includeViews, [&](const VgerReaderDllClass6::CatalogColumn& c) {
        out << c.table << '\t' << c.name << '\t' << c.type << '\t' << c.size << '\t' << (c.nullable ? "Y" : "N")
            << '\n';
    });
}

}  // namespace linkmend
