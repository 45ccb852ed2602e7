#include "app/command_line.h"
#include "core/app/data_reader.h"
#include "core/app/instance_identity.h"
#include "core/app/paths.h"
#include "gui/main_window.h"
#include "gui/platform/dbus_notifier.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/instance_guard.h"
#include "gui/platform/module_sound.h"
#include "gui/platform/qt_shell.h"
#include "gui/platform/qt_tray.h"
#include "gui/platform/sound_module_bytes.h"
#include "gui/platform/system_clock.h"
#include "gui/platform/window_activation.h"
#include "gui/platform/xdg_autostart.h"
#include "gui/start/app_setup.h"
#include "gui/start/startup.h"
#include "gui/state/watch.h"
#include "gui/sync/secret_store.h"
#include "gui/text/texts.h"

#include <QApplication>
#include <QDBusConnection>
#include <QStandardPaths>
#include <future>

int main(int argc, char* argv[]) {
    // Import, export and sync from the command line need no display.
    if (zel::app::wantsCommandLine(argc, argv)) {
        QCoreApplication app(argc, argv);
        return zel::app::runCommandLine(argc, argv);
    }
    // The desktop's token for bringing a window forward, read before the toolkit may take it; a
    // second start hands it to the running copy.
    const QString activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    const std::future<void> fonts = zel::gui::readFontConfigurationAhead();
    // The executable's identity, which a second start is known by, is read while the toolkit starts;
    // the running image's own file, whatever has since been written at its path.
    std::future<zel::ExeIdentity> identity =
        std::async(std::launch::async, [] { return zel::identityOfFile("/proc/self/exe"); });
    // So are the partners and the reminders where the data usually is, beside the program; the window
    // takes them if that is where its data is.
    std::unique_ptr<zel::DataReader> readAhead;
    std::error_code ec;
    if (const zel::AppPaths beside{std::filesystem::read_symlink("/proc/self/exe", ec).parent_path()};
        !ec && zel::holdsData(beside))
        readAhead = std::make_unique<zel::DataReader>(beside.dataDir());
    QApplication app(argc, argv);
    zel::gui::setUpApplication(app);

    // A second start of this build shows the running copy and ends before it touches a file; one
    // that gets no answer says so. This copy answers once its window is drawn: a later start waits
    // that long for the answer.
    zel::gui::QtDialogs dialogs;
    zel::gui::SystemClock clock;
    const zel::Moment started = clock.now();
    zel::gui::InstanceGuard guard(identity.get(),
                                  QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                                  zel::storedFromMoment(started));
    if (const auto ended = zel::gui::meetRunningCopy(guard, dialogs, activationToken, 2000, false))
        return *ended;

    zel::AppPaths paths{zel::gui::dataFolderFor(QCoreApplication::applicationDirPath().toStdString())};
    if (!zel::gui::runWriteTest(paths, dialogs)) return 1;
    // Another build, or the command line, may be using the same data.
    const auto dataLock = zel::gui::lockDataFolder(paths, dialogs);
    if (!dataLock) return 1;

    zel::gui::QtShell shell;
    zel::gui::ModuleSound sound(zel::gui::soundModule());
    // Shown after the window's first frame, with the day and the balloon the start gave it.
    zel::gui::QtTray tray;
    zel::gui::XdgAutostart autostart;
    // The session bus is reached once the window is drawn, or by the first notification.
    zel::gui::DBusNotifier alertNotifier([] { return QDBusConnection::sessionBus(); });
    zel::gui::DBusNotifier runningNotifier([] { return QDBusConnection::sessionBus(); });
    zel::gui::KeychainSecretStore secrets;
    zel::gui::MainWindow window(paths,
                                {dialogs, clock, shell, sound, tray, autostart, alertNotifier,
                                 runningNotifier, zel::gui::windowsOnWayland(), &secrets},
                                nullptr, std::move(readAhead));
    dialogs.setParent(&window);
    window.attachTray(tray);
    guard.mainWindowId = [&window] { return static_cast<std::uint32_t>(window.internalWinId()); };
    QObject::connect(&guard, &zel::gui::InstanceGuard::activationRequested, &window,
                     &zel::gui::MainWindow::comeForward);
    window.start(zel::gui::MainWindow::StartNotice::Later);
    // What the first frame does not need starts once it is drawn. Starting in the tray needs a tray
    // to come back from; without one the window starts minimised.
    // The watch begins with the tables all read.
    const auto rest = [&] {
        tray.show();
        guard.listen();
        alertNotifier.connectBus();
        runningNotifier.connectBus();
        window.finishStart();
        sound.prepare();
        window.watch().start();
    };
    if (!window.startHidden()) {
        window.show();
        zel::gui::afterFirstFrame(window, rest);
    } else {
        rest();
        if (!tray.isShown()) window.showMinimized();
    }
    // A session that ends takes the program with it: the moment watched is kept for the next start.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window.watch(), &zel::gui::Watch::saveWatched);
    return QApplication::exec();
}
