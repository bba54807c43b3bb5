#include "FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "marc/Utf8CharClass.h"

namespace linkmend::fuzz {

void Fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "\n%s:%d: property failed: %s\n", file, line, what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Hex(std::string_view octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < octets.size() && i < 400; ++i) {
        const auto c = static_cast<unsigned char>(octets[i]);
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
        out += ' ';
    }
    if (octets.size() > 400) out += "...";
    return out;
}

std::string Diff(std::string_view expected, std::string_view actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t from = at > 8 ? at - 8 : 0;
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at " + std::to_string(at) + "\n  expected from " + std::to_string(from) + ": " +
           Hex(expected.substr(std::min(from, expected.size()), 24)) + "\n  actual from   " + std::to_string(from) +
           ": " + Hex(actual.substr(std::min(from, actual.size()), 24));
}

namespace {

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    std::error_code ec;
    if (!Folder().empty()) std::filesystem::remove_all(Folder(), ec);
}

}  // namespace

const std::string& ScratchFolder() {
    if (!Folder().empty()) return Folder();
    std::string base = "/dev/shm";
    if (access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string path = base + "/linkmend-fuzz-XXXXXX";
    if (!mkdtemp(path.data())) throw std::runtime_error("cannot create a scratch folder under " + base);
    Folder() = path;
    std::atexit(RemoveFolder);
    setenv("LINKMEND_PROFILE_DIR", path.c_str(), 1);
    return Folder();
}

void WriteWholeFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t length = 1;
        std::uint32_t cp = lead;
        if (lead >= 0xC2 && lead <= 0xDF) length = 2, cp = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3, cp = lead & 0x0F;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4, cp = lead & 0x07;
        else if (lead >= 0x80) return false;
        if (i + length > s.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

bool MarkWithoutBase(std::string_view text) {
    Utf8CharClass workbench;
    // MARC-8 holds the Arabic superscript alef (a Unicode mark) as a spacing letter: a base there.
    const auto isMark = [&](std::size_t at) {
        workbench.Utf8Char(text.substr(at));
        return workbench.Utf8CharCategory().compare(0, 1, "M") == 0 && text.substr(at, 2) != "\xD9\xB0";
    };
    // A subfield code is structure: the subfield's text starts after it, as after a control octet.
    const auto startsText = [&](std::size_t at) {
        return at == 0 || static_cast<unsigned char>(text[at - 1]) < 0x20 || (at >= 2 && text[at - 2] == '\x1F');
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!startsText(i) || !isMark(i)) continue;
        std::size_t k = i;
        while (k < text.size() && isMark(k)) k += static_cast<std::size_t>(workbench.Utf8CharOctets());
        if (k < text.size() && static_cast<unsigned char>(text[k]) >= 0x20) return true;
        i = k;
    }
    return false;
}

std::string HornFirst(std::string_view decomposed) {
    static constexpr std::string_view kHorn = "\xCC\x9B";
    Utf8CharClass workbench;
    std::string out;
    std::size_t runStart = std::string::npos;  // where the current run of marks begins in out
    for (std::size_t i = 0; i < decomposed.size();) {
        workbench.Utf8Char(decomposed.substr(i));
        const auto octets = std::max<std::size_t>(1, static_cast<std::size_t>(workbench.Utf8CharOctets()));
        const std::string_view one = decomposed.substr(i, octets);
        const bool mark = workbench.Utf8CharCategory().compare(0, 1, "M") == 0;
        if (!mark) runStart = std::string::npos;
        else if (runStart == std::string::npos) runStart = out.size();
        if (mark && one == kHorn) out.insert(runStart, kHorn);
        else out.append(one);
        i += octets;
    }
    return out;
}

std::uint8_t Input::Byte() {
    if (rest_.empty()) return 0;
    const auto c = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return c;
}

std::string_view Input::Until(char separator) {
    const std::size_t at = rest_.find(separator);
    const std::string_view piece = rest_.substr(0, at);
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
    return piece;
}

}  // namespace linkmend::fuzz
