#pragma once
// Building blocks of the reader's SQL texts: non-ASCII literals rewritten for a database that
// receives raw octets, character-code chains for headings, and code-list conditions.
#include <string>
#include <string_view>

namespace linkmend {

// Every run of octets above 127 leaves its quoted literal and becomes HEXTORAW('<hex>'), joined to
// the rest with " || ": 'café' becomes 'caf' || HEXTORAW('C3A9') || ''. A text that is ASCII
// throughout comes back unchanged. The database then receives the octets whatever the client's
// character set is.
std::string EncodeSqlNonAscii(std::string_view sql);

// The text as CHR(n) || CHR(n) || ..., one CHR per octet; "" for an empty text.
std::string ChrChain(std::string_view text);

// " AND <column> = 'c'" for one code, " AND <column> IN ('a', 'b')" for several, one code per
// character of codes; "" for no codes or "*" (every code).
std::string CodeListCondition(std::string_view column, std::string_view codes);

// True for a non-empty text of the digits 0-9 only.
bool IsAllDigits(std::string_view text);

// True for a record id: digits only, at most 2147483647 (ids travel as 32-bit numbers too).
bool IsRecordId(std::string_view text);

// The value with every apostrophe doubled, for use between the quotes of an SQL literal.
std::string SqlQuote(std::string_view value);

}  // namespace linkmend
