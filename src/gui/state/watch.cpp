#include "gui/state/watch.h"

#include "core/events/firing.h"
#include "gui/state/app_state.h"

#include <QTimer>
#include <vector>

namespace zel::gui {

Watch::Watch(AppState& state, Clock& clock, QObject* parent)
    : QObject(parent), state_(state), clock_(clock), timer_(new QTimer(this)), lastWatched_(clock.now()) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        tick();
        schedule();
    });
}

void Watch::start() {
    schedule();
}

void Watch::schedule() {
    // Just after each whole second, so the displayed second and the firing second agree.
    timer_->start(static_cast<int>(1000 - clock_.now().millisecond()) + 2);
}

void Watch::tick() {
    const Moment now = clock_.now();
    emit ticked(now);
    if (active_) {
        // Copies: firing shows windows and runs programs, and nothing may pull the rows away meanwhile.
        const auto due = [&](EventKind k) {
            std::vector<EventRow> rows;
            for (std::size_t i : firingRows(state_.table(k), lastWatched_, now))
                rows.push_back(state_.table(k).row(i));
            return rows;
        };
        const std::vector<EventRow> reminders = due(EventKind::Reminder), programs = due(EventKind::Program);
        for (const EventRow& row : reminders)
            emit reminderDue(row, now);
        for (const EventRow& row : programs)
            emit programDue(row);
        state_.updateNext();
    }
    lastWatched_ = now;
}

void Watch::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    emit activeChanged(active);
}

} // namespace zel::gui
