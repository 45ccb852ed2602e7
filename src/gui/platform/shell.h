#pragma once

#include <QString>

namespace zel::gui {

// Opens programs, documents, folders and web or mailto: addresses with the desktop. Results are
// ignored: what cannot be opened opens nothing and shows nothing.
class Shell {
  public:
    virtual ~Shell() = default;
    // The default action on `file`, with a parameter text (empty: none). A stored command (path,
    // one space, parameters) comes whole as `file` with empty parameters.
    virtual void open(const QString& file, const QString& parameters) = 0;
    // Opens a web or mailto: address.
    virtual void openAddress(const QString& address) = 0;
    // Whether a leading part of a stored command names a program or a file, as open() finds it.
    virtual bool findsProgram(const QString& command) const = 0;
};

} // namespace zel::gui
