#include "core/sync/sync_map.h"

#include "core/errors.h"
#include "core/storage/record_file.h"
#include "core/sync/map_file.h"

#include <set>

namespace zel {

namespace {

constexpr std::string_view kHeader = "zelmoran-sync-map\t1";
constexpr std::string_view kCollection = "collection";
constexpr std::string_view kToken = "token";
constexpr std::string_view kCard = "card";
// href, ETag, UID, local name, BDAY, then the seven fields.
constexpr std::size_t kCardValues = 5 + kPartnerFields.size();

} // namespace

std::string encodeSyncMap(const SyncMap& map) {
    std::string out(kHeader);
    out += '\n';
    out += kCollection;
    out += '\t';
    putMapValue(out, map.collectionUrl);
    out += '\n';
    out += kToken;
    out += '\t';
    putMapValue(out, map.syncToken);
    out += '\n';
    for (const SyncLink& link : map.links) {
        out += kCard;
        for (const std::string* value :
             {&link.href, &link.etag, &link.uid, &link.localName, &link.birthday}) {
            out += '\t';
            putMapValue(out, *value);
        }
        for (PartnerField f : kPartnerFields) {
            out += '\t';
            putMapValue(out, fieldOf(link.base, f));
        }
        out += '\n';
    }
    return out;
}

SyncMap decodeSyncMap(std::string_view bytes) {
    const std::vector<std::string_view> lines = mapLines(bytes);
    if (lines.empty() || lines[0] != kHeader) throw SyncMapDamaged(1);

    SyncMap map;
    map.collectionUrl = mapSingleValue(lines, 1, kCollection);
    map.syncToken = mapSingleValue(lines, 2, kToken);

    std::set<std::string> hrefs;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        auto values = mapValues(lines[i]);
        if (!values || values->size() != 1 + kCardValues || (*values)[0] != kCard)
            throw SyncMapDamaged(i + 1);
        SyncLink link;
        link.href = std::move((*values)[1]);
        link.etag = std::move((*values)[2]);
        link.uid = std::move((*values)[3]);
        link.localName = std::move((*values)[4]);
        link.birthday = std::move((*values)[5]);
        for (std::size_t k = 0; k < kPartnerFields.size(); ++k)
            fieldOf(link.base, kPartnerFields[k]) = std::move((*values)[6 + k]);
        if (link.href.empty() || !hrefs.insert(link.href).second) throw SyncMapDamaged(i + 1);
        map.links.push_back(std::move(link));
    }
    return map;
}

std::optional<SyncMap> readSyncMap(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = readMapFile(path);
    if (!bytes) return std::nullopt;
    try {
        return decodeSyncMap(*bytes);
    } catch (const SyncMapDamaged& e) {
        throw SyncMapDamaged(e.line(), path.string());
    }
}

void writeSyncMap(const std::filesystem::path& path, const SyncMap& map) {
    replaceFile(path, encodeSyncMap(map));
}

} // namespace zel
