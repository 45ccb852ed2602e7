#include "gui/platform/window_activation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

namespace zel::gui {

bool windowsOnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void bringForward(QWidget& window, const QString& activationToken, const std::function<void()>& remap,
                  bool onWayland) {
    // A modal dialog of the window would go with it; it keeps the window where it is.
    if (onWayland && window.isVisible() && !window.isActiveWindow() && !QApplication::activeModalWidget())
        remap();
    if (window.isMinimized()) window.showNormal();
    window.show();
    window.raise();
    // Qt's Wayland window hands this token to the compositor when it asks for the focus.
    if (onWayland && !activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window.activateWindow();
    // Spent or refused, it must not pass on to the programs this one starts.
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace zel::gui
