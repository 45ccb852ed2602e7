#include "gui/app_setup.h"
#include "gui/main_window.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/qt_shell.h"
#include "gui/platform/qt_sound.h"
#include "gui/platform/system_clock.h"
#include "gui/platform/tray.h"
#include "gui/platform/xdg_autostart.h"
#include "gui/startup.h"
#include "gui/texts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    zel::gui::setUpApplication(app);

    zel::AppPaths paths{QCoreApplication::applicationDirPath().toStdString()};
    zel::gui::QtDialogs dialogs;
    if (!zel::gui::runWriteTest(paths, dialogs)) return 1;

    zel::gui::SystemClock clock;
    zel::gui::QtShell shell;
    zel::gui::QtSound sound;
    zel::gui::NoTray tray;
    zel::gui::XdgAutostart autostart;
    zel::gui::MainWindow window(paths, {dialogs, clock, shell, sound, tray, autostart});
    dialogs.setParent(&window);
    window.start();
    // Starting in the tray needs a tray to come back from; without one the window starts minimised.
    if (!window.startHidden())
        window.show();
    else if (!tray.isShown())
        window.showMinimized();
    window.startClock();
    return QApplication::exec();
}
