#pragma once
// Octet strings in test failures: hexadecimal text, and comparisons that print a hex dump around
// the first difference.   EXPECT_OCTETS(expected, actual);
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace linkmend::test {

// Each octet as two upper-case hexadecimal digits and a blank: "41 1F ".
inline std::string Hex(std::string_view octets) {
    std::string h;
    char buf[4];
    for (unsigned char c : octets) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        h += buf;
    }
    return h;
}

inline ::testing::AssertionResult OctetsEq(const char* expectedText, const char* actualText,
                                           const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
    const std::size_t from = i >= 8 ? i - 8 : 0;
    auto dump = [&](const std::string& s) { return from < s.size() ? Hex(s.substr(from, i + 16 - from)) : ""; };
    return ::testing::AssertionFailure() << actualText << " differs from " << expectedText << " at offset " << i
                                         << " (lengths " << expected.size() << " and " << actual.size()
                                         << "); from offset " << from << ":\n  expected: " << dump(expected)
                                         << "\n  actual:   " << dump(actual);
}

inline ::testing::AssertionResult OctetsEqual(const std::string& expected, const std::string& actual) {
    return OctetsEq("expected", "actual", expected, actual);
}

}  // namespace linkmend::test

#define EXPECT_OCTETS(expected, actual) EXPECT_PRED_FORMAT2(::linkmend::test::OctetsEq, expected, actual)
