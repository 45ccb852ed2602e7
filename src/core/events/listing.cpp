#include "core/events/listing.h"

#include "core/storage/record_file.h"
#include "core/text/cp1250.h"

#include <cstdio>

namespace zel {

std::vector<std::size_t> listedRows(const EventTable& table, bool rangeMode, DayNumber from, DayNumber to,
                                    bool showPast, Moment now) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const TableRow& r = table.rows[i];
        if (!r.day) continue;
        if (rangeMode && (*r.day < from || *r.day > to)) continue;
        bool listed = showPast || *r.day > now.day;
        if (!listed && *r.day == now.day)
            listed = !hasTime(table.kind) || std::int64_t{r.minute} * 60'000 > now.msOfDay;
        if (listed) out.push_back(i);
    }
    return out;
}

std::pair<DayNumber, DayNumber> weekOf(DayNumber day) {
    const DayNumber monday = day - weekdayOf(day);
    return {monday, monday + 6};
}

std::pair<DayNumber, DayNumber> monthOf(DayNumber day) {
    const Ymd d = ymdOf(day);
    return {dayNumber(d.year, d.month, 1), dayNumber(d.year, d.month, daysInMonth(d.year, d.month))};
}

std::string recurrenceWord(Recurrence recurrence) {
    switch (recurrence) {
    case Recurrence::Never:
        return utf8ToCp1250("Soha");
    case Recurrence::Daily:
        return utf8ToCp1250("Naponta");
    case Recurrence::Weekly:
        return utf8ToCp1250("Hetente");
    case Recurrence::Monthly:
        return utf8ToCp1250("Havonta");
    case Recurrence::Yearly:
        return utf8ToCp1250("Évente");
    }
    return {};
}

std::string listingHeader(EventKind kind) {
    switch (kind) {
    case EventKind::Reminder:
        return utf8ToCp1250(
            "Aktív Ismétel     Dátum      Óra                                             Tárgy      "
            "                                      ");
    case EventKind::Program:
        return utf8ToCp1250(
            "Aktív Ismétel     Dátum      Óra                                 Futtatandó program  "
            "                            ");
    case EventKind::NameDay:
        return utf8ToCp1250(
            "Aktív     Dátum                                                        Névnap        "
            "                                                ");
    case EventKind::Birthday:
        return utf8ToCp1250(
            "Aktív     Dátum                                                          Név         "
            "                                                    ");
    }
    return {};
}

std::vector<std::string> nameDayListOf(const NameDayCalendar& calendar, DayNumber day) {
    const Ymd d = ymdOf(day);
    char key[8];
    std::snprintf(key, sizeof key, "%02d.%02d", d.month, d.day);
    std::vector<std::string> out;
    for (const auto& line : calendar.lines()) {
        if (line.compare(0, 5, key) != 0) continue;
        out.push_back(std::string(key) + utf8ToCp1250(" névnapjai:"));
        for (auto& name : namesOfDay(calendar, key))
            out.push_back(std::move(name));
        break;
    }
    return out;
}

EventRecord recordOfRowFields(EventKind kind, const EventRow& row) {
    EventRecord r;
    r.active = row.active;
    r.recurrence = row.recurrence;
    r.text = row.text;
    r.date = row.day ? static_cast<double>(*row.day) : 0;
    if (hasTime(kind)) r.time = storedFromMinute(row.minute);
    return r;
}

namespace {

bool holdsRow(EventKind kind, const std::uint8_t* bytes, const EventRow& row) {
    const EventRow stored = rowFromRecord(kind, decodeEvent(kind, bytes), row.position);
    return stored.day == row.day && stored.text == row.text &&
           (!hasTime(kind) || stored.minute == row.minute);
}

} // namespace

std::optional<std::size_t> recordOfRow(const std::filesystem::path& path, EventKind kind,
                                       const EventRow& row) {
    const std::size_t size = recordSize(kind);
    const std::string bytes = readRecords(path, size);
    if (row.position >= bytes.size() / size) return std::nullopt;
    if (!holdsRow(kind, reinterpret_cast<const std::uint8_t*>(bytes.data()) + row.position * size, row))
        return std::nullopt;
    return row.position;
}

