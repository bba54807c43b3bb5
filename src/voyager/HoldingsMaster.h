#pragma once
// The holdings master row as the single and the block retrievals both read it: the same columns,
// taken into the record's metadata the same way.
#include "odbc/PreparedQuery.h"

namespace linkmend {

inline constexpr const char* kHoldingsMasterColumns =
    "T1.SUPPRESS_IN_OPAC, T1.LOCATION_ID, T1.NORMALIZED_CALL_NO, T1.DISPLAY_CALL_NO, T1.CALL_NO_TYPE";

// Takes kHoldingsMasterColumns from the row's column `first` on.
template <typename Holdings>
void TakeHoldingsMaster(Holdings& h, const PreparedQuery& q, int first) {
    const std::string& suppress = q.Column(first);
    h.suppressed = !suppress.empty() && (suppress[0] == 'Y' || suppress[0] == 'y');
    h.locationId = q.Column(first + 1);
    h.callNoNormalized = q.Column(first + 2);
    h.callNoDisplay = q.Column(first + 3);
    h.callNoType = q.Column(first + 4);
}

}  // namespace linkmend
