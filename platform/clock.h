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
    virtual void stop() = 0;
};

// Every timer of the forms layer runs on a clock: the real one on Qt's event loop, the manual one
// advanced by hand in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::unique_ptr<TimerEngine> createTimer(std::function<void()> onTick) = 0;
};

} // namespace kx
