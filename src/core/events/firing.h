#pragma once

#include "events/event_table.h"

#include <optional>

namespace zel {

// Whether the next event fires in the tick at `now`: it is active, and its moment (its day and minute,
// second 0) lies after the previous tick and within the current minute. On time that is the tick of
// second 00; a late tick still catches it within its minute, and each event fires once.
bool firesInTick(const std::optional<EventRow>& next, Moment previousTick, Moment now);

// A reminder or a program already holds this day and minute (active or not).
bool IdopontFoglalt(const EventTable& table, DayNumber day, int minute);

} // namespace zel
