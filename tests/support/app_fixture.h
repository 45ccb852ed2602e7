#pragma once

#include "core/app/clock.h"
#include "gui/main_window.h"
#include "support/fakes.h"
#include "support/recording_sound.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <memory>

namespace zel::test {

// A program folder in a temp dir with scripted dialogs, a settable clock and recording platform.
struct Start {
    TempDir dir;
    ScriptedDialogs dialogs;
    SettableClock clock{Moment::at(2024, 3, 5, 9, 5, 7)};
    RecordingShell shell;
    RecordingSound sound;
    RecordingTray tray;
    RecordingAutostart autostart;
    int exits = 0;

    std::unique_ptr<gui::MainWindow> open() {
        auto w = std::make_unique<gui::MainWindow>(
            AppPaths{dir.path()}, gui::Services{dialogs, clock, shell, sound, tray, autostart});
        w->setExitHandler([this] { ++exits; });
        w->start();
        return w;
    }
    std::filesystem::path data(const char* name) const { return dir.path() / "Data" / name; }
};

} // namespace zel::test
