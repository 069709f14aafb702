// The hand-driven clock that every timer test relies on, and the forms layer's Timer on top of it.

#include "platform/fake/manualclock.h"
#include "forms/forms.h"

#include <QStringList>
#include <QTest>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using kx::ManualClock;
using kx::TimerEngine;

namespace {

// Timers on one manual clock that note "name@time" for every tick.
struct Recorder {
    ManualClock clock;
    QStringList ticks;

    std::unique_ptr<TimerEngine> timer(const QString& name, std::function<void()> also = {}) {
        return clock.createTimer([this, name, also] {
            ticks << QStringLiteral("%1@%2").arg(name).arg(clock.now().count());
            if (also) also();
        });
    }
};

} // namespace

class TestClock : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void ticksInTimeOrderAndTiesInStartOrder() {
        Recorder r;
        auto slow = r.timer("slow"), fast = r.timer("fast"), first = r.timer("first");
        slow->start(150ms);
        first->start(40ms); // started before fast, so it goes first whenever both are due together
        fast->start(40ms);
        r.clock.advance(155ms);
        QCOMPARE(r.ticks, QStringList({"first@40", "fast@40", "first@80", "fast@80", "first@120", "fast@120",
                                       "slow@150"}));
        QCOMPARE(r.clock.now(), 155ms);
        // The countdown carries over from one advance to the next.
        r.clock.advance(4ms);
        QCOMPARE(r.ticks.size(), 7);
        r.clock.advance(1ms);
        QCOMPARE(r.ticks.mid(7), QStringList({"first@160", "fast@160"}));
    }

    // A tick may stop a timer that is due at the same moment, start one that then ticks within the
    // same advance, and restart itself with another interval. A timer started at 0 ms never ticks.
    void handlersStopStartAndRestartTimers() {
        Recorder r;
        std::unique_ptr<TimerEngine> other, self;
        // At 10 the controller stops "other" (due at 10 too, started later), at 20 it starts it again
        // with a shorter interval and at 30 it restarts itself with a longer one.
        int calls = 0;
        self = r.timer("ctl", [&] {
            switch (++calls) {
            case 1: other->stop(); break;
            case 2: other->start(5ms); break;
            case 3: self->start(20ms); break;
            }
        });
        other = r.timer("other");
        auto zero = r.timer("zero");
        zero->start(0ms); // never ticks
        self->start(10ms);
        other->start(10ms);
        QCOMPARE(r.clock.runningTimers(), 2);
        r.clock.advance(55ms);
        QCOMPARE(r.ticks, QStringList({"ctl@10", "ctl@20", "other@25", "ctl@30", "other@30", "other@35",
                                       "other@40", "other@45", "ctl@50", "other@50", "other@55"}));
    }

    void timersDestroyedDuringATick() {
        Recorder r;
        std::unique_ptr<TimerEngine> self, victim;
        self = r.timer("self", [&] {
            self.reset();
            victim.reset(); // due at the same moment, started later: must not tick any more
        });
        victim = r.timer("victim");
        auto survivor = r.timer("survivor");
        self->start(10ms);
        victim->start(10ms);
        survivor->start(10ms);
        r.clock.advance(20ms);
        QCOMPARE(r.ticks, QStringList({"self@10", "survivor@10", "survivor@20"}));
        QCOMPARE(r.clock.runningTimers(), 1);
        // A timer outlives its clock without harm.
        auto clock = std::make_unique<ManualClock>();
        auto orphan = clock->createTimer([] {});
        clock.reset();
        orphan.reset();
    }

    void formsTimerEnablingAndInterval() {
        ManualClock clock;
        QList<long long> at;
        kx::forms::Timer timer(clock, 100, true);
        timer.setHandler([&] { at << clock.now().count(); });
        clock.advance(60ms);
        timer.setEnabled(true); // already running: the countdown goes on
        clock.advance(40ms);
        QCOMPARE(at, QList<long long>({100}));
        clock.advance(60ms);
        timer.setInterval(100); // a new interval restarts the countdown
        clock.advance(99ms);
        QCOMPARE(at.size(), 1);
        clock.advance(1ms);
        QCOMPARE(at.last(), 260LL);
        timer.setEnabled(false);
        clock.advance(500ms);
        timer.setEnabled(true); // a fresh countdown
        clock.advance(100ms);
        QCOMPARE(at, QList<long long>({100, 260, 860}));
        timer.setInterval(0); // enabled but interval 0: stopped
        QVERIFY(timer.enabled());
        QCOMPARE(clock.runningTimers(), 0);
        // A handler that disables its own timer gets one tick.
        timer.setHandler([&] {
            at << clock.now().count();
            timer.setEnabled(false);
        });
        timer.setInterval(150);
        clock.advance(1000ms);
        QCOMPARE(at.last(), 1010LL);
        QCOMPARE(at.size(), 4);
    }

    void formsTimerWithoutHandlerRunsNoEngine() {
        ManualClock clock;
        kx::forms::Timer idle(clock, 1, true);
        QVERIFY(idle.running());
        QCOMPARE(clock.runningTimers(), 0);
        int ticks = 0;
        idle.setHandler([&] { ++ticks; });
        QCOMPARE(clock.runningTimers(), 1);
        clock.advance(3ms);
        QCOMPARE(ticks, 3);
        idle.setHandler({});
        QCOMPARE(clock.runningTimers(), 0);
        // A disabled timer does not run when it gets a handler or an interval.
        kx::forms::Timer disabled(clock, 0, false);
        disabled.setHandler([&] { ++ticks; });
        disabled.setInterval(50);
        QCOMPARE(clock.runningTimers(), 0);
    }
};

QTEST_MAIN(TestClock)
#include "test_clock.moc"
