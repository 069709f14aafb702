#include "platform/qt/qtclock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace kx {

// All timers tick on one grid of `grid` milliseconds and share one Qt timer that wakes the program
// only when some timer is due, so timers that are due together cost one wake-up.
class GridScheduler {
public:
    struct Engine {
        std::function<void()> onTick;
        bool running = false;
        qint64 interval = 0;
        qint64 lattice = 1; // the ticks fall on multiples of this
        qint64 due = 0;
        unsigned long long sequence = 0;
    };

    GridScheduler(qint64 grid, qint64 fastest) : m_grid(grid), m_fastest(fastest) {
        m_elapsed.start();
        m_wake.setSingleShot(true);
        m_wake.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_wake, &QTimer::timeout, [this] { fireDue(); });
    }

    void add(Engine* e) { m_engines.push_back(e); }
    void remove(Engine* e) {
        std::erase(m_engines, e);
        schedule();
    }
    void start(Engine* e, qint64 interval) {
        // A timer asking for less than one grid step ticks as fast as the platform lets timers tick;
        // other intervals become whole grid steps. The fastest timers and those of exactly that
        // interval tick on its multiples, so that they share their wake-ups; every other timer keeps
        // its own phase.
        e->interval = interval < m_grid ? m_fastest : (interval + m_grid / 2) / m_grid * m_grid;
        e->lattice = e->interval <= m_fastest ? m_fastest : 1;
        e->due = ceilTo(m_elapsed.elapsed() + e->interval, e->lattice);
        e->sequence = ++m_sequence;
        e->running = true;
        schedule();
    }
    void stop(Engine* e) {
        e->running = false;
        schedule();
    }

private:
    static qint64 ceilTo(qint64 t, qint64 step) { return (t + step - 1) / step * step; }

    void schedule() {
        if (m_firing) return; // fireDue() schedules once every due tick has run
        const Engine* next = nullptr;
        for (const Engine* e : m_engines)
            if (e->running && (!next || e->due < next->due)) next = e;
        if (!next) {
            m_wake.stop();
            return;
        }
        m_wake.start(static_cast<int>(std::max<qint64>(0, next->due - m_elapsed.elapsed())));
    }

    void fireDue() {
        m_firing = true;
        const qint64 now = m_elapsed.elapsed();
        for (;;) {
            Engine* next = nullptr;
            for (Engine* e : m_engines)
                if (e->running && e->due <= now &&
                    (!next || e->due < next->due || (e->due == next->due && e->sequence < next->sequence)))
                    next = e;
            if (!next) break;
            // The next tick keeps the timer's rhythm; a late one does not try to catch up.
            next->due += next->interval;
            if (next->due <= now) next->due = ceilTo(now + 1, next->lattice);
            next->sequence = ++m_sequence;
            auto tick = next->onTick; // the handler may stop, restart or destroy this timer
            tick();
        }
        m_firing = false;
        schedule();
    }

    qint64 m_grid;
    qint64 m_fastest;
    QElapsedTimer m_elapsed;
    QTimer m_wake;
    std::vector<Engine*> m_engines;
    unsigned long long m_sequence = 0;
    bool m_firing = false;
};

namespace {

class QtTimerEngine final : public TimerEngine {
public:
    QtTimerEngine(std::function<void()> onTick, GridScheduler& scheduler) : m_scheduler(scheduler) {
        m_engine.onTick = std::move(onTick);
        m_scheduler.add(&m_engine);
    }
    ~QtTimerEngine() override { m_scheduler.remove(&m_engine); }
    void start(std::chrono::milliseconds interval) override { m_scheduler.start(&m_engine, interval.count()); }
    void stop() override { m_scheduler.stop(&m_engine); }

private:
    GridScheduler& m_scheduler;
    GridScheduler::Engine m_engine;
};

} // namespace

QtClock::QtClock(std::chrono::milliseconds grid, std::chrono::milliseconds fastest)
    : m_grid(grid),
      m_scheduler(std::make_unique<GridScheduler>(std::max<qint64>(1, grid.count()),
                                                  std::max<qint64>(1, std::max(grid, fastest).count()))) {}

QtClock::~QtClock() = default;

std::unique_ptr<TimerEngine> QtClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<QtTimerEngine>(std::move(onTick), *m_scheduler);
}

} // namespace kx
