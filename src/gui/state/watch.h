#pragma once

#include "core/app/clock.h"
#include "core/errors.h"
#include "core/events/event_table.h"
#include "core/events/firing.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace zel {

// A reminder or program launch whose minute passed while nobody watched.
struct MissedEvent {
    EventKind kind = EventKind::Reminder;
    std::string text; // Windows-1250
    // Its first missed occurrence.
    DayNumber day = 0;
    int minute = 0;
    Recurrence recurrence = Recurrence::Never;
    // How many of its occurrences were missed.
    std::int64_t times = 1;
    // A program launch run now, late, as the settings ask.
    bool launched = false;
};

} // namespace zel

namespace zel::gui {

class AppState;

// The program's watch over its event tables: a clock that looks once a second at what fell due since
// it last looked and says so, and the active and passive modes. What fell due while nobody could look
// (a suspend, a freeze, the program not running) is reported as missed, once. A recurring event that
// fell due moves on to its next occurrence after now. Passive, it still looks and moves recurring
// events on, but neither fires nor reports: passive time is a choice, not a miss. The moment watched
// up to is kept in a file for the next run: every few minutes, after a miss, and at exit.
class Watch : public QObject {
    Q_OBJECT

  public:
    Watch(AppState& state, Clock& clock, QObject* parent = nullptr);

    // At start: looks at what fell due since the moment the last run watched up to and reports it;
    // recurring events left behind before that moment move on without a word. Without a moment of
    // the last run (the first start, the file missing or damaged), watching goes on from when the
    // watch was made, so what falls due while the program starts still fires.
    void resumeFromLastRun();
    // Looks every second from now on, just after each whole second.
    void start();
    // One look: the second (ticked), then what fell due since the last look.
    void tick();
    // Keeps the moment watched up to for the next run. A failure is only logged: the next save tries
    // again, and nothing of the user's is lost by it.
    void saveWatched();

    bool active() const { return active_; }
    void setActive(bool active);
    Moment watchedUpTo() const { return lookout_.watchedUpTo(); }

  signals:
    // Every look, active or passive, before anything due is announced. The row given is the event as
    // it stands after its move, when it recurs.
    void ticked(zel::Moment now);
    void reminderDue(const zel::EventRow& row, zel::Moment now);
    void programDue(const zel::EventRow& row);
    // One look's missed events, in the order they fell due.
    void missed(const std::vector<zel::MissedEvent>& events);
    void activeChanged(bool active);
    // A recurring event could not be moved on: it stays where it was, in the past.
    void moveFailed(const zel::IoError& error);

  private:
    void schedule();
    void look(Moment now, std::int64_t instant);
    // Moves on quietly the recurring events of a changed table at or before `upTo`.
    void moveLeftBehind(Moment upTo, Moment now);
    // Moves the rows to their next occurrence after now; returns them as they now stand.
    std::vector<EventRow> moveOn(EventKind kind, std::vector<EventRow> rows, Moment now);

    AppState& state_;
    Clock& clock_;
    QTimer* timer_ = nullptr;
    Lookout lookout_;
    // A reminder or program table changed since the last look (an entry, a change, a reload): a
    // recurring event may now lie where no look will find it.
    std::array<bool, 2> changed_{};
    std::int64_t savedAt_;
    std::optional<Moment> saved_; // what the file holds, as far as this run wrote it
    bool active_ = true;
};

} // namespace zel::gui
