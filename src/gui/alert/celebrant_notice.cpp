#include "gui/alert/celebrant_notice.h"

#include "core/notice/notice.h"
#include "gui/alert/alert_window.h"
#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

#include <utility>

namespace zel::gui {

CelebrantNotice::CelebrantNotice(std::function<AlertWindow&()> window, const AppState& state,
                                 const Clock& clock, QObject* parent)
    : QObject(parent), window_(std::move(window)), state_(state), clock_(clock) {}

AlertWindow& CelebrantNotice::window() {
    AlertWindow& w = window_();
    if (!std::exchange(connected_, true))
        connect(&w, &AlertWindow::alertEnded, this, &CelebrantNotice::showWaiting);
    return w;
}

void CelebrantNotice::show(Mode mode, bool exitIfNothing, bool withSound) {
    const std::vector<std::string> lines =
        celebrantLines(state_.table(EventKind::NameDay), state_.table(EventKind::Birthday), clock_.now().day,
                       state_.settings().noticeDays);
    if (lines.empty()) {
        if (exitIfNothing) emit exitRequested();
        return;
    }
    AlertWindow& w = window();
    if (w.alertShown()) {
        waiting_ = Request{mode, exitIfNothing, withSound};
        return;
    }
    QStringList shown;
    for (const std::string& line : lines)
        shown << fromCp(line);
    const bool startUp = mode == Mode::StartUp;
    // Modal to the whole program, but without a nested event loop: the clock keeps ticking behind it.
    w.hide();
    w.setWindowModality(Qt::ApplicationModal);
    w.prepareNotice(shown, !startUp, !startUp, startUp);
    if (withSound) w.play(AlertWindow::PlayMode::Alarm);
    w.show();
    w.raise();
    w.activateWindow();
}

void CelebrantNotice::showWaiting(AlertAction answer) {
    const std::optional<Request> waiting = std::exchange(waiting_, std::nullopt);
    // Editing the event or entering a new one takes the user back into the program instead.
    if (!waiting || answer == AlertAction::EditEvent || answer == AlertAction::NewEvent) return;
    show(waiting->mode, waiting->exitIfNothing, waiting->withSound);
}

} // namespace zel::gui
