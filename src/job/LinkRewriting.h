#pragma once
// The rewriting of a record's 856 fields: what the program is for. Matching is exact and
// case-sensitive on the text of the first $u of each 856.
#include <cstdint>
#include <string>

#include "job/JobSettings.h"

namespace linkmend {

class Utf8MarcRecordClass;
class RunLog;

// Rewrites the 856 fields of the loaded record as the job asks; true when the record changed.
// `stem` is the prepared old stem (octets). With the site option, a changed record's $z texts and
// 590 fields get the stem replaced too.
bool RewriteLinks(Utf8MarcRecordClass& record, const JobSettings& job, const std::string& stem, RunLog& log);

// True when the loaded record has an 856 whose first $u matches `stem` as RewriteLinks matches it.
bool HasMatchingLink(Utf8MarcRecordClass& record, MatchEnd end, const std::string& stem);

// Applies one subfield action to the current field: Delete removes every subfield with the code,
// Replace leaves exactly one, with the new text, in the place of the first (adding it when there is
// none); any other value does nothing.
void ApplySubfieldAction(Utf8MarcRecordClass& record, const std::string& code, SubfieldAction action,
                         const std::string& newText, bool& changed);

// 1-based position of the first occurrence of `find` in `text` (exact octets), 0 when absent.
std::int32_t InStr(const std::string& text, const std::string& find);

}  // namespace linkmend
