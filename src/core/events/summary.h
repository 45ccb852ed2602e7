#pragma once

#include "core/events/event_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// The nearest-events summary: one line per kind whose next event is active and dated, or the one
// "nothing to come" line. Windows-1250.
std::vector<std::string> summaryLines(const EventBook& book);
std::string noUpcomingEventLine();

// What a summary line names: its kind (none when no prefix fits), the date text and, for
// reminders and programs, the time text without its pad.
struct SummaryPick {
    std::optional<EventKind> kind;
    std::string date;
    std::string time;
    bool operator==(const SummaryPick&) const = default;
};
SummaryPick parseSummaryLine(std::string_view line);

} // namespace zel
