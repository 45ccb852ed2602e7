#include "core/calendar/calendar_plan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace zel {

namespace {

// Bumped when the text written for the same event changes, so every event is sent again once.
constexpr std::uint64_t kEventTextVersion = 1;

std::string_view fileNameOf(std::string_view href) {
    const std::size_t slash = href.rfind('/');
    return slash == std::string_view::npos ? href : href.substr(slash + 1);
}

class Digest {
  public:
    void add(std::string_view bytes) {
        for (const unsigned char c : bytes) {
            hash_ ^= c;
            hash_ *= 1099511628211ull;
        }
        // The field's end, so ("ab", "c") and ("a", "bc") differ.
        hash_ ^= 0x1f;
        hash_ *= 1099511628211ull;
    }
    void add(std::int64_t n) { add(std::to_string(n)); }
    std::uint64_t value() const { return hash_; }

  private:
    std::uint64_t hash_ = 14695981039346656037ull;
};

} // namespace

std::string eventFileName(const std::string& uid) {
    return uid.substr(0, uid.find('@')) + ".ics";
}

bool isProgramEvent(const std::string& href) {
    const std::string_view name = fileNameOf(href);
    return name.starts_with("zelmoran-") && name.ends_with(".ics");
}

std::uint64_t eventDigest(const CalendarEvent& e) {
    Digest d;
    d.add(static_cast<std::int64_t>(kEventTextVersion));
    d.add(static_cast<std::int64_t>(e.kind));
    d.add(e.uid);
    d.add(e.summary);
    d.add(static_cast<std::int64_t>(e.day));
    d.add(static_cast<std::int64_t>(e.minute.value_or(-1)));
    d.add(e.rrule);
    d.add(static_cast<std::int64_t>(e.alarmAfterStartMinutes));
    d.add(e.alarmText);
    return d.value();
}

CalendarPlan planCalendar(const CalendarMap& map, const std::vector<CalendarEvent>& events,
                          const ServerListing& listing, const std::string& collectionPath) {
    CalendarPlan plan;
    plan.map.collectionUrl = map.collectionUrl;
    plan.map.syncToken = map.syncToken;
    plan.map.links.reserve(map.links.size());

    // The tables below hold views into the map and the listing, which outlive the plan's making: a
    // calendar of 100,000 events is planned without copying each link twice.

    // The server's side, by file name: the ETag it lists now, or gone.
    struct ServerState {
        std::string_view href, etag;
        bool removed = false;
    };
    std::unordered_map<std::string_view, ServerState> server;
    server.reserve(listing.changed.size() + listing.removed.size());
    for (const ListedCard& c : listing.changed) {
        if (!isProgramEvent(c.href)) {
            ++plan.foreign;
            continue;
        }
        server.insert_or_assign(fileNameOf(c.href), ServerState{c.href, c.etag, false});
    }
    for (const std::string& href : listing.removed)
        if (isProgramEvent(href)) server.insert_or_assign(fileNameOf(href), ServerState{href, {}, true});

    // What the map knows and still stands on the server: the link as the map holds it, and the ETag
    // the server has now.
    struct Known {
        const CalendarLink* agreed = nullptr;
        std::string_view etag;
        bool changedElsewhere = false;
        bool wanted = false;
    };
    std::unordered_map<std::string_view, Known> known;
    known.reserve(map.links.size());
    for (const CalendarLink& link : map.links) {
        const std::string_view name = fileNameOf(link.href);
        const auto s = server.find(name);
        if (s == server.end()) {
            // Not listed: unchanged since the token, unless the listing is the whole calendar.
            if (!listing.complete) known.insert_or_assign(name, Known{&link, link.etag, false, false});
            continue;
        }
        if (s->second.removed) continue;
        // An event sent without an ETag in answer takes the one listed now.
        const bool changedElsewhere = !link.etag.empty() && s->second.etag != link.etag;
        known.insert_or_assign(name, Known{&link, s->second.etag, changedElsewhere, false});
    }
    const auto linkNow = [](const Known& k) {
        CalendarLink link = *k.agreed;
        link.etag = k.etag;
        return link;
    };

    // Events the map does not know, by file name; those it knows are marked wanted in `known`.
    std::unordered_set<std::string> wantedNew;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const CalendarEvent& event = events[i];
        const std::string name = eventFileName(event.uid);
        const auto k = known.find(name);
        if (k != known.end()) {
            if (k->second.wanted) continue; // UIDs are unique; a repeat is never sent twice
            k->second.wanted = true;
            if (!k->second.changedElsewhere && k->second.agreed->digest == eventDigest(event)) {
                plan.map.links.push_back(linkNow(k->second));
                continue;
            }
            // Kept as agreed until the server takes the new text: a failed upload is tried again.
            plan.map.links.push_back(*k->second.agreed);
            plan.uploads.push_back({EventUpload::Kind::Update, k->second.agreed->href,
                                    std::string(k->second.etag), i, k->second.changedElsewhere});
            continue;
        }
        if (!wantedNew.insert(name).second) continue;
        const auto s = server.find(name);
        if (s != server.end() && !s->second.removed) {
            // On the server but not in the map: the program's own event from a publish cut short, or
            // one another client changed after the map was lost. Ours either way: sent over it.
            plan.uploads.push_back({EventUpload::Kind::Update, std::string(s->second.href),
                                    std::string(s->second.etag), i, false});
            continue;
        }
        const bool deletedElsewhere = s != server.end();
        plan.uploads.push_back({EventUpload::Kind::Create, collectionPath + name, {}, i, deletedElsewhere});
    }

    // The program's events no record asks for any more, in the order of their addresses.
    std::vector<EventUpload> deletions;
    for (const auto& [name, k] : known) {
        if (k.wanted) continue;
        deletions.push_back({EventUpload::Kind::Delete, k.agreed->href, std::string(k.etag), 0, false});
        plan.map.links.push_back(*k.agreed);
    }
    for (const auto& [name, s] : server)
        if (!s.removed && !known.contains(name) && !wantedNew.contains(std::string(name)))
            deletions.push_back(
                {EventUpload::Kind::Delete, std::string(s.href), std::string(s.etag), 0, false});
    std::sort(deletions.begin(), deletions.end(),
              [](const EventUpload& a, const EventUpload& b) { return a.href < b.href; });
    plan.uploads.insert(plan.uploads.end(), deletions.begin(), deletions.end());
    return plan;
}

} // namespace zel
