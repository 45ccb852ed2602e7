// The main window's whole tick handler with 100,000 records in each event table. Goal: well under
// one millisecond, so no second (and no reminder) is ever skipped.
#include "gui/alert/alert_window.h"
#include "gui/state/watch.h"
#include "gui/tabs/events_tab.h"
#include "gui/widgets/listing_model.h"
#include "gui_world.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zel;

void P1_gui_tick(benchmark::State& state) {
    bench::GuiWorld& w = bench::guiWorld();
    Moment now = w.middle.plusMs(1'003);
    for (auto _ : state) {
        w.clock.set(now);
        w.window->watch().tick();
        now = now.plusMs(1000);
    }
}

void P1_gui_tick_firing(benchmark::State& state) {
    bench::GuiWorld& w = bench::guiWorld();
    for (auto _ : state) {
        state.PauseTiming();
        // One second before the next reminder, then its second 00.
        const auto& next = *w.window->events().next(EventKind::Reminder);
        const Moment due{*next.day, std::int64_t{next.minute} * 60'000};
        w.clock.set(due.plusMs(-997));
        w.window->watch().tick();
        w.clock.set(due.plusMs(3));
        state.ResumeTiming();
        w.window->watch().tick();
        state.PauseTiming();
        if (w.shell.calls.size() > 1000) w.shell.calls.clear();
        w.sound.take();
        w.window->alertWindow()->hide();
        state.ResumeTiming();
    }
}

// Listing "Mind" of all 100,000 reminders into the grid, the past included.
void P4_listing_all(benchmark::State& state) {
    bench::GuiWorld& w = bench::guiWorld();
    gui::EventsTab* tab = w.window->eventsTab();
    for (auto _ : state) {
        tab->model()->list({EventKind::Reminder, false, w.middle.day, w.middle.day, true});
        benchmark::DoNotOptimize(tab->model()->rowCount());
    }
    state.counters["rows"] = static_cast<double>(tab->model()->rowCount());
}

} // namespace

BENCHMARK(P4_listing_all)->Name("P4/listing_all")->Unit(benchmark::kMillisecond);
BENCHMARK(P1_gui_tick)->Name("P1-GUI/tick")->Unit(benchmark::kMicrosecond);
BENCHMARK(P1_gui_tick_firing)->Name("P1-GUI/tick_firing")->Unit(benchmark::kMicrosecond)->Iterations(200);
