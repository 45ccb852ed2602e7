#include "core/events/event_table.h"

#include "core/app/data_reader.h"
#include "core/os/file.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <cstdint>

namespace zel {

EventRow rowFromRecord(EventKind kind, const EventRecord& rec, std::size_t position) {
    return rowFromRecord(kind, EventRecord(rec), position);
}

namespace {
void setWhen(EventKind kind, EventFields& row, double date, double time) {
    row.day = dayFromStored(date);
    if (!hasTime(kind)) return;
    const auto minute = minuteFromStored(time);
    if (minute)
        row.minute = static_cast<std::int16_t>(*minute);
    else
        row.day.reset();
}
} // namespace

EventRow rowFromRecord(EventKind kind, EventRecord&& rec, std::size_t position) {
    EventRow row;
    row.active = rec.active;
    row.text = std::move(rec.text);
    row.position = position;
    if (hasTime(kind)) row.recurrence = rec.recurrence;
    setWhen(kind, row, rec.date, rec.time);
    return row;
}

static_assert(sizeof(TableRow) == 16);

std::uint32_t TextBlocks::add(std::string_view text) {
    text = text.substr(0, kEventTextCapacity);
    constexpr std::size_t kBlock = std::size_t{1} << kBlockBits;
    if (blocks_.empty() || blocks_.back().size() + 1 + text.size() > kBlock) {
        blocks_.emplace_back().reserve(kBlock);
    }
    std::string& block = blocks_.back();
    const auto where = static_cast<std::uint32_t>(((blocks_.size() - 1) << kBlockBits) | block.size());
    block += static_cast<char>(text.size());
    block += text;
    return where;
}

EventRow EventTable::row(std::size_t i) const {
    EventRow out;
    static_cast<EventFields&>(out) = rows[i];
    out.position = i;
    out.text = text(rows[i]);
    return out;
}

void EventTable::append(const EventRow& row) {
    TableRow r;
    static_cast<EventFields&>(r) = row;
    r.textAt = texts.add(row.text);
    rows.push_back(r);
}

EventCells cellsOf(EventKind kind, const EventFields& row, std::string_view text) {
    EventCells c;
    if (row.active) c[0] = kActiveMark;
    if (row.day) c[1] = dateText(*row.day);
    if (hasTime(kind)) {
        if (row.day) c[2] = timeText(row.minute);
        c[4] = std::to_string(static_cast<unsigned>(row.recurrence));
    }
    c[3] = text;
    return c;
}

std::vector<EventCells> cellsOf(const EventTable& table) {
    std::vector<EventCells> out;
    out.reserve(std::max<std::size_t>(1, table.rows.size()));
    for (const auto& row : table.rows)
        out.push_back(cellsOf(table.kind, row, table.text(row)));
    if (out.empty()) out.emplace_back();
    return out;
}

namespace {
// Rows without a usable date sort first, as their empty date text does.
bool rowBefore(EventKind kind, const EventFields& a, const EventFields& b) {
    if (!a.day || !b.day) return !a.day && b.day;
    if (*a.day != *b.day) return *a.day < *b.day;
    return hasTime(kind) && a.minute < b.minute;
}
} // namespace

bool rowsInOrder(EventKind kind, const std::vector<TableRow>& rows) {
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rowBefore(kind, rows[i], rows[i - 1])) return false;
    return true;
}

namespace {
// A record's fields as its table keeps them; true when the record could only be read as best it could.
bool readFields(EventKind kind, const std::uint8_t* rec, EventFields& row) {
    row.active = rec[0] == 1;
    if (hasTime(kind)) row.recurrence = static_cast<Recurrence>(rec[1]);
    setWhen(kind, row, storedDate(kind, rec), storedTime(kind, rec));
    return eventRecordMalformed(kind, rec) || !row.day;
}
} // namespace

EventTable loadEventTable(const std::filesystem::path& path, EventKind kind) {
    openOrCreate(path);
    return readEventTable(path, kind);
}

