#pragma once

class QApplication;

namespace zel::gui {

// What every run of the program sets on the application before any window: its name, that closing
// the last window does not end it, and Hungarian for Qt's own dialogs and pickers, whatever the
// system language is.
void setUpApplication(QApplication& app);

} // namespace zel::gui
