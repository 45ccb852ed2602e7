#pragma once

#include "core/calendar/calendar_export.h"
#include "core/calendar/calendar_map.h"
#include "core/sync/address_book_plan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// The calendar is the program's own: every event in it that the program made is what the program's
// records say, whatever was changed elsewhere. Events others put there are left alone.

// The last segment of an event's address in the calendar, from its UID ("zelmoran-nevnap-….ics").
std::string eventFileName(const std::string& uid);
// Whether an address names an event the program made.
bool isProgramEvent(const std::string& href);
// What tells whether an event must be sent again: a digest of all it says (not of its time stamp).
std::uint64_t eventDigest(const CalendarEvent& event);

// One request of a publish.
struct EventUpload {
    enum class Kind { Create, Update, Delete };
    Kind kind = Kind::Create;
    std::string href;      // the path in the calendar
    std::string ifMatch;   // the ETag an Update or a Delete expects
    std::size_t event = 0; // Create and Update: the index of the event sent
    // Puts back an event changed or deleted elsewhere.
    bool restore = false;
};

struct CalendarPlan {
    // The map before the uploads: without what the server no longer holds, the rest as agreed. Each
    // upload that goes through replaces (a Delete: removes) the link of its address.
    CalendarMap map;
    std::vector<EventUpload> uploads;
    // Events in the calendar that the program did not make, left as they are.
    std::size_t foreign = 0;
};

// `collectionPath` is the calendar's path, ending in '/', for the addresses of new events. A map of
// another calendar is not read: the events are matched by their addresses alone.
CalendarPlan planCalendar(const CalendarMap& map, const std::vector<CalendarEvent>& events,
                          const ServerListing& listing, const std::string& collectionPath);

} // namespace zel
