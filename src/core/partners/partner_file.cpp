#include "core/partners/partner_file.h"

#include "core/errors.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <cerrno>

namespace zel {

namespace {

constexpr std::size_t kNameCapacity = 41;
constexpr std::size_t kWebCapacity = 100;

const std::uint8_t* recordAt(std::string_view bytes, std::size_t index) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data()) + index * kPartnerRecordSize;
}

// The stored name without copying it; a length byte beyond the capacity is clamped as readers do.
std::string_view nameAt(std::string_view bytes, std::size_t index) {
    const std::uint8_t* r = recordAt(bytes, index);
    return {reinterpret_cast<const char*>(r + 1), std::min<std::size_t>(r[0], kNameCapacity)};
}

std::string readOrEmpty(const std::filesystem::path& path) {
    try {
        return readRecordsIfExists(path, kPartnerRecordSize);
    } catch (const IoError&) {
        return {};
    }
}

} // namespace

PartnerNames readPartnerNames(const std::filesystem::path& path, const std::function<void()>& pause) {
    PartnerNames out;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return out;
    // Only the names are kept, so the file is read through a small buffer.
    try {
        forEachRecord(path, kPartnerRecordSize, [&](const std::uint8_t* r, std::size_t i) {
            if (pause && i % 512 == 511) pause();
            out.names.emplace_back(reinterpret_cast<const char*>(r + 1),
                                   std::min<std::size_t>(r[0], kNameCapacity));
            if (partnerRecordMalformed(r)) ++out.damaged;
        });
    } catch (const IoError&) {
        return {};
    }
    if (size % kPartnerRecordSize != 0) ++out.damaged;
    return out;
}

std::size_t partnerCount(const std::filesystem::path& path) {
    return recordCount(readRecords(path, kPartnerRecordSize).size(), kPartnerRecordSize);
}

PartnerLookup findPartner(const std::filesystem::path& path, const std::string& name,
                          std::optional<std::size_t> likely) {
    const std::string bytes = readRecords(path, kPartnerRecordSize);
    const std::size_t n = recordCount(bytes.size(), kPartnerRecordSize);
    if (likely && *likely < n && nameAt(bytes, *likely) == name)
        return {*likely, decodePartner(recordAt(bytes, *likely))};
    for (std::size_t i = 0; i < n; ++i)
        if (nameAt(bytes, i) == name) return {i, decodePartner(recordAt(bytes, i))};
    return {n, std::nullopt};
}

PartnerRecord readPartnerAt(const std::filesystem::path& path, std::size_t index) {
    const std::string bytes = readRecords(path, kPartnerRecordSize);
    if (index >= recordCount(bytes.size(), kPartnerRecordSize)) throw IoError(EINVAL, path.string());
    return decodePartner(recordAt(bytes, index));
}

std::string dropLeadingSpace(std::string name) {
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    return name;
}

NameCheck checkPartnerName(const std::filesystem::path& path, const std::string& name, bool modification) {
    NameCheck check;
    if (!modification) {
        const std::string bytes = readOrEmpty(path);
        const std::size_t n = recordCount(bytes.size(), kPartnerRecordSize);
        for (std::size_t i = 0; i < n && !check.duplicate; ++i)
            check.duplicate = nameAt(bytes, i) == name;
    }
    check.empty = name.empty();
    check.colon = name.find(':') != std::string::npos;
    return check;
}

std::optional<std::string> storedWebAddress(const std::string& typed) {
    if (typed.size() <= 7) return std::string();
    if (typed.find('.') == std::string::npos) return std::nullopt;
    return typed.substr(0, kWebCapacity);
}

bool emailAccepted(const std::string& e) {
    if (e.empty()) return true;
    return e != "@" && e.find(".@") == std::string::npos && e.find("@.") == std::string::npos &&
           e.find('@') != std::string::npos && e.find('.') != std::string::npos;
}

std::string givenNameOf(const std::string& name) {
    if (name.size() < 2) return name;
    // A trailing space is not a word break, so "Anna " stays whole.
    const std::size_t space = name.find_last_of(' ', name.size() - 2);
    return space == std::string::npos ? name : name.substr(space + 1);
}

std::size_t partnerInsertPosition(std::string_view fileBytes, const std::string& name) {
    const std::size_t n = recordCount(fileBytes.size(), kPartnerRecordSize);
    // string_view compares char as unsigned char: byte order of the Windows-1250 codes, so Á (0xC1)
    // sorts after every Latin letter.
    std::size_t p = 0;
    while (p < n && nameAt(fileBytes, p).compare(name) <= 0)
        ++p;
    return p;
}

std::size_t savePartner(const std::filesystem::path& path, const PartnerRecord& partner,
                        std::optional<std::size_t> replacing) {
    std::string bytes = readRecordsIfExists(path, kPartnerRecordSize);
    if (replacing) {
        if (*replacing >= recordCount(bytes.size(), kPartnerRecordSize)) throw IoError(EINVAL, path.string());
        bytes.erase(*replacing * kPartnerRecordSize, kPartnerRecordSize);
    }
    const std::string record = encodePartner(partner);
    // The name as stored, so a name cut to its capacity still lands in order.
    const std::size_t p = partnerInsertPosition(bytes, std::string(nameAt(record, 0)));
    bytes.insert(p * kPartnerRecordSize, record);
    replaceFile(path, bytes);
    return p;
}

void deletePartnerAt(const std::filesystem::path& path, std::size_t index) {
    removeRecordAt(path, kPartnerRecordSize, index);
}

std::size_t removePartnerEvents(const std::filesystem::path& path, EventKind kind, const std::string& name) {
    const std::size_t size = recordSize(kind);
    std::string bytes;
    try {
        bytes = readRecordsIfExists(path, size);
    } catch (const IoError&) {
        return 0;
    }
    std::string kept;
    kept.reserve(bytes.size());
    std::size_t removed = 0;
    for (std::size_t at = 0; at < bytes.size(); at += size) {
        if (decodeEvent(kind, reinterpret_cast<const std::uint8_t*>(bytes.data() + at)).text == name)
            ++removed;
        else
            kept.append(bytes, at, size);
    }
    if (removed > 0) replaceFile(path, kept);
    return removed;
}

} // namespace zel
