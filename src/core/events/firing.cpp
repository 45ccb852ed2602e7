#include "core/events/firing.h"

#include "core/events/recurrence.h"

#include <algorithm>

namespace zel {

namespace {

constexpr std::int64_t kMinuteMs = 60'000;

Moment momentOf(const EventFields& row) {
    return {*row.day, std::int64_t{row.minute} * kMinuteMs};
}

bool inMinuteOf(const EventFields& row, Moment now) {
    return *row.day == now.day && row.minute == static_cast<int>(now.msOfDay / kMinuteMs);
}

} // namespace

std::vector<std::size_t> rowsFallenDue(const EventTable& table, Moment from, Moment to) {
    std::vector<std::size_t> out;
    if (!(from < to)) return out;
    const auto& rows = table.rows;
    auto falls = [&](const TableRow& r) {
        return r.active && r.day && from < momentOf(r) && momentOf(r) <= to;
    };
    if (!table.ordered) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (falls(rows[i])) out.push_back(i);
        return out;
    }
    // Undated rows sort first, then the rows by their moment: the candidates are one short run.
    auto i = std::partition_point(rows.begin(), rows.end(),
                                  [&](const TableRow& r) { return !r.day || momentOf(r) <= from; });
    for (; i != rows.end() && momentOf(*i) <= to; ++i)
        if (falls(*i)) out.push_back(static_cast<std::size_t>(i - rows.begin()));
    return out;
}

std::vector<std::size_t> recurringRowsUpTo(const EventTable& table, Moment to) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const TableRow& r = table.rows[i];
        if (!r.day || !(momentOf(r) <= to)) {
            // Ordered: undated rows come first, and after the first later row no earlier one follows.
            if (table.ordered && r.day) break;
            continue;
        }
        if (r.active && recurs(r.recurrence)) out.push_back(i);
    }
    return out;
}

bool minuteTaken(const EventTable& table, DayNumber day, int minute) {
    return std::any_of(table.rows.begin(), table.rows.end(),
                       [&](const TableRow& r) { return r.day && *r.day == day && r.minute == minute; });
}

Lookout::Lookout(Moment now, std::int64_t instantMs) : last_(now), upTo_(now), lastInstant_(instantMs) {}

void Lookout::resumeFrom(Moment lastWatched, Moment now, std::int64_t instantMs) {
    // The instant of the earlier look is not known; the local times tell the gap closely enough.
    last_ = upTo_ = lastWatched;
    lastInstant_ = instantMs - (naiveMs(now) - naiveMs(lastWatched));
    passed_.clear();
}

void Lookout::rememberPassed(const EventTable& table, Moment from, Moment to) {
    for (std::size_t i : rowsFallenDue(table, from, to)) {
        const TableRow& r = table.rows[i];
        passed_.push_back({table.kind, *r.day, r.minute, std::string(table.text(r))});
    }
}

std::vector<FallenDue> Lookout::look(const EventTable& reminders, const EventTable& programs, Moment now,
                                     std::int64_t instantMs) {
    std::vector<FallenDue> out;
    const bool late = instantMs - lastInstant_ > kMinuteMs;
    if (now < last_) {
        // The local time went back: what passed between now and the previous look is not looked at
        // again.
        rememberPassed(reminders, now, last_);
        rememberPassed(programs, now, last_);
        std::sort(passed_.begin(), passed_.end());
        passed_.erase(std::unique(passed_.begin(), passed_.end()), passed_.end());
    }
    const Moment from = last_;
    last_ = now;
    lastInstant_ = instantMs;
    const bool reliving = from < upTo_;
    if (upTo_ < now) upTo_ = now;
    for (const EventTable* table : {&reminders, &programs}) {
        for (std::size_t i : rowsFallenDue(*table, from, now)) {
            const TableRow& r = table->rows[i];
            if (reliving && momentOf(r) <= upTo_ &&
                std::binary_search(passed_.begin(), passed_.end(),
                                   Key{table->kind, *r.day, r.minute, std::string(table->text(r))}))
                continue;
            out.push_back({table->kind, i, late && !inMinuteOf(r, now)});
        }
    }
    if (!(now < upTo_)) passed_.clear();
    std::stable_sort(out.begin(), out.end(), [&](const FallenDue& a, const FallenDue& b) {
        const EventTable& ta = a.kind == EventKind::Reminder ? reminders : programs;
        const EventTable& tb = b.kind == EventKind::Reminder ? reminders : programs;
        return momentOf(ta.rows[a.index]) < momentOf(tb.rows[b.index]);
    });
    return out;
}

} // namespace zel
