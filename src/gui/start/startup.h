#pragma once

#include "core/app/clock.h"
#include "core/app/paths.h"
#include "core/os/file.h"
#include "gui/platform/dialogs.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace zel::gui {

class AppState;
class InstanceGuard;
class Tray;

// The message shown when the program's folder takes no file; `folder` ends with a separator and
// `error` is the platform's error number of the failed write, which the message explains.
QString writeTestMessage(const QString& folder, int error);

// Proves the folder writable; otherwise shows the message and returns false, having created nothing.
bool runWriteTest(const AppPaths& paths, Dialogs& dialogs);

// Where the data lives: beside the executable, as always, when that folder takes a file or already
// holds data (a folder with data that takes no file is reported, never swapped for an empty book);
// otherwise (an installed copy in a folder only the system may write) in the user's own data
// folder, $XDG_DATA_HOME/Zelmoran. When neither takes a file, the executable's folder, so the write
// test names it.
std::filesystem::path dataFolderFor(const std::filesystem::path& exeDir);
// Whether the data lives apart from the program.
bool dataIsPerUser(const AppPaths& paths);

// The executable's folder as the program shows it, with its final separator.
QString folderText(const AppPaths& paths);

// A window's start meets the copy of its build that may be running. Nothing when this process is
// the running copy now (the lock was free, or its holder is gone by the end of the wait); 0 when a
// running copy answered and was asked to show its window; otherwise the box saying that a copy
// runs but does not answer has been shown, and 1. The running copy gets `activationToken`, the token
// the desktop gave this start so that the window it shows may come forward. With `listenNow` false the
// running copy this process becomes answers only from InstanceGuard::listen() on.
std::optional<int> meetRunningCopy(InstanceGuard& guard, Dialogs& dialogs,
                                   const QString& activationToken = {}, int waitMs = 2000,
                                   bool listenNow = true);
// `process` is the silent copy's process id when it is known.
QString notAnsweringMessage(std::optional<qint64> process);

// The text shown, and printed by the command line, when another copy (of any build) uses the data.
QString dataInUseMessage();
// The data folder's lock for the window; nothing when another copy holds it or it cannot be had,
// having said which in a box.
std::optional<os::FileLock> lockDataFolder(const AppPaths& paths, Dialogs& dialogs);

// The two name-day calendars the program carries in its resources.
void loadBundledCalendars(AppState& state);
// The box listing the data files that hold damaged records; nothing when none does.
void reportDamagedFiles(const AppState& state, Dialogs& dialogs);
// Runs `work` once the window's first frame is drawn (or a second after `window` was shown when it
// draws none, as a minimised one may not): what the first frame does not need waits for it.
void afterFirstFrame(QWidget& window, std::function<void()> work);

// The tray's balloon with today's and tomorrow's names; it stays longer when the window starts hidden.
void showStartBalloon(Tray& tray, const AppState& state, DayNumber today, bool startHidden);

} // namespace zel::gui
