#pragma once

#include "core/sync/map_file.h"
#include "core/sync/partner_fields.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// One synchronised partner and its card. The base is the partner as both sides last agreed on it,
// in the server's full values; the partner file holds each field's local form.
struct SyncLink {
    std::string href, etag, uid;
    // The partner's name in the partner file (UTF-8): the base's name as stored, until the partner
    // is renamed here.
    std::string localName;
    // The card's BDAY as both sides last agreed on it, as the server wrote it; empty for none.
    std::string birthday;
    PartnerFields base;

    bool operator==(const SyncLink&) const = default;
};

// What the last sync left for the next one: the address book synchronised with, the token it gave
// for its state then, and every link.
struct SyncMap {
    std::string collectionUrl;
    std::string syncToken;
    std::vector<SyncLink> links;

    bool operator==(const SyncMap&) const = default;
};

// UTF-8 text, LF line ends, every line ended:
//   zelmoran-sync-map<TAB>1
//   collection<TAB>URL
//   token<TAB>sync token
//   card<TAB>href<TAB>ETag<TAB>UID<TAB>local name<TAB>BDAY<TAB>name<TAB>address<TAB>web
//   address<TAB>e-mail<TAB>mobile<TAB>phone<TAB>note
// one card line per link, in the map's order. In a value a backslash, a TAB, an LF and a CR are
// written \\, \t, \n and \r.
std::string encodeSyncMap(const SyncMap& map);
// Exactly that form, else SyncMapDamaged: an unknown version or line, a missing or repeated line,
// a wrong number of values, an unknown escape, a raw CR, a card without href or one linked twice.
SyncMap decodeSyncMap(std::string_view bytes);

// Nothing when the file is missing (no sync was made). SyncMapDamaged when it is damaged; IoError when
// it cannot be read, and when it is larger than kSyncMapMaxSize (EFBIG).
std::optional<SyncMap> readSyncMap(const std::filesystem::path& path);
// All or nothing, as every data file.
void writeSyncMap(const std::filesystem::path& path, const SyncMap& map);

} // namespace zel
