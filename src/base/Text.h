#pragma once
#include <string>
#include <string_view>

namespace linkmend {

// Blanks (spaces only, as settings and form texts have always been trimmed) removed from both ends.
inline std::string TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace linkmend
