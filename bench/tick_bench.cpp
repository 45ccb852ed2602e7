// One clock tick's core work with 100,000 records in each event table: the next due event of all four
// kinds and the firing test, against a linear walk over the rows' text cells.
#include "bench_data.h"

#include "core/events/event_table.h"
#include "core/events/firing.h"
#include "core/storage/record_file.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <vector>

namespace zel::bench {
namespace {

// Now lies on the middle reminder's minute, so half of each table is passed and that reminder fires.
constexpr std::size_t kMiddle = kRecordsPerFile / 2;

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
            replaceFile(d->dir.path() / eventFileName(k), generatedFile(k));
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

// Reminders and programs are the kinds the clock fires; it asks their tables for the rows whose
// moment lies after the previous tick, a second ago.
bool tick(EventBook& book, Moment now) {
    book.updateNext(std::nullopt, now);
    const Moment previous = now.plusMs(-1000);
    return !rowsFallenDue(book.table(EventKind::Reminder), previous, now).empty() |
           !rowsFallenDue(book.table(EventKind::Program), previous, now).empty();
}

bool naiveTick(const TickData& d, std::array<EventCells, 4>& next) {
    naiveNext(d.cells, d.now, next);
    return naiveFires(next[kindIndex(EventKind::Reminder)], d.now) |
           naiveFires(next[kindIndex(EventKind::Program)], d.now);
}

// Both ways must pick the same rows, or the comparison means nothing.
bool sameChoice(TickData& d) {
    EventBook& book = d.book;
    std::array<EventCells, 4> next;
    if (tick(book, d.now) != naiveTick(d, next) || !tick(book, d.now)) return false;
    for (EventKind k : kAllEventKinds) {
        const auto& row = book.next(k);
        if (!row || cellsOf(k, *row) != next[kindIndex(k)]) return false;
    }
    return true;
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

void P1_tick_bisection(benchmark::State& state) {
    TickData& d = tickData();
    if (!sameChoice(d)) {
        state.SkipWithError("the walk and the bisection disagree");
        return;
    }
    EventBook& book = d.book;
    for (auto _ : state) {
        bool fire = tick(book, d.now);
        benchmark::DoNotOptimize(fire);
        benchmark::ClobberMemory();
    }
    state.counters["rows_per_table"] = static_cast<double>(kRecordsPerFile);
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
    timedCold(state, [&] { return tick(d.book, d.now); });
}

void P1_naive_text_walk_cold(benchmark::State& state) {
    TickData& d = tickData();
    std::array<EventCells, 4> next;
    timedCold(state, [&] { return naiveTick(d, next); });
}

BENCHMARK(P1_naive_text_walk)->Name("P1/naive_text_walk")->Unit(benchmark::kMicrosecond);
BENCHMARK(P1_tick_bisection)->Name("P1/tick_bisection")->Unit(benchmark::kMicrosecond);
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
