#include "events/firing.h"

#include <algorithm>

namespace zel {

bool firesInTick(const std::optional<EventRow>& next, Moment previousTick, Moment now) {
    if (!next || !next->active || !next->day) return false;
    const Moment due{*next->day, std::int64_t{next->minute} * 60'000};
    const bool sameMinute = due.day == now.day && next->minute == static_cast<int>(now.msOfDay / 60'000);
    return sameMinute && previousTick < due && due <= now;
}

bool IdopontFoglalt(const EventTable& table, DayNumber day, int minute) {
    return std::any_of(table.rows.begin(), table.rows.end(),
                       [&](const EventRow& r) { return r.day && *r.day == day && r.minute == minute; });
}

} // namespace zel
