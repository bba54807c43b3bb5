#pragma once
// The ANSI code page of the settings files' origin is Windows-1252; texts inside the program are UTF-8.
#include <string>

namespace linkmend {

// Each UTF-8 character becomes its Windows-1252 code ("?" when the code page lacks it); an octet that
// is not part of valid UTF-8 is taken as a Windows-1252 code unchanged.
std::string Utf8ToWindows1252(const std::string& utf8);

// Each octet, read as a Windows-1252 code, becomes its UTF-8 character.
std::string Windows1252ToUtf8(const std::string& ansi);

}  // namespace linkmend
