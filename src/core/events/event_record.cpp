#include "core/events/event_record.h"

#include "core/storage/record_file.h"
#include "core/text/field.h"

#include <algorithm>
#include <cmath>

namespace zel {

namespace {
constexpr std::size_t kTimedText = 2, kTimedDate = 264, kTimedTime = 272;
constexpr std::size_t kDayText = 1, kDayDate = 264;

// Only the integral part of a stored date counts in any comparison.
double wholeDay(double v) {
    return std::trunc(v);
}
} // namespace

std::size_t recordSize(EventKind kind) {
    return hasTime(kind) ? kTimedRecordSize : kDayRecordSize;
}

const char* eventFileName(EventKind kind) {
    switch (kind) {
    case EventKind::Reminder:
        return "emlekeztetok.dat";
    case EventKind::Program:
        return "programok.dat";
    case EventKind::NameDay:
        return "nevnapok.dat";
    case EventKind::Birthday:
        return "szuletesnapok.dat";
    }
    return "";
}

std::string encodeEvent(EventKind kind, const EventRecord& rec) {
    std::string out(recordSize(kind), '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(out.data());
    b[0] = rec.active ? 1 : 0;
    if (hasTime(kind)) {
        b[1] = static_cast<std::uint8_t>(rec.recurrence);
        putField(b + kTimedText, kEventTextCapacity, rec.text);
        putDouble(b + kTimedDate, rec.date);
        putDouble(b + kTimedTime, rec.time);
    } else {
        putField(b + kDayText, kEventTextCapacity, rec.text);
        putDouble(b + kDayDate, rec.date);
    }
    return out;
}

EventRecord decodeEvent(EventKind kind, const std::uint8_t* b) {
    EventRecord rec;
    rec.active = b[0] == 1;
    if (hasTime(kind)) rec.recurrence = static_cast<Recurrence>(b[1]);
    rec.text = storedText(kind, b);
    rec.date = storedDate(kind, b);
    rec.time = storedTime(kind, b);
    return rec;
}

std::string_view storedText(EventKind kind, const std::uint8_t* b) {
    const std::uint8_t* field = b + (hasTime(kind) ? kTimedText : kDayText);
    return {reinterpret_cast<const char*>(field + 1), std::min<std::size_t>(field[0], kEventTextCapacity)};
}

double storedDate(EventKind kind, const std::uint8_t* b) {
    return getDouble(b + (hasTime(kind) ? kTimedDate : kDayDate));
}

void putStoredDate(EventKind kind, std::uint8_t* b, double date) {
    putDouble(b + (hasTime(kind) ? kTimedDate : kDayDate), date);
}

double storedTime(EventKind kind, const std::uint8_t* b) {
    return hasTime(kind) ? getDouble(b + kTimedTime) : 0;
}

bool eventRecordMalformed(EventKind kind, const std::uint8_t* b) {
    return b[0] > 1 || b[hasTime(kind) ? kTimedText : kDayText] > kEventTextCapacity;
}

bool eventGoesBefore(EventKind kind, const EventRecord& placed, const std::uint8_t* existing,
                     Placement placement) {
    const double day = wholeDay(storedDate(kind, existing));
    const double placedDay = wholeDay(placed.date);
    if (day > placedDay) return true;
    if (!hasTime(kind) || day != placedDay) return false;
    const double time = storedTime(kind, existing);
    return placement == Placement::BeforeEqualTimes ? time >= placed.time : time > placed.time;
}

std::size_t insertEventOrdered(const std::string& path, EventKind kind, const EventRecord& rec) {
    return insertRecordOrdered(path, recordSize(kind), encodeEvent(kind, rec),
                               [&](const std::uint8_t* existing) {
                                   return eventGoesBefore(kind, rec, existing, Placement::BeforeEqualTimes);
                               });
}

} // namespace zel
