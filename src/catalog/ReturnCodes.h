#pragma once
// The batch-cataloguing component's return codes: their texts, for messages and reports, and the
// codes our stand-in answers with by name.
#include <cstdint>
#include <string>

namespace linkmend {

// "Success" for 0; "Return value not defined" for any code without a text, negative ones included.
std::string ReturnCodeText(std::int32_t code);

namespace catalog_code {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kNotMarc = 2;
inline constexpr std::int32_t kWrongType = 3;
inline constexpr std::int32_t kNo001 = 8;
inline constexpr std::int32_t kBadRecordId = 13;
inline constexpr std::int32_t kBadLength = 15;
inline constexpr std::int32_t kBadLinkedBib = 19;
inline constexpr std::int32_t kModifyError = 21;
inline constexpr std::int32_t kBadOwningLibrary = 22;
inline constexpr std::int32_t kBadLocationCode = 23;
inline constexpr std::int32_t kBadCatalogingLocation = 24;
inline constexpr std::int32_t kCannotConnect = 26;
inline constexpr std::int32_t kBadUser = 27;
inline constexpr std::int32_t kNoSecurity = 28;
inline constexpr std::int32_t kNo852 = 37;
inline constexpr std::int32_t kNo852b = 38;
inline constexpr std::int32_t kEmpty852b = 39;
inline constexpr std::int32_t kUpdatedSinceRead = 41;
}  // namespace catalog_code

}  // namespace linkmend
