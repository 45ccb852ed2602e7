#include "core/calendar/calendar_map.h"

#include "core/storage/record_file.h"

#include <cstdio>
#include <unordered_set>

namespace zel {

namespace {

constexpr std::string_view kHeader = "zelmoran-calendar-map\t1";
constexpr std::string_view kCollection = "collection";
constexpr std::string_view kToken = "token";
constexpr std::string_view kEvent = "event";

std::string hex16(std::uint64_t n) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(n));
    return buf;
}

std::optional<std::uint64_t> fromHex16(std::string_view s) {
    if (s.size() != 16) return std::nullopt;
    std::uint64_t n = 0;
    for (const char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return std::nullopt;
        n = n << 4 | static_cast<std::uint64_t>(d);
    }
    return n;
}

} // namespace

std::string encodeCalendarMap(const CalendarMap& map) {
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
    for (const CalendarLink& link : map.links) {
        out += kEvent;
        for (const std::string* value : {&link.href, &link.etag, &link.uid}) {
            out += '\t';
            putMapValue(out, *value);
        }
        out += '\t';
        out += hex16(link.digest);
        out += '\n';
    }
    return out;
}

CalendarMap decodeCalendarMap(std::string_view bytes) {
    const std::vector<std::string_view> lines = mapLines(bytes);
    if (lines.empty() || lines[0] != kHeader) throw SyncMapDamaged(1);
    CalendarMap map;
    map.collectionUrl = mapSingleValue(lines, 1, kCollection);
    map.syncToken = mapSingleValue(lines, 2, kToken);
    // The links never move once reserved, so the set holds views of their addresses.
    map.links.reserve(lines.size() - 3);
    std::unordered_set<std::string_view> hrefs;
    hrefs.reserve(lines.size() - 3);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        auto values = mapValues(lines[i]);
        if (!values || values->size() != 5 || (*values)[0] != kEvent) throw SyncMapDamaged(i + 1);
        const std::optional<std::uint64_t> digest = fromHex16((*values)[4]);
        CalendarLink link{std::move((*values)[1]), std::move((*values)[2]), std::move((*values)[3]),
                          digest.value_or(0)};
        if (!digest || link.href.empty()) throw SyncMapDamaged(i + 1);
        map.links.push_back(std::move(link));
        if (!hrefs.insert(map.links.back().href).second) throw SyncMapDamaged(i + 1);
    }
    return map;
}

std::optional<CalendarMap> readCalendarMap(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = readMapFile(path);
    if (!bytes) return std::nullopt;
    try {
        return decodeCalendarMap(*bytes);
    } catch (const SyncMapDamaged& e) {
        throw SyncMapDamaged(e.line(), path.string());
    }
}

void writeCalendarMap(const std::filesystem::path& path, const CalendarMap& map) {
    replaceFile(path, encodeCalendarMap(map));
}

} // namespace zel
