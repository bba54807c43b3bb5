#pragma once
// Small helpers shared by the test binaries: temporary folders, whole-file reads and writes, and a
// readable hex diff for octet strings.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace linkmend::test {

// A fresh folder under $TMPDIR, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/linkmend-test-XXXXXX";
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Where the shared test data lives; empty when this checkout has none (tests then skip).
inline std::string SharedDataDir() {
    const std::string dir = LINKMEND_SHARED_DATA_DIR;
    return FileExists(dir) ? dir : std::string();
}

// Octet strings compared with a hex dump of the first difference and its surroundings.
inline ::testing::AssertionResult OctetsEqual(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    auto dump = [](const std::string& s, std::size_t from, std::size_t to) {
        std::ostringstream os;
        for (std::size_t k = from; k < to && k < s.size(); ++k) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(s[k]));
            os << buf;
        }
        return os.str();
    };
    const std::size_t from = i >= 8 ? i - 8 : 0;
    return ::testing::AssertionFailure() << "octet strings differ at offset " << i << " (lengths " << expected.size()
                                         << " and " << actual.size()
                                         << ")\n  expected: " << dump(expected, from, i + 16)
                                         << "\n  actual:   " << dump(actual, from, i + 16);
}

}  // namespace linkmend::test
