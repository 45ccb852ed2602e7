#include "core/events/month_grid.h"

#include "core/text/cp1250.h"

#include <algorithm>

namespace zel {

MonthGrid monthGrid(int year, int month) {
    MonthGrid grid{};
    const int first = weekdayOf(dayNumber(year, month, 1)); // 0 = Monday
    const int length = daysInMonth(year, month);
    for (int d = 1; d <= length; ++d) {
        const int cell = first + d - 1;
        grid[static_cast<std::size_t>(cell / 7)][static_cast<std::size_t>(cell % 7)] = d;
    }
    return grid;
}

Ymd stepYear(Ymd date, int years) {
    if (date.month == 2 && date.day == 29) date.day = 28;
    date.year += years;
    return date;
}

Ymd stepMonth(Ymd date, int months) {
    int index = date.year * 12 + (date.month - 1) + months;
    date.year = index / 12;
    date.month = index % 12 + 1;
    date.day = std::min(date.day, daysInMonth(date.year, date.month));
    return date;
}

std::string monthName(int month) {
    static const char* const kNames[] = {"Január",     "Február", "Március",  "Április",
                                         "Május",      "Június",  "Július",   "Augusztus",
                                         "Szeptember", "Október", "November", "December"};
    return month >= 1 && month <= 12 ? utf8ToCp1250(kNames[month - 1]) : std::string();
}

} // namespace zel
