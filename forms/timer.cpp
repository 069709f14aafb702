#include "forms/timer.h"

namespace kx::forms {

Timer::Timer(Clock& clock, int intervalMs, bool enabled)
    : m_engine(clock.createTimer([this] {
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
