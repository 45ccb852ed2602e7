#pragma once

#include "core/text/datetime.h"

#include <array>
#include <string>

namespace zel {

// A month in weeks that begin on Monday: six rows of seven day numbers, 0 for an empty cell.
using MonthGrid = std::array<std::array<int, 7>, 6>;
MonthGrid monthGrid(int year, int month);

// Paging the month calendar: a year step turns 29 February into 28 February first; a month step
// keeps the day, or takes the target month's last day when it has no such day.
Ymd stepYear(Ymd date, int years);
Ymd stepMonth(Ymd date, int months);

// "Január" … "December" (Windows-1250), month 1 to 12.
std::string monthName(int month);

} // namespace zel
