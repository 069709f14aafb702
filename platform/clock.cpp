#include "platform/clock.h"

#include <QTimer>
#include <algorithm>
#include <vector>

namespace kx {

// Timers at the shortest interval all share one Qt timer, so that several of them cost one wake-up.
class SharedTicker {
public:
    explicit SharedTicker(std::chrono::milliseconds interval) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(interval);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void join(const std::function<void()>* handler) {
        if (std::find(m_handlers.begin(), m_handlers.end(), handler) == m_handlers.end()) m_handlers.push_back(handler);
        if (!m_timer.isActive()) m_timer.start();
    }
    void leave(const std::function<void()>* handler) {
        std::erase(m_handlers, handler);
        if (m_handlers.empty()) m_timer.stop();
    }

private:
    void tick() {
        // A handler may make any timer join or leave; walk a copy and skip those that left.
        const auto handlers = m_handlers;
        for (const auto* h : handlers)
            if (std::find(m_handlers.begin(), m_handlers.end(), h) != m_handlers.end()) (*h)();
    }
    QTimer m_timer;
    std::vector<const std::function<void()>*> m_handlers;
};

namespace {

class QtTimerEngine final : public TimerEngine {
public:
    QtTimerEngine(std::function<void()> onTick, std::chrono::milliseconds minimum, SharedTicker& shared)
        : m_onTick(std::move(onTick)), m_minimum(minimum), m_shared(shared) {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_onTick(); });
    }
    ~QtTimerEngine() override { stop(); }
    void start(std::chrono::milliseconds interval) override {
        stop();
        if (interval <= m_minimum)
            m_shared.join(&m_onTick);
        else
            m_timer.start(interval);
    }
    void stop() override {
        m_timer.stop();
        m_shared.leave(&m_onTick);
    }

private:
    std::function<void()> m_onTick;
    QTimer m_timer;
    std::chrono::milliseconds m_minimum;
    SharedTicker& m_shared;
};

} // namespace

QtClock::QtClock(std::chrono::milliseconds minimumInterval)
    : m_minimum(minimumInterval), m_shared(std::make_unique<SharedTicker>(minimumInterval)) {}

QtClock::~QtClock() = default;

std::unique_ptr<TimerEngine> QtClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<QtTimerEngine>(std::move(onTick), m_minimum, *m_shared);
}

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
