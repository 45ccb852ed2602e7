#include "gui/start/app_setup.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>
#include <fontconfig/fontconfig.h>

namespace zel::gui {

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Zelmoran"));
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Zelmoran"));
    // No display name: on X11 Qt would append it to every window title.
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    // The translation travels in the program's resources, so a missing system package changes nothing.
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral(":/translations/qtbase_hu.qm"))) QApplication::installTranslator(qt);
}

std::future<void> readFontConfigurationAhead() {
    // The toolkit finds the configuration made current here; without it, it reads its own.
    return std::async(std::launch::async, [] { FcInit(); });
}

} // namespace zel::gui
