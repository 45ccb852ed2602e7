#include "core/events/summary.h"

#include "core/text/cp1250.h"

namespace zel {

namespace {

// The kind prefixes are padded to one width so the columns line up in a fixed-pitch font.
std::string prefixOf(EventKind k) {
    switch (k) {
    case EventKind::Reminder:
        return utf8ToCp1250("Emlékeztető | ");
    case EventKind::Program:
        return "Program     | ";
    case EventKind::NameDay:
        return utf8ToCp1250("Névnap      | ");
    case EventKind::Birthday:
        return utf8ToCp1250("Szülinap    | ");
    }
    return {};
}

} // namespace

std::string noUpcomingEventLine() {
    return utf8ToCp1250("Nincs soron következő bejegyzett esemény");
}

std::vector<std::string> summaryLines(const EventBook& book) {
    std::vector<std::string> lines;
    for (EventKind k : kAllEventKinds) {
        const auto& next = book.next(k);
        if (!next || !next->active || !next->day) continue;
        const EventCells c = cellsOf(k, *next);
        std::string line = prefixOf(k) + c[1] + " | ";
        if (hasTime(k)) line += (c[2].size() == 4 ? " " : "") + c[2] + " | ";
        lines.push_back(line + c[3]);
    }
    if (lines.empty()) lines.push_back(noUpcomingEventLine());
    return lines;
}

SummaryPick parseSummaryLine(std::string_view line) {
    SummaryPick pick;
    if (line.starts_with("Eml"))
        pick.kind = EventKind::Reminder;
    else if (line.starts_with("Prog"))
        pick.kind = EventKind::Program;
    else if (line.starts_with("N"))
        pick.kind = EventKind::NameDay;
    else if (line.starts_with("Sz"))
        pick.kind = EventKind::Birthday;

    const auto bar = line.find('|');
    if (bar == std::string_view::npos) return pick;
    const std::size_t dateFrom = std::min(line.size(), bar + 2);
    const auto nextBar = line.find('|', dateFrom);
    const std::size_t dateEnd = nextBar == std::string_view::npos ? line.size() : nextBar;
    // The date ends before the space that stands before the next bar.
    pick.date = std::string(line.substr(dateFrom, dateEnd > dateFrom ? dateEnd - dateFrom - 1 : 0));
    if (pick.kind && hasTime(*pick.kind) && nextBar != std::string_view::npos) {
        std::size_t from = nextBar;
        while (from < line.size() && (line[from] == ' ' || line[from] == '|'))
            ++from;
        const auto thirdBar = line.find('|', from);
        const std::size_t end = thirdBar == std::string_view::npos ? line.size() : thirdBar;
        pick.time = std::string(line.substr(from, end > from ? end - from - 1 : 0));
    }
    return pick;
}

} // namespace zel
