#include "base/INI.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <string_view>

#include "base/MessagePump.h"
#include "base/Text.h"

namespace linkmend {
namespace {

constexpr const char* kSentinel = "NO9999NE";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// The file's content, at most kIniMostOctets. False when it cannot be opened or is no regular file:
// a folder, a device (/dev/zero would never end) or a pipe (which could keep the read waiting).
bool ReadWholeFile(const std::string& path, std::string& content) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.clear();
    char chunk[16384];
    while (content.size() < kIniMostOctets && in.read(chunk, sizeof chunk).gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return false;
    if (content.size() > kIniMostOctets) content.resize(kIniMostOctets);
    return true;
}

// One line of an INI file as the reader sees it.
struct Line {
    std::string_view raw;  // without its line end
    bool isSection = false;
    std::string_view name;   // section name or key (trimmed)
    std::string_view value;  // key value (trimmed, quotes kept)
    bool isKey = false;
};

Line Classify(std::string_view raw) {
    Line line;
    line.raw = raw;
    const std::string_view t = Trim(raw);
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        const auto close = t.find(']');
        line.isSection = true;
        line.name = Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return line;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    line.isKey = true;
    line.name = Trim(t.substr(0, eq));
    line.value = Trim(t.substr(eq + 1));
    return line;
}

// Splits content at "\n"; a trailing "\r" stays with the line and is dropped by Trim.
std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto nl = content.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// The platform read: the stored value, or the default when file, section or key is missing,
// cut to size - 1 characters (the buffer holds size characters including the terminating NUL)
// and at a NUL; `whole` leaves it uncut.
std::string PlatformRead(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::int16_t size, bool whole = false) {
    std::string value = defaultValue;
    std::string content;
    if (ReadWholeFile(ResolveIniPath(file), content)) {
        bool inSection = false;
        for (std::string_view raw : SplitLines(content)) {
            const Line line = Classify(raw);
            if (line.isSection) {
                if (inSection) break;  // the first section of that name is the one read
                inSection = EqualsAsciiCaseBlind(line.name, Trim(section));
            } else if (inSection && line.isKey && EqualsAsciiCaseBlind(line.name, Trim(key))) {
                value = std::string(StripQuotes(line.value));
                break;
            }
        }
    }
    if (whole) return value;
    if (size < 1) return std::string();
    if (value.size() > static_cast<std::size_t>(size - 1)) value.resize(static_cast<std::size_t>(size - 1));
    const auto nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return value;
}

bool EnsureFolder(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const auto slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !EnsureFolder(folder.substr(0, slash))) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Writes content to path through a temporary file in the same folder and a rename, so readers see
// the old file or the new one, never a part. A new file gets mode 0600; an old one keeps its mode.
bool ReplaceFileAtomically(const std::string& path, const std::string& content) {
    mode_t mode = 0600;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string tmpl = path + ".XXXXXX";
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, mode) == 0;
    const char* p = content.data();
    std::size_t left = content.size();
    while (ok && left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) unlink(tmpl.c_str());
    return ok;
}

int PlatformWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
    const std::string path = ResolveIniPath(file);
    const auto slash = path.find_last_of('/');
    if (file.find('/') == std::string::npos && slash != std::string::npos && !EnsureFolder(path.substr(0, slash))) {
        return 0;
    }
    // Only a settings file read whole is rewritten: there but unreadable, no regular file, or
    // larger than a read takes, it is left alone.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_size > static_cast<off_t>(kIniMostOctets)))
        return 0;
    std::string content;
    const bool exists = ReadWholeFile(path, content);
    if (!exists && stat(path.c_str(), &st) == 0) return 0;
    const std::string eol = content.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string keyLine = std::string(Trim(key)) + "=" + value;
    const std::vector<std::string_view> lines = SplitLines(content);

