#pragma once

#include "core/sync/partner_fields.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// What one synchronisation of the partners did, for the report the user reads at its end.
struct SyncReport {
    struct Counts {
        std::size_t created = 0, changed = 0, deleted = 0;
        bool operator==(const Counts&) const = default;
    };
    // In the partner file and on the server.
    Counts local, server;

    // A field the two sides hold differently: after both changed it (the server's value was taken),
    // or at the first sync, when both filled it (the local value was kept).
    struct Conflict {
        std::string partner; // the partner's name, UTF-8
        PartnerField field;
        std::string local, server; // UTF-8, full
        bool serverTaken = true;
        bool birthday = false; // the birthday, not `field`: here as "1980.03.05.", there as BDAY
        bool operator==(const Conflict&) const = default;
    };
    std::vector<Conflict> conflicts;

    // A card left on the server as it is.
    struct Skipped {
        enum class Reason {
            EmptyName,  // no FN and no N
            Colon,      // the name holds ':'
            NameTaken,  // another card or an unlinked partner already holds the name the partner file would
            Unreadable, // not a vCard
        };
        std::string href;
        std::string name; // as the card gives it, UTF-8
        Reason reason;
        bool operator==(const Skipped&) const = default;
    };
    std::vector<Skipped> skipped;

    // Partners kept although deleted on the other side, because they changed on this one.
    std::vector<std::string> kept;

    // Uploads the server refused twice because the card kept changing (412): tried again next time.
    std::size_t postponed = 0;

    // The dates published to the calendar; nothing when no calendar is set up or it was not reached.
    struct Calendar {
        Counts events; // created, changed and deleted in the calendar
        // Events changed or deleted elsewhere that the program put back as its records say.
        std::size_t restored = 0;
        // Events another program put in the calendar, left as they are.
        std::size_t foreign = 0;
        // Events the server refused twice because they kept changing there: sent again next time.
        std::size_t postponed = 0;
        // Why the publish stopped, in the user's words; empty when it went through.
        std::string failure;
        bool operator==(const Calendar&) const = default;
    };
    std::optional<Calendar> calendar;

    bool nothingChanged() const {
        return local == Counts{} && server == Counts{} && conflicts.empty() && skipped.empty() &&
               kept.empty() && postponed == 0 &&
               (!calendar ||
                (calendar->events == Counts{} && calendar->postponed == 0 && calendar->failure.empty()));
    }
};

} // namespace zel
