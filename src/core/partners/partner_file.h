#pragma once

#include "core/events/event_record.h"
#include "core/partners/partner_record.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// The partner file's operations and the rules of the partner editing panel. Names are Windows-1250
// and are kept in ascending byte order: a file read here is never re-sorted, only inserted into.

// Every record's name, in file order, and in the same pass the damaged records: those with a length
// byte beyond its field's capacity, plus a trailing partial record. A file that is missing or does
// not open reads as empty, with none damaged.
struct PartnerNames {
    std::vector<std::string> names;
    std::size_t damaged = 0;
};
// `pause`, when given, is called after every few hundred records.
PartnerNames readPartnerNames(const std::filesystem::path& path, const std::function<void()>& pause = {});

std::size_t partnerCount(const std::filesystem::path& path);

// The first record whose name equals `name` exactly. A name not in the file ends the walk at the end
// of the file: the index is then the record count and there is no record. `likely`, when the record
// there has that name, is taken instead: of two partners of one name, a list knows which it shows.
struct PartnerLookup {
    std::size_t index = 0;
    std::optional<PartnerRecord> record;
};
PartnerLookup findPartner(const std::filesystem::path& path, const std::string& name,
                          std::optional<std::size_t> likely = std::nullopt);

// The record at index; one beyond the end throws IoError.
PartnerRecord readPartnerAt(const std::filesystem::path& path, std::size_t index);

// A name typed with a leading space loses that one space only.
std::string dropLeadingSpace(std::string name);

struct NameCheck {
    bool duplicate = false;
    bool empty = false;
    bool colon = false;
    bool ok() const { return !duplicate && !empty && !colon; }
};
// A new partner's name must differ from every stored one; a modification may repeat another's name.
// A file that does not open holds no duplicate.
NameCheck checkPartnerName(const std::filesystem::path& path, const std::string& name, bool modification);

// What is stored for the typed web address: empty for seven characters or fewer ("http://" alone),
// else the text as typed, cut to its capacity. nullopt: refused, a longer text needs a dot.
std::optional<std::string> storedWebAddress(const std::string& typed);

// Empty, or with an "@" and a dot, neither "@." nor ".@", and not "@" alone.
bool emailAccepted(const std::string& email);

// The last word of a name: the text after the last space that is not its last character.
std::string givenNameOf(const std::string& name);

// The position before the first record whose name sorts after `name` by bytes; the count when none.
std::size_t partnerInsertPosition(std::string_view fileBytes, const std::string& name);

// Writes the partner at its ordered position. `replacing` is the modified record's position: it is
// taken out in the same rewrite, so a crash can never lose the partner. A missing file is created.
// Returns the position taken.
std::size_t savePartner(const std::filesystem::path& path, const PartnerRecord& partner,
                        std::optional<std::size_t> replacing);

void deletePartnerAt(const std::filesystem::path& path, std::size_t index);

// Removes every name-day or birthday record of the partner in one rewrite. A file that is missing or
// does not open is skipped. Returns how many went.
std::size_t removePartnerEvents(const std::filesystem::path& path, EventKind kind, const std::string& name);

} // namespace zel