std::optional<EventFileChange> modifyEvent(const std::filesystem::path& path, EventKind kind,
                                           const EventRow& row, const EventRecord& changed) {
    const std::size_t size = recordSize(kind);
    const std::string bytes = readRecords(path, size);
    const std::size_t n = bytes.size() / size;
    const auto* base = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (row.position >= n || !holdsRow(kind, base + row.position * size, row)) return std::nullopt;

    // Fields the editor does not show keep what the file holds; bytes no field uses are written as zeros.
    EventRecord rec = decodeEvent(kind, base + row.position * size);
    const EventRow newRow = rowFromRecord(kind, changed, row.position);
    const bool moves = newRow.day != row.day || (hasTime(kind) && newRow.minute != row.minute);
    rec.active = changed.active;
    rec.text = changed.text;
    rec.date = changed.date;
    if (hasTime(kind)) rec.time = changed.time;
    const std::string encoded = encodeEvent(kind, rec);
    if (!moves) {
        rewriteRecordAt(path, size, row.position, encoded);
        return EventFileChange{row.position, row.position, encoded};
    }
    // Out of its place and back in before the first record later than it, in one atomic rewrite.
    std::string rest = bytes.substr(0, row.position * size) + bytes.substr((row.position + 1) * size);
    const auto* others = reinterpret_cast<const std::uint8_t*>(rest.data());
    std::size_t place = 0;
    while (place < n - 1 && !eventGoesBefore(kind, rec, others + place * size, Placement::AfterEqualTimes))
        ++place;
    rest.insert(place * size, encoded);
    replaceFile(path, rest);
    return EventFileChange{row.position, place, encoded};
}

MovesWritten moveEvents(const std::filesystem::path& path, EventKind kind,
                        const std::vector<EventMove>& moves) {
    const std::size_t size = recordSize(kind);
    const std::string bytes = readRecords(path, size);
    const std::size_t n = bytes.size() / size;
    const auto* base = reinterpret_cast<const std::uint8_t*>(bytes.data());
    struct Moving {
        std::size_t from;
        std::string record;
        EventRecord decoded;
    };
    std::vector<Moving> moving;
    std::vector<bool> leaves(n, false);
    for (const EventMove& m : moves) {
        const std::size_t at = m.row.position;
        if (at >= n || leaves[at] || !holdsRow(kind, base + at * size, m.row)) continue;
        leaves[at] = true;
        std::string record = bytes.substr(at * size, size);
        putStoredDate(kind, reinterpret_cast<std::uint8_t*>(record.data()), static_cast<double>(m.day));
        const EventRecord decoded = decodeEvent(kind, reinterpret_cast<const std::uint8_t*>(record.data()));
        moving.push_back({at, std::move(record), decoded});
    }
    if (moving.empty()) return {};
    // Among themselves the moved records keep their order where their moments are equal.
    std::stable_sort(moving.begin(), moving.end(), [&](const Moving& a, const Moving& b) {
        return eventGoesBefore(kind, a.decoded, reinterpret_cast<const std::uint8_t*>(b.record.data()),
                               Placement::AfterEqualTimes);
    });
    // One pass: each moved record goes before the first remaining one later than it.
    std::string out;
    out.reserve(bytes.size());
    std::size_t next = 0, landed = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (leaves[i]) continue;
        const auto* stored = base + i * size;
        for (; next < moving.size() &&
               eventGoesBefore(kind, moving[next].decoded, stored, Placement::AfterEqualTimes);
             ++next) {
            if (next == 0) landed = out.size() / size;
            out += moving[next].record;
        }
        out.append(bytes, i * size, size);
    }
    if (next == 0) landed = out.size() / size;
    for (; next < moving.size(); ++next)
        out += moving[next].record;
    replaceFile(path, out);
    MovesWritten written{moving.size(), std::nullopt};
    if (moving.size() == 1) written.change = EventFileChange{moving[0].from, landed, moving[0].record};
    return written;
}

bool deleteEvent(const std::filesystem::path& path, EventKind kind, const EventRow& row) {
    if (!recordOfRow(path, kind, row)) return false;
    removeRecordAt(path, recordSize(kind), row.position);
    return true;
}

} // namespace zel
