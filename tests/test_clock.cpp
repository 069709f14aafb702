#include "platform/clock.h"
#include "platform/forms.h"

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
    void ticksFallAtTheirExactTimes() {
        Recorder r;
        auto repeat = r.timer(QStringLiteral("repeat"));
        repeat->start(150ms);
        r.clock.advance(400ms);
        QCOMPARE(r.ticks, QStringList({"repeat@150", "repeat@300"}));
        QCOMPARE(r.clock.now(), 400ms);
        // The countdown carries over from one advance to the next.
        r.clock.advance(49ms);
        QCOMPARE(r.ticks.size(), 2);
        r.clock.advance(1ms);
        QCOMPARE(r.ticks.last(), QStringLiteral("repeat@450"));
    }

    void ticksInTimeOrderAndTiesInStartOrder() {
        Recorder r;
        auto slow = r.timer(QStringLiteral("slow"));
        auto fast = r.timer(QStringLiteral("fast"));
        auto second = r.timer(QStringLiteral("second"));
        slow->start(50ms);
        second->start(20ms); // started before fast, so it goes first whenever both are due together
        fast->start(20ms);
        r.clock.advance(55ms);
        QCOMPARE(r.ticks, QStringList({"second@20", "fast@20", "second@40", "fast@40", "slow@50"}));
    }

    void handlersStopStartAndRestartTimers() {
        Recorder r;
        std::unique_ptr<TimerEngine> other, self;
        // At 10 the controller stops "other" (due at 10 too, started later), at 20 it starts it again
        // with a shorter interval and at 30 it restarts itself with a longer one.
        int calls = 0;
        self = r.timer(QStringLiteral("ctl"), [&] {
            switch (++calls) {
            case 1: other->stop(); break;
            case 2: other->start(5ms); break;
            case 3: self->start(20ms); break;
            }
        });
        other = r.timer(QStringLiteral("other"));
        self->start(10ms);
        other->start(10ms);
        QCOMPARE(r.clock.runningTimers(), 2);
        r.clock.advance(55ms);
        QCOMPARE(r.ticks, QStringList({"ctl@10", "ctl@20", "other@25", "ctl@30", "other@30", "other@35",
                                       "other@40", "other@45", "ctl@50", "other@50", "other@55"}));
    }

    void aTimerStartedInATickFiresWithinTheSameAdvance() {
        Recorder r;
        std::unique_ptr<TimerEngine> late = r.timer(QStringLiteral("late"));
        auto starter = r.timer(QStringLiteral("starter"), [&] { late->start(1ms); });
        starter->start(30ms);
        r.clock.advance(32ms);
        QCOMPARE(r.ticks, QStringList({"starter@30", "late@31", "late@32"}));
    }

    void timersDestroyedDuringATick() {
        Recorder r;
        std::unique_ptr<TimerEngine> self, victim;
        self = r.timer(QStringLiteral("self"), [&] {
            self.reset();
            victim.reset(); // due at the same moment, started later: must not tick any more
        });
        victim = r.timer(QStringLiteral("victim"));
        auto survivor = r.timer(QStringLiteral("survivor"));
        self->start(10ms);
        victim->start(10ms);
        survivor->start(10ms);
        r.clock.advance(20ms);
        QCOMPARE(r.ticks, QStringList({"self@10", "survivor@10", "survivor@20"}));
        QCOMPARE(r.clock.runningTimers(), 1);
    }

    void intervalZeroNeverTicks() {
        Recorder r;
        auto zero = r.timer(QStringLiteral("zero"));
        zero->start(0ms);
        QCOMPARE(r.clock.runningTimers(), 0);
        r.clock.advance(1000ms);
        QVERIFY(r.ticks.isEmpty());
        // A timer outlives its clock without harm.
        auto clock = std::make_unique<ManualClock>();
        auto orphan = clock->createTimer([] {});
        clock.reset();
        orphan.reset();
    }

    // The forms layer's Timer over the clock.
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
        QCOMPARE(at, QList<long long>({100}));
        clock.advance(1ms);
        QCOMPARE(at, QList<long long>({100, 260}));

        timer.setEnabled(false);
        clock.advance(500ms);
        QCOMPARE(at.size(), 2);
        timer.setEnabled(true); // a fresh countdown
        clock.advance(100ms);
        QCOMPARE(at.last(), 860LL);

        timer.setInterval(0); // enabled but interval 0: stopped
        QVERIFY(timer.enabled());
        QCOMPARE(clock.runningTimers(), 0);
        clock.advance(1000ms);
        QCOMPARE(at.size(), 3);
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

    void formsTimerStoppingItselfInItsTick() {
        ManualClock clock;
        int ticks = 0;
        kx::forms::Timer timer(clock, 150, true);
        timer.setHandler([&] {
            ++ticks;
            timer.setEnabled(false);
        });
        clock.advance(1000ms);
        QCOMPARE(ticks, 1);
        QCOMPARE(clock.runningTimers(), 0);
    }
};

QTEST_MAIN(TestClock)
#include "test_clock.moc"
