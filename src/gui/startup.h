#pragma once

#include "core/app/paths.h"
#include "gui/platform/dialogs.h"

#include <QString>

namespace zel::gui {

// The message shown when the program's folder takes no file; `folder` ends with a separator.
QString writeTestMessage(const QString& folder);

// Proves the folder writable; otherwise shows the message and returns false, having created nothing.
bool runWriteTest(const AppPaths& paths, Dialogs& dialogs);

// The executable's folder as the program shows it, with its final separator.
QString folderText(const AppPaths& paths);

} // namespace zel::gui
