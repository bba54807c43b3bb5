#pragma once
// The program's one date-time value: a day count from 30 December 1899, midnight (day 0), with the
// time of day as the fraction. Zero is the "unreadable date" value; it compares and prints as such.
#include <compare>
#include <string>
#include <string_view>

namespace linkmend {

struct DateTimeParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

class DateTime {
public:
    constexpr DateTime() = default;
    constexpr explicit DateTime(double days) : days_(days) {}

    static DateTime FromParts(const DateTimeParts& p);
    static DateTime Now();  // local time, whole seconds

    // Parses the texts database drivers return for a date or timestamp column:
    // "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.fraction]]" (also with "T" between date and time).
    // Anything else, the empty text included, gives the zero value.
    static DateTime Parse(std::string_view text);

    constexpr double Days() const { return days_; }
    constexpr bool IsZero() const { return days_ == 0.0; }
    DateTimeParts Parts() const;  // rounded to the nearest second

    // "yyyy-mm-dd hh:mm:ss", 24-hour clock, zero-padded.
    std::string Format() const;
    // "yyyymmdd.hhmmss", the stamp of report file names.
    std::string FileStamp() const;

    constexpr auto operator<=>(const DateTime&) const = default;

private:
    double days_ = 0.0;
};

}  // namespace linkmend
