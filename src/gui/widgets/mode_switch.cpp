#include "gui/widgets/mode_switch.h"

#include "core/text/datetime.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/tray.h"
#include "gui/state/app_state.h"
#include "gui/state/watch.h"
#include "gui/text/error_box.h"
#include "gui/text/texts.h"

#include <QEvent>
#include <QLabel>
#include <QToolButton>

namespace zel::gui {

ModeSwitch::ModeSwitch(QToolButton& button, QLabel& clock, Watch& watch, const AppState& state, Tray& tray,
                       Dialogs& dialogs, QObject* parent)
    : QObject(parent), button_(button), clock_(clock), watch_(watch), state_(state), tray_(tray),
      dialogs_(dialogs) {
    // The caption is a little smaller than the window's.
    QFont small = button_.font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    button_.setFont(small);
    button_.setMouseTracking(true);
    button_.installEventFilter(this);
    connect(&button_, &QToolButton::clicked, this,
            [this] { guarded(dialogs_, [this] { switchMode(Source::ModeButton); }); });
    // The clock keeps its width while the seconds change.
    clock_.setMinimumWidth(clock_.fontMetrics().horizontalAdvance(QStringLiteral("00:00:00    ")));
    connect(&watch_, &Watch::ticked, this, &ModeSwitch::onTicked);
    title_ = QStringLiteral("Zelmoran ") + kModeActive;
}

void ModeSwitch::setTitle(const QString& title) {
    title_ = title;
    emit titleChanged(title_);
}

void ModeSwitch::showClock(Moment now) {
    clock_.setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                   QStringLiteral("  "));
}

void ModeSwitch::showActive(Moment now) {
    setTitle(QStringLiteral("Zelmoran ") + kModeActive);
    showClock(now);
}

void ModeSwitch::onTicked(Moment now) {
    if (watch_.active()) {
        setTitle(QStringLiteral("Zelmoran ") + QStringLiteral(" ") + kModeActive);
        showClock(now);
        tray_.setDay(ymdOf(now.day).day);
    }
    tray_.setHint(title_);
}

void ModeSwitch::switchMode(Source source) {
    if (!watch_.active()) {
        watch_.setActive(true);
        watch_.tick();
        tray_.setHint(QStringLiteral("Zelmoran - Aktív"));
        button_.setText(QStringLiteral("Passzív mód"));
        return;
    }
    tray_.setHint(QStringLiteral("Zelmoran - Passzív mód (Nincs figyelmeztetés!!)"));
    watch_.setActive(false);
    setTitle(QStringLiteral("Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)"));
    button_.setText(QStringLiteral("Aktív mód"));
    clock_.clear();
    if (state_.settings().warnings && source != Source::StartUp) {
        dialogs_.warning(
            QStringLiteral("                             Ön passzív módba kapcsolta a programot.") + kNl +
            QStringLiteral("        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,") + kNl +
            QStringLiteral("            illetve nem tudnak frissülni a program naprakész elemei sem!") + kNl +
            QStringLiteral("   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a ") +
            (source == Source::TrayMenu ? QStringLiteral("menüpontra.") : QStringLiteral("gombra.")));
    }
}

bool ModeSwitch::eventFilter(QObject* watched, QEvent* event) {
    // The hint follows the caption, which names the mode the button switches to.
    if (watched == &button_ && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)) {
        const QString caption = button_.text();
        if (caption.startsWith(QLatin1Char('P')))
            button_.setToolTip(QStringLiteral("A program passzív módra kapcsolása"));
        else if (caption.startsWith(QLatin1Char('A')))
            button_.setToolTip(QStringLiteral("A program visszaállítása aktív módra"));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zel::gui
