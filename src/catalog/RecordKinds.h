#pragma once
// What differs between the three kinds of record the component replaces: their tables, the type
// letter of their link-index rows, the segment size the library system splits them by, the
// leader/06 letters it accepts, and the master-row columns a replace sets besides UPDATE_DATE.
#include <cstddef>

namespace linkmend {

struct RecordKind {
    const char* table;          // "BIB": BIB_DATA, BIB_HISTORY, BIB_MASTER, keyed by BIB_ID
    const char* indexType;      // RECORD_TYPE in ELINK_INDEX
    std::size_t segmentSize;    // octets per RECORD_SEGMENT row
    const char* leaderTypes;    // accepted leader/06 letters
    const char* masterColumns;  // "COLUMN = ?, " for each value a replace passes
};

inline constexpr RecordKind kBibKind{"BIB", "B", 990, "acdefgijkmoprt", "LIBRARY_ID = ?, SUPPRESS_IN_OPAC = ?, "};
inline constexpr RecordKind kHoldingsKind{"MFHD", "M", 300, "uvxy", "LOCATION_ID = ?, SUPPRESS_IN_OPAC = ?, "};
inline constexpr RecordKind kAuthorityKind{"AUTH", "A", 990, "z", ""};

}  // namespace linkmend
