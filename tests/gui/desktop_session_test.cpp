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

#define ZEL_REQUIRE_SESSION(platform)                                                                        \
    if (QGuiApplication::platformName() != (platform))                                                       \
    GTEST_SKIP() << "needs a desktop session (tests/gui/desktop_session.sh starts one)"

// A reminder that falls due at 9:06, two seconds from now.
void dueAtNineOhSix(test::Start& s) {
    s.clock.set(Moment::at(2024, 3, 5, 9, 5, 58));
    s.quiet();
    s.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
}

// The window, once it has the focus, closed into a tray GNOME does not have: minimised, and unfocused.
bool minimised(QWidget* w) {
    if (!activeSoon(w)) return false;
    w->showMinimized();
    return QTest::qWaitFor([w] { return !w->isActiveWindow(); }, 3000);
}

// Minimised, the window lets the clock reach 9:06: the alert, or null where the window never had the
// focus or no alert came.
AlertWindow* firedWhileMinimised(test::Start& s, MainWindow& w) {
    if (!minimised(&w)) return nullptr;
    s.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
    w.watch().tick();
    return w.alertWindow()->alertShown() ? w.alertWindow() : nullptr;
}

// A second start asks the running copy for its window, from a process of its own (here, a thread),
// with the launcher's token.
void secondStartBringsTheWindowBack(bool wayland) {
    test::App x;
    x.wayland = wayland;
    x.quiet();
    x.show();
    ASSERT_TRUE(minimised(x.w.get()));
    test::TempDir runtime;
    const ExeIdentity build = identityOf("the build under the window manager");
    InstanceGuard running(build, test::q(runtime.path()), 1.0);
    ASSERT_TRUE(running.claim());
    QObject::connect(&running, &InstanceGuard::activationRequested, x.w.get(), &MainWindow::comeForward);
    InstanceGuard second(build, test::q(runtime.path()), 2.0);
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

QString xprop(const QStringList& arguments) {
    QProcess xprop;
    xprop.start(u"xprop"_s, arguments);
    xprop.waitForFinished(5000);
    return QString::fromLatin1(xprop.readAllStandardOutput());
}

// The managed windows from bottom to top.
QStringList stackingOrder() {
    QStringList ids;
    for (const QString& id :
         xprop({u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s}).section(u'#', 1).split(u',', Qt::SkipEmptyParts))
        ids << QString::number(id.trimmed().toULongLong(nullptr, 16));
    return ids;
}

} // namespace

TEST(GuiWayland, TheAlertIsShownWhileTheMainWindowIsMinimised) {
    ZEL_REQUIRE_SESSION(u"wayland"_s);
    test::App x;
    dueAtNineOhSix(x);
    x.show();
    AlertWindow* alert = firedWhileMinimised(x, *x.w);
    ASSERT_TRUE(alert);
    // Qt takes a window whose frames the compositor stops asking for as no longer exposed, so exposure
    // after a while is what the compositor shows.
    QTest::qWait(1500);
    EXPECT_TRUE(alert->isVisible() && alert->windowHandle()->isExposed()) << "the compositor hides the alert";
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
    dueAtNineOhSix(s);
    MainWindow w(AppPaths{s.dir.path()}, Services{s.dialogs, s.clock, s.shell, s.sound, s.tray, s.autostart,
                                                  notifier, s.runningNotifier, windowsOnWayland()});
    w.start();
    w.show();
    AlertWindow* alert = firedWhileMinimised(s, w);
    ASSERT_TRUE(alert);
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
    if (QGuiApplication::platformName() != u"wayland"_s || !qEnvironmentVariableIsSet("ZEL_ANOTHER_PROGRAM"))
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
    test::App x;
    dueAtNineOhSix(x);
    x.show();
    AlertWindow* alert = firedWhileMinimised(x, *x.w);
    ASSERT_TRUE(alert);
    EXPECT_TRUE(activeSoon(alert)) << "the alert did not get the focus";
    EXPECT_TRUE(alert->windowHandle()->isExposed());
    const QString state = xprop({u"-id"_s, QString::number(alert->winId()), u"_NET_WM_STATE"_s});
    EXPECT_TRUE(state.contains(u"_NET_WM_STATE_ABOVE"_s)) << state.toStdString();
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
