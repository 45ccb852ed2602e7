#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zel::gui {

// Whether windows go through a Wayland compositor, where a program can neither keep a window above
// the others nor raise, restore or focus one of its own: the compositor does that, and only for a
// window that has the activation token of something the user acted on (a launcher, a notification).
bool windowsOnWayland();

// Shows, restores and raises `window` and asks for the focus, handing the compositor `activationToken`
// when there is one. On Wayland a window that is not the active one is first taken off the screen and
// put back by `remap`, because a window shown anew is placed in front and focused by GNOME's window
// manager even where it would refuse the token, while a minimised one stays out of sight.
void bringForward(QWidget& window, const QString& activationToken, const std::function<void()>& remap,
                  bool onWayland);

} // namespace zel::gui
