#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// Numbered as the next-event routine numbers them; 0 there means all four.
enum class EventKind { Reminder = 1, Program = 2, NameDay = 3, Birthday = 4 };
constexpr EventKind kAllEventKinds[] = {EventKind::Reminder, EventKind::Program, EventKind::NameDay,
                                        EventKind::Birthday};
inline std::size_t kindIndex(EventKind k) {
    return static_cast<std::size_t>(k) - 1;
}
inline bool hasTime(EventKind k) {
    return k == EventKind::Reminder || k == EventKind::Program;
}

constexpr std::size_t kTimedRecordSize = 280; // reminders and programs
constexpr std::size_t kDayRecordSize = 272;   // name days and birthdays
constexpr std::size_t kEventTextCapacity = 255;

std::size_t recordSize(EventKind kind);
// The file's name inside the Data folder.
const char* eventFileName(EventKind kind);

// How often a reminder or program comes again, in the byte its record keeps for it. A byte of no
// named value is kept as read and written back unchanged.
enum class Recurrence : std::uint8_t { Never = 0, Daily = 1, Weekly = 2, Monthly = 3, Yearly = 4 };

// One stored event. text is the Subject, the Command or the PartnerName, in Windows-1250.
struct EventRecord {
    bool active = true;
    Recurrence recurrence = Recurrence::Never; // reminders and programs only
    std::string text;
    double date = 0;
    double time = 0; // reminders and programs only

    bool operator==(const EventRecord&) const = default;
};

// Unused bytes are written as zeros.
std::string encodeEvent(EventKind kind, const EventRecord& rec);
EventRecord decodeEvent(EventKind kind, const std::uint8_t* bytes);
// Single fields of a stored record, read without building the whole record. The time of a name day
// or birthday is 0.
std::string_view storedText(EventKind kind, const std::uint8_t* bytes);
double storedDate(EventKind kind, const std::uint8_t* bytes);
double storedTime(EventKind kind, const std::uint8_t* bytes);
// Writes the date field of a stored record; every other byte stays.
void putStoredDate(EventKind kind, std::uint8_t* bytes, double date);

// A record no version of the program writes: a length byte beyond the text's capacity or an active
// flag other than 0 and 1. A date or time that is no date is judged by the row (its day is empty).
bool eventRecordMalformed(EventKind kind, const std::uint8_t* record);

// Where a record goes among stored ones of the same date and time: a new entry before them, so the
// latest added of a moment comes first; one moved by a modification after them. Name days and
// birthdays go after those of the same date either way.
enum class Placement { BeforeEqualTimes, AfterEqualTimes };

// Whether `placed` goes before the stored record `existing`: the stored one has a later date, or
// (reminders and programs) the same date and a later time, or the same time when BeforeEqualTimes.
// Only the date's integral part counts.
bool eventGoesBefore(EventKind kind, const EventRecord& placed, const std::uint8_t* existing,
                     Placement placement);

// Inserts a new record before the first stored one it goes before and returns the position taken.
std::size_t insertEventOrdered(const std::string& path, EventKind kind, const EventRecord& rec);

} // namespace zel
