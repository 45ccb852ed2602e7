// Adding a reminder to a 100,000-row table in the running window: the "Felvesz" click on the
// new-event tab until the listing and the summary show it, against writing that file's bytes to a
// new file with one fsync. Goal: within 1.5x.
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/summary_box.h"
#include "gui_world.h"

#include <QDateEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace {

using namespace zel;

constexpr const char* kNewText = "Új emlékeztető a fogorvosnak";

template <class W> W* child(QWidget* parent, const char* name) {
    return parent->findChild<W*>(QString::fromLatin1(name));
}

void P8_add_reminder(benchmark::State& state) {
    bench::GuiWorld& w = bench::guiWorld();
    gui::MainWindow& window = *w.window;
    gui::AppState& app = window.state();
    const auto file = app.paths().events(EventKind::Reminder);
    const std::string original = bench::generatedFile(EventKind::Reminder);
    // The reminders listed, the past too: all of them, and the new one among them.
    gui::EventsTab* events = window.eventsTab();
    events->model()->list({EventKind::Reminder, false, w.middle.day, w.middle.day, true});
    window.pages()->setCurrentIndex(gui::MainWindow::TabNewEvent);
    window.newEventTab()->selectKind(EventKind::Reminder);
    auto* text = child<QPlainTextEdit>(&window, "reminderText");
    auto* add = child<QPushButton>(&window, "addButton");
    // The minute before the middle reminder, which no generated record holds: the next reminder, so the
    // summary shows it.
    const QTime minute = QTime(0, 0).addSecs(static_cast<int>(w.middle.msOfDay / 1000) - 60);
    const std::string stored = utf8ToCp1250(kNewText);
    const std::size_t boxes = w.dialogs.shown.size();
    for (auto _ : state) {
        state.PauseTiming();
        w.clock.set(w.middle.plusMs(-90'000));
        child<QDateEdit>(&window, "datePicker")->setDate(QDate(1899, 12, 30).addDays(w.middle.day));
        child<QTimeEdit>(&window, "timePicker")->setTime(minute);
        text->setPlainText(QString::fromUtf8(kNewText));
        state.ResumeTiming();

        add->click();

        state.PauseTiming();
        const auto& lines = window.summaryBox()->lines();
        const bool summarised = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(stored) != std::string::npos;
        });
        if (events->model()->rowCount() != static_cast<int>(bench::kRecordsPerFile) + 1 || !summarised ||
            w.dialogs.shown.size() != boxes) {
            state.SkipWithError("the reminder was not added, listed and summarised");
            break;
        }
        // Back to the generated file, read again.
        replaceFile(file, original);
        app.reloadEvents(EventKind::Reminder);
        state.ResumeTiming();
    }
}

// The baseline: the reminder file's bytes written to a new file and flushed to the disk.
void P8_write_file_fsync(benchmark::State& state) {
    bench::GuiWorld& w = bench::guiWorld();
    const std::string bytes = bench::generatedFile(EventKind::Reminder);
    const auto copy = w.dir.path() / "copy.dat";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(copy);
        state.ResumeTiming();
        const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        std::size_t written = 0;
        while (fd >= 0 && written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        const bool synced = fd >= 0 && written == bytes.size() && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!synced) {
            state.SkipWithError("copy not written");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

} // namespace

BENCHMARK(P8_write_file_fsync)->Name("P8/write_file_fsync")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(P8_add_reminder)->Name("P8/add_reminder")->Unit(benchmark::kMillisecond)->UseRealTime();
