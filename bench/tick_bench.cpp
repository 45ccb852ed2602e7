// One clock tick's core work with 100,000 records in each event table: the next due event of all four
// kinds, the summary when one of them changed and the look for what fell due since the previous
// second, against a linear walk over the rows' text cells.
#include "bench_data.h"

#include "core/events/event_table.h"
#include "core/events/firing.h"
#include "core/events/summary.h"
#include "core/storage/record_file.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zel::bench {
namespace {

// Now lies on the middle reminder's minute, so half of each table is passed and that reminder fires.
constexpr std::size_t kMiddle = kRecordsPerFile / 2;
// 1,000 reminders and 1,000 programs recur, from two days before now on (those before have moved on).
constexpr std::size_t kFirstRecurring = kMiddle - 2 * kEventsPerDay;

struct TickData {
    TempDir dir{"zel_bench_tick_"};
    EventBook book;
    std::array<std::vector<EventCells>, 4> cells; // the same tables as text cells, for the walk
    Moment now;
};

TickData& tickData() {
    static const auto data = [] {
        auto d = std::make_unique<TickData>();
        for (EventKind k : kAllEventKinds) {
            replaceFile(d->dir.path() / eventFileName(k), generatedFile(k, kFirstRecurring));
            d->book.refresh(k, d->dir.path());
            d->cells[kindIndex(k)] = cellsOf(d->book.table(k));
        }
        const EventRecord mid = generatedRecord(EventKind::Reminder, kMiddle);
        d->now = {*dayFromStored(mid.date), std::int64_t{*minuteFromStored(mid.time)} * 60'000};
        return d;
    }();
    return *data;
}

// "H:MM" back to minutes; the walk has nothing else to compare times with.
int minuteOfTimeText(const std::string& t) {
    int h = 0;
    std::size_t i = 0;
    while (i < t.size() && t[i] != ':')
        h = h * 10 + (t[i++] - '0');
    int m = 0;
    for (++i; i < t.size(); ++i)
        m = m * 10 + (t[i] - '0');
    return h * 60 + m;
}

// The walk from the top, as a table without an index has to do it.
void naiveNext(const std::array<std::vector<EventCells>, 4>& cells, Moment now,
               std::array<EventCells, 4>& next) {
    for (EventKind k : kAllEventKinds) {
        const std::string today = dateText(now.day);
        const auto& rows = cells[kindIndex(k)];
        std::size_t i = 0;
        while (i < rows.size() && rows[i][1] < today)
            ++i;
        while (i < rows.size() && rows[i][1] == today &&
               (!hasTime(k) || std::int64_t{minuteOfTimeText(rows[i][2])} * 60'000 < now.msOfDay))
            ++i;
        next[kindIndex(k)] = i < rows.size() ? rows[i] : EventCells{};
    }
}

bool naiveFires(const EventCells& next, Moment now) {
    return next[0].find('*') != std::string::npos && next[1] == dateText(now.day) &&
           std::int64_t{minuteOfTimeText(next[2])} * 60'000 == now.msOfDay;
}

// The clock as it runs: a lookout kept from second to second, each tick one second after the one
// before, by the local time and by the instant.
struct Watching {
    Moment now;
    std::int64_t instantMs;
    Lookout lookout;
    std::vector<std::string> summary;

    explicit Watching(Moment start) : now(start), instantMs(naiveMs(start)), lookout(start, instantMs) {}
};

enum class Summary { WhenNextChanged, EveryTick };

// Reminders and programs are the kinds the clock fires; the lookout asks their tables for the rows
// whose moment lies after its previous look, a second ago. The summary follows the next rows.
template <Summary kSummary = Summary::WhenNextChanged> bool tick(EventBook& book, Watching& w) {
    w.now = w.now.plusMs(1000);
    w.instantMs += 1000;
    if (book.updateNext(std::nullopt, w.now) || kSummary == Summary::EveryTick)
        w.summary = summaryLines(book);
    return !w.lookout
                .look(book.table(EventKind::Reminder), book.table(EventKind::Program), w.now, w.instantMs)
                .empty();
}

// A second before the middle minute, so the first tick fires the middle reminder and program.
Watching watchingFromMiddle(const TickData& d) {
    return Watching(d.now.plusMs(-1000));
}

bool naiveTick(const TickData& d, std::array<EventCells, 4>& next) {
    naiveNext(d.cells, d.now, next);
    return naiveFires(next[kindIndex(EventKind::Reminder)], d.now) |
           naiveFires(next[kindIndex(EventKind::Program)], d.now);
}

// Both ways must pick the same rows and fire the middle reminder and program, or the comparison
// means nothing.
bool sameChoice(TickData& d) {
    EventBook& book = d.book;
    Watching w = watchingFromMiddle(d);
    const auto found = w.lookout.look(book.table(EventKind::Reminder), book.table(EventKind::Program), d.now,
                                      naiveMs(d.now));
    if (found.size() != 2 || found[0].kind != EventKind::Reminder || found[0].index != kMiddle ||
        found[1].kind != EventKind::Program || found[1].index != kMiddle || found[0].missed ||
        found[1].missed)
        return false;
    std::array<EventCells, 4> next;
    if (!naiveTick(d, next) || !naiveFires(next[kindIndex(EventKind::Program)], d.now)) return false;
    book.updateNext(std::nullopt, d.now);
    for (EventKind k : kAllEventKinds) {
        const auto& row = book.next(k);
        if (!row || cellsOf(k, *row) != next[kindIndex(k)]) return false;
    }
    Watching again = watchingFromMiddle(d);
    return tick(book, again) && again.now == d.now && !summaryLines(book).empty();
}

void P1_naive_text_walk(benchmark::State& state) {
    TickData& d = tickData();
    if (!sameChoice(d)) {
        state.SkipWithError("the walk and the bisection disagree");
        return;
    }
    std::array<EventCells, 4> next;
    for (auto _ : state) {
        bool fire = naiveTick(d, next);
        benchmark::DoNotOptimize(fire);
        benchmark::DoNotOptimize(next);
    }
    state.counters["rows_per_table"] = static_cast<double>(kRecordsPerFile);
}

// Each run starts at the middle minute and goes on a second per iteration, so a long run also meets
// the rows that fall due after it (one every 45 minutes of the clock).
template <Summary kSummary> void tickOnAndOn(benchmark::State& state) {
    TickData& d = tickData();
    if (!sameChoice(d)) {
        state.SkipWithError("the walk and the bisection disagree");
        return;
    }
    EventBook& book = d.book;
    Watching w = watchingFromMiddle(d);
    std::int64_t fired = 0;
    for (auto _ : state) {
        bool fire = tick<kSummary>(book, w);
        fired += fire;
        benchmark::DoNotOptimize(fire);
        benchmark::ClobberMemory();
    }
    state.counters["rows_per_table"] = static_cast<double>(kRecordsPerFile);
    state.counters["ticks_firing"] = static_cast<double>(fired);
}

void P1_tick_bisection(benchmark::State& state) {
    tickOnAndOn<Summary::WhenNextChanged>(state);
}

void P1_tick_bisection_summary(benchmark::State& state) {
    tickOnAndOn<Summary::EveryTick>(state);
}

// The clock ticks once a second, so the rows are seldom still in the caches: each way once more,
// after everything has been pushed out of them, timed by hand to leave the eviction out.
template <class Tick> void timedCold(benchmark::State& state, Tick tickOnce) {
    std::vector<unsigned char> evictor(std::size_t{256} << 20);
    for (auto _ : state) {
        for (std::size_t i = 0; i < evictor.size(); i += 64)
            ++evictor[i];
        benchmark::ClobberMemory();
        const auto start = std::chrono::steady_clock::now();
        bool fire = tickOnce();
        benchmark::DoNotOptimize(fire);
        benchmark::ClobberMemory();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    benchmark::DoNotOptimize(evictor.data());
    state.counters["rows_per_table"] = static_cast<double>(kRecordsPerFile);
}

void P1_tick_bisection_cold(benchmark::State& state) {
    TickData& d = tickData();
    d.book.updateNext(std::nullopt, d.now);
    Watching w = watchingFromMiddle(d);
    timedCold(state, [&] { return tick(d.book, w); });
}

void P1_naive_text_walk_cold(benchmark::State& state) {
    TickData& d = tickData();
    std::array<EventCells, 4> next;
    timedCold(state, [&] { return naiveTick(d, next); });
}

BENCHMARK(P1_naive_text_walk)->Name("P1/naive_text_walk")->Unit(benchmark::kMicrosecond);
BENCHMARK(P1_tick_bisection)->Name("P1/tick_bisection")->Unit(benchmark::kMicrosecond);
BENCHMARK(P1_tick_bisection_summary)->Name("P1/tick_bisection_summary")->Unit(benchmark::kMicrosecond);
BENCHMARK(P1_tick_bisection_cold)
    ->Name("P1/tick_bisection_cold")
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(200);
BENCHMARK(P1_naive_text_walk_cold)
    ->Name("P1/naive_text_walk_cold")
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(50);

} // namespace
} // namespace zel::bench
