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

// The frame Picture1 displays, found by its pixels; -1 when it is none of them.
int shownFrame(Zollstock& z) {
    const QImage shown = z.Picture1->drawing().convertToFormat(QImage::Format_RGB32);
    for (int n = 0; n < 6; ++n)
        if (shown == frames()[n]) return n;
    return -1;
}

// Advances the clock `count` times by `ms` and notes what the window shows after each step: the frame
// number, "=" when the step rebuilt no outline, "!" when the outline is not that of the frame, and
// "hidden" in front while the window is invisible.
QStringList run(TestProgram& p, int count, int ms = 30) {
    Zollstock& z = p.zollstock();
    QStringList seen;
    for (int i = 0; i < count; ++i) {
        const int callsBefore = p.windows.shapeCalls(&z);
        p.advance(ms);
        const int n = shownFrame(z);
        const std::optional<QRegion> shape = p.windows.shape(&z);
        QString s = QString::number(n);
        if (p.windows.shapeCalls(&z) == callsBefore) s += QLatin1Char('=');
        if (n < 0 || !shape || !shape->xored(frameRegion(n)).isEmpty()) s += QLatin1Char('!');
        if (!z.isVisible()) s.prepend(QStringLiteral("hidden "));
        seen << s;
    }
    return seen;
}

QStringList repeat(const QString& entry, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i) list << entry;
    return list;
}

void clickStrip(TestProgram& p) {
    QTest::mouseClick(p.start_().Picture6, Qt::LeftButton);
}

void clickEnd(TestProgram& p, int index) {
    QTest::mouseClick(p.zollstock().Label1[index], Qt::LeftButton);
}

bool timersOff(Zollstock& z) {
    return !z.Timer1->enabled() && !z.Timer2->enabled() && !z.Timer3->enabled();
}

// Unfolds completely from a fresh start.
void unfoldFully(TestProgram& p) {
    clickStrip(p);
    p.advance(150);
}

} // namespace

