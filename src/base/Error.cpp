#include "base/Error.h"

namespace linkmend {

LinkmendError::LinkmendError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

std::string NumberWithSign(long long value) { return value < 0 ? std::to_string(value) : " " + std::to_string(value); }

}  // namespace linkmend
