// Date texts typed by the user or read from import files, and the stored dates and times of the
// record files.
#include "fuzz_util.h"

#include "core/errors.h"
#include "core/text/datetime.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

using namespace zel;

void checkDay(DayNumber day) {
    const std::string text = dateText(day);
    ZEL_CHECK(text.size() == 11);
    ZEL_CHECK(tryParseDateText(text) == day);
    const Ymd ymd = ymdOf(day);
    ZEL_CHECK(ymd.year >= 1 && ymd.year <= 9999 && ymd.month >= 1 && ymd.month <= 12);
    ZEL_CHECK(ymd.day >= 1 && ymd.day <= daysInMonth(ymd.year, ymd.month));
    ZEL_CHECK(dayNumber(ymd.year, ymd.month, ymd.day) == day);
    const int wd = weekdayOf(day);
    ZEL_CHECK(wd >= 0 && wd <= 6);
}

void checkStored(double value) {
    const auto day = dayFromStored(value);
    ZEL_CHECK(day.has_value() ==
              (std::isfinite(value) && std::trunc(value) >= static_cast<double>(kFirstDay) &&
               std::trunc(value) <= static_cast<double>(kLastDay)));
    if (day) {
        ZEL_CHECK(*day == static_cast<DayNumber>(std::trunc(value)));
        checkDay(*day);
    }
    const auto minute = minuteFromStored(value);
    ZEL_CHECK(minute.has_value() == std::isfinite(value));
    if (!minute) return;
    ZEL_CHECK(*minute >= 0 && *minute < 1440);
    if (value >= 0 && value < 1) {
        // The stored fraction to whole seconds, rounded, then whole minutes; the last second of the
        // day cannot round over into the next one.
        const double seconds = std::min(std::floor(value * 86400.0 + 0.5), 86399.0);
        ZEL_CHECK(*minute == static_cast<int>(seconds) / 60);
    }
    ZEL_CHECK(minuteFromStored(storedFromMinute(*minute)) == minute);
    const std::string t = timeText(*minute);
    ZEL_CHECK(t.size() == 4 || t.size() == 5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto day = tryParseDateText(text);
    if (day) {
        ZEL_CHECK(*day >= kFirstDay && *day <= kLastDay);
        checkDay(*day);
        ZEL_CHECK(parseDateText(text) == *day);
    } else {
        bool threw = false;
        try {
            (void)parseDateText(text);
        } catch (const DateError& e) {
            threw = e.text() == text;
        }
        ZEL_CHECK(threw);
    }

    // The same bytes as stored doubles, and as a day anywhere in the years 1 to 9999.
    for (std::size_t at = 0; at + 8 <= size && at < 64; at += 8) {
        std::uint64_t bits;
        std::memcpy(&bits, data + at, 8);
        checkStored(std::bit_cast<double>(bits));
        checkDay(kFirstDay +
                 static_cast<DayNumber>(bits % static_cast<std::uint64_t>(kLastDay - kFirstDay + 1)));
    }
    return 0;
}
