#pragma once

#include "core/text/datetime.h"

#include <cstdint>

namespace zel {

// A local date and time of day, to the millisecond.
struct Moment {
    DayNumber day = 0;
    std::int64_t msOfDay = 0;

    int hour() const { return static_cast<int>(msOfDay / 3'600'000); }
    int minute() const { return static_cast<int>(msOfDay / 60'000 % 60); }
    int second() const { return static_cast<int>(msOfDay / 1000 % 60); }
    int millisecond() const { return static_cast<int>(msOfDay % 1000); }
    auto operator<=>(const Moment&) const = default;

    static Moment at(int year, int month, int dayOfMonth, int hour = 0, int minute = 0, int second = 0,
                     int ms = 0) {
        return {dayNumber(year, month, dayOfMonth), ((hour * 60LL + minute) * 60 + second) * 1000 + ms};
    }
    Moment plusMs(std::int64_t ms) const {
        std::int64_t total = msOfDay + ms;
        DayNumber d = day;
        while (total >= 86'400'000)
            total -= 86'400'000, ++d;
        while (total < 0)
            total += 86'400'000, --d;
        return {d, total};
    }
};

// A moment as a stored date with the time of day as its fraction (days since 1899-12-30), as a
// running copy gives its start time.
inline double storedFromMoment(const Moment& m) {
    return static_cast<double>(m.day) + static_cast<double>(m.msOfDay) / 86'400'000.0;
}

// Milliseconds since 1970 as if the moment were UTC: the zone's offset is the difference to the
// true instant.
inline std::int64_t naiveMs(const Moment& m) {
    return (static_cast<std::int64_t>(m.day) - 25'569) * 86'400'000 + m.msOfDay;
}

// Where the current date and time come from: the system in the program, a settable clock in tests.
class Clock {
  public:
    virtual ~Clock() = default;
    // The local date and time.
    virtual Moment now() const = 0;
    // The instant, in milliseconds since 1970 UTC: it does not jump when daylight-saving time begins
    // or ends, so it tells how much time really passed between two looks.
    virtual std::int64_t instantMs() const = 0;
};

} // namespace zel
