#pragma once

#include "core/app/clock.h"

#include <QDateTime>

namespace zel::gui {

// The local date and time of the machine.
class SystemClock : public Clock {
  public:
    Moment now() const override { return fromQt(QDateTime::currentDateTime()); }
    std::int64_t instantMs() const override { return QDateTime::currentMSecsSinceEpoch(); }

    static Moment fromQt(const QDateTime& t) {
        const QDate d = t.date();
        return {dayNumber(d.year(), d.month(), d.day()), t.time().msecsSinceStartOfDay()};
    }
};

} // namespace zel::gui
