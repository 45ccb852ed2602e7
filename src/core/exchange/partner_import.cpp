#include "core/exchange/partner_import.h"

#include "core/errors.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <unordered_set>

namespace zel {

namespace {

constexpr std::size_t kNameCapacity = 41;

// Windows-1250 capitals and their small letters: ASCII, the accented block and the few others.
constexpr std::array<unsigned char, 256> makeFoldTable() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) t[c] = static_cast<unsigned char>(c + 32);
    const unsigned char pairs[][2] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F},
                                      {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xBC, 0xBE}};
    for (const auto& p : pairs)
        t[p[0]] = p[1];
    return t;
}
constexpr auto kFold = makeFoldTable();

std::string_view nameOf(std::string_view record) {
    return record.substr(1, std::min<std::size_t>(static_cast<unsigned char>(record[0]), kNameCapacity));
}

} // namespace

std::string foldedName(std::string_view cp1250) {
    std::string out(cp1250);
    for (char& c : out)
        c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return out;
}

PartnerImport importPartners(const std::filesystem::path& partnerFile,
                             const std::vector<PartnerRecord>& rows) {
    std::string bytes = readRecordsIfExists(partnerFile, kPartnerRecordSize);
    const std::size_t count = recordCount(bytes.size(), kPartnerRecordSize);
    bytes.resize(count * kPartnerRecordSize);

    std::unordered_set<std::string> taken;
    taken.reserve(count + rows.size());
    for (std::size_t i = 0; i < count; ++i)
        taken.insert(foldedName(nameOf(std::string_view(bytes).substr(i * kPartnerRecordSize))));

    PartnerImport result;
    std::vector<std::string> fresh; // encoded records, in list order
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::string record = encodePartner(rows[row]);
        const std::string_view name = nameOf(record);
        // A colon would break the notice's name lookup, so such a name is refused like an empty one.
        if (name.empty() || name.find(':') != std::string_view::npos) {
            ++result.nameless;
            continue;
        }
        if (!taken.insert(foldedName(name)).second) {
            ++result.alreadyPartners;
            continue;
        }
        result.added.emplace_back(name);
        result.takenRows.push_back(row);
        fresh.push_back(std::move(record));
    }
    if (fresh.empty()) return result;

    // Each new partner goes before the first record that sorts after it, as one saved by hand would:
    // merging the sorted newcomers into the file does all of them in one pass and one rewrite.
    std::stable_sort(fresh.begin(), fresh.end(),
                     [](const std::string& a, const std::string& b) { return nameOf(a) < nameOf(b); });
    std::string merged;
    merged.reserve(bytes.size() + fresh.size() * kPartnerRecordSize);
    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view existing =
            std::string_view(bytes).substr(i * kPartnerRecordSize, kPartnerRecordSize);
        while (next < fresh.size() && nameOf(fresh[next]) < nameOf(existing))
            merged += fresh[next++];
        merged += existing;
    }
    while (next < fresh.size())
        merged += fresh[next++];
    replaceFile(partnerFile, merged);
    return result;
}

std::vector<PartnerRecord> readAllPartners(const std::filesystem::path& partnerFile) {
    std::vector<PartnerRecord> partners;
    forEachRecord(partnerFile, kPartnerRecordSize,
                  [&](const std::uint8_t* r, std::size_t) { partners.push_back(decodePartner(r)); });
    return partners;
}

std::vector<std::filesystem::path> dataFilesToCopy(const AppPaths& paths) {
    return {paths.partners(),
            paths.events(EventKind::Reminder),
            paths.events(EventKind::Program),
            paths.events(EventKind::NameDay),
            paths.events(EventKind::Birthday),
            paths.settings(),
            paths.furtherSettings()};
}

DataCopy copyDataFiles(const AppPaths& paths, const std::filesystem::path& folder) {
    DataCopy result;
    for (const std::filesystem::path& source : dataFilesToCopy(paths)) {
        const std::filesystem::path target = folder / source.filename();
        if (source == paths.furtherSettings()) {
            // Only beside the settings file it extends.
            const bool settingsCopied =
                !result.copied.empty() && result.copied.back() == folder / paths.settings().filename();
            std::error_code ec;
            const bool missing = !std::filesystem::exists(source, ec) && !ec;
            if (!settingsCopied || missing) continue;
        }
        try {
            std::error_code ec;
            // Copying a file onto itself would empty it.
            if (std::filesystem::equivalent(source, target, ec)) {
                result.copied.push_back(target);
                continue;
            }
            const std::string bytes = readRecords(source, 1);
            replaceFile(target, bytes);
            result.copied.push_back(target);
        } catch (const IoError&) {
            result.failed.push_back(target);
        }
    }
    return result;
}

} // namespace zel
