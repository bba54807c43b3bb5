#pragma once
// What some tests need from outside the project: the shared data folder (real MARC records, the
// code tables) and the oracle programs (yaz-marcdump, Perl's MARC::Record and MARC::Charset). When
// one is missing the test is marked skipped, saying what is missing and how to get it; under
// LINKMEND_REQUIRE_SHARED_DATA=1 (scripts/test.sh, CI) it fails instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Files.h"

namespace linkmend::test {

inline bool SharedDataRequired() {
    const char* env = std::getenv("LINKMEND_REQUIRE_SHARED_DATA");
    return env && std::string(env) == "1";
}

// Marks the calling test skipped, or failed when the data is required.
inline void Missing(const std::string& why) {
    if (SharedDataRequired()) ADD_FAILURE() << why << " (required: LINKMEND_REQUIRE_SHARED_DATA=1)";
    else [&] { GTEST_SKIP() << why; }();
}

// The shared data folder; "" when this checkout has none.
inline std::string SharedDataDir() {
    const std::string dir = LINKMEND_SHARED_DATA_DIR;
    return FileExists(dir) ? dir : std::string();
}

// The path of a file of the shared data folder ("real-marc/brkrtest.mrc"), or "" after Missing().
inline std::string SharedFile(const std::string& name) {
    const std::string path = std::string(LINKMEND_SHARED_DATA_DIR) + "/" + name;
    if (FileExists(path)) return path;
    Missing(path + " is absent: the shared test data (see README, Tests) lives beside the checkout in ../shared/data");
    return "";
}

// True when the shell test succeeds ("command -v yaz-marcdump"); else false after Missing().
inline bool HaveOracle(const std::string& shellTest, const std::string& package) {
    if (std::system((shellTest + " >/dev/null 2>&1").c_str()) == 0) return true;
    Missing("`" + shellTest + "` fails: install the Debian package " + package + " (scripts/packages.txt)");
    return false;
}

}  // namespace linkmend::test
