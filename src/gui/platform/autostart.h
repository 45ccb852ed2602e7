#pragma once

#include <QString>

namespace zel::gui {

// Starting the program with the user's session.
class Autostart {
  public:
    virtual ~Autostart() = default;
    // Writes (on) or removes (off) the entry that starts `executable` at log-on. Throws IoError when
    // the entry cannot be written.
    virtual void setAutostart(bool on, const QString& executable) = 0;
    virtual bool isOn() const = 0;
};

} // namespace zel::gui
