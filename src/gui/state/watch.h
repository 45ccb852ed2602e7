#pragma once

#include "core/app/clock.h"
#include "core/events/event_table.h"

#include <QObject>

class QTimer;

namespace zel::gui {

class AppState;

// The program's watch over its event tables: a clock that looks once a second at what fell due since
// it last looked and says so, and the active and passive modes. Passive, it still looks, so switching
// back never fires what fell due meanwhile.
class Watch : public QObject {
    Q_OBJECT

  public:
    Watch(AppState& state, Clock& clock, QObject* parent = nullptr);

    // The moment from which the next look counts what fell due.
    void watchFrom(Moment moment) { lastWatched_ = moment; }
    Moment lastWatched() const { return lastWatched_; }
    // Looks every second from now on, just after each whole second.
    void start();
    // One look: the second (ticked), what fell due since the last look (when active), then the next
    // rows.
    void tick();

    bool active() const { return active_; }
    void setActive(bool active);

  signals:
    // Every look, active or passive, before anything due is announced.
    void ticked(zel::Moment now);
    void reminderDue(const zel::EventRow& row, zel::Moment now);
    void programDue(const zel::EventRow& row);
    void activeChanged(bool active);

  private:
    void schedule();

    AppState& state_;
    Clock& clock_;
    QTimer* timer_ = nullptr;
    Moment lastWatched_;
    bool active_ = true;
};

} // namespace zel::gui
