#include "core/sync/sync_map.h"

#include "core/errors.h"
#include "core/storage/record_file.h"

#include <cerrno>
#include <set>

namespace zel {

namespace {

constexpr std::string_view kHeader = "zelmoran-sync-map\t1";
constexpr std::string_view kCollection = "collection";
constexpr std::string_view kToken = "token";
constexpr std::string_view kCard = "card";
// href, ETag, UID, local name, BDAY, then the seven fields.
constexpr std::size_t kCardValues = 5 + kPartnerFields.size();

void putEscaped(std::string& out, std::string_view value) {
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

// The line's values split at TAB and unescaped; nothing when an escape is unknown or cut off.
std::optional<std::vector<std::string>> valuesOf(std::string_view line) {
    std::vector<std::string> values(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            values.emplace_back();
            continue;
        }
        if (c == '\r') return std::nullopt;
        if (c != '\\') {
            values.back() += c;
            continue;
        }
        if (++i == line.size()) return std::nullopt;
        switch (line[i]) {
        case '\\':
            values.back() += '\\';
            break;
        case 't':
            values.back() += '\t';
            break;
        case 'n':
            values.back() += '\n';
            break;
        case 'r':
            values.back() += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return values;
}

} // namespace

std::string encodeSyncMap(const SyncMap& map) {
    std::string out(kHeader);
    out += '\n';
    out += kCollection;
    out += '\t';
    putEscaped(out, map.collectionUrl);
    out += '\n';
    out += kToken;
    out += '\t';
    putEscaped(out, map.syncToken);
    out += '\n';
    for (const SyncLink& link : map.links) {
        out += kCard;
        for (const std::string* value :
             {&link.href, &link.etag, &link.uid, &link.localName, &link.birthday}) {
            out += '\t';
            putEscaped(out, *value);
        }
        for (PartnerField f : kPartnerFields) {
            out += '\t';
            putEscaped(out, fieldOf(link.base, f));
        }
        out += '\n';
    }
    return out;
}

SyncMap decodeSyncMap(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        // A last line without its LF is a file cut short.
        if (lf == std::string_view::npos) throw SyncMapDamaged(lines.size() + 1);
        lines.push_back(bytes.substr(0, lf));
        bytes.remove_prefix(lf + 1);
    }
    if (lines.empty() || lines[0] != kHeader) throw SyncMapDamaged(1);

    // The single value of a "key<TAB>value" line.
    const auto single = [&lines](std::size_t index, std::string_view key) {
        if (index >= lines.size()) throw SyncMapDamaged(index + 1);
        const auto values = valuesOf(lines[index]);
        if (!values || values->size() != 2 || (*values)[0] != key) throw SyncMapDamaged(index + 1);
        return (*values)[1];
    };
    SyncMap map;
    map.collectionUrl = single(1, kCollection);
    map.syncToken = single(2, kToken);

    std::set<std::string> hrefs;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        auto values = valuesOf(lines[i]);
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
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return std::nullopt;
    // The size first, so a file far too large is neither read nor given a buffer of its size.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) throw IoError(ec.value(), path.string());
    if (size > kSyncMapMaxSize) throw IoError(EFBIG, path.string());
    // A byte more than its size, so a file that grew meanwhile reads as cut short, never as whole.
    const std::string bytes = readFirstBytes(path, static_cast<std::size_t>(size) + 1);
    if (bytes.size() > kSyncMapMaxSize) throw IoError(EFBIG, path.string());
    try {
        return decodeSyncMap(bytes);
    } catch (const SyncMapDamaged& e) {
        throw SyncMapDamaged(e.line(), path.string());
    }
}

void writeSyncMap(const std::filesystem::path& path, const SyncMap& map) {
    replaceFile(path, encodeSyncMap(map));
}

} // namespace zel
