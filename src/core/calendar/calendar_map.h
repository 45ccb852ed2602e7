#pragma once

#include "core/sync/map_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// One event the program put in the calendar: where it is, its ETag then, its UID, and the digest of
// what it said (so an unchanged event is not sent again).
struct CalendarLink {
    std::string href, etag, uid;
    std::uint64_t digest = 0;

    bool operator==(const CalendarLink&) const = default;
};

// What the last publish left for the next one: the calendar, its sync token then, and every event.
struct CalendarMap {
    std::string collectionUrl;
    std::string syncToken;
    std::vector<CalendarLink> links;

    bool operator==(const CalendarMap&) const = default;
};

// UTF-8 text, LF line ends, every line ended:
//   zelmoran-calendar-map<TAB>1
//   collection<TAB>URL
//   token<TAB>sync token
//   event<TAB>href<TAB>ETag<TAB>UID<TAB>digest as 16 lowercase hex digits
// escaped as the address book's map is.
std::string encodeCalendarMap(const CalendarMap& map);
// Exactly that form, else SyncMapDamaged.
CalendarMap decodeCalendarMap(std::string_view bytes);
// Nothing when the file is missing; SyncMapDamaged, IoError as the address book's map.
std::optional<CalendarMap> readCalendarMap(const std::filesystem::path& path);
void writeCalendarMap(const std::filesystem::path& path, const CalendarMap& map);

} // namespace zel
