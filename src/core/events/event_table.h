#pragma once

#include "core/app/clock.h"
#include "core/events/event_record.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// One record of an event file as the program works with it, with its place in the file.
struct EventRow {
    bool active = false;
    std::optional<DayNumber> day; // none: the stored date or time is unusable; never due, never listed
    int minute = 0;               // reminders and programs only
    std::string text;             // Windows-1250
    std::uint8_t recurrence = 0;
    std::size_t position = 0;

    bool operator==(const EventRow&) const = default;
};

// The five text cells of a row: active mark, date text, time text, text, recurrence.
using EventCells = std::array<std::string, 5>;
constexpr const char* kActiveMark = "   *";

struct EventTable {
    EventKind kind = EventKind::Reminder;
    std::vector<EventRow> rows;
    // The rows keep the file's chronological order, so the next event can be found by bisection.
    bool ordered = true;
    // Records read as best they could be (a malformed record, a date or time that is no date, a
    // trailing partial record); the file itself is left as it is.
    std::size_t damaged = 0;
};

EventRow rowFromRecord(EventKind kind, const EventRecord& rec, std::size_t position);
EventRow rowFromRecord(EventKind kind, EventRecord&& rec, std::size_t position);
EventCells cellsOf(EventKind kind, const EventRow& row);
// The table as the service view shows it: a table without rows shows one empty row.
std::vector<EventCells> cellsOf(const EventTable& table);

// Reads the kind's file into a table; a missing file is created empty first.
EventTable loadEventTable(const std::filesystem::path& path, EventKind kind);
bool rowsInOrder(EventKind kind, const std::vector<EventRow>& rows);

// The row that falls due next: the first not yet passed. Reminders and programs of today earlier than
// now are passed, one at exactly now is not; name days and birthdays of today are passed. The active
// flag plays no part.
std::optional<std::size_t> nextDueIndex(const EventTable& table, Moment now);

// The four tables and their next-event rows.
class EventBook {
  public:
    EventBook();
    EventTable& table(EventKind k) { return tables_[kindIndex(k)]; }
    const EventTable& table(EventKind k) const { return tables_[kindIndex(k)]; }
    const std::optional<EventRow>& next(EventKind k) const { return next_[kindIndex(k)]; }

    // Rebuilds a table from its file in dataDir; on failure the table keeps the rows read so far
    // (none, as the file is read whole) and the error propagates.
    void refresh(EventKind kind, const std::filesystem::path& dataDir);
    // The next rows of one kind, or of all four when none is given.
    void updateNext(std::optional<EventKind> kind, Moment now);

  private:
    std::array<EventTable, 4> tables_;
    std::array<std::optional<EventRow>, 4> next_;
};

} // namespace zel
