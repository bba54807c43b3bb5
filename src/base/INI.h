#pragma once
// INI access: every settings file of the system is read and written through these routines, with
// the private-profile semantics the system relies on (see README, "Settings files"):
// - section and key names compare case-blind; blanks around keys and values are dropped;
// - a value wrapped in matching double (or single) quotes loses them; ";" starts a comment line;
// - a bare file name (no "/") lives in the per-machine profile folder (IniProfileFolder);
// - a write keeps every other line of the file, replaces the key in place or appends it to its
//   section, creates file, section and key as needed, and never leaves a half-written file.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace linkmend {

// The value of the key, at most size - 1 characters; a missing file, section or key, an empty
// value and a value that reads "NO9999NE" all give "". Lets pending window messages run.
std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key,
                         std::int16_t size);

// The same with the caller's default in place of the sentinel; a missing key gives the default
// (cut to size - 1 characters, as the platform does), an existing empty key gives "".
std::string ReadIniValueOrDefault(const std::string& file, const std::string& section, const std::string& key,
                                  const std::string& defaultValue, std::int16_t size);

// The value as stored, uncut by any size or NUL (a missing key or "NO9999NE" gives ""): for a
// check that must see what a sized read would cut.
std::string ReadIniValueWhole(const std::string& file, const std::string& section, const std::string& key);

// The most of a settings file that is read (1 MiB); a longer file, a device or a folder is not one.
inline constexpr std::size_t kIniMostOctets = 1024 * 1024;

// What makes `file` unusable as a settings file, to follow its name: "is a folder", "is not a
// regular file" (a device), "is larger than 1 MiB, ..."; "" when it is fine or does not exist.
std::string IniFileProblem(const std::string& file);

// Writes key = value. With traceFileNumber above 0 four lines go to that open trace file (see
// RegisterIniTraceFile): "File: ", "   [section]", "   key=value", "   Returns: " + result.
// The result is 1 on success, 0 on failure; failures are not reported otherwise.
void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value, std::int16_t traceFileNumber);

// True when the line's first character (upper-cased) is one of "_|A-Z0-9" and the line holds "=";
// equalsPosition gets the 1-based position of the first "=".
bool IsIniKeyLine(const std::string& line, std::int16_t& equalsPosition);

// Every non-blank, non-comment line of the section, trimmed, "key=value" lines with the blanks
// around "=" dropped; empty when the file or the section is missing. Used for whole-section reads.
std::vector<std::string> ReadIniSection(const std::string& file, const std::string& section);

// The per-machine folder of bare file names: $LINKMEND_PROFILE_DIR, else $XDG_CONFIG_HOME/linkmend,
// else $HOME/.config/linkmend.
std::string IniProfileFolder();

// The path a file name stands for: a name with "/" unchanged, a bare name in IniProfileFolder().
std::string ResolveIniPath(const std::string& file);

// Trace files of WriteIniValue are open streams registered under a number (1, 2, ...), as text
// files are opened by number; the stream must outlive its registration.
std::int16_t RegisterIniTraceFile(std::ostream& stream);
void UnregisterIniTraceFile(std::int16_t number);

}  // namespace linkmend
