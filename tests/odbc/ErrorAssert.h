#pragma once
// Runs a statement that must raise LinkmendError and checks number, source and text.
#include <gtest/gtest.h>

#include <string>

#include "base/Error.h"

namespace linkmend::test {

template <class F>
LinkmendError CaughtError(F&& f) {
    try {
        f();
    } catch (const LinkmendError& e) {
        return e;
    }
    ADD_FAILURE() << "no LinkmendError was raised";
    return LinkmendError(0, "", "");
}

}  // namespace linkmend::test

#define EXPECT_LINKMEND_ERROR(statement, number, source, text)             \
    do {                                                                   \
        const auto e_ = ::linkmend::test::CaughtError([&] { statement; }); \
        EXPECT_EQ(e_.Number(), (number));                                  \
        EXPECT_EQ(e_.Source(), (source));                                  \
        EXPECT_EQ(e_.Description(), (text));                               \
    } while (0)
