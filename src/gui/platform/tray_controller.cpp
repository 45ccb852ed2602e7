#include "gui/platform/tray_controller.h"

#include "core/namedays/namedays.h"
#include "gui/platform/qt_tray.h"
#include "gui/state/app_state.h"
#include "gui/state/watch.h"
#include "gui/text/qt_text.h"

namespace zel::gui {

TrayController::TrayController(QtTray& tray, const AppState& state, const Clock& clock, const Watch& watch,
                               std::function<bool()> windowInSight, QObject* parent)
    : QObject(parent), state_(state), clock_(clock) {
    tray.windowVisible = std::move(windowInSight);
    tray.watching = [&watch] { return watch.active(); };
    tray.dayCaption = [this](bool tomorrow) { return dayCaption(tomorrow); };
    connect(&tray, &QtTray::dayItemChosen, this, &TrayController::chooseDay);
}

QString TrayController::dayCaption(bool tomorrow) const {
    const TodayTomorrowNames names = todayAndTomorrowNames(state_.commonCalendar(), clock_.now().day);
    return tomorrow ? QStringLiteral("Holnap: ") + fromCp(names.tomorrow)
                    : QStringLiteral("Ma: ") + fromCp(names.today);
}

void TrayController::chooseDay(const QString& caption) {
    QString names = caption.mid(caption.indexOf(QStringLiteral(": ")) + 2);
    if (names.endsWith(QLatin1Char(' '))) names.chop(1);
    const QString first = names.left(names.indexOf(QLatin1Char(' ')));
    if (!first.isEmpty()) emit newPartnerRequested(QLatin1Char(' ') + first);
}

} // namespace zel::gui
