#include "gui/state/watch.h"

#include "core/events/recurrence.h"
#include "gui/state/app_state.h"

#include <QTimer>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <utility>

namespace zel::gui {

namespace {

// Often enough that a crash or a power cut loses little, rarely enough to leave the disk alone.
constexpr std::int64_t kSaveEveryMs = 5 * 60'000;

} // namespace

Watch::Watch(AppState& state, Clock& clock, QObject* parent)
    : QObject(parent), state_(state), clock_(clock), timer_(new QTimer(this)),
      lookout_(clock.now(), clock.instantMs()), savedAt_(clock.instantMs()) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        tick();
        schedule();
    });
    connect(&state_, &AppState::eventsChanged, this, [this](EventKind kind) {
        if (hasTime(kind)) changed_[kind == EventKind::Reminder ? 0 : 1] = true;
    });
}

void Watch::start() {
    schedule();
}

void Watch::schedule() {
    // Just after each whole second, so the displayed second and the firing second agree.
    timer_->start(static_cast<int>(1000 - clock_.now().millisecond()) + 2);
}

void Watch::resumeFromLastRun() {
    const Moment now = clock_.now();
    const std::int64_t instant = clock_.instantMs();
    const std::optional<Moment> last = state_.readLastWatched();
    // Without a moment of an earlier run, watching goes on from when the watch was made: what falls
    // due while the program starts is due, not passed.
    const Moment made = lookout_.watchedUpTo();
    // Recurring events left in the past before that moment (by a version that did not move them on,
    // or with the file lost) move on quietly: when they were missed is not known.
    changed_ = {true, true};
    moveLeftBehind(last && *last < now ? *last : std::min(made, now), now);
    if (!last) return;
    lookout_.resumeFrom(*last, now, instant);
    look(now, instant);
}

void Watch::tick() {
    const Moment now = clock_.now();
    const std::int64_t instant = clock_.instantMs();
    emit ticked(now);
    look(now, instant);
    if (instant - savedAt_ >= kSaveEveryMs || instant < savedAt_) saveWatched();
}

std::vector<EventRow> Watch::moveOn(EventKind kind, std::vector<EventRow> rows, Moment now) {
    std::vector<EventMove> moves;
    for (const EventRow& row : rows) {
        const Occurrence next = nextOccurrenceAfter(row.recurrence, *row.day, row.minute, now);
        if (next.day != *row.day) moves.push_back({row, next.day});
    }
    if (moves.empty()) return rows;
    try {
        state_.moveEvents(kind, moves);
    } catch (const IoError& e) {
        emit moveFailed(e);
        return rows;
    }
    for (EventRow& row : rows)
        for (const EventMove& m : moves)
            if (m.row.position == row.position) row.day = m.day;
    return rows;
}

void Watch::moveLeftBehind(Moment upTo, Moment now) {
    for (EventKind kind : {EventKind::Reminder, EventKind::Program}) {
        if (!std::exchange(changed_[kind == EventKind::Reminder ? 0 : 1], false)) continue;
        std::vector<EventRow> rows;
        const EventTable& table = state_.table(kind);
        for (std::size_t i : recurringRowsUpTo(table, upTo))
            rows.push_back(table.row(i));
        moveOn(kind, std::move(rows), now);
        changed_[kind == EventKind::Reminder ? 0 : 1] = false;
    }
}

void Watch::look(Moment now, std::int64_t instant) {
    // Entered or changed to a moment already watched, a recurring event starts from its next
    // occurrence.
    moveLeftBehind(lookout_.watchedUpTo(), now);
    const std::vector<FallenDue> found =
        lookout_.look(state_.table(EventKind::Reminder), state_.table(EventKind::Program), now, instant);
    if (found.empty()) {
        if (active_) state_.updateNext();
        return;
    }
    // Copies: firing shows windows and runs programs, and the moves change the tables.
    struct Fallen {
        EventRow row;
        bool missed;
        std::int64_t times;
    };
    std::vector<Fallen> fallen;
    std::array<std::vector<EventRow>, 2> byKind;
    for (const FallenDue& f : found) {
        EventRow row = state_.table(f.kind).row(f.index);
        const std::int64_t times = std::max<std::int64_t>(
            1, nextOccurrenceAfter(row.recurrence, *row.day, row.minute, now).fallenDue);
        byKind[f.kind == EventKind::Reminder ? 0 : 1].push_back(row);
        fallen.push_back({std::move(row), f.missed, times});
    }
    // The first missed occurrence is the one the row stood at; the alert shows where it went.
    std::vector<MissedEvent> missedEvents;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const EventRow& row = fallen[i].row;
        if (fallen[i].missed)
            missedEvents.push_back(
                {found[i].kind, row.text, *row.day, row.minute, row.recurrence, fallen[i].times});
    }
    const std::vector<EventRow> movedReminders = moveOn(EventKind::Reminder, byKind[0], now);
    const std::vector<EventRow> movedPrograms = moveOn(EventKind::Program, byKind[1], now);
    if (!active_) return;

    const bool catchUp = state_.settings().catchUpLaunches;
    std::size_t r = 0, p = 0, m = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const bool reminder = found[i].kind == EventKind::Reminder;
        const EventRow& row = reminder ? movedReminders[r++] : movedPrograms[p++];
        if (!fallen[i].missed) {
            if (reminder)
                emit reminderDue(row, now);
            else
                emit programDue(row);
            continue;
        }
        MissedEvent& missedOne = missedEvents[m++];
        if (!reminder && catchUp) {
            missedOne.launched = true;
            emit programDue(row);
        }
    }
    if (!missedEvents.empty()) {
        emit missed(missedEvents);
        saveWatched();
    }
    state_.updateNext();
}

void Watch::saveWatched() {
    savedAt_ = clock_.instantMs();
    // An exit saves, and so does the application quitting after it: once is enough.
    if (saved_ == lookout_.watchedUpTo()) return;
    try {
        state_.writeLastWatched(lookout_.watchedUpTo());
        saved_ = lookout_.watchedUpTo();
    } catch (const std::exception& e) {
        qWarning("Zelmoran: the moment last watched was not saved: %s", e.what());
    }
}

void Watch::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    emit activeChanged(active);
}

} // namespace zel::gui
