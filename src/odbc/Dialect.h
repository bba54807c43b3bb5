#pragma once
// What differs between databases: one row per kind, chosen by the DBMS name the driver reports; a
// new kind of database is a new row. The reader speaks Oracle SQL; elsewhere only "SELECT UNIQUE"
// becomes "SELECT DISTINCT", the Oracle functions the others lack come from the database side
// (a probe checks), and each row says how a reading session is made read-only.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace linkmend::odbc {

// How a row recognises a DBMS name, always ASCII case-blind: the whole name, its beginning, or
// any name at all (the fallback).
enum class NameMatch : std::uint8_t { Whole, Prefix, Any };

struct DriverSettings {
    std::string_view dbmsName = {};  // as SQLGetInfo's SQL_DBMS_NAME reports it
    NameMatch match = NameMatch::Whole;
    bool unnamed = false;  // also the row of a driver that names no DBMS
    bool rewriteSelectUnique = false;
    // A statement that fails unless the database has RAWTOHEX, HEXTORAW and CHR ("": no check),
    // and what to tell the user when it fails: what is missing and where it comes from.
    std::string_view functionProbe = {};
    std::string_view missingFunctions = {};
    // Run by the statement engine on each new connection, in order, before the probe.
    std::span<const std::string_view> onConnect = {};
    // Run after those on a connection opened for reading only: they make the database itself
    // refuse every write of the session, whatever the account may do. With readOnlyMayFail a
    // database too old to know them keeps the connection, guarded by the account's rights alone.
    std::span<const std::string_view> readOnlySession = {};
    bool readOnlyMayFail = false;
    // Records read by the block: the most "?" markers one IN-list of ids may hold (0: records are
    // read one at a time), and whether each block's statements run in one read transaction.
    std::uint16_t blockMarkers = 0;
    bool blockTransaction = false;
    // The database side's function that checks and writes one replaced record in one call (the
    // batch-cataloguing stand-in's writes), called with the table-name prefix; "" for none: the
    // writes then go statement by statement.
    std::string_view replaceFunction = {};
    // Put before an INSERT, UPDATE or DELETE that is prepared once and run many times, where the
    // driver would otherwise prepare it afresh at every run ("": sent as it is).
    std::string_view keptWriteHead = {};
    // A function of the database side that gives stored octets as text with 0x00 and 0x01 escaped
    // (0x01 '0', 0x01 '1'), for a driver that hands octets over more slowly than text ("": octets
    // are read as octets). The engine wraps the column (OctetsColumn) and undoes the escapes.
    std::string_view octetsAsText = {};
    // Run by the batch-cataloguing stand-in on its read-write connection after connecting, in order.
    std::span<const std::string_view> writeOnConnect = {};

    bool Recognises(std::string_view name) const;
    // The statement to send: sql itself when nothing changes, otherwise RewriteSelectUnique's copy
    // held in scratch.
    std::string_view Adapt(std::string_view sql, std::string& scratch) const;
    // The select-list expression that reads column (stored octets) as this driver reads them best.
    std::string OctetsColumn(std::string_view column) const;
};

// The built-in rows; the last one takes any name.
std::span<const DriverSettings> DriverTable();

// The first row of table that recognises name, the last row when none does.
const DriverSettings& DriverFor(std::string_view name, std::span<const DriverSettings> table = DriverTable());

// Undoes octetsAsText's escapes in place; false when an escape is malformed (the text is then
// not to be used).
bool UnescapeOctets(std::string& text);

// Replaces "SELECT UNIQUE" by "SELECT DISTINCT" (keywords in any case, any blanks, line breaks
// or comments between them); quoted literals, quoted names and comments stay as they are.
// Returns false and leaves out alone when there is nothing to replace.
bool RewriteSelectUnique(std::string_view sql, std::string& out);

}  // namespace linkmend::odbc