    // Find the section, the key in it, and the line after which a new key belongs.
    long sectionLine = -1, keyIndex = -1, lastContent = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line line = Classify(lines[i]);
        if (line.isSection) {
            if (sectionLine >= 0) break;
            if (EqualsAsciiCaseBlind(line.name, Trim(section))) sectionLine = lastContent = static_cast<long>(i);
        } else if (sectionLine >= 0 && line.isKey) {
            lastContent = static_cast<long>(i);
            if (EqualsAsciiCaseBlind(line.name, Trim(key))) {
                keyIndex = static_cast<long>(i);
                break;
            }
        }
    }

    std::string out;
    out.reserve(content.size() + keyLine.size() + section.size() + 8);
    // A line that came with CR LF keeps it; new lines take the file's line end.
    auto emit = [&](std::string_view raw) {
        out.append(raw);
        if (!raw.empty() && raw.back() == '\r') out.push_back('\n');
        else out.append(eol);
    };
    if (keyIndex >= 0) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (static_cast<long>(i) == keyIndex) {
                // Keep the key as the file spells it; only the value changes.
                emit(std::string(Classify(lines[i]).name) + "=" + value);
            } else {
                emit(lines[i]);
            }
        }
    } else if (sectionLine >= 0) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            emit(lines[i]);
            if (static_cast<long>(i) == lastContent) emit(keyLine);
        }
    } else {
        for (std::string_view l : lines) emit(l);
        if (!lines.empty() && !Trim(lines.back()).empty()) emit("");
        emit("[" + std::string(Trim(section)) + "]");
        emit(keyLine);
    }
    return ReplaceFileAtomically(path, out) ? 1 : 0;
}

std::map<std::int16_t, std::ostream*>& TraceFiles() {
    static std::map<std::int16_t, std::ostream*> files;
    return files;
}

}  // namespace

std::string IniProfileFolder() {
    if (const char* dir = std::getenv("LINKMEND_PROFILE_DIR"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/linkmend";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/linkmend";
}

std::string ResolveIniPath(const std::string& file) {
    if (file.find('/') != std::string::npos) return file;
    return IniProfileFolder() + "/" + file;
}

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key,
                         std::int16_t size) {
    std::string value = PlatformRead(file, section, key, kSentinel, size);
    if (value == kSentinel) value.clear();
    LetWindowMessagesRun();
    return value;
}

std::string ReadIniValueWhole(const std::string& file, const std::string& section, const std::string& key) {
    std::string value = PlatformRead(file, section, key, kSentinel, 0, true);
    if (value == kSentinel) value.clear();
    LetWindowMessagesRun();
    return value;
}

std::string IniFileProblem(const std::string& file) {
    struct stat st {};
    if (stat(ResolveIniPath(file).c_str(), &st) != 0) return std::string();
    if (S_ISDIR(st.st_mode)) return "is a folder";
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    if (st.st_size > static_cast<off_t>(kIniMostOctets)) return "is larger than 1 MiB, more than a settings file holds";
    return std::string();
}

std::string ReadIniValueOrDefault(const std::string& file, const std::string& section, const std::string& key,
                                  const std::string& defaultValue, std::int16_t size) {
    std::string value = PlatformRead(file, section, key, defaultValue, size);
    LetWindowMessagesRun();
    return value;
}

void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value, std::int16_t traceFileNumber) {
    const int result = PlatformWrite(file, section, key, value);
    if (traceFileNumber > 0) {
        const auto it = TraceFiles().find(traceFileNumber);
        if (it != TraceFiles().end()) {
            std::ostream& t = *it->second;
            t << "File: " << file << "\r\n"
              << "   [" << section << "]\r\n"
              << "   " << key << "=" << value << "\r\n"
              << "   Returns: " << (result < 0 ? "" : " ") << result << "\r\n";
            t.flush();
        }
    }
}

bool IsIniKeyLine(const std::string& line, std::int16_t& equalsPosition) {
    static constexpr std::string_view kKeyStart = "_|ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (line.empty()) return false;
    const char first = AsciiUpper(line.front());
    if (kKeyStart.find(first) == std::string_view::npos) return false;
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    equalsPosition = static_cast<std::int16_t>(eq + 1);
    return true;
}

std::vector<std::string> ReadIniSection(const std::string& file, const std::string& section) {
    std::vector<std::string> result;
    std::string content;
    if (ReadWholeFile(ResolveIniPath(file), content)) {
        bool inSection = false;
        for (std::string_view raw : SplitLines(content)) {
            const Line line = Classify(raw);
            if (line.isSection) {
                if (inSection) break;
                inSection = EqualsAsciiCaseBlind(line.name, Trim(section));
            } else if (inSection) {
                const std::string_view t = Trim(raw);
                if (t.empty() || t.front() == ';') continue;
                if (line.isKey) result.push_back(std::string(line.name) + "=" + std::string(line.value));
                else result.emplace_back(t);
            }
        }
    }
    LetWindowMessagesRun();
    return result;
}

std::int16_t RegisterIniTraceFile(std::ostream& stream) {
    std::int16_t n = 1;
    while (TraceFiles().count(n)) ++n;
    TraceFiles()[n] = &stream;
    return n;
}

void UnregisterIniTraceFile(std::int16_t number) { TraceFiles().erase(number); }

}  // namespace linkmend
