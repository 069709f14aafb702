#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace kx {

// A periodic tick source. start() (re)starts the countdown with the given interval; stop() ends it.
class TimerEngine {
public:
    virtual ~TimerEngine() = default;
    virtual void start(std::chrono::milliseconds interval) = 0;
    // Starts with the ticks on origin + k * interval (a time of the clock's now()), as if it had been
    // started at `origin`: the first one still to come.
    virtual void startFrom(std::chrono::milliseconds interval, std::chrono::milliseconds origin) = 0;
    virtual void stop() = 0;
    // Called by a tick that found nothing to do: the timer may sleep until something happens in the
    // program (an event from the user or the window system, or another timer's tick that did
    // something), and tick again then. A clock that cannot tell simply ticks on.
    virtual void rest() {}
};

// Every timer of the forms layer runs on a clock: the real one on Qt's event loop, the manual one
// advanced by hand in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) = 0;
    // The time since the clock was made.
    virtual std::chrono::milliseconds now() const = 0;
};

// The first tick after `now` of a timer started at `origin`, ticking every `interval`.
inline std::chrono::milliseconds nextTickFrom(std::chrono::milliseconds origin, std::chrono::milliseconds interval,
                                              std::chrono::milliseconds now) {
    if (interval.count() <= 0 || now < origin + interval) return origin + interval;
    return origin + ((now - origin) / interval + 1) * interval;
}

} // namespace kx
