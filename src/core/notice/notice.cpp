#include "core/notice/notice.h"

#include "core/events/month_grid.h"
#include "core/text/cp1250.h"

namespace zel {

namespace {

DayNumber placed(int year, int month, int day) {
    if (month == 2 && day == 29 && !isLeapYear(year)) day = 28;
    return dayNumber(year, month, day);
}

DayNumber celebration(int month, int day, DayNumber today, int year) {
    const DayNumber thisYear = placed(year, month, day);
    return thisYear > today || year >= 9999 ? thisYear : placed(year + 1, month, day);
}

void addLines(std::vector<std::string>& out, const EventTable& table, const std::string& label,
              DayNumber today, int daysBefore) {
    const int year = ymdOf(today).year;
    for (const TableRow& row : table.rows) {
        if (!row.active || !row.day) continue;
        const Ymd date = ymdOf(*row.day);
        const DayNumber d = celebration(date.month, date.day, today, year);
        if (!(today < d && d < today + daysBefore)) continue;
        out.push_back(std::string(table.text(row)) + "  " + label + monthName(date.month) + " " +
                      std::to_string(date.day) + ".");
    }
}

} // namespace

DayNumber nextCelebration(int month, int day, DayNumber today) {
    return celebration(month, day, today, ymdOf(today).year);
}

std::vector<std::string> celebrantLines(const EventTable& nameDays, const EventTable& birthdays,
                                        DayNumber today, int daysBefore) {
    std::vector<std::string> out;
    addLines(out, nameDays, utf8ToCp1250("Névnapja: "), today, daysBefore);
    addLines(out, birthdays, utf8ToCp1250("Születésnapja: "), today, daysBefore);
    return out;
}

} // namespace zel
