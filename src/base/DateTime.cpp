#include "base/DateTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace linkmend {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

constexpr long long kEpochOffset = 25569;  // days from 1899-12-30 to 1970-01-01

bool ReadDigits(std::string_view s, std::size_t& pos, std::size_t count, int& out) {
    if (pos + count > s.size()) return false;
    int v = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += count;
    out = v;
    return true;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return kDays[m - 1];
}

}  // namespace

DateTime DateTime::FromParts(const DateTimeParts& p) {
    const long long days =
        DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) + kEpochOffset;
    const double fraction = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
    return DateTime(static_cast<double>(days) + fraction);
}

DateTime DateTime::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return FromParts({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

DateTime DateTime::Parse(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    DateTimeParts p;
    std::size_t pos = 0;
    if (!ReadDigits(s, pos, 4, p.year) || pos >= s.size() || s[pos++] != '-' || !ReadDigits(s, pos, 2, p.month) ||
        pos >= s.size() || s[pos++] != '-' || !ReadDigits(s, pos, 2, p.day)) {
        return DateTime();
    }
    if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > DaysInMonth(p.year, p.month)) return DateTime();
    p.hour = p.minute = p.second = 0;
    if (pos < s.size()) {
        if (s[pos] != ' ' && s[pos] != 'T') return DateTime();
        ++pos;
        if (!ReadDigits(s, pos, 2, p.hour) || pos >= s.size() || s[pos++] != ':' || !ReadDigits(s, pos, 2, p.minute)) {
            return DateTime();
        }
        if (pos < s.size() && s[pos] == ':') {
            ++pos;
            if (!ReadDigits(s, pos, 2, p.second)) return DateTime();
            if (pos < s.size() && s[pos] == '.') {
                ++pos;
                const std::size_t start = pos;
                while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
                if (pos == start) return DateTime();
            }
        }
        // A trailing time-zone offset from a timestamp-with-zone column is accepted and ignored.
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-' || s[pos] == 'Z')) pos = s.size();
        if (pos != s.size()) return DateTime();
        if (p.hour > 23 || p.minute > 59 || p.second > 59) return DateTime();
    }
    return FromParts(p);
}

DateTimeParts DateTime::Parts() const {
    const double total = std::floor(days_ * 86400.0 + 0.5);
    long long secs = static_cast<long long>(total);
    long long day = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    long long rem = secs - day * 86400;
    DateTimeParts p;
    CivilFromDays(day - kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(rem / 3600);
    p.minute = static_cast<int>(rem % 3600 / 60);
    p.second = static_cast<int>(rem % 60);
    return p;
}

std::string DateTime::Format() const {
    const DateTimeParts p = Parts();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
    return buf;
}

std::string DateTime::FileStamp() const {
    const DateTimeParts p = Parts();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d.%02d%02d%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
    return buf;
}

}  // namespace linkmend
