#pragma once

#include <future>

class QApplication;

namespace zel::gui {

// What every run of the program sets on the application before any window: its name, that closing
// the last window does not end it, and Hungarian for Qt's own dialogs and pickers, whatever the
// system language is.
void setUpApplication(QApplication& app);

// Reads the system's font configuration on another thread, started before the toolkit: otherwise the
// main thread reads it (several milliseconds of files and XML) when the window first needs a font.
std::future<void> readFontConfigurationAhead();

} // namespace zel::gui
