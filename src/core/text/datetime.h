#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// Dates are whole day numbers counted from 1899-12-30 (day 0), as the record files hold them.
// Times of day are minutes since midnight.
using DayNumber = std::int64_t;

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Ymd&) const = default;
};

constexpr DayNumber kFirstDay = -693593; // 0001-01-01
constexpr DayNumber kLastDay = 2958465;  // 9999-12-31

bool isLeapYear(int year);
int daysInMonth(int year, int month);
DayNumber dayNumber(int year, int month, int day);
Ymd ymdOf(DayNumber day);
// 0 = Monday … 6 = Sunday.
int weekdayOf(DayNumber day);

// A stored date: only the integral part counts. Not finite or outside the years 1 to 9999: no date.
std::optional<DayNumber> dayFromStored(double value);
// A stored time: floor(value × 86400 + 0.5) seconds, then whole minutes; the seconds are dropped and
// float noise is not. Only the fraction of a day counts. Not finite: no time.
std::optional<int> minuteFromStored(double value);
double storedFromMinute(int minute);

// "2024.03.05." and "9:05", "9:05:07".
std::string dateText(DayNumber day);
std::string timeText(int minute);
std::string clockTimeText(int hour, int minute, int second);

// Parses a date text in the program's own pattern (year, month, day, "." between and an optional
// final "."). Throws DateError with the text when it is no date.
DayNumber parseDateText(std::string_view text);
std::optional<DayNumber> tryParseDateText(std::string_view text);

} // namespace zel
