// What the program asks of the desktop's notification list, and how its windows come forward.
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using test::event;

namespace {

const QString kPosted = u"Emlékeztető – 9:06|Fogorvos <10 órakor> & posta|Megnyitás"_s;
const QString kRunning = u"A Zelmoran már fut|A rendszer nem hozta előtérbe az ablakát. Kattintson ide a "
                         u"megjelenítéséhez.|Megjelenítés"_s;

// A reminder at 9:06 with the window in the given state; fired, the alert is on screen.
struct Due : test::App {
    explicit Due(bool wayland_) : test::App(Moment::at(2024, 3, 5, 9, 5, 59)) {
        wayland = wayland_;
        quiet();
        store(EventKind::Reminder, {event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos <10 órakor> & posta")});
        show();
    }
    void fire() {
        clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
        w->watch().tick();
        ASSERT_TRUE(w->alertWindow()->alertShown());
    }
    void answer() {
        QTest::keyClick(test::child<QComboBox>(w->alertWindow(), "actionList"), Qt::Key_Return);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(GuiDesktopNotifications, AnAlertIsPostedWhereTheWindowMayGoUnseenAndWithdrawnWhenAnswered) {
    // On X11 the alert stays above every window: posted only when the program is minimised or hidden in
    // the tray. On Wayland nothing keeps it on top: always posted. Each is withdrawn once answered.
    enum Window { Shown, Minimised, Hidden };
    const std::tuple<bool, Window, bool> cases[] = {
        {false, Shown, false}, {false, Minimised, true}, {false, Hidden, true}, {true, Shown, true}};
    for (const auto& [wayland, window, posted] : cases) {
        SCOPED_TRACE(testing::Message() << wayland << " " << window);
        Due x(wayland);
        if (window == Hidden) x.w->hide();
        if (window == Minimised) x.w->showMinimized();
        x.fire();
        EXPECT_EQ(x.alertNotifier.take(), posted ? QStringList{kPosted} : QStringList());
        x.answer();
        EXPECT_EQ(x.alertNotifier.take(), QStringList{u"withdraw"_s});
        EXPECT_TRUE(x.runningNotifier.take().isEmpty());
    }
    // Turned off in the settings: never.
    Due x(true);
    Settings off = x.w->state().settings();
    off.desktopNotifications = false;
    x.w->state().setSettings(off);
    x.w->hide();
    x.fire();
    EXPECT_TRUE(x.alertNotifier.take().isEmpty());
}

TEST(GuiDesktopNotifications, TheNotificationsClickBringsTheAlertForwardUnansweredAndStillSounding) {
    for (const bool wayland : {false, true}) {
        Due x(wayland);
        x.w->hide();
        x.fire();
        AlertWindow* alert = x.w->alertWindow();
        // Another window took the focus, as a full-screen program would.
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        x.alertNotifier.take();
        x.sound.take();
        x.alertNotifier.click(u"tok_TIME1"_s);
        QCoreApplication::processEvents();
        EXPECT_TRUE(alert->alertShown() && alert->isActiveWindow()) << wayland;
        EXPECT_TRUE(x.sound.take().isEmpty()) << "the alarm goes on";
        EXPECT_TRUE(x.alertNotifier.take().isEmpty()) << "nothing was answered";
        EXPECT_TRUE(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN")) << "spent, never passed on";
        EXPECT_FALSE(x.w->isVisible());
        // Answered afterwards, it ends as any alert does.
        x.answer();
        EXPECT_EQ(x.sound.take(), QStringList{u"stop"_s});
        EXPECT_EQ(x.alertNotifier.take(), QStringList{u"withdraw"_s});
    }
}

TEST(GuiDesktopNotifications, ALaterStartBringsTheWindowForwardOrSaysWhereItIs) {
    // On X11 the window manager decides, as ever: nothing is posted.
    for (const bool wayland : {false, true}) {
        Due x(wayland);
        x.w->hide();
        x.w->comeForward(u"tok_TIME2"_s);
        EXPECT_TRUE(x.w->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowActive(x.w.get()));
        QTest::qWait(1200);
        EXPECT_TRUE(x.runningNotifier.take().isEmpty()) << wayland;
        EXPECT_TRUE(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
    }
    // Kept back by the compositor (here another window keeps the focus): posted a second later, and
    // its click brings the window forward; once active, the notification goes.
    for (const bool wayland : {false, true}) {
        Due x(wayland);
        x.w->showMinimized();
        x.w->comeForward({});
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        QTest::qWait(1200);
        if (!wayland) {
            EXPECT_TRUE(x.runningNotifier.take().isEmpty());
            continue;
        }
        EXPECT_EQ(x.runningNotifier.take(), QStringList{kRunning});
        x.runningNotifier.click();
        ASSERT_TRUE(QTest::qWaitForWindowActive(x.w.get()));
        EXPECT_EQ(x.runningNotifier.take(), QStringList{u"withdraw"_s});
    }
}
