#pragma once

#include "core/sync/partner_fields.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// Two-way synchronisation of partners with an address book, decided field by field against the base:
// the values both sides agreed on at the end of the last sync, as the server holds them (full UTF-8).

// What the partner file makes of a value: Windows-1250, cut to the field's capacity, back in UTF-8.
std::string localForm(PartnerField f, const std::string& value);

// The partner differs from the base by more than what storing the base made of it: a value equal to
// the base's local form is the base itself, cut.
bool localChangedSince(const PartnerFields& base, const PartnerFields& local);
bool serverChangedSince(const PartnerFields& base, const PartnerFields& server);

// A field both sides changed, differently; or, at the first sync, a field both sides fill differently.
struct FieldConflict {
    PartnerField field;
    std::string local, server;

    bool operator==(const FieldConflict&) const = default;
};

// The partner after the sync and the writes that make both sides hold it.
struct Merged {
    // Full values, as the server holds them afterwards: the next base.
    PartnerFields result;
    // Whether the partner or the card must be rewritten.
    bool localChanged = false, serverChanged = false;
    // The fields to write there, in field order: toLocal those whose local form the partner lacks,
    // toServer those the card lacks.
    std::vector<PartnerField> toLocal, toServer;
    // In field order; each is also in toLocal or toServer as its value goes there.
    std::vector<FieldConflict> conflicts;
};

// With a base: a field changed on one side takes that side's value; changed differently on both, the
// server's, and the conflict is reported; changed alike on both, no conflict. Without one (the first
// sync of a linked pair): an empty field takes the other side's value; different values keep the
// local one and are reported. Either way a local value equal to the local form of the server's value
// agrees with it, and the server's full value stays.
Merged mergePartner(const std::optional<PartnerFields>& base, const PartnerFields& local,
                    const PartnerFields& server);

// A linked partner or card since the last sync.
enum class SideState { Unchanged, Changed, Deleted };

// What becomes of a linked pair. Both sides there: merge them (Keep).
enum class Fate {
    Keep,
    DeleteLocally,    // the card was deleted and the partner left alone
    DeleteOnServer,   // the partner was deleted and the card left alone
    RecreateLocally,  // the partner was deleted, but its card changed: the card stays and comes back
    RecreateOnServer, // the card was deleted, but its partner changed: the partner stays and goes up
    Forget,           // deleted on both sides: only the link goes
};

Fate fateOf(SideState local, SideState server);

// Deletions this many, of this many partners before the sync, need the user's word first: more than 10,
// or more than a quarter of them.
bool needsDeletionConfirmation(std::size_t deletions, std::size_t partners);

} // namespace zel
