#pragma once

#include "gui/platform/shell.h"

#include <QStringList>

namespace zel::gui {

// Programs start detached with QProcess; documents, folders and addresses go to the desktop.
class QtShell : public Shell {
  public:
    void open(const QString& file, const QString& parameters) override;
    void openAddress(const QString& address) override;

  private:
    void startProgram(const QString& program, const QStringList& arguments);
    void openDocument(const QString& target);
    bool openWindowsHabit(const QString& file, const QString& parameter);
};

} // namespace zel::gui
