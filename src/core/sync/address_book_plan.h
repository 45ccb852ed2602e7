#pragma once

#include "core/partners/partner_record.h"
#include "core/sync/partner_fields.h"
#include "core/sync/sync_map.h"
#include "core/sync/sync_report.h"
#include "core/text/datetime.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// A card's BDAY as a date; year 0 when it has none ("--0305", "--03-05"). A time after the date is
// left aside. nullopt for what is no date.
std::optional<Ymd> birthdayOf(std::string_view bday);
// A date as BDAY: "1980-03-05" in 3.0, "19800305" in 4.0; "--0305" without a year.
std::string birthdayValue(const Ymd& date, std::string_view version);
// The day a birthday record holds for a BDAY: the date itself, or without a year the first day of it
// from today on.
DayNumber birthdayRecordDay(const Ymd& date, DayNumber today);

// A partner as the sync sees it.
struct LocalPartner {
    PartnerFields fields;              // as the partner file holds them, in UTF-8
    std::optional<DayNumber> birthday; // the day of the first birthday record of its name
};

// What the server listed: every card (complete) or those changed since the map's token.
struct ListedCard {
    std::string href, etag;
};
struct ServerListing {
    bool complete = false;
    std::vector<ListedCard> changed;
    std::vector<std::string> removed;
    std::string token;
};
struct ServerCard {
    std::string href, etag, bytes;
};

// The cards to read before planning: those new or changed on the server, and those whose partner
// changed here, as an update is made from the card's own bytes.
std::vector<std::string> cardsToFetch(const SyncMap& map, const std::vector<LocalPartner>& local,
                                      const ServerListing& listing);

// A write to the partner file, made by name: positions move with every write.
struct LocalWrite {
    enum class Kind { Create, Update, Delete };
    enum class Birthday { Keep, Set, Remove };
    Kind kind = Kind::Create;
    std::string name;     // Update, Delete: the partner's name now (Windows-1250)
    PartnerRecord record; // Create, Update: the partner after it; another name renames it
    Birthday birthday = Birthday::Keep;
    DayNumber birthdayDay = 0; // Set
};

// A write to the server, made after the local writes and the map.
struct Upload {
    enum class Kind { Create, Update, Delete };
    Kind kind = Kind::Create;
    // Create: the new card's name in the address book; Update, Delete: the card's href.
    std::string href;
    std::string ifMatch; // Update, Delete
    std::string bytes;   // Create, Update
    SyncLink link;       // Create, Update: the link once the server took it (its href and ETag then)
};

struct SyncPlan {
    std::vector<LocalWrite> local;
    // The map to write once the local writes are made: a link whose card is still to be written
    // keeps its last base and ETag, so a sync broken off before the upload makes it again.
    SyncMap map;
    std::vector<Upload> uploads;
    SyncReport report;
    // Partners deleted on either side.
    std::size_t deletions = 0;
};

// Everything one sync does, decided against the map of the last one. A card the map does not link is
// linked to the partner of its name (names compared as the importer compares them), else it becomes a
// partner; a partner without a link becomes a card with a UID from newUid().
SyncPlan planSync(const SyncMap& map, const std::vector<LocalPartner>& local, const ServerListing& listing,
                  const std::vector<ServerCard>& fetched, DayNumber today,
                  const std::function<std::string()>& newUid);

} // namespace zel
