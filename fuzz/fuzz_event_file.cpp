// An event file as it may be found on disk: the table built from it for each kind, its text cells,
// the next due row, and an ordered insert followed by the removal of the same record.
#include "fuzz_util.h"

#include "core/events/event_record.h"
#include "core/events/event_table.h"
#include "core/storage/record_file.h"

#include "byte_source.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

using namespace zel;

// Doubles compare by their bits, so a NaN read back equals itself.
bool sameRecord(const EventRecord& a, const EventRecord& b) {
    return a.active == b.active && a.recurrence == b.recurrence && a.text == b.text &&
           std::bit_cast<std::uint64_t>(a.date) == std::bit_cast<std::uint64_t>(b.date) &&
           std::bit_cast<std::uint64_t>(a.time) == std::bit_cast<std::uint64_t>(b.time);
}

// A record the program itself could have written: a usable date and a time of day in [0, 1).
bool wellFormed(EventKind kind, const EventRecord& r) {
    if (!dayFromStored(r.date)) return false;
    return !hasTime(kind) || (std::isfinite(r.time) && r.time >= 0 && r.time < 1);
}

int minuteOfTimeText(const std::string& t) {
    const auto colon = t.find(':');
    return std::stoi(t.substr(0, colon)) * 60 + std::stoi(t.substr(colon + 1));
}

