// Run by desktop_session.sh under GNOME's window manager, on Wayland or on X11; skipped anywhere else.
#include "gui/platform/dbus_notifier.h"
#include "gui/platform/instance_guard.h"
#include "gui/platform/window_activation.h"
#include "support/app_fixture.h"
#include "support/notification_service.h"

#include <QGuiApplication>
#include <QProcess>
#include <QWindow>
#include <cstdio>
#include <future>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;

namespace {

// Qt's Wayland platform does not claim window activation, so QTest's own wait only waits for exposure;
// the focus is what the compositor gives.
bool activeSoon(QWidget* w, int ms = 3000) {
    return QTest::qWaitFor([w] { return w->isActiveWindow(); }, ms);
}

bool onWayland() {
    return QGuiApplication::platformName() == u"wayland"_s;
}

#define ZEL_REQUIRE_SESSION(platform)                                                                        \
    if (QGuiApplication::platformName() != (platform))                                                       \
    GTEST_SKIP() << "needs a desktop session (tests/gui/desktop_session.sh starts one)"

// The window closed into a tray GNOME does not have (minimised); a second start asks the running copy
// for it, from a process of its own (here, a thread), with the launcher's token.
void secondStartBringsTheWindowBack(bool wayland) {
    test::App x;
    x.wayland = wayland;
    x.quiet();
    x.show();
    ASSERT_TRUE(activeSoon(x.w.get()));
    test::TempDir runtime;
    const QString folder = QString::fromStdString(runtime.path().string());
    const ExeIdentity build = identityOf("the build under the window manager");
    InstanceGuard running(build, folder, 1.0);
    ASSERT_TRUE(running.claim());
    QObject::connect(&running, &InstanceGuard::activationRequested, x.w.get(), &MainWindow::comeForward);

    x.w->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !x.w->isActiveWindow(); }, 3000));
    InstanceGuard second(build, folder, 2.0);
    ASSERT_FALSE(second.claim());
    auto asked = std::async(std::launch::async,
                            [&] { return second.ask(InstanceRequest::Activate, 3000, u"launcher_TIME7"_s); });
    while (asked.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        QCoreApplication::processEvents();
    ASSERT_TRUE(asked.get().has_value());
    EXPECT_TRUE(activeSoon(x.w.get())) << "the window did not come back";
    EXPECT_TRUE(x.w->windowHandle()->isExposed());
    // Back in front: nothing to announce.
    QTest::qWait(1200);
    EXPECT_TRUE(x.runningNotifier.take().isEmpty());
}

// What the X window manager holds of a window's state, e.g. "_NET_WM_STATE_ABOVE".
QString windowManagerState(QWidget* w) {
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(w->winId()), u"_NET_WM_STATE"_s});
    xprop.waitForFinished(5000);
    return QString::fromLatin1(xprop.readAllStandardOutput());
}

// The managed windows from bottom to top.
QStringList stackingOrder() {
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s});
    xprop.waitForFinished(5000);
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    QStringList ids;
    for (const QString& id : out.section(u'#', 1).split(u',', Qt::SkipEmptyParts))
        ids << QString::number(id.trimmed().toULongLong(nullptr, 16));
    return ids;
}

// Qt takes a window whose frames the compositor stops asking for as no longer exposed, so exposure
// is what the compositor shows. Waits a while for it to settle either way.
bool exposedAfterAWhile(QWidget* w) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1500)
        QTest::qWait(50);
    return w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

} // namespace

TEST(GuiWayland, TheAlertIsShownWhileTheMainWindowIsMinimised) {
    ZEL_REQUIRE_SESSION(u"wayland"_s);
    test::App x(Moment::at(2024, 3, 5, 9, 5, 58));
    x.quiet();
    x.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
    x.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(x.w.get()));
    // Closed into a tray that GNOME does not have: minimised.
    x.w->showMinimized();
    QTest::qWait(500);
    x.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
    x.w->watch().tick();
    AlertWindow* alert = x.w->alertWindow();
    ASSERT_TRUE(alert->alertShown());
    EXPECT_TRUE(exposedAfterAWhile(alert)) << "the compositor hides the alert";
    EXPECT_EQ(alert->parentWidget(), nullptr);
}

TEST(GuiWayland, ASecondStartBringsTheMinimisedWindowBack) {
    ZEL_REQUIRE_SESSION(u"wayland"_s);
    secondStartBringsTheWindowBack(true);
}

