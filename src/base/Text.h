#pragma once
// Small text helpers shared by every subsystem. Octet strings: UTF-8 passes through untouched.
#include <string>
#include <string_view>

namespace linkmend {

// Blanks (spaces only, as settings and form texts have always been trimmed) removed from both ends;
// the view form points into `text`.
constexpr std::string_view TrimBlanksView(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}
inline std::string TrimBlanks(std::string_view text) { return std::string(TrimBlanksView(text)); }

// ASCII letters to upper (lower) case; every other octet is kept. Never the C locale's toupper:
// stems, tags, codes and SQL words must compare the same on every machine and in every encoding.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

inline bool EqualsAsciiCaseBlind(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// A folder setting with the folder separator "/" at its end, added when missing; "" stays "" (the
// current folder, for settings that allow it).
inline std::string WithFolderSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace linkmend