// The walk over the text cells from the top, as the rows' texts define it. skipUndated: whether a
// row without a date met among today's rows is passed over (it can never fall due) or ends the walk.
std::optional<std::size_t> textWalk(EventKind kind, const std::vector<EventCells>& rows, Moment now,
                                    bool skipUndated) {
    const std::string today = dateText(now.day);
    std::size_t i = 0;
    while (i < rows.size() && rows[i][1] < today)
        ++i;
    while (i < rows.size() &&
           ((skipUndated && rows[i][1].empty()) ||
            (rows[i][1] == today &&
             (!hasTime(kind) || std::int64_t{minuteOfTimeText(rows[i][2])} * 60'000 < now.msOfDay))))
        ++i;
    if (i >= rows.size()) return std::nullopt;
    return i;
}

struct Choices {
    std::uint16_t anchor;
    int dayShift;
    bool onMinute;
    int msShift;
    std::uint32_t ms;
    int insertMode;
    int recShift;
    int recMinute;
    double rawDate;
    double rawTime;
    bool active;
    std::uint8_t recurrence;
};

void checkKind(EventKind kind, const std::string& file, const Choices& c) {
    const std::filesystem::path dir = fuzz::scratchDir();
    const std::filesystem::path path = dir / eventFileName(kind);
    fuzz::writeFile(path, file);

    const std::size_t size = recordSize(kind);
    const std::size_t n = file.size() / size;
    const std::string whole = file.substr(0, n * size);
    const auto* base = reinterpret_cast<const std::uint8_t*>(whole.data());

    const EventTable table = loadEventTable(path, kind);
    ZEL_CHECK(table.kind == kind);
    ZEL_CHECK(table.rows.size() == n);
    ZEL_CHECK(table.ordered == rowsInOrder(kind, table.rows));
    bool allWellFormed = true;
    for (std::size_t k = 0; k < n; ++k) {
        const EventRecord rec = decodeEvent(kind, base + k * size);
        allWellFormed = allWellFormed && wellFormed(kind, rec);
        const std::string again = encodeEvent(kind, rec);
        ZEL_CHECK(again.size() == size);
        ZEL_CHECK(sameRecord(decodeEvent(kind, reinterpret_cast<const std::uint8_t*>(again.data())), rec));
        const EventRow row = table.row(k);
        ZEL_CHECK(row == rowFromRecord(kind, rec, k));
        ZEL_CHECK(row.position == k);
        ZEL_CHECK(row.minute >= 0 && row.minute < 1440);
        if (row.day) ZEL_CHECK(*row.day >= kFirstDay && *row.day <= kLastDay);
    }

    const std::vector<EventCells> cells = cellsOf(table);
    ZEL_CHECK(cells.size() == std::max<std::size_t>(n, 1));
    for (std::size_t k = 0; k < n; ++k) {
        const EventRow row = table.row(k);
        ZEL_CHECK(cells[k] == cellsOf(kind, row));
        ZEL_CHECK(cells[k][0] == (row.active ? kActiveMark : ""));
        ZEL_CHECK(cells[k][3] == row.text);
        if (row.day) {
            ZEL_CHECK(cells[k][1].size() == 11);
            ZEL_CHECK(tryParseDateText(cells[k][1]) == row.day);
            if (hasTime(kind)) ZEL_CHECK(minuteOfTimeText(cells[k][2]) == row.minute);
        } else {
            ZEL_CHECK(cells[k][1].empty() && cells[k][2].empty());
        }
    }

    // A moment near one of the file's own rows, so today's rows and their minutes get hit.
    Moment now{dayNumber(2024, 3, 5), 0};
    int anchorMinute = 0;
    if (n > 0) {
        const TableRow& anchor = table.rows[c.anchor % n];
        if (anchor.day) now.day = *anchor.day;
        anchorMinute = anchor.minute;
    }
    now.day = std::clamp<DayNumber>(now.day + c.dayShift, kFirstDay, kLastDay);
    now.msOfDay =
        c.onMinute ? std::clamp<std::int64_t>(std::int64_t{anchorMinute} * 60'000 + c.msShift, 0, 86'399'999)
                   : c.ms % 86'400'000;

    const auto next = nextDueIndex(table, now);
    if (n > 0) {
        const std::vector<EventCells> rowCells(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(n));
        // An undated row met among today's rows is passed, as it can never fall due.
        ZEL_CHECK(next == textWalk(kind, rowCells, now, true));
        if (table.ordered) ZEL_CHECK(next == textWalk(kind, rowCells, now, false));
    } else {
        ZEL_CHECK(!next);
    }

    EventBook book;
    book.refresh(kind, dir);
    ZEL_CHECK(book.table(kind) == table);
    book.updateNext(kind, now);
    ZEL_CHECK(book.next(kind) == (next ? std::optional<EventRow>(table.row(*next)) : std::nullopt));

    // Ordered insert of a new record, then its removal: the file must come back as it was.
    EventRecord rec;
    rec.active = c.active;
    rec.recurrence = hasTime(kind) ? static_cast<Recurrence>(c.recurrence) : Recurrence::Never;
    rec.text = "Új";
    if (c.insertMode == 0) {
        rec.date = static_cast<double>(now.day + c.recShift);
        rec.time = hasTime(kind) ? storedFromMinute(c.recMinute) : 0;
    } else {
        rec.date = c.rawDate;
        rec.time = hasTime(kind) ? c.rawTime : 0;
    }
    const std::size_t pos = insertEventOrdered(path.string(), kind, rec);
    ZEL_CHECK(pos <= n);
    for (std::size_t j = 0; j < pos; ++j)
        ZEL_CHECK(!eventGoesBefore(kind, rec, base + j * size, Placement::BeforeEqualTimes));
    if (pos < n) ZEL_CHECK(eventGoesBefore(kind, rec, base + pos * size, Placement::BeforeEqualTimes));
    const std::string after = readRecords(path, size);
    ZEL_CHECK(after.size() == (n + 1) * size);
    ZEL_CHECK(after.compare(0, pos * size, whole, 0, pos * size) == 0);
    ZEL_CHECK(after.compare(pos * size, size, encodeEvent(kind, rec)) == 0);
    ZEL_CHECK(after.compare((pos + 1) * size, std::string::npos, whole, pos * size) == 0);
    if (table.ordered && allWellFormed && wellFormed(kind, rec))
        ZEL_CHECK(loadEventTable(path, kind).ordered);

    removeRecordAt(path, size, pos);
    ZEL_CHECK(readRecords(path, size) == whole);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteSource fdp(data, size);
    // The choices come from the input's end, the file is what is left at its front.
    Choices c{};
    c.anchor = fdp.ConsumeIntegral<std::uint16_t>();
    c.dayShift = fdp.ConsumeIntegralInRange(-1, 1);
    c.onMinute = fdp.ConsumeBool();
    c.msShift = fdp.ConsumeIntegralInRange(-1000, 1000);
    c.ms = fdp.ConsumeIntegral<std::uint32_t>();
    c.insertMode = fdp.ConsumeIntegralInRange(0, 1);
    c.recShift = fdp.ConsumeIntegralInRange(-1, 1);
    c.recMinute = fdp.ConsumeIntegralInRange(0, 1439);
    c.rawDate = fdp.ConsumeFloatingPoint<double>();
    c.rawTime = fdp.ConsumeFloatingPoint<double>();
    c.active = fdp.ConsumeBool();
    c.recurrence = fdp.ConsumeIntegral<std::uint8_t>();
    const std::string file = fdp.ConsumeRemainingBytesAsString();
    for (EventKind kind : kAllEventKinds)
        checkKind(kind, file, c);
    return 0;
}
