#pragma once

#include "platform/clock.h"

namespace kx {

class GridScheduler;

// Qt timers. A timer asking for less than `grid` milliseconds ticks every `fastest` milliseconds: how
// often a "1 ms" timer really ticks is the platform's choice, and idle wake-ups cost power. Those
// timers and the ones whose interval is `fastest` tick on the multiples of `fastest`, so that they
// wake the program once; every other interval becomes whole `grid` steps and keeps its own phase.
// A timer whose tick found nothing to do (rest()) sleeps until the program gets an event (input, the
// window system, a socket) or another timer's tick did something, and ticks at its next step then:
// an idle program is not woken at all.
class QtClock final : public Clock {
public:
    explicit QtClock(std::chrono::milliseconds grid = std::chrono::milliseconds(1),
                     std::chrono::milliseconds fastest = std::chrono::milliseconds(1));
    ~QtClock() override;
    std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) override;
    std::chrono::milliseconds now() const override;
    std::chrono::milliseconds grid() const { return m_grid; }

private:
    std::chrono::milliseconds m_grid;
    std::unique_ptr<GridScheduler> m_scheduler;
};

} // namespace kx
