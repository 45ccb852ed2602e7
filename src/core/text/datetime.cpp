#include "core/text/datetime.h"

#include "core/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zel {
namespace {

constexpr DayNumber kUnixEpoch = 25569; // 1970-01-01

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year)) return 29;
    return kDays[month - 1];
}

DayNumber dayNumber(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpoch;
}

Ymd ymdOf(DayNumber dn) {
    std::int64_t z = dn - kUnixEpoch + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

int weekdayOf(DayNumber day) {
    // Day 0 (1899-12-30) was a Saturday.
    const auto r = ((day % 7) + 7) % 7;
    return static_cast<int>((r + 5) % 7);
}

std::optional<DayNumber> dayFromStored(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double whole = std::trunc(value);
    if (whole < static_cast<double>(kFirstDay) || whole > static_cast<double>(kLastDay)) return std::nullopt;
    return static_cast<DayNumber>(whole);
}

std::optional<int> minuteFromStored(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double fraction = value - std::floor(value);
    auto seconds = static_cast<std::int64_t>(std::floor(fraction * 86400.0 + 0.5));
    if (seconds >= 86400) seconds = 86399;
    return static_cast<int>(seconds / 60);
}

double storedFromMinute(int minute) {
    return static_cast<double>(minute) / 1440.0;
}

std::string dateText(DayNumber day) {
    const Ymd d = ymdOf(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d.%02d.%02d.", d.year, d.month, d.day);
    return buf;
}

std::string timeText(int minute) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d", minute / 60, minute % 60);
    return buf;
}

std::string clockTimeText(int hour, int minute, int second) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", hour, minute, second);
    return buf;
}

std::optional<DayNumber> tryParseDateText(std::string_view text) {
    int parts[3] = {0, 0, 0};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        const char* first = text.data() + pos;
        const char* last = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(first, last, parts[i]);
        const auto digits = ptr - first;
        if (ec != std::errc{} || digits == 0 || digits > (i == 0 ? 4 : 2)) return std::nullopt;
        pos += static_cast<std::size_t>(digits);
        if (i < 2) {
            if (pos >= text.size() || text[pos] != '.') return std::nullopt;
            ++pos;
        }
    }
    if (pos < text.size() && text[pos] == '.') ++pos;
    if (pos != text.size()) return std::nullopt;
    const int y = parts[0], m = parts[1], d = parts[2];
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
    return dayNumber(y, m, d);
}

DayNumber parseDateText(std::string_view text) {
    if (auto day = tryParseDateText(text)) return *day;
    throw DateError(std::string(text));
}

} // namespace zel
