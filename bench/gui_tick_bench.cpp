// The main window's whole tick handler with 100,000 records in each event table. Goal: well under
// one millisecond, so no second (and no reminder) is ever skipped.
#include "bench_data.h"
#include "core/storage/record_file.h"
#include "gui/alert/alert_window.h"
#include "gui/tabs/events_tab.h"
#include "gui/widgets/listing_model.h"
#include "support/app_fixture.h"
#include "support/settable_clock.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace zel;

struct World {
    bench::TempDir dir{"zel-gui-bench"};
    test::ScriptedDialogs dialogs;
    zel::test::SettableClock clock;
    test::RecordingShell shell;
    test::RecordingSound sound;
    test::RecordingTray tray;
    test::RecordingAutostart autostart;
    test::RecordingNotifier notifier;
    std::unique_ptr<gui::MainWindow> window;
    Moment middle;

    World() {
        std::filesystem::create_directories(dir.path() / "Data");
        for (EventKind k : kAllEventKinds)
            replaceFile(dir.path() / "Data" / eventFileName(k), bench::generatedFile(k));
        const EventRecord mid = bench::generatedRecord(EventKind::Reminder, bench::kRecordsPerFile / 2);
        middle = {static_cast<DayNumber>(mid.date), std::int64_t{*minuteFromStored(mid.time)} * 60'000};
        // The past is listed too, so "Mind" shows every record.
        Settings all = defaultSettings();
        all.pastEvents = true;
        writeSettingsFile(dir.path() / kSettingsFileName, encodeSettings(all, SettingsBytes{}));
        clock.set(middle.plusMs(-30'000));
        window = std::make_unique<gui::MainWindow>(
            AppPaths{dir.path()},
            gui::Services{dialogs, clock, shell, sound, tray, autostart, notifier, notifier});
        window->start();
        window->show();
    }
};

// Made on first use and ended by main() while the application still exists.
std::unique_ptr<World> theWorld;

World& world() {
    if (!theWorld) theWorld = std::make_unique<World>();
    return *theWorld;
}

void P1_gui_tick(benchmark::State& state) {
    World& w = world();
    Moment now = w.middle.plusMs(1'003);
    for (auto _ : state) {
        w.clock.set(now);
        w.window->watch().tick();
        now = now.plusMs(1000);
    }
}

void P1_gui_tick_firing(benchmark::State& state) {
    World& w = world();
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
    World& w = world();
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theWorld.reset();
    return 0;
}
