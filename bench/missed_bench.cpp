// What the start looks for before its window shows: the reminders and programs that fell due while
// the program was not running, over 100,000 records in each of the four event tables. Goal: under
// 10 ms.
#include "bench_data.h"

#include "core/app/last_watched.h"
#include "core/app/paths.h"
#include "core/events/event_table.h"
#include "core/events/firing.h"
#include "core/events/recurrence.h"
#include "core/storage/record_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zel::bench {
namespace {

constexpr std::size_t kMiddle = kRecordsPerFile / 2;
constexpr std::int64_t kDayMs = 86'400'000;

// A book last watched `daysBehind` days before now, a second before the minute of a row, so that
// row and every later one up to now fell due unwatched. Now is the middle reminder's minute; the
// recurring rows begin at the moment last watched, as the earlier ones have moved on.
struct MissedData {
    TempDir dir{"zel_bench_missed_"};
    AppPaths paths;
    EventBook book;
    Moment now;
    Moment lastWatched;
    std::int64_t instantMs = 0;
};

const MissedData& missedData(std::size_t daysBehind) {
    static std::map<std::size_t, std::unique_ptr<MissedData>> cases;
    auto& data = cases[daysBehind];
    if (data) return *data;
    data = std::make_unique<MissedData>();
    MissedData& d = *data;
    d.paths.exeDir = d.dir.path();
    std::filesystem::create_directories(d.paths.dataDir());
    const std::size_t firstRecurring = kMiddle - daysBehind * kEventsPerDay;
    for (EventKind k : kAllEventKinds) {
        replaceFile(d.paths.events(k), generatedFile(k, firstRecurring));
        d.book.refresh(k, d.paths.dataDir());
    }
    const EventRecord mid = generatedRecord(EventKind::Reminder, kMiddle);
    d.now = {*dayFromStored(mid.date), std::int64_t{*minuteFromStored(mid.time)} * 60'000};
    d.lastWatched = d.now.plusMs(-static_cast<std::int64_t>(daysBehind) * kDayMs - 1000);
    d.instantMs = naiveMs(d.now);
    writeLastWatched(d.paths.lastWatched(), d.lastWatched);
    return d;
}

struct StartLook {
    std::size_t leftBehind = 0; // recurring rows before the moment last watched, moved on quietly
    std::size_t found = 0;
    std::size_t missed = 0;
    std::size_t recurring = 0;
    std::int64_t occurrences = 0; // how often the rows found fell due, recurrences counted
};

// The start's look, up to the writes of the rows that move on: the moment last watched from its
// file, the recurring rows left behind it and where they go, one look from that moment to now, and
// how often each row found fell due. The rows are copied out, as the start hands them on.
StartLook startLook(const MissedData& d) {
    StartLook out;
    const Moment now = d.now;
    const std::int64_t instant = d.instantMs;
    const std::optional<Moment> last = readLastWatched(d.paths.lastWatched());
    Lookout lookout(now, instant);
    const Moment behind = last && *last < now ? *last : now;
    for (EventKind kind : {EventKind::Reminder, EventKind::Program}) {
        const EventTable& table = d.book.table(kind);
        for (std::size_t i : recurringRowsUpTo(table, behind)) {
            const EventRow row = table.row(i);
            out.leftBehind += nextOccurrenceAfter(row.recurrence, *row.day, row.minute, now).day != *row.day;
        }
    }
    if (!last) return out;
    lookout.resumeFrom(*last, now, instant);
    const std::vector<FallenDue> found =
        lookout.look(d.book.table(EventKind::Reminder), d.book.table(EventKind::Program), now, instant);
    for (const FallenDue& f : found) {
        const EventRow row = d.book.table(f.kind).row(f.index);
        out.occurrences += std::max<std::int64_t>(
            1, nextOccurrenceAfter(row.recurrence, *row.day, row.minute, now).fallenDue);
        out.missed += f.missed;
        out.recurring += recurs(row.recurrence);
    }
    out.found = found.size();
    return out;
}

// The same counts by a walk over every row, so the look is timed only when it finds what it must:
// the active rows after the moment last watched up to now, missed unless they are of now's minute.
bool findsWhatFellDue(const MissedData& d, const StartLook& look) {
    StartLook expected;
    for (EventKind kind : {EventKind::Reminder, EventKind::Program}) {
        for (const TableRow& r : d.book.table(kind).rows) {
            if (!r.day) continue;
            const Moment at{*r.day, std::int64_t{r.minute} * 60'000};
            if (!r.active || !(d.lastWatched < at) || d.now < at) continue;
            ++expected.found;
            expected.missed += at.day != d.now.day || at.msOfDay / 60'000 != d.now.msOfDay / 60'000;
            expected.recurring += recurs(r.recurrence);
        }
    }
    return look.leftBehind == 0 && look.found == expected.found && look.missed == expected.missed &&
           look.recurring == expected.recurring && look.recurring > 0 &&
           look.occurrences > static_cast<std::int64_t>(look.found);
}

void missedAtStart(benchmark::State& state, std::size_t daysBehind) {
    const MissedData& d = missedData(daysBehind);
    const StartLook check = startLook(d);
    if (!findsWhatFellDue(d, check)) {
        state.SkipWithError("the look at start did not find what fell due");
        return;
    }
    for (auto _ : state) {
        StartLook look = startLook(d);
        benchmark::DoNotOptimize(look);
    }
    state.counters["found"] = static_cast<double>(check.found);
    state.counters["missed"] = static_cast<double>(check.missed);
    state.counters["recurring"] = static_cast<double>(check.recurring);
    state.counters["occurrences"] = static_cast<double>(check.occurrences);
}

// Two days off: a long weekend. A year off, and everything since the first row (about 6.8 years), as
// the worst a start can meet with these files.
BENCHMARK_CAPTURE(missedAtStart, two_days, 2)->Name("P9/missed_two_days")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(missedAtStart, a_year, 365)->Name("P9/missed_a_year")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(missedAtStart, all_past, kMiddle / kEventsPerDay)
    ->Name("P9/missed_all_past")
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zel::bench