EventTable readEventTable(const std::filesystem::path& path, EventKind kind,
                          const std::function<void()>& pause) {
    EventTable table;
    table.kind = kind;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (!ec) {
        const std::size_t count = static_cast<std::size_t>(bytes) / recordSize(kind);
        table.rows.reserve(count);
        // Touching a large fresh buffer page by page costs far more on some machines.
        os::populate(table.rows.data(), table.rows.capacity() * sizeof(TableRow));
    }
    forEachRecord(path, recordSize(kind), [&](const std::uint8_t* rec, std::size_t i) {
        if (pause && i % 512 == 511) pause();
        TableRow& row = table.rows.emplace_back();
        if (readFields(kind, rec, row)) ++table.damaged;
        row.textAt = table.texts.add(storedText(kind, rec));
    });
    if (!ec && bytes % recordSize(kind) != 0) ++table.damaged;
    table.ordered = rowsInOrder(kind, table.rows);
    return table;
}

bool applyChange(EventTable& table, const EventFileChange& change) {
    auto& rows = table.rows;
    const std::size_t left = rows.size() - (change.removed ? 1 : 0);
    if (table.damaged > 0 || (change.removed && *change.removed >= rows.size()) ||
        (change.inserted && (*change.inserted > left || change.record.size() != recordSize(table.kind))))
        return false;
    std::optional<std::uint32_t> formerText;
    if (change.removed) {
        formerText = rows[*change.removed].textAt;
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*change.removed));
    }
    if (change.inserted) {
        const auto* rec = reinterpret_cast<const std::uint8_t*>(change.record.data());
        TableRow row;
        if (readFields(table.kind, rec, row)) ++table.damaged;
        // A record rewritten with its text unchanged keeps the stored text, so the blocks do not
        // grow with every move of a recurring event.
        const std::string_view text = storedText(table.kind, rec);
        row.textAt = formerText && table.texts.at(*formerText) == text ? *formerText : table.texts.add(text);
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(*change.inserted), row);
    }
    table.ordered = rowsInOrder(table.kind, rows);
    return true;
}

namespace {
// True while a row counts as passed at `now`.
bool passed(EventKind kind, const EventFields& row, Moment now) {
    if (!row.day || *row.day < now.day) return true;
    if (*row.day > now.day) return false;
    if (!hasTime(kind)) return true;
    return std::int64_t{row.minute} * 60'000 < now.msOfDay;
}
} // namespace

std::optional<std::size_t> nextDueIndex(const EventTable& table, Moment now) {
    const auto& rows = table.rows;
    std::size_t i;
    if (table.ordered) {
        // In an ordered table the passed rows form a prefix.
        const auto it = std::partition_point(rows.begin(), rows.end(),
                                             [&](const TableRow& r) { return passed(table.kind, r, now); });
        i = static_cast<std::size_t>(it - rows.begin());
    } else {
        // A file out of order (written by hand or by another program): walk it as stored, first to
        // the first row not before today, then past today's passed rows.
        i = 0;
        while (i < rows.size() && (!rows[i].day || *rows[i].day < now.day))
            ++i;
        // An undated row met among today's is passed too: it can never fall due.
        while (i < rows.size() && (!rows[i].day || *rows[i].day == now.day) &&
               passed(table.kind, rows[i], now))
            ++i;
    }
    if (i >= rows.size()) return std::nullopt;
    return i;
}

EventBook::EventBook() {
    for (EventKind k : kAllEventKinds)
        tables_[kindIndex(k)].kind = k;
}

void EventBook::refresh(EventKind kind, const std::filesystem::path& dataDir, DataReader* ahead) {
    EventTable& t = table(kind);
    t.rows.clear();
    t.texts = {};
    t.ordered = true;
    if (ahead) {
        if (std::optional<EventTable> read = ahead->take(kind)) {
            t = std::move(*read);
            return;
        }
    }
    t = loadEventTable(dataDir / eventFileName(kind), kind);
}

bool EventBook::updateNext(std::optional<EventKind> kind, Moment now) {
    bool changed = false;
    for (EventKind k : kAllEventKinds) {
        if (kind && *kind != k) continue;
        const auto i = nextDueIndex(table(k), now);
        std::optional<EventRow> next = i ? std::optional<EventRow>(table(k).row(*i)) : std::nullopt;
        if (next == next_[kindIndex(k)]) continue;
        next_[kindIndex(k)] = std::move(next);
        changed = true;
    }
    return changed;
}

} // namespace zel
