#pragma once

#include "core/events/event_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// The rows of a reminder or program table whose moment (day and minute, second 0) lies in
// (from, to]: active and dated, in file order. An ordered table is bisected, so a look costs the
// rows it finds.
std::vector<std::size_t> rowsFallenDue(const EventTable& table, Moment from, Moment to);

// The active rows that recur and whose moment is at or before `to`, in file order.
std::vector<std::size_t> recurringRowsUpTo(const EventTable& table, Moment to);

// A reminder or a program already holds this day and minute (active or not).
bool minuteTaken(const EventTable& table, DayNumber day, int minute);

// One row found by a look: on time, or missed (its minute passed while nobody looked).
struct FallenDue {
    EventKind kind = EventKind::Reminder;
    std::size_t index = 0;
    bool missed = false;
};

// What the clock has watched of the reminder and program tables, look by look. A look finds what
// fell due since the previous one; each moment is looked at once however the clock moves:
// - More than a minute between two looks, by the instant (a suspend, a freeze, the clock set
//   forward): what fell due before the current minute was missed. Daylight-saving time moves the
//   local time, not the instant, so the skipped hour's rows fall due on time at the first look after it.
// - The local time going back (the repeated hour, the clock set back): nothing falls due again. The
//   rows that had passed in the time lived again are remembered and skipped; a row entered since
//   for that time still falls due.
class Lookout {
  public:
    Lookout(Moment now, std::int64_t instantMs);
    // Watching goes on from a moment of an earlier run: what fell due after it is found by the next
    // look, missed unless it falls due in the current minute within a minute of it.
    void resumeFrom(Moment lastWatched, Moment now, std::int64_t instantMs);
    // Rows in moment order, reminders before programs of the same moment.
    std::vector<FallenDue> look(const EventTable& reminders, const EventTable& programs, Moment now,
                                std::int64_t instantMs);
    // The latest local moment watched.
    Moment watchedUpTo() const { return upTo_; }

  private:
    struct Key {
        EventKind kind;
        std::int32_t day;
        std::int16_t minute;
        std::string text;
        auto operator<=>(const Key&) const = default;
    };
    void rememberPassed(const EventTable& table, Moment from, Moment to);

    Moment last_;
    Moment upTo_;
    std::int64_t lastInstant_;
    std::vector<Key> passed_; // sorted; the rows passed in the time being lived again
};

} // namespace zel
