#pragma once

#include "core/app/clock.h"

namespace zel::test {

// A clock that stands still until the test moves it. Its zone is UTC unless a test gives the
// local time's offset (Budapest: +60 minutes in winter, +120 in summer).
class SettableClock : public Clock {
  public:
    explicit SettableClock(Moment start = {}) : now_(start) {}
    Moment now() const override { return now_; }
    std::int64_t instantMs() const override { return naiveMs(now_) - offsetMinutes_ * 60'000LL; }
    void set(Moment m, int offsetMinutes = 0) {
        now_ = m;
        offsetMinutes_ = offsetMinutes;
    }

  private:
    Moment now_;
    int offsetMinutes_ = 0;
};

} // namespace zel::test
