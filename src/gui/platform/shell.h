#pragma once

#include <QString>

namespace zel::gui {

// Opens programs, documents, folders and web or mailto: addresses with the desktop. Each opening
// says whether it was handed on: false when nothing could open the target (no such file, no program
// for it, an empty or unusable address).
class Shell {
  public:
    virtual ~Shell() = default;
    // The default action on `file`, with a parameter text (empty: none). A stored command (path,
    // one space, parameters) comes whole as `file` with empty parameters.
    virtual bool open(const QString& file, const QString& parameters) = 0;
    // Opens a web or mailto: address.
    virtual bool openAddress(const QString& address) = 0;
    // Whether a leading part of a stored command names a program or a file, as open() finds it.
    virtual bool findsProgram(const QString& command) const = 0;
};

class Dialogs;

// What the user asked to open, opened; when nothing could open it a box says what.
void openOrReport(Shell& shell, Dialogs& dialogs, const QString& file, const QString& parameters);
void openAddressOrReport(Shell& shell, Dialogs& dialogs, const QString& address);
// "Nem sikerült megnyitni:" and the target on a line of its own.
QString cannotOpenMessage(const QString& target);

} // namespace zel::gui
