// The folding rule: frame sequences of the unfold and the fold on a hand-driven clock, the outline
// that goes with every frame, the hide step, the interplay of the panel's ruler strip with the end
// areas, the error path of the animation ticks, and the drag.

#include "art/art.h"
#include "shaped/regionfrompicture.h"
#include "support/testprogram.h"

#include <QTest>

using kx::Zollstock;
using kx::test::TestProgram;

namespace {

const std::array<QImage, 6>& frames() {
    static const std::array<QImage, 6> all = [] {
        std::array<QImage, 6> f;
        for (int n = 0; n < 6; ++n) f[n] = kx::art::rulerFrame(n).convertToFormat(QImage::Format_RGB32);
        return f;
    }();
    return all;
}

QRegion frameRegion(int n) {
    return kx::RegionFromPicture(frames()[n]).value_or(QRegion());
}

QStringList repeat(const QString& entry, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i) list << entry;
    return list;
}

} // namespace

class TestZollstock : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> p;
    Zollstock* z = nullptr;

    // The frame Picture1 displays, found by its pixels; -1 when it is none of them.
    int shownFrame() const {
        const QImage shown = z->Picture1->drawing().convertToFormat(QImage::Format_RGB32);
        for (int n = 0; n < 6; ++n)
            if (shown == frames()[n]) return n;
        return -1;
    }

    // Advances the clock `count` times by `ms` and notes what the window shows after each step: the
    // frame number, "=" when the step rebuilt no outline, "!" when the outline is not that of the
    // frame, and "hidden" in front while the window is invisible.
    QStringList run(int count, int ms = 30) {
        QStringList seen;
        for (int i = 0; i < count; ++i) {
            const int callsBefore = p->windows.shapeCalls(z);
            p->advance(ms);
            const int n = shownFrame();
            const std::optional<QRegion> shape = p->windows.shape(z);
            QString s = QString::number(n);
            if (p->windows.shapeCalls(z) == callsBefore) s += QLatin1Char('=');
            if (n < 0 || !shape || !shape->xored(frameRegion(n)).isEmpty()) s += QLatin1Char('!');
            if (!z->isVisible()) s.prepend(QStringLiteral("hidden "));
            seen << s;
        }
        return seen;
    }

    void clickStrip() { QTest::mouseClick(p->start_().Picture6, Qt::LeftButton); }
    void clickEnd(int index) { QTest::mouseClick(z->Label1[index], Qt::LeftButton); }
    bool timersOff() const { return !z->Timer1->enabled() && !z->Timer2->enabled() && !z->Timer3->enabled(); }

    // After the last fold frame the window hides 300 ms later, with every timer off.
    void verifyHidesAfter300ms() {
        QCOMPARE(run(1, 299), QStringList{"0="});
        QCOMPARE(run(1, 1), QStringList{"hidden 0="});
        QVERIFY(timersOff());
        QCOMPARE(z->foldFrame(), -1);
    }

