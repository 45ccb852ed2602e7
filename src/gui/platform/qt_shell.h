#pragma once

#include "gui/platform/shell.h"

#include <QStringList>

namespace zel::gui {

// Programs start detached with QProcess; documents, folders and addresses go to the desktop. Each
// says false when the process did not start or the desktop had nothing to open the target with.
class QtShell : public Shell {
  public:
    bool open(const QString& file, const QString& parameters) override;
    bool openAddress(const QString& address) override;
    bool findsProgram(const QString& command) const override { return commandNamesProgram(command); }
    // The check itself: a file, or a bare program name on PATH, at the start of the command.
    static bool commandNamesProgram(const QString& command);

  private:
    bool startProgram(const QString& program, const QStringList& arguments);
    bool openDocument(const QString& target);
    // Whether the file is "notepad.exe" or "explorer.exe", which stand for the desktop's own
    // viewers; `opened` then says whether the desktop took the target.
    bool openWindowsHabit(const QString& file, const QString& parameter, bool& opened);
};

} // namespace zel::gui
