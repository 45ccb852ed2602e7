#pragma once

#include <QString>

namespace zel::gui {

// The help tab's text. `folder` is where the data lives; `perUser`: apart from the program, whose
// folder takes no file.
QString helpText(const QString& folder, bool perUser);

} // namespace zel::gui
