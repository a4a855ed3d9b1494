#pragma once

#include <cstdint>

// Decides when periodic work is due on a 32-bit millisecond clock that wraps
// after about 49.7 days. The first question is always answered "due"; after
// that, work is due once the interval has passed. Times are compared by their
// signed difference, so the wrap neither stops the checks for weeks nor makes
// every pass a check.
class PeriodicCheck {
  public:
    explicit PeriodicCheck(uint32_t intervalMs) : interval(intervalMs) {}

    // True when the work is due at `now`; the next time is then now + interval.
    bool due(uint32_t now);

  private:
    uint32_t interval;
    uint32_t next = 0;
    bool started = false;
};
