#pragma once
// Which index codes of BIB_INDEX and AUTH_INDEX a search looks in. A single code comes back bare
// ("020A"); several come back as an SQL list ("('020A', '020Z')").
#include <string>
#include <string_view>

namespace linkmend {

// True when the code text is an SQL list rather than one code.
inline bool IsIndexCodeList(std::string_view code) { return code.find("', '") != std::string_view::npos; }

// Index code(s) of a standard number given by tag (3 characters, or a complete 4-character index
// code) and subfield code (one character, "*" for every subfield the index keeps). Raises object
// errors 1034 (tag), 1035 (subfield code) and 1022 (no such index), source "VgerRead".
std::string StandardNumberIndexCode(bool authority, std::string_view tag, std::string_view subfieldCode);

// Index code of a call-number type in BIB_INDEX: "0500" (LC), "0820" (Dewey), "0600" (NLM),
// "0700" (SuDoc); "" for other types, which are searched with INDEX_CODE LIKE '0*'.
std::string CallNumberIndexCode(std::string_view callNumberType);

// The BIB_INDEX heading codes of a bibliographic tag ("100", "650", ...) or of a category word
// ("PERSONAL", "CORPORATE", "CONFERENCE", "UNIFORM TITLE", "SUBJECT", "SERIES", "NAME", "TITLE"),
// always as an SQL list; with the tag that stands for the category (its normalisation form).
// An unknown word or a tag that is not three digits gives an empty list.
struct HeadingCodes {
    std::string list;
    std::string tag;
};
HeadingCodes BibHeadingIndexCodes(std::string_view tagOrCategory);

}  // namespace linkmend
