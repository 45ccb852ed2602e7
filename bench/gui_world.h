#pragma once

#include "bench_data.h"
#include "gui/main_window.h"
#include "support/fakes.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"

#include <memory>

namespace zel::bench {

// The real main window (offscreen) over 100,000 generated records in each event table, the past
// listed too, the clock half a minute before the middle reminder.
struct GuiWorld {
    TempDir dir{"zel-gui-bench"};
    test::ScriptedDialogs dialogs;
    test::SettableClock clock;
    test::RecordingShell shell;
    test::RecordingSound sound;
    test::RecordingTray tray;
    test::RecordingAutostart autostart;
    test::RecordingNotifier notifier;
    std::unique_ptr<gui::MainWindow> window;
    // The moment of the middle reminder, record kRecordsPerFile / 2.
    Moment middle;

    GuiWorld();
};

// Made on first use; endGuiWorld() ends it while the application still exists.
GuiWorld& guiWorld();
void endGuiWorld();

} // namespace zel::bench
