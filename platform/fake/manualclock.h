#pragma once

#include "platform/clock.h"

#include <vector>

namespace kx {

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
    std::chrono::milliseconds now() const override { return m_now; }
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
