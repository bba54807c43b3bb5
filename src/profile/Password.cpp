#include "profile/Password.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Numeric.h"
#include "base/Text.h"
#include "profile/AnsiCodePage.h"

namespace linkmend {
namespace {

constexpr const char* kPadding[6] = {"q7Z%m2w!Rk4", "5Tn+8vb=Jd3", "h&9Lp_X6s?2",
                                     "W3e~j7!Qn8z", "4k)Ry2m#Vt9", "Pz6^c1;Hu5&"};

// Runs 1, 2, ..., 9, 1, 2, ... over the life of the program.
std::int16_t g_callCounter = 0;

// The offset of character position i (1-based): +5 at odd positions before the length number,
// at even positions after it.
int Offset(std::size_t i) {
    if (i <= 4) return i % 2 == 1 ? 5 : -5;
    return i % 2 == 0 ? 5 : -5;
}

}  // namespace

void ResetPasswordScrambler() { g_callCounter = 0; }

std::string ScramblePassword(const std::string& password) {
    if (password.empty()) return std::string();
    ++g_callCounter;
    std::string padding = kPadding[g_callCounter <= 5 ? g_callCounter - 1 : 5];
    if (g_callCounter % 2 == 0) padding = padding.substr(5) + padding.substr(0, 5);
    if (g_callCounter > 8) g_callCounter = 0;

    std::string w = Utf8ToWindows1252(TrimBlanks(password));
    const std::size_t length = w.size();
    if (length < 10) {
        const std::string padded = padding + w;
        w = padded.substr(padded.size() - 10);
    }
    std::string out;
    for (std::size_t i = 1; i <= w.size(); ++i) {
        if (i == 5) out += " " + std::to_string(length + 70);
        const int code = static_cast<unsigned char>(w[i - 1]);
        out += " " + std::to_string(code + Offset(i));
    }
    return out.substr(1);
}

std::string UnscramblePassword(const std::string& stored) {
    const std::string t = TrimBlanks(stored);
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (t.empty() || !isDigit(t.front()) || !isDigit(t.back()) || t.find(' ') == std::string::npos) {
        return stored;
    }
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= t.size()) {
        const auto blank = t.find(' ', start);
        const auto end = blank == std::string::npos ? t.size() : blank;
        numbers.push_back(Val(std::string_view(t).substr(start, end - start)));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    // Only a row of the scrambled shape is decoded: the length number in fifth place, one number per
    // encoded character, every code a Windows-1252 code. Anything else is a plain password.
    if (numbers.size() < 11) return stored;
    const long length = static_cast<long>(numbers[4]) - 70;
    if (length < 0 || numbers.size() != static_cast<std::size_t>(std::max(length, 10L)) + 1) return stored;
    std::string decoded;
    for (std::size_t n = 1; n <= numbers.size(); ++n) {
        if (n == 5) continue;
        const std::size_t position = n < 5 ? n : n - 1;  // character position this number encodes
        const double code = numbers[n - 1] - Offset(position);
        if (code < 0 || code > 255 || code != static_cast<double>(static_cast<int>(code))) return stored;
        decoded.push_back(static_cast<char>(static_cast<int>(code)));
    }
    if (length < 10) decoded = decoded.substr(decoded.size() - static_cast<std::size_t>(length));
    return Windows1252ToUtf8(decoded);
}

}  // namespace linkmend
