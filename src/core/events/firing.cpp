#include "core/events/firing.h"

#include <algorithm>

namespace zel {

namespace {

Moment momentOf(const EventFields& row) {
    return {*row.day, std::int64_t{row.minute} * 60'000};
}

bool inCurrentMinute(const EventFields& row, Moment now) {
    return *row.day == now.day && row.minute == static_cast<int>(now.msOfDay / 60'000);
}

} // namespace

std::vector<std::size_t> firingRows(const EventTable& table, Moment previousTick, Moment now) {
    std::vector<std::size_t> out;
    const auto& rows = table.rows;
    auto fires = [&](const TableRow& r) {
        return r.active && r.day && previousTick < momentOf(r) && momentOf(r) <= now &&
               inCurrentMinute(r, now);
    };
    if (!table.ordered) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (fires(rows[i])) out.push_back(i);
        return out;
    }
    // Undated rows sort first, then the rows by their moment: the candidates are one short run.
    auto i = std::partition_point(rows.begin(), rows.end(),
                                  [&](const TableRow& r) { return !r.day || momentOf(r) <= previousTick; });
    for (; i != rows.end() && momentOf(*i) <= now; ++i)
        if (fires(*i)) out.push_back(static_cast<std::size_t>(i - rows.begin()));
    return out;
}

bool minuteTaken(const EventTable& table, DayNumber day, int minute) {
    return std::any_of(table.rows.begin(), table.rows.end(),
                       [&](const TableRow& r) { return r.day && *r.day == day && r.minute == minute; });
}

} // namespace zel
