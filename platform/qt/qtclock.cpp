#include "platform/qt/qtclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace kx {

// All timers tick on one grid of `grid` milliseconds and share one Qt timer that wakes the program
// only when some timer is due, so timers that are due together cost one wake-up. Resting timers are
// woken by the program's next event, which the scheduler sees as an event filter of the application.
class GridScheduler : public QObject {
public:
    struct Engine {
        std::function<void()> onTick;
        bool running = false;
        bool resting = false;
        qint64 interval = 0;
        qint64 lattice = 1; // the ticks fall on multiples of this
        qint64 due = 0;
        unsigned long long sequence = 0;
        unsigned long long restedAt = 0; // the tick count when it went to rest
    };

    GridScheduler(qint64 grid, qint64 fastest) : m_grid(grid), m_fastest(fastest) {
        m_elapsed.start();
        m_wake.setSingleShot(true);
        m_wake.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_wake, &QTimer::timeout, [this] { fireDue(); });
        if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    }

    qint64 now() const { return m_elapsed.elapsed(); }
    void add(Engine* e) { m_engines.push_back(e); }
    void remove(Engine* e) {
        std::erase(m_engines, e);
        schedule();
    }
    void start(Engine* e, qint64 interval, qint64 origin) {
        // A timer asking for less than one grid step ticks as fast as the platform lets timers tick;
        // other intervals become whole grid steps. The fastest timers and those of exactly that
        // interval tick on its multiples, so that they share their wake-ups; every other timer keeps
        // its own phase (that of `origin`).
        e->interval = interval < m_grid ? m_fastest : (interval + m_grid / 2) / m_grid * m_grid;
        e->lattice = e->interval <= m_fastest ? m_fastest : 1;
        using ms = std::chrono::milliseconds;
        e->due = ceilTo(nextTickFrom(ms(origin), ms(e->interval), ms(now())).count(), e->lattice);
        e->sequence = ++m_sequence;
        e->running = true;
        e->resting = false;
        schedule();
    }
    void stop(Engine* e) {
        e->running = e->resting = false;
        schedule();
    }
    void rest(Engine* e) {
        // Only the timer that is ticking knows that it has nothing to do.
        if (e == m_ticking && e->running) e->resting = true, e->restedAt = m_ticks;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Anything the program is told may change what a resting timer looks at; its own wake-up
        // does not, nor what happens while the timers tick (a tick that does something wakes the
        // others itself).
        if (!m_firing && watched != &m_wake && m_anyResting) wakeResting(~0ULL);
        return QObject::eventFilter(watched, event);
    }

private:
    static qint64 ceilTo(qint64 t, qint64 step) { return (t + step - 1) / step * step; }

    // Wakes the timers that went to rest before tick number `before`: each ticks at its next step.
    void wakeResting(unsigned long long before) {
        m_anyResting = false;
        for (Engine* e : m_engines) {
            if (e->resting && e->restedAt < before) e->resting = false, e->due = ceilTo(std::max(now() + 1, e->due), e->lattice);
            m_anyResting = m_anyResting || e->resting;
        }
        schedule();
    }

    void schedule() {
        if (m_firing) return; // fireDue() schedules once every due tick has run
        const Engine* next = nullptr;
        for (const Engine* e : m_engines)
            if (e->running && !e->resting && (!next || e->due < next->due)) next = e;
        if (!next) {
            m_wake.stop();
            return;
        }
        m_wake.start(static_cast<int>(std::max<qint64>(0, next->due - now())));
    }

    void fireDue() {
        m_firing = true;
        const qint64 t = now();
        unsigned long long lastWork = 0; // the last tick that did something
        for (;;) {
            Engine* next = nullptr;
            for (Engine* e : m_engines)
                if (e->running && !e->resting && e->due <= t &&
                    (!next || e->due < next->due || (e->due == next->due && e->sequence < next->sequence)))
                    next = e;
            if (!next) break;
            // The next tick keeps the timer's rhythm; a late one does not try to catch up.
            next->due += next->interval;
            if (next->due <= t) next->due = ceilTo(t + 1, next->lattice);
            next->sequence = ++m_sequence;
            ++m_ticks;
            m_ticking = next;
            auto tick = next->onTick; // the handler may stop, restart or destroy this timer
            tick();
            m_ticking = nullptr;
            // (A destroyed engine is no longer listed; its tick counts as work.)
            if (std::find(m_engines.begin(), m_engines.end(), next) == m_engines.end() || !next->resting)
                lastWork = m_ticks;
        }
        m_firing = false;
        // A tick that did something may have changed what the resting timers look at, also those that
        // rested before it in this round.
        wakeResting(lastWork);
    }

    qint64 m_grid;
    qint64 m_fastest;
    QElapsedTimer m_elapsed;
    QTimer m_wake;
    std::vector<Engine*> m_engines;
    unsigned long long m_sequence = 0;
    unsigned long long m_ticks = 0;
    Engine* m_ticking = nullptr;
    bool m_anyResting = false;
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
    void start(std::chrono::milliseconds interval) override { m_scheduler.start(&m_engine, interval.count(), m_scheduler.now()); }
    void startFrom(std::chrono::milliseconds interval, std::chrono::milliseconds origin) override {
        m_scheduler.start(&m_engine, interval.count(), origin.count());
    }
    void stop() override { m_scheduler.stop(&m_engine); }
    void rest() override { m_scheduler.rest(&m_engine); }

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

std::chrono::milliseconds QtClock::now() const {
    return std::chrono::milliseconds(m_scheduler->now());
}

} // namespace kx
