// The name-day and birthday notice's selection over 100,000 name days and 100,000 birthdays, as it runs
// at start-up and on closing. Goal: under 20 ms.
#include "bench_data.h"
#include "core/events/event_table.h"
#include "core/notice/notice.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zel;
using namespace zel::bench;

EventTable generatedTable(EventKind kind) {
    EventTable t;
    t.kind = kind;
    t.rows.reserve(kRecordsPerFile);
    for (std::size_t k = 0; k < kRecordsPerFile; ++k)
        t.append(rowFromRecord(kind, generatedRecord(kind, k), k));
    return t;
}

void P7_notice_selection(benchmark::State& state) {
    static const EventTable nameDays = generatedTable(EventKind::NameDay);
    static const EventTable birthdays = generatedTable(EventKind::Birthday);
    // The middle of the generated years, with the widest window the settings allow.
    const DayNumber today = firstDay() + static_cast<DayNumber>(kRecordsPerFile / kEventsPerDay / 2);
    std::size_t listed = 0;
    for (auto _ : state) {
        const auto lines = celebrantLines(nameDays, birthdays, today, 10);
        listed = lines.size();
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["listed"] = static_cast<double>(listed);
}

} // namespace

BENCHMARK(P7_notice_selection)->Name("P7/notice_selection")->Unit(benchmark::kMillisecond);
