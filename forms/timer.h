#pragma once

#include "platform/clock.h"

#include <functional>
#include <memory>

namespace kx::forms {

// A forms-layer timer: ticks every Interval ms while Enabled and Interval > 0.
class Timer {
public:
    Timer(Clock& clock, int intervalMs, bool enabled);
    // The tick handler. A timer without one never wakes the program.
    void setHandler(std::function<void()> onTimer);

    bool enabled() const { return m_enabled; }
    // Enabling a running timer changes nothing; disabling stops it.
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    // A new interval restarts the countdown of a running timer.
    void setInterval(int ms);
    bool running() const { return m_enabled && m_interval > 0; }
    // A running timer's ticks from now on fall where they would had it been started at `origin` (a
    // time of the clock); returns whether it would have ticked since then.
    bool startFrom(std::chrono::milliseconds origin);
    // Runs the tick handler now, outside the rhythm.
    void tickNow();
    // Called from the tick handler: this tick found nothing to do, and the timer may sleep until
    // something happens in the program (the clock decides; the manual one ticks on).
    void rest();

private:
    void apply();
    std::function<void()> m_onTimer;
    Clock& m_clock;
    std::unique_ptr<TimerEngine> m_engine;
    int m_interval;
    bool m_enabled;
};

} // namespace kx::forms
