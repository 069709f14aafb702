#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace kx {

// A periodic tick source. start() (re)starts the countdown with the given interval; stop() ends it.
class TimerEngine {
public:
    virtual ~TimerEngine() = default;
    virtual void start(std::chrono::milliseconds interval) = 0;
    virtual void stop() = 0;
};

// Every timer of the forms layer runs on a clock: the real one on Qt's event loop, the manual one
// advanced by hand in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) = 0;
};

class GridScheduler;

// Qt timers. A timer asking for less than `grid` milliseconds ticks every `fastest` milliseconds: how
// often a "1 ms" timer really ticks is the platform's choice, and idle wake-ups cost power. Those
// timers and the ones whose interval is `fastest` tick on the multiples of `fastest`, so that they
// wake the program once; every other interval becomes whole `grid` steps and keeps its own phase.
class QtClock final : public Clock {
public:
    explicit QtClock(std::chrono::milliseconds grid = std::chrono::milliseconds(1),
                     std::chrono::milliseconds fastest = std::chrono::milliseconds(1));
    ~QtClock() override;
    std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) override;
    std::chrono::milliseconds grid() const { return m_grid; }

private:
    std::chrono::milliseconds m_grid;
    std::unique_ptr<GridScheduler> m_scheduler;
};

// A clock that only moves when advance() is called. Due ticks fire in time order, each at its exact
// due time; timers due at the same moment fire in the order they were last armed (started, or
// re-armed by their previous tick), so a handler that starts or stops other timers sees the same
// sequence as on a real event loop.
class ManualClock final : public Clock {
public:
    ManualClock();
    ~ManualClock() override;
    std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) override;

    void advance(std::chrono::milliseconds by);
    std::chrono::milliseconds now() const { return m_now; }
    // Number of timers currently running (started and not stopped).
    int runningTimers() const;

    struct Entry;

private:
    friend class ManualTimer;
    std::chrono::milliseconds m_now{0};
    unsigned long long m_sequence = 0;
    std::shared_ptr<std::vector<Entry*>> m_entries;
};

} // namespace kx
