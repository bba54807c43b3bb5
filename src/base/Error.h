#pragma once
// The one exception type of the system: every class raises errors as a number, a source text and a
// description, the way the library system's own components report them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace linkmend {

// The interface-error base (hexadecimal 80040000); "object error N" is this base plus N.
inline constexpr std::int32_t kInterfaceErrorBase = -2147221504;
// Number used for an invalid property value.
inline constexpr std::int32_t kInvalidPropertyValue = 380;

constexpr std::int32_t ObjectError(std::int32_t offset) { return kInterfaceErrorBase + offset; }

class LinkmendError : public std::runtime_error {
public:
    LinkmendError(std::int32_t number, std::string source, std::string description);

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// Decimal text of a number with a leading blank when it is not negative, as the system's messages
// format return codes ("Return:  1", "Native error: -3").
std::string NumberWithSign(long long value);

}  // namespace linkmend
