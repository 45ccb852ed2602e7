#pragma once

#include "core/app/clock.h"
#include "core/events/event_record.h"

#include <cstdint>

namespace zel {

// Whether the recurrence moves its event on after it falls due (an unknown stored value does not).
bool recurs(Recurrence r);

// The date one step after `day`: a day, a week, the same day of the next month or of the next year.
// A day the target month lacks falls on its last day (the 31st on the 30th, 29 February on
// 28 February of a common year). The record keeps only that date, so the later steps go on from it:
// 31 January, 28 February, 28 March, …
DayNumber stepOnce(Recurrence r, DayNumber day);

// Where a recurring event goes once its occurrence at (day, minute) has fallen due: the first step
// after `now`, and how many occurrences fell due up to `now` (1 for the one that just fired; more
// when some were missed). Nothing moves past the last day the files can hold: `day` then stays.
struct Occurrence {
    DayNumber day = 0;
    std::int64_t fallenDue = 0;
};
Occurrence nextOccurrenceAfter(Recurrence r, DayNumber day, int minute, Moment now);

} // namespace zel