TEST(GuiWayland, TheAlertIsPostedToTheNotificationServiceWhoseClickBringsItForward) {
    ZEL_REQUIRE_SESSION(u"wayland"_s);
    test::PrivateBus bus;
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon could not be started (Debian: dbus-daemon)";
    test::StandInNotifications server(bus.connect());
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier(bus.connect());
    test::Start s;
    s.clock.set(Moment::at(2024, 3, 5, 9, 5, 58));
    s.quiet();
    s.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
    MainWindow w(AppPaths{s.dir.path()}, Services{s.dialogs, s.clock, s.shell, s.sound, s.tray, s.autostart,
                                                  notifier, s.runningNotifier, windowsOnWayland()});
    w.start();
    w.show();
    ASSERT_TRUE(activeSoon(&w));
    w.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isActiveWindow(); }, 3000));

    s.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
    w.watch().tick();
    AlertWindow* alert = w.alertWindow();
    ASSERT_TRUE(alert->alertShown());
    ASSERT_TRUE(test::waitFor([&] { return server.posted.size() == 1; }));
    EXPECT_EQ(server.posted[0].summary, u"Emlékeztető – 9:06"_s);
    EXPECT_EQ(server.posted[0].body, u"Fogorvos"_s);
    EXPECT_EQ(server.posted[0].actions, (QStringList{u"default"_s, u"Megnyitás"_s}));
    ASSERT_TRUE(activeSoon(alert)) << "a new window gets the focus";

    // The user went on working in another program; the notification's click brings the alert back in
    // front, although the program has no focus to ask for it with.
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ZEL_ANOTHER_PROGRAM"_s, u"1"_s);
    other.setProcessEnvironment(env);
    other.setProcessChannelMode(QProcess::ForwardedChannels);
    other.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=GuiWayland.AnotherProgram"_s});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !alert->isActiveWindow(); }, 5000))
        << "the other program got no focus";
    emit server.ActionInvoked(41, u"default"_s);
    EXPECT_TRUE(activeSoon(alert)) << "the alert did not come forward";
    EXPECT_TRUE(alert->alertShown());
    EXPECT_TRUE(server.closed.empty());
    // Answered in the window: the notification goes.
    QTest::keyClick(test::child<QComboBox>(alert, "actionList"), Qt::Key_Return);
    EXPECT_TRUE(test::waitFor([&] { return server.closed.size() == 1; }));
    other.kill();
    other.waitForFinished();
}

// Started by the tests above as another program whose window takes the focus.
TEST(GuiWayland, AnotherProgram) {
    if (!onWayland() || !qEnvironmentVariableIsSet("ZEL_ANOTHER_PROGRAM"))
        GTEST_SKIP() << "stands in for another program when a Wayland test starts it";
    QWidget window;
    window.setWindowTitle(u"Másik program"_s);
    window.resize(400, 300);
    window.show();
    if (activeSoon(&window, 10'000)) std::printf("focused\n");
    std::fflush(stdout);
    QTest::qWait(20'000);
}

TEST(GuiX11, TheAlertComesOnTopAndFocusedWhileTheMainWindowIsMinimised) {
    ZEL_REQUIRE_SESSION(u"xcb"_s);
    test::App x(Moment::at(2024, 3, 5, 9, 5, 58));
    x.quiet();
    x.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
    x.show();
    ASSERT_TRUE(activeSoon(x.w.get()));
    x.w->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !x.w->isActiveWindow(); }, 3000));
    x.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
    x.w->watch().tick();
    AlertWindow* alert = x.w->alertWindow();
    ASSERT_TRUE(alert->alertShown());
    EXPECT_TRUE(activeSoon(alert)) << "the alert did not get the focus";
    EXPECT_TRUE(alert->windowHandle()->isExposed());
    EXPECT_TRUE(windowManagerState(alert).contains(u"_NET_WM_STATE_ABOVE"_s))
        << windowManagerState(alert).toStdString();
    // A window opened afterwards stays below it.
    QWidget later;
    later.resize(800, 600);
    later.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&later));
    QTest::qWait(300);
    const QStringList order = stackingOrder();
    const auto alertAt = order.indexOf(QString::number(alert->winId()));
    const auto laterAt = order.indexOf(QString::number(later.winId()));
    ASSERT_TRUE(alertAt >= 0 && laterAt >= 0) << order.join(u' ').toStdString();
    EXPECT_GT(alertAt, laterAt) << "the later window covers the alert";
}

TEST(GuiX11, ASecondStartRestoresTheMinimisedWindow) {
    ZEL_REQUIRE_SESSION(u"xcb"_s);
    secondStartBringsTheWindowBack(false);
}
