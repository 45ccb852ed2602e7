#pragma once

#include "core/app/clock.h"

namespace zel::test {

// A clock that stands still until the test moves it.
class SettableClock : public Clock {
  public:
    explicit SettableClock(Moment start = {}) : now_(start) {}
    Moment now() const override { return now_; }
    void set(Moment m) { now_ = m; }

  private:
    Moment now_;
};

} // namespace zel::test
