#include "platform/fake/manualclock.h"

#include <algorithm>

namespace kx {

struct ManualClock::Entry {
    std::function<void()> onTick;
    bool running = false;
    std::chrono::milliseconds interval{0};
    std::chrono::milliseconds due{0};
    unsigned long long sequence = 0;
};

class ManualTimer final : public TimerEngine {
public:
    ManualTimer(ManualClock& clock, std::function<void()> onTick)
        : m_clock(clock), m_entries(clock.m_entries) {
        m_entry.onTick = std::move(onTick);
        m_entries->push_back(&m_entry);
    }
    ~ManualTimer() override { std::erase(*m_entries, &m_entry); }
    void start(std::chrono::milliseconds interval) override {
        m_entry.running = interval.count() > 0;
        m_entry.interval = interval;
        m_entry.due = m_clock.m_now + interval;
        m_entry.sequence = ++m_clock.m_sequence;
    }
    void startFrom(std::chrono::milliseconds interval, std::chrono::milliseconds origin) override {
        start(interval);
        m_entry.due = nextTickFrom(origin, interval, m_clock.m_now);
    }
    void stop() override { m_entry.running = false; }

private:
    ManualClock& m_clock;
    std::shared_ptr<std::vector<ManualClock::Entry*>> m_entries;
    ManualClock::Entry m_entry;
};

ManualClock::ManualClock() : m_entries(std::make_shared<std::vector<Entry*>>()) {}
ManualClock::~ManualClock() = default;

std::unique_ptr<TimerEngine> ManualClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<ManualTimer>(*this, std::move(onTick));
}

void ManualClock::advance(std::chrono::milliseconds by) {
    const auto target = m_now + by;
    for (;;) {
        Entry* next = nullptr;
        for (Entry* e : *m_entries) {
            if (!e->running || e->due > target) continue;
            if (!next || e->due < next->due || (e->due == next->due && e->sequence < next->sequence))
                next = e;
        }
        if (!next) break;
        m_now = next->due;
        next->due += next->interval;
        next->sequence = ++m_sequence;
        // The handler may stop, restart or destroy this very timer; copy what we call.
        auto tick = next->onTick;
        tick();
    }
    m_now = target;
}

int ManualClock::runningTimers() const {
    return static_cast<int>(std::count_if(m_entries->begin(), m_entries->end(), [](Entry* e) { return e->running; }));
}

} // namespace kx
