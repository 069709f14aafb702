#include "forms/timer.h"

namespace kx::forms {

Timer::Timer(Clock& clock, int intervalMs, bool enabled)
    : m_clock(clock), m_engine(clock.createTimer([this] {
          if (m_onTimer) m_onTimer();
      })),
      m_interval(intervalMs), m_enabled(enabled) {
    apply();
}

void Timer::setHandler(std::function<void()> onTimer) {
    m_onTimer = std::move(onTimer);
    apply();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    apply();
}

void Timer::setInterval(int ms) {
    m_interval = ms;
    apply();
}

void Timer::apply() {
    if (running() && m_onTimer)
        m_engine->start(std::chrono::milliseconds(m_interval));
    else
        m_engine->stop();
}

} // namespace kx::forms

namespace kx::forms {

bool Timer::startFrom(std::chrono::milliseconds origin) {
    if (!running() || !m_onTimer) return false;
    const std::chrono::milliseconds interval(m_interval);
    m_engine->startFrom(interval, origin);
    return m_clock.now() >= origin + interval;
}

void Timer::tickNow() {
    if (m_onTimer) m_onTimer();
}

void Timer::rest() {
    if (running()) m_engine->rest();
}

} // namespace kx::forms
