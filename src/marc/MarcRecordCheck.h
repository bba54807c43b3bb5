#pragma once
// Whether a record read from a file can be taken as a MARC record as it stands: its structure (the
// record model's validity test, the leader's fixed positions, a directory that matches its fields)
// and its characters (UTF-8 that decodes; MARC-8 whose escape sequences and codes all read).
#include <string>

namespace linkmend {

class Utf8MarcRecordClass;

// Why the record cannot be taken as it stands, naming the field where there is one; empty when it
// can. `object` makes the validity test (its IsMarcErrorText is the answer when that fails).
std::string MarcRecordDamage(const std::string& record, Utf8MarcRecordClass& object);

}  // namespace linkmend