private Q_SLOTS:
    void init() {
        p = std::make_unique<TestProgram>();
        p->start();
        z = &p->zollstock();
    }
    void cleanup() { p.reset(); }

    void loadedHiddenWithTheOutlineOfTheClosedRule() {
        QVERIFY(!z->isVisible());
        QCOMPARE(z->size(), QSize(378, 189));
        QCOMPARE(z->Picture1->geometry(), QRect(0, 0, 378, 189));
        QCOMPARE(shownFrame(), 0);
        QVERIFY(p->windows.shape(z) && p->windows.shape(z)->xored(frameRegion(0)).isEmpty());
        QVERIFY(timersOff());
        QCOMPARE(run(3, 100), repeat("hidden 0=", 3)); // nothing moves on its own
        // The left end area lies over the rule in every frame, the right one only when it is open.
        for (int n = 0; n < 6; ++n) {
            QVERIFY2(frameRegion(n).intersects(z->Label1[0]->geometry()), qPrintable(QString::number(n)));
            QCOMPARE(frameRegion(n).intersects(z->Label1[1]->geometry()), n == 5);
        }
    }

    void unfoldShowsFramesOneToFiveAndAReplayStartsWithAResetTick() {
        clickStrip();
        QVERIFY(z->isVisible());
        QCOMPARE(run(1, 29), QStringList{"0="});
        QCOMPARE(run(1, 1), QStringList{"1"});
        QCOMPARE(run(4), (QStringList{"2", "3", "4", "5"}));
        QCOMPARE(z->unfoldFrame(), 6);
        QVERIFY(timersOff());
        QCOMPARE(run(3), repeat("5=", 3));
        // Clicking the strip again replays the unfold: one tick only resets the counter.
        clickStrip();
        QCOMPARE(run(6), (QStringList{"5=", "1", "2", "3", "4", "5"}));
        QCOMPARE(z->unfoldFrame(), 6);
        QVERIFY(timersOff());
        QVERIFY(z->isVisible());
    }

    void foldShowsFourToZeroAndHidesThreeHundredMillisecondsLater() {
        clickStrip();
        p->advance(150);
        clickEnd(1); // the right end exists while the rule is open
        QCOMPARE(p->windows.moveLoopsStarted(), 0); // an end area is no handle to drag
        QCOMPARE(run(5), (QStringList{"4", "3", "2", "1", "0"}));
        verifyHidesAfter300ms();
        QCOMPARE(z->Picture1->picture().convertToFormat(QImage::Format_RGB32), frames()[0]);
        // A later cycle: the fold's first tick only resets its counter.
        clickStrip();
        QCOMPARE(run(6), (QStringList{"0=", "1", "2", "3", "4", "5"}));
        clickEnd(0);
        QCOMPARE(run(6), (QStringList{"5=", "4", "3", "2", "1", "0"}));
        verifyHidesAfter300ms();
        QCOMPARE(z->unfoldFrame(), 6);
    }

    void foldStartedDuringTheUnfoldInterleavesWithIt() {
        clickStrip();
        QCOMPARE(run(2), (QStringList{"1", "2"}));
        p->advance(15);
        clickEnd(0); // t = 75: unfold ticks at 90, 120, 150; fold ticks at 105, 135, ...
        QCOMPARE(run(10, 15), (QStringList{"3", "4", "4", "3", "5", "2", "2=", "1", "1=", "0"}));
        verifyHidesAfter300ms();
        QCOMPARE(z->unfoldFrame(), 6);
    }

    void stripClickDuringTheFoldStopsItAndTheNextFoldResumes() {
        clickStrip();
        p->advance(150);
        clickEnd(0);
        QCOMPARE(run(2), (QStringList{"4", "3"}));
        clickStrip();
        QCOMPARE(run(6), (QStringList{"3=", "1", "2", "3", "4", "5"}));
        QCOMPARE(z->foldFrame(), 2);
        clickEnd(1);
        QCOMPARE(run(3), (QStringList{"2", "1", "0"}));
        verifyHidesAfter300ms();
    }

    void stripClickWhileTheHideIsPendingKeepsTheWindowAndUnfolds() {
        clickStrip();
        p->advance(150);
        clickEnd(0);
        QCOMPARE(run(5).last(), QStringLiteral("0"));
        p->advance(200); // the hide is due in 100 ms
        clickStrip();
        QCOMPARE(run(6), (QStringList{"0=", "1", "2", "3", "4", "5"}));
        QCOMPARE(run(10, 100), repeat("5=", 10));
        QVERIFY(timersOff());
    }

    void aFailedFrameResetsItsCounterAndTheSequenceStartsAgain() {
        clickStrip();
        QCOMPARE(run(2), (QStringList{"1", "2"}));
        z->failNextFrame();
        QCOMPARE(run(1), QStringList{"2="}); // nothing changes, not even the outline
        QCOMPARE(z->unfoldFrame(), 1);
        QCOMPARE(run(5), (QStringList{"1", "2", "3", "4", "5"}));
        clickEnd(0);
        QCOMPARE(run(3), (QStringList{"4", "3", "2"}));
        z->failNextFrame();
        QCOMPARE(run(1), QStringList{"2="});
        QCOMPARE(z->foldFrame(), 4);
        QCOMPARE(run(5), (QStringList{"4", "3", "2", "1", "0"}));
        verifyHidesAfter300ms();
    }

    void anyPressOnThePictureStartsTheMoveLoop() {
        clickStrip();
        p->advance(150);
        const QPoint before = z->pos();
        QTest::mousePress(z->Picture1, Qt::RightButton, Qt::ShiftModifier, QPoint(100, 176));
        QVERIFY(p->windows.isMoving(z));
        p->windows.dragBy(QPoint(40, -25));
        p->advance(30); // timers keep running during the move
        p->windows.releaseMove();
        QTest::mouseRelease(z->Picture1, Qt::RightButton, Qt::ShiftModifier, QPoint(140, 151));
        QCOMPARE(z->pos(), before + QPoint(40, -25));
        QTest::mousePress(z->Picture1, Qt::LeftButton, {}, QPoint(10, 176));
        QCOMPARE(p->windows.moveLoopsStarted(), 2);
        p->windows.releaseMove();
        QTest::mouseRelease(z->Picture1, Qt::LeftButton, {}, QPoint(10, 176));
    }
};

QTEST_MAIN(TestZollstock)
#include "test_zollstock.moc"
