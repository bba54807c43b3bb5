#pragma once
// Texts of the batch-cataloguing component's return codes, for messages and reports.
#include <cstdint>
#include <string>

namespace linkmend {

// "Success" for 0; "Return value not defined" for any code without a text, negative ones included.
std::string ReturnCodeText(std::int32_t code);

}  // namespace linkmend
