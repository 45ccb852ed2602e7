#pragma once

#include "gui/platform/shell.h"

#include <QStringList>

namespace zel::gui {

// Programs start detached with QProcess; documents, folders and addresses go to the desktop.
class QtShell : public Shell {
  public:
    void open(const QString& file, const QString& parameters) override;
    void openAddress(const QString& address) override;
    bool findsProgram(const QString& command) const override { return commandNamesProgram(command); }
    // The check itself: a file, or a bare program name on PATH, at the start of the command.
    static bool commandNamesProgram(const QString& command);

  private:
    void startProgram(const QString& program, const QStringList& arguments);
    void openDocument(const QString& target);
    bool openWindowsHabit(const QString& file, const QString& parameter);
};

} // namespace zel::gui
