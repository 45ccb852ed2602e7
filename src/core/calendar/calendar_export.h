#pragma once

#include "core/events/event_record.h"
#include "core/text/datetime.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zel {

class EventBook;

struct CalendarOptions {
    // When the alarm of a name day or birthday goes off on its day, in minutes after midnight.
    int celebrationAlarmMinute = 9 * 60;
};

// One event of an exported calendar, in the calendar's own terms. Texts are UTF-8.
struct CalendarEvent {
    EventKind kind = EventKind::Reminder;
    std::string uid;
    std::string summary;
    DayNumber day = 0;
    // Local time in Budapest, minutes after midnight; none for an all-day event.
    std::optional<int> minute;
    // The recurrence rule's value ("FREQ=YEARLY"); empty when the event happens once.
    std::string rrule;
    // The display alarm: how long after the start it goes off, and what it says.
    int alarmAfterStartMinutes = 0;
    std::string alarmText;

    bool operator==(const CalendarEvent&) const = default;
};

// The time zone every timed event is given in.
constexpr const char* kCalendarZone = "Europe/Budapest";

// What a calendar shows of the events: the active reminders, name days and birthdays with a usable
// date, kind by kind in file order. Programs are the machine's own business and never leave it.
std::vector<CalendarEvent> calendarEvents(const EventBook& book, const CalendarOptions& options = {});

// The recurrence rule that repeats an event of `day` as the program does (empty: no rule). A day
// the month lacks falls on the month's last day, so the 29th to the 31st take the last of the days
// from the 28th up to theirs, and 29 February takes the last of the 28th and 29th.
std::string recurrenceRule(Recurrence recurrence, DayNumber day);

// The events as an iCalendar text with the zone's definition. `stampMs` (milliseconds since 1970,
// UTC) is every event's DTSTAMP: the caller's clock, so the same events give the same text.
std::string icsText(const std::vector<CalendarEvent>& events, std::int64_t stampMs);

// Writes the text as the file's whole content in one step: a failure leaves the old file.
void writeIcsFile(const std::filesystem::path& path, const std::string& text);

} // namespace zel
