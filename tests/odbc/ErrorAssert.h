#pragma once
// EXPECT_LINKMEND_ERROR(statement, number, source, text): the statement raises that LinkmendError.
#include <gtest/gtest.h>

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

#define EXPECT_LINKMEND_ERROR(statement, number, source, text)                                               \
    do {                                                                                                     \
        const auto e_ = ::linkmend::test::CaughtError([&] { statement; });                                   \
        EXPECT_EQ(std::tuple(e_.Number(), e_.Source(), e_.Description()), std::tuple(number, source, text)); \
    } while (0)
