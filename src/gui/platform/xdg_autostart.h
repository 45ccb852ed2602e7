#pragma once

#include "gui/platform/autostart.h"

#include <QString>

namespace zel::gui {

// Linux: an XDG autostart entry in $XDG_CONFIG_HOME/autostart (default ~/.config/autostart), named
// after the program's title. Windows: the per-user Run value of that name.
class XdgAutostart : public Autostart {
  public:
    void setAutostart(bool on, const QString& executable) override;
    bool isOn() const override;
    // Where the entry lives.
    static QString entryPath();
};

} // namespace zel::gui