class TestZollstock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadedHiddenWithTheOutlineOfTheClosedRule() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        QVERIFY(p.app().isLoaded(kx::names::Zollstock));
        QVERIFY(!z.isVisible());
        QCOMPARE(z.size(), QSize(378, 189));
        QCOMPARE(z.Picture1->geometry(), QRect(0, 0, 378, 189));
        QCOMPARE(shownFrame(z), 0);
        QVERIFY(p.windows.shape(&z).has_value());
        QVERIFY(p.windows.shape(&z)->xored(frameRegion(0)).isEmpty());
        QVERIFY(timersOff(z));
        QCOMPARE(z.unfoldFrame(), 1);
        QCOMPARE(z.foldFrame(), 4);
        // Nothing moves on its own.
        QCOMPARE(run(p, 3, 100), repeat("hidden 0=", 3));
    }

    void unfoldShowsFramesOneToFiveAndAReplayStartsWithAResetTick() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        clickStrip(p);
        QVERIFY(z.isVisible());
        QVERIFY(z.Timer1->enabled());
        QCOMPARE(run(p, 1, 29), QStringList{"0="});
        QCOMPARE(run(p, 1, 1), QStringList{"1"});
        QCOMPARE(run(p, 4), (QStringList{"2", "3", "4", "5"}));
        QCOMPARE(z.unfoldFrame(), 6);
        QVERIFY(timersOff(z));
        QCOMPARE(run(p, 3), repeat("5=", 3));

        // Clicking the strip again replays the unfold: one tick only resets the counter.
        clickStrip(p);
        QCOMPARE(run(p, 6), (QStringList{"5=", "1", "2", "3", "4", "5"}));
        QCOMPARE(z.unfoldFrame(), 6);
        QVERIFY(timersOff(z));
        QVERIFY(z.isVisible());
    }

    void foldShowsFourToZeroAndHidesThreeHundredMillisecondsLater() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        unfoldFully(p);
        const int movesBefore = p.windows.moveLoopsStarted();
        clickEnd(p, 1); // the right end exists while the rule is open
        QCOMPARE(p.windows.moveLoopsStarted(), movesBefore); // an end area is no handle to drag
        QVERIFY(z.Timer2->enabled());
        QCOMPARE(run(p, 5), (QStringList{"4", "3", "2", "1", "0"}));
        QVERIFY(z.Timer3->enabled());
        QCOMPARE(run(p, 1, 299), QStringList{"0="});
        QCOMPARE(run(p, 1, 1), QStringList{"hidden 0="});
        QCOMPARE(z.Picture1->picture().convertToFormat(QImage::Format_RGB32), frames()[0]);
        QVERIFY(timersOff(z));
        QCOMPARE(z.foldFrame(), -1);

        // A later cycle: the fold's first tick only resets its counter.
        clickStrip(p);
        QCOMPARE(run(p, 6), (QStringList{"0=", "1", "2", "3", "4", "5"}));
        clickEnd(p, 0);
        QCOMPARE(run(p, 6), (QStringList{"5=", "4", "3", "2", "1", "0"}));
        QCOMPARE(run(p, 1, 299), QStringList{"0="});
        QCOMPARE(run(p, 1, 1), QStringList{"hidden 0="});
        QVERIFY(timersOff(z));
        QCOMPARE(z.unfoldFrame(), 6);
        QCOMPARE(z.foldFrame(), -1);
    }

    void foldStartedDuringTheUnfoldInterleavesWithIt() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        clickStrip(p);
        QCOMPARE(run(p, 2), (QStringList{"1", "2"}));
        p.advance(15);
        clickEnd(p, 0); // t = 75: unfold ticks at 90, 120, 150; fold ticks at 105, 135, ...
        QVERIFY(z.Timer1->enabled());
        QCOMPARE(run(p, 10, 15), (QStringList{"3", "4", "4", "3", "5", "2", "2=", "1", "1=", "0"}));
        QVERIFY(!z.Timer1->enabled());
        QCOMPARE(run(p, 1, 299), QStringList{"0="});
        QCOMPARE(run(p, 1, 1), QStringList{"hidden 0="});
        QVERIFY(timersOff(z));
        QCOMPARE(z.unfoldFrame(), 6);
        QCOMPARE(z.foldFrame(), -1);
    }

    void stripClickDuringTheFoldStopsItAndTheNextFoldResumes() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        unfoldFully(p);
        clickEnd(p, 0);
        QCOMPARE(run(p, 2), (QStringList{"4", "3"}));
        clickStrip(p);
        QVERIFY(!z.Timer2->enabled());
        QCOMPARE(z.foldFrame(), 2);
        QCOMPARE(run(p, 6), (QStringList{"3=", "1", "2", "3", "4", "5"}));
        QCOMPARE(z.foldFrame(), 2);
        clickEnd(p, 1);
        QCOMPARE(run(p, 3), (QStringList{"2", "1", "0"}));
        QCOMPARE(run(p, 1, 300), QStringList{"hidden 0="});
    }

    void stripClickWhileTheHideIsPendingKeepsTheWindowAndUnfolds() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        unfoldFully(p);
        clickEnd(p, 0);
        QCOMPARE(run(p, 5).last(), QStringLiteral("0"));
        p.advance(200); // the hide is due in 100 ms
        QVERIFY(z.Timer3->enabled());
        clickStrip(p);
        QVERIFY(!z.Timer3->enabled());
        QCOMPARE(run(p, 6), (QStringList{"0=", "1", "2", "3", "4", "5"}));
        QCOMPARE(run(p, 10, 100), repeat("5=", 10));
        QVERIFY(timersOff(z));
    }

    void aFailedFrameResetsItsCounterAndTheSequenceStartsAgain() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        clickStrip(p);
        QCOMPARE(run(p, 2), (QStringList{"1", "2"}));
        z.failNextFrame();
        QCOMPARE(run(p, 1), QStringList{"2="}); // nothing changes, not even the outline
        QCOMPARE(z.unfoldFrame(), 1);
        QVERIFY(z.Timer1->enabled());
        QCOMPARE(run(p, 5), (QStringList{"1", "2", "3", "4", "5"}));

        clickEnd(p, 0);
        QCOMPARE(run(p, 3), (QStringList{"4", "3", "2"}));
        z.failNextFrame();
        QCOMPARE(run(p, 1), QStringList{"2="});
        QCOMPARE(z.foldFrame(), 4);
        QVERIFY(z.Timer2->enabled());
        QVERIFY(!z.Timer3->enabled());
        QCOMPARE(run(p, 5), (QStringList{"4", "3", "2", "1", "0"}));
        QCOMPARE(run(p, 1, 300), QStringList{"hidden 0="});
    }

    void endAreasLieOverTheRuleOnlyWhereItIs() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        for (int n = 0; n < 6; ++n) {
            const QRegion solid = frameRegion(n);
            QVERIFY2(solid.intersects(z.Label1[0]->geometry()), qPrintable(QStringLiteral("F%1").arg(n)));
            QCOMPARE(solid.intersects(z.Label1[1]->geometry()), n == 5);
        }
    }

    void anyPressOnThePictureStartsTheMoveLoop() {
        TestProgram p;
        p.start();
        Zollstock& z = p.zollstock();
        unfoldFully(p);
        const QPoint before = z.pos();
        QTest::mousePress(z.Picture1, Qt::RightButton, Qt::ShiftModifier, QPoint(100, 176));
        QCOMPARE(p.windows.moveLoopsStarted(), 1);
        QVERIFY(p.windows.isMoving(&z));
        p.windows.dragBy(QPoint(40, -25));
        p.advance(30); // timers keep running during the move
        p.windows.releaseMove();
        QTest::mouseRelease(z.Picture1, Qt::RightButton, Qt::ShiftModifier, QPoint(140, 151));
        QCOMPARE(z.pos(), before + QPoint(40, -25));
        QTest::mousePress(z.Picture1, Qt::LeftButton, {}, QPoint(10, 176));
        QCOMPARE(p.windows.moveLoopsStarted(), 2);
        p.windows.releaseMove();
        QTest::mouseRelease(z.Picture1, Qt::LeftButton, {}, QPoint(10, 176));
    }
};

QTEST_MAIN(TestZollstock)
#include "test_zollstock.moc"
