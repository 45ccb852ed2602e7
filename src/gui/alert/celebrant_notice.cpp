#include "gui/alert/celebrant_notice.h"

#include "core/notice/notice.h"
#include "gui/alert/alert_window.h"
#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

#include <utility>

namespace zel::gui {

CelebrantNotice::CelebrantNotice(AlertWindow& window, const AppState& state, const Clock& clock,
                                 QObject* parent)
    : QObject(parent), window_(window), state_(state), clock_(clock) {
    connect(&window_, &AlertWindow::alertEnded, this, &CelebrantNotice::showWaiting);
}

void CelebrantNotice::show(Mode mode, bool exitIfNothing, bool withSound) {
    const std::vector<std::string> lines =
        celebrantLines(state_.table(EventKind::NameDay), state_.table(EventKind::Birthday), clock_.now().day,
                       state_.settings().noticeDays);
    if (lines.empty()) {
        if (exitIfNothing) emit exitRequested();
        return;
    }
    if (window_.alertShown()) {
        waiting_ = Request{mode, exitIfNothing, withSound};
        return;
    }
    QStringList shown;
    for (const std::string& line : lines)
        shown << fromCp(line);
    const bool startUp = mode == Mode::StartUp;
    // Modal to the whole program, but without a nested event loop: the clock keeps ticking behind it.
    window_.hide();
    window_.setWindowModality(Qt::ApplicationModal);
    window_.prepareNotice(shown, !startUp, !startUp, startUp);
    if (withSound) window_.play(AlertWindow::PlayMode::Alarm);
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void CelebrantNotice::showWaiting(AlertAction answer) {
    const std::optional<Request> waiting = std::exchange(waiting_, std::nullopt);
    // Editing the event or entering a new one takes the user back into the program instead.
    if (!waiting || answer == AlertAction::EditEvent || answer == AlertAction::NewEvent) return;
    show(waiting->mode, waiting->exitIfNothing, waiting->withSound);
}

} // namespace zel::gui
