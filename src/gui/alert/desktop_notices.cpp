#include "gui/alert/desktop_notices.h"

#include "core/text/datetime.h"
#include "gui/platform/notifier.h"
#include "gui/state/app_state.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace zel::gui {

DesktopNotices::DesktopNotices(Notifier& alerts, Notifier& running, const AppState& state, bool onWayland,
                               QObject* parent)
    : QObject(parent), alerts_(alerts), running_(running), state_(state), onWayland_(onWayland) {}

void DesktopNotices::postAlert(const QString& text, int minute, bool mainWindowInSight) {
    if (!state_.settings().desktopNotifications || (!onWayland_ && mainWindowInSight)) return;
    alerts_.post(QStringLiteral("Emlékeztető – ") + QString::fromStdString(timeText(minute)), text,
                 QStringLiteral("Megnyitás"));
}

void DesktopNotices::postMissed(int count, bool mainWindowInSight) {
    if (!state_.settings().desktopNotifications || (!onWayland_ && mainWindowInSight)) return;
    alerts_.post(QStringLiteral("Elmulasztott emlékeztetők"),
                 QString::number(count) +
                     QStringLiteral(" esemény járt le, amíg a Zelmoran nem figyelhetett."),
                 QStringLiteral("Megnyitás"));
}

void DesktopNotices::withdrawAlert() {
    alerts_.withdraw();
}

void DesktopNotices::watchComingForward(QWidget& window) {
    if (!onWayland_) return;
    QTimer::singleShot(1000, this, [this, w = QPointer<QWidget>(&window)] {
        if (!w || w->isActiveWindow() || !state_.settings().desktopNotifications) return;
        runningPosted_ = true;
        running_.post(
            QStringLiteral("A Zelmoran már fut"),
            QStringLiteral("A rendszer nem hozta előtérbe az ablakát. Kattintson ide a megjelenítéséhez."),
            QStringLiteral("Megjelenítés"));
    });
}

void DesktopNotices::windowActivated() {
    if (std::exchange(runningPosted_, false)) running_.withdraw();
}

} // namespace zel::gui
