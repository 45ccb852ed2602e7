#pragma once

#include "core/events/event_table.h"
#include "core/text/datetime.h"

#include <string>
#include <vector>

namespace zel {

// The day a name day or birthday on this month and day is next celebrated after today: this year's,
// or next year's once this year's has come. 29 February falls on 28 February in a common year.
DayNumber nextCelebration(int month, int day, DayNumber today);

// The lines of the name-day and birthday notice (Windows-1250): every active name day, then every
// active birthday, in table order, celebrated after today and before today + daysBefore (both bounds
// strict), as "name  Névnapja: Március 6." or "name  Születésnapja: …".
std::vector<std::string> celebrantLines(const EventTable& nameDays, const EventTable& birthdays,
                                        DayNumber today, int daysBefore);

} // namespace zel
