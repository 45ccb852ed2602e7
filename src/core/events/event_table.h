#pragma once

#include "core/app/clock.h"
#include "core/events/event_record.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

class DataReader;

// The fields of an event record other than its text and its place.
struct EventFields {
    // None: the stored date or time is unusable; never due, never listed. Every day from year 1 to
    // 9999 fits 32 bits, which keeps a table's row at 16 bytes.
    std::optional<std::int32_t> day;
    std::int16_t minute = 0; // reminders and programs only
    bool active = false;
    Recurrence recurrence = Recurrence::Never;

    bool operator==(const EventFields&) const = default;
};

// One record of an event file as the program works with it: a copy of its own, with its place in
// the file, which stays valid when its table is rebuilt.
struct EventRow : EventFields {
    std::size_t position = 0;
    std::string text; // Windows-1250

    bool operator==(const EventRow&) const = default;
};

// Short texts one after another, each behind its length byte, in blocks of 64 KiB: a table's texts
// take a few dozen allocations instead of one each, and the store grows without copying.
class TextBlocks {
  public:
    // Keeps at most kEventTextCapacity bytes of the text and returns where it went.
    std::uint32_t add(std::string_view text);
    std::string_view at(std::uint32_t where) const {
        const char* p = blocks_[where >> kBlockBits].data() + (where & kOffsetMask);
        return {p + 1, static_cast<std::uint8_t>(*p)};
    }
    bool operator==(const TextBlocks&) const = default;

  private:
    static constexpr unsigned kBlockBits = 16;
    static constexpr std::uint32_t kOffsetMask = (1u << kBlockBits) - 1;
    std::vector<std::string> blocks_;
};

// A row as its table keeps it, in 16 bytes: its place is its index, its text is in the table's
// text blocks.
struct TableRow : EventFields {
    std::uint32_t textAt = 0;

    bool operator==(const TableRow&) const = default;
};

// The five text cells of a row: active mark, date text, time text, text, recurrence.
using EventCells = std::array<std::string, 5>;
constexpr const char* kActiveMark = "   *";

struct EventTable {
    EventKind kind = EventKind::Reminder;
    std::vector<TableRow> rows;
    TextBlocks texts;
    // The rows keep the file's chronological order, so the next event can be found by bisection.
    bool ordered = true;
    // Records read as best they could be (a malformed record, a date or time that is no date, a
    // trailing partial record); the file itself is left as it is.
    std::size_t damaged = 0;

    std::string_view text(const TableRow& row) const { return texts.at(row.textAt); }
    // Row i as a copy of its own.
    EventRow row(std::size_t i) const;
    void append(const EventRow& row);

    bool operator==(const EventTable&) const = default;
};

EventRow rowFromRecord(EventKind kind, const EventRecord& rec, std::size_t position);
EventRow rowFromRecord(EventKind kind, EventRecord&& rec, std::size_t position);
EventCells cellsOf(EventKind kind, const EventFields& row, std::string_view text);
inline EventCells cellsOf(EventKind kind, const EventRow& row) {
    return cellsOf(kind, row, row.text);
}
// The table as the service view shows it: a table without rows shows one empty row.
std::vector<EventCells> cellsOf(const EventTable& table);

// Reads the kind's file into a table; a missing file is created empty first.
EventTable loadEventTable(const std::filesystem::path& path, EventKind kind);
// The same without creating anything: a missing file throws IoError. `pause`, when given, is called
// after every few hundred records.
EventTable readEventTable(const std::filesystem::path& path, EventKind kind,
                          const std::function<void()>& pause = {});
bool rowsInOrder(EventKind kind, const std::vector<TableRow>& rows);

// One change written to an event file: the record at `removed` went out, then `record`, the bytes
// written, went in at `inserted` (counted after the removal); either may be absent.
struct EventFileChange {
    std::optional<std::size_t> removed;
    std::optional<std::size_t> inserted;
    std::string record;
};
// Makes a table that held its file as it was before the change hold what reading the changed file
// gives, without reading it. A table read with damage cannot tell which records were damaged: false,
// and the table is left as it was, to be read again.
bool applyChange(EventTable& table, const EventFileChange& change);

// The row that falls due next: the first not yet passed. Reminders and programs of today earlier than
// now are passed, one at exactly now is not; name days and birthdays of today are passed. The active
// flag plays no part.
std::optional<std::size_t> nextDueIndex(const EventTable& table, Moment now);

// The four tables and their next-event rows.
class EventBook {
  public:
    EventBook();
    EventBook(const EventBook&) = delete;
    EventBook& operator=(const EventBook&) = delete;
    EventTable& table(EventKind k) { return tables_[kindIndex(k)]; }
    const EventTable& table(EventKind k) const { return tables_[kindIndex(k)]; }
    const std::optional<EventRow>& next(EventKind k) const { return next_[kindIndex(k)]; }

    // Rebuilds a table from its file in dataDir; on failure the table keeps the rows read so far
    // (none, as the file is read whole) and the error propagates. A table `ahead` read is taken
    // instead, when its file has not changed since.
    void refresh(EventKind kind, const std::filesystem::path& dataDir, DataReader* ahead = nullptr);
    // The next rows of one kind, or of all four when none is given; whether any of them changed.
    bool updateNext(std::optional<EventKind> kind, Moment now);

  private:
    std::array<EventTable, 4> tables_;
    std::array<std::optional<EventRow>, 4> next_;
};

} // namespace zel
