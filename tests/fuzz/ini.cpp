// The INI routines on a settings file of fuzzed content. The input is a section, a key and a value
// (one line each, made writable: no "=" in the key, no blanks around the value, no quotes around it)
// and then the file's content. Properties checked: the written value reads back exactly, at full
// size and cut to a smaller one, and in its section's list; the trace of the write is exact; every
// other line of the file is kept in order, and at most the blank line, section header and key line
// of a new entry are added; keys other than the written one read as before; IsIniKeyLine keeps to
// its rule on every line.
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "base/INI.h"
#include "base/Text.h"

using linkmend::fuzz::Hex;

namespace {

std::string Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return std::string(s);
}

std::string Without(std::string_view s, std::string_view octets) {
    std::string out;
    for (char c : s)
        if (octets.find(c) == std::string_view::npos) out += c;
    return out;
}

// Lines as the file holds them, a CR before the LF dropped (a kept line may gain one).
std::vector<std::string> Lines(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Section and key names the content mentions, to read before and after the write.
std::vector<std::pair<std::string, std::string>> Mentioned(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string section;
    for (const std::string& line : lines) {
        const std::string t = Trimmed(line);
        if (!t.empty() && t.front() == '[')
            section = t.substr(1, t.find(']') == std::string::npos ? t.npos : t.find(']') - 1);
        else if (t.find('=') != std::string::npos && pairs.size() < 16)
            pairs.emplace_back(section, t.substr(0, t.find('=')));
    }
    return pairs;
}

void CheckKeyLineRule(const std::string& line) {
    static constexpr std::string_view kKeyStart = "_|ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos && eq >= 32767) return;  // the position is a 16-bit number
    const bool expected = !line.empty() && kKeyStart.find(linkmend::AsciiUpper(line[0])) != std::string_view::npos &&
                          eq != std::string::npos;
    std::int16_t position = -1;
    FUZZ_CHECK(linkmend::IsIniKeyLine(line, position) == expected, Hex(line));
    if (expected) FUZZ_CHECK(position == static_cast<std::int16_t>(eq + 1), std::to_string(position));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = linkmend::fuzz::ScratchFolder() + "/Fuzz.INI";
    static std::ostringstream trace;
    static const std::int16_t traceNumber = linkmend::RegisterIniTraceFile(trace);
    linkmend::fuzz::Input in(data, size);
    const std::int16_t smallSize = static_cast<std::int16_t>(9 + in.Byte() % 64);
    const std::string section = Trimmed(Without(in.Until('\n'), "]\r"));
    std::string key = Trimmed(Without(in.Until('\n'), "=\r"));
    if (!key.empty() && (key.front() == '[' || key.front() == ';')) key.insert(0, "K");
    std::string value = Trimmed(Without(in.Until('\n'), std::string_view("\r\0", 2)));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value += '.';
    if (value == "NO9999NE") value += '.';
    const std::string content(in.Rest());
    linkmend::fuzz::WriteWholeFile(file, content);

    const std::vector<std::string> before = Lines(content);
    for (const std::string& line : before) CheckKeyLineRule(line);
    const auto others = Mentioned(before);
    std::vector<std::string> otherValues;
    for (const auto& [s, k] : others) otherValues.push_back(linkmend::ReadIniValue(file, s, k, 32767));

    trace.str("");
    linkmend::WriteIniValue(file, section, key, value, traceNumber);
    FUZZ_CHECK(trace.str() ==
                   "File: " + file + "\r\n   [" + section + "]\r\n   " + key + "=" + value + "\r\n   Returns:  1\r\n",
               trace.str());

    FUZZ_CHECK(linkmend::ReadIniValue(file, section, key, 32767) == value, Hex(value));
    FUZZ_CHECK(linkmend::ReadIniValueOrDefault(file, section, key, "default", 32767) == value, Hex(value));
    std::string cut = value.substr(0, static_cast<std::size_t>(smallSize - 1));
    if (cut == "NO9999NE") cut.clear();
    FUZZ_CHECK(linkmend::ReadIniValue(file, section, key, smallSize) == cut, std::to_string(smallSize));
    bool listed = false;
    for (const std::string& entry : linkmend::ReadIniSection(file, section)) {
        listed = listed || (entry.size() == key.size() + 1 + value.size() &&
                            linkmend::EqualsAsciiCaseBlind(entry.substr(0, key.size()), key) &&
                            entry.compare(key.size(), std::string::npos, "=" + value) == 0);
    }
    FUZZ_CHECK(listed, Hex(key) + "=" + Hex(value));

    // The other lines stay, in order: either one line changed in place, or new lines were added.
    const std::vector<std::string> after = Lines(linkmend::fuzz::ReadWholeFile(file));
    if (after.size() == before.size()) {
        std::size_t changed = 0;
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (after[i] == before[i]) continue;
            ++changed;
            FUZZ_CHECK(after[i].size() > value.size() &&
                           after[i].compare(after[i].size() - value.size() - 1, std::string::npos, "=" + value) == 0,
                       Hex(after[i]));
        }
        FUZZ_CHECK(changed <= 1, std::to_string(changed) + " lines changed");
    } else {
        FUZZ_CHECK(after.size() > before.size() && after.size() <= before.size() + 3,
                   std::to_string(before.size()) + " -> " + std::to_string(after.size()));
        std::size_t kept = 0;
        for (const std::string& line : after) {
            if (kept < before.size() && line == before[kept]) ++kept;
            else FUZZ_CHECK(line.empty() || line == "[" + section + "]" || line == key + "=" + value, Hex(line));
        }
        FUZZ_CHECK(kept == before.size(), "a line was lost");
    }
    for (std::size_t i = 0; i < others.size(); ++i) {
        const auto& [s, k] = others[i];
        if (linkmend::EqualsAsciiCaseBlind(Trimmed(s), section) && linkmend::EqualsAsciiCaseBlind(Trimmed(k), key))
            continue;
        FUZZ_CHECK(linkmend::ReadIniValue(file, s, k, 32767) == otherValues[i], Hex(s) + " / " + Hex(k));
    }
    return 0;
}
