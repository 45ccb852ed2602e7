#include "core/events/recurrence.h"

#include <algorithm>

namespace zel {

namespace {

DayNumber monthsLater(DayNumber day, int months) {
    const Ymd d = ymdOf(day);
    const int index = d.year * 12 + (d.month - 1) + months;
    const int year = index / 12, month = index % 12 + 1;
    return dayNumber(year, month, std::min(d.day, daysInMonth(year, month)));
}

bool after(DayNumber day, int minute, Moment now) {
    return Moment{day, std::int64_t{minute} * 60'000} > now;
}

} // namespace

bool recurs(Recurrence r) {
    return r == Recurrence::Daily || r == Recurrence::Weekly || r == Recurrence::Monthly ||
           r == Recurrence::Yearly;
}

DayNumber stepOnce(Recurrence r, DayNumber day) {
    switch (r) {
    case Recurrence::Daily:
        return day + 1;
    case Recurrence::Weekly:
        return day + 7;
    case Recurrence::Monthly:
        return monthsLater(day, 1);
    case Recurrence::Yearly:
        return monthsLater(day, 12);
    case Recurrence::Never:
        break;
    }
    return day;
}

Occurrence nextOccurrenceAfter(Recurrence r, DayNumber day, int minute, Moment now) {
    Occurrence next{day, 0};
    if (!recurs(r) || after(day, minute, now)) return next;
    if (r == Recurrence::Daily || r == Recurrence::Weekly) {
        // Whole steps at once: a daily reminder a few years behind is still one division.
        const std::int64_t step = r == Recurrence::Daily ? 1 : 7;
        const std::int64_t behind = now.day - day + (after(now.day, minute, now) ? 0 : 1);
        const std::int64_t steps = (behind + step - 1) / step;
        next = {day + steps * step, steps};
    } else {
        while (!after(next.day, minute, now) && next.day <= kLastDay) {
            next.day = stepOnce(r, next.day);
            ++next.fallenDue;
        }
    }
    if (next.day > kLastDay) return {day, next.fallenDue};
    return next;
}

} // namespace zel
