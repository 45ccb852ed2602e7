#pragma once

#include "core/app/paths.h"
#include "gui/platform/dialogs.h"

#include <QString>
#include <filesystem>

namespace zel::gui {

// The message shown when the program's folder takes no file; `folder` ends with a separator.
QString writeTestMessage(const QString& folder);

// Proves the folder writable; otherwise shows the message and returns false, having created nothing.
bool runWriteTest(const AppPaths& paths, Dialogs& dialogs);

// Where the data lives: beside the executable, as always, when that folder takes a file; otherwise
// (an installed copy in a folder only the system may write) in the user's own data folder,
// $XDG_DATA_HOME/Zelmoran. When neither takes a file, the executable's folder, so the write test
// names it.
std::filesystem::path dataFolderFor(const std::filesystem::path& exeDir);
// Whether the data lives apart from the program.
bool dataIsPerUser(const AppPaths& paths);

// The executable's folder as the program shows it, with its final separator.
QString folderText(const AppPaths& paths);

} // namespace zel::gui
