#include "core/sync/local_writes.h"

#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace zel {

namespace {

const std::uint8_t* bytesOf(const std::string& record) {
    return reinterpret_cast<const std::uint8_t*>(record.data());
}

std::vector<std::string> recordsOf(const std::string& bytes, std::size_t size) {
    std::vector<std::string> out;
    out.reserve(bytes.size() / size);
    for (std::size_t at = 0; at + size <= bytes.size(); at += size)
        out.push_back(bytes.substr(at, size));
    return out;
}

std::string joined(const std::vector<std::string>& records, std::size_t size) {
    std::string out;
    out.reserve(records.size() * size);
    for (const std::string& r : records)
        out += r;
    return out;
}

// Each of `added` goes before the first kept record it goes before, and after those added before it
// that do not: one ordered insert after the other, made in one pass over a file in order.
template <class Before>
std::vector<std::string> merged(const std::vector<std::string>& kept, std::vector<std::string> added,
                                Before goesBefore) {
    std::stable_sort(added.begin(), added.end(),
                     [&](const std::string& a, const std::string& b) { return goesBefore(a, b); });
    std::vector<std::string> out;
    out.reserve(kept.size() + added.size());
    std::size_t next = 0;
    for (const std::string& r : kept) {
        while (next < added.size() && goesBefore(added[next], r))
            out.push_back(std::move(added[next++]));
        out.push_back(r);
    }
    while (next < added.size())
        out.push_back(std::move(added[next++]));
    return out;
}

// The name as stored: its length byte, then the bytes.
std::string_view nameOf(const std::string& partnerRecord) {
    const auto length = std::min<std::size_t>(static_cast<unsigned char>(partnerRecord[0]),
                                              fieldCapacity(PartnerField::Name));
    return std::string_view(partnerRecord).substr(1, length);
}

} // namespace

std::size_t applyLocalWrites(const AppPaths& paths, const std::vector<LocalWrite>& writes) {
    if (writes.empty()) return 0;
    std::vector<std::string> partners =
        recordsOf(readRecordsIfExists(paths.partners(), kPartnerRecordSize), kPartnerRecordSize);
    std::multimap<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < partners.size(); ++i)
        byName.emplace(std::string(nameOf(partners[i])), i);
    std::vector<bool> gone(partners.size(), false);
    std::vector<std::string> added;
    std::set<std::string> daysGone;                            // names whose name days and birthdays go
    std::map<std::string, std::optional<DayNumber>> birthdays; // set (a day) or removed (nothing)
    std::size_t made = 0;

    for (const LocalWrite& w : writes) {
        if (w.kind != LocalWrite::Kind::Create) {
            // The first record of the name still held.
            auto [from, to] = byName.equal_range(w.name);
            while (from != to && gone[from->second])
                ++from;
            if (from == to) continue;
            gone[from->second] = true;
            byName.erase(from);
        }
        ++made;
        if (w.kind == LocalWrite::Kind::Delete) {
            daysGone.insert(w.name);
            birthdays.erase(w.name);
            continue;
        }
        const std::string record = encodePartner(w.record);
        const std::string name(nameOf(record));
        if (w.kind == LocalWrite::Kind::Update && name != w.name) {
            daysGone.insert(w.name);
            birthdays.erase(w.name);
        }
        if (w.birthday == LocalWrite::Birthday::Set) birthdays[name] = w.birthdayDay;
        if (w.birthday == LocalWrite::Birthday::Remove) birthdays[name] = std::nullopt;
        added.push_back(record);
    }
    if (made == 0) return 0;

    std::vector<std::string> kept;
    kept.reserve(partners.size());
    for (std::size_t i = 0; i < partners.size(); ++i)
        if (!gone[i]) kept.push_back(std::move(partners[i]));
    // Stored names, so a name cut to its capacity lands in order; string_view compares bytes unsigned.
    const auto before = [](const std::string& a, const std::string& b) { return nameOf(a) < nameOf(b); };
    replaceFile(paths.partners(), joined(merged(kept, std::move(added), before), kPartnerRecordSize));

    for (EventKind kind : {EventKind::NameDay, EventKind::Birthday}) {
        const bool birthdayFile = kind == EventKind::Birthday;
        if (daysGone.empty() && (!birthdayFile || birthdays.empty())) continue;
        const std::size_t size = recordSize(kind);
        std::vector<std::string> events = recordsOf(readRecordsIfExists(paths.events(kind), size), size);
        std::vector<std::string> keptEvents, addedEvents;
        std::set<std::string> placed;
        bool changed = false;
        for (std::string& r : events) {
            EventRecord rec = decodeEvent(kind, bytesOf(r));
            if (daysGone.contains(rec.text) && !(birthdayFile && birthdays.contains(rec.text))) {
                changed = true;
                continue;
            }
            if (birthdayFile) {
                if (const auto b = birthdays.find(rec.text); b != birthdays.end()) {
                    changed = true;
                    // Removed, or a later record of a name whose first one took the day.
                    if (!b->second || daysGone.contains(rec.text) || placed.contains(rec.text)) continue;
                    rec.date = static_cast<double>(*b->second);
                    placed.insert(rec.text);
                    addedEvents.push_back(encodeEvent(kind, rec));
                    continue;
                }
            }
            keptEvents.push_back(std::move(r));
        }
        if (birthdayFile)
            for (const auto& [name, day] : birthdays)
                if (day && !placed.contains(name)) {
                    EventRecord rec;
                    rec.text = name;
                    rec.date = static_cast<double>(*day);
                    addedEvents.push_back(encodeEvent(kind, rec));
                    changed = true;
                }
        if (!changed) continue;
        const auto goes = [kind](const std::string& a, const std::string& b) {
            return eventGoesBefore(kind, decodeEvent(kind, bytesOf(a)), bytesOf(b),
                                   Placement::BeforeEqualTimes);
        };
        replaceFile(paths.events(kind), joined(merged(keptEvents, std::move(addedEvents), goes), size));
    }
    return made;
}

} // namespace zel
