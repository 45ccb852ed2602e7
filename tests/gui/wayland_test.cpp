// Run by wayland_test.sh on a headless compositor; skipped anywhere else.
#include "support/app_fixture.h"

#include <QGuiApplication>
#include <QWindow>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;

namespace {

bool onWayland() {
    return QGuiApplication::platformName() == u"wayland"_s;
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
    if (!onWayland()) GTEST_SKIP() << "needs a Wayland compositor (tests/gui/wayland_test.sh starts one)";
    test::App x(Moment::at(2024, 3, 5, 9, 5, 58));
    x.quiet();
    x.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
    x.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(x.w.get()));
    // Closed into a tray that GNOME does not have: minimised.
    x.w->showMinimized();
    QTest::qWait(500);
    x.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
    x.w->onClockTick();
    AlertWindow* alert = x.w->alertWindow();
    ASSERT_TRUE(alert->alertShown());
    EXPECT_TRUE(exposedAfterAWhile(alert)) << "the compositor hides the alert";
    EXPECT_EQ(alert->parentWidget(), nullptr);
}
