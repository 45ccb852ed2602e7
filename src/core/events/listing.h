#pragma once

#include "core/events/event_table.h"
#include "core/namedays/namedays.h"

#include <optional>
#include <string>
#include <vector>

namespace zel {

// Which rows of a table the events tab lists: with rangeMode only days from..to (inclusive); past
// events only when showPast is on. A reminder or program of today is past from its minute on; a name
// day or birthday of today is still listed. Rows keep the table's order.
std::vector<std::size_t> listedRows(const EventTable& table, bool rangeMode, DayNumber from, DayNumber to,
                                    bool showPast, Moment now);

// Monday to Sunday of the week holding `day`; the first and last day of its month.
std::pair<DayNumber, DayNumber> weekOf(DayNumber day);
std::pair<DayNumber, DayNumber> monthOf(DayNumber day);

// "Soha", "Naponta", "Hetente", "Havonta", "Évente" (Windows-1250); a byte of no named value gives an
// empty word.
std::string recurrenceWord(Recurrence recurrence);

// The heading of the listing per kind, its words over their columns.
std::string listingHeader(EventKind kind);

// The name-day list of a day: "MM.DD névnapjai:" and then the names; empty when the calendar has no
// line for the day.
std::vector<std::string> nameDayListOf(const NameDayCalendar& calendar, DayNumber day);

// The record a listed row stands for, checked against the file: the row's own position must still
// hold its date, time and text. nullopt when the file no longer agrees: then nothing is written.
std::optional<std::size_t> recordOfRow(const std::filesystem::path& path, EventKind kind,
                                       const EventRow& row);

// Writes a changed event. `changed` is the row's record with one field changed. When its day or
// minute differs from the row's, the record moves to its place in the file's order (after records
// of the same moment), else it is rewritten in place. Throws IoError. Returns what was written;
// nothing, and nothing is written, when the file no longer holds the row.
std::optional<EventFileChange> modifyEvent(const std::filesystem::path& path, EventKind kind,
                                           const EventRow& row, const EventRecord& changed);

// A row's record going to another day, its time and every other byte kept.
struct EventMove {
    EventRow row;
    DayNumber day = 0;
};
struct MovesWritten {
    std::size_t moved = 0;
    // What was written when exactly one record moved, for a table to follow it.
    std::optional<EventFileChange> change;
};
// Moves each row's record to its new day and to its place in the file's order, after the records of
// the same moment, all in one atomic rewrite. A row the file no longer holds is left out; nothing is
// written when none is left. Throws IoError.
MovesWritten moveEvents(const std::filesystem::path& path, EventKind kind,
                        const std::vector<EventMove>& moves);

// Removes the row's own record; false (nothing removed) when the file no longer holds it.
bool deleteEvent(const std::filesystem::path& path, EventKind kind, const EventRow& row);

// The record a row was read from, as it stands in the table.
EventRecord recordOfRowFields(EventKind kind, const EventRow& row);

} // namespace zel
