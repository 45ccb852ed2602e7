#pragma once

#include "core/events/event_table.h"

#include <vector>

namespace zel {

// The rows of a reminder or program table that fire in the tick at `now`: active, with their moment
// (day and minute, second 0) after the previous tick and within the current minute. On time that is
// the tick of second 00; a late tick still catches them within their minute, and each fires once.
// The table is asked, not the next-event row, so a refresh between second 00 and a late tick loses
// nothing. Rows in file order.
std::vector<std::size_t> firingRows(const EventTable& table, Moment previousTick, Moment now);

// A reminder or a program already holds this day and minute (active or not).
bool minuteTaken(const EventTable& table, DayNumber day, int minute);

} // namespace zel
