// The screen magnifier in the control panel: what the view shows for a pointer position on the
// synthetic desktop, switching on and off (by hand, by the time limit, through the calibration view),
// the screen's edges and a failing screen copy.

#include "magnifier/magnifier.h"
#include "support/testprogram.h"

#include <QTest>

using kx::Start;
using kx::test::TestProgram;

namespace {

// The view expected for a pointer position: every desktop pixel of the square from 30 pixels above
// and left of the pointer as a 3 x 3 block; black where the square leaves the desktop.
QImage expectedView(const TestProgram& p, QPoint pointer) {
    QImage view(180, 180, QImage::Format_RGB32);
    const QImage& desktop = p.screen.desktop();
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 180; ++x) {
            const QPoint source = pointer - QPoint(30, 30) + QPoint(x / 3, y / 3);
            view.setPixel(x, y, desktop.rect().contains(source) ? desktop.pixel(source) : qRgb(0, 0, 0));
        }
    return view;
}

// Where the view differs from the expected picture, or an empty text.
QString difference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2").arg(actual.width()).arg(actual.height());
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != e.pixel(x, y) && count++ == 0)
                first = QStringLiteral("(%1, %2) is %3, expected %4")
                            .arg(x)
                            .arg(y)
                            .arg(a.pixel(x, y), 8, 16, QLatin1Char('0'))
                            .arg(e.pixel(x, y), 8, 16, QLatin1Char('0'));
    return count ? QStringLiteral("%1 pixels differ, first %2").arg(count).arg(first) : QString();
}

#define COMPARE_PICTURE(actual, expected)                                                                    \
    do {                                                                                                     \
        const QString diff_ = difference((actual), (expected));                                              \
        QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                                        \
    } while (false)

const QImage& view(Start& s) {
    return s.Picture1->drawing();
}

const QImage& banner(Start& s) {
    return s.Picture4->picture();
}

bool magnifierOff(Start& s) {
    return s.Check3->value() == 0 && !s.Timer1->enabled() && !s.Timer2->enabled();
}

void tickMagnifier(Start& s) {
    QTest::mouseClick(s.Check3->widget(), Qt::LeftButton);
}

} // namespace

class TestMagnifier : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sourceSquareIsAThirdOfTheViewFromThirtyPixelsBeforeThePointer_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QRect>("source");
        QTest::newRow("180 x 180") << QPoint(100, 100) << QSize(180, 180) << QRect(70, 70, 60, 60);
        QTest::newRow("other size") << QPoint(10, 500) << QSize(100, 50) << QRect(-20, 470, 33, 17);
        QTest::newRow("left of the primary screen") << QPoint(-1500, 20) << QSize(181, 179)
                                                    << QRect(-1530, -10, 60, 60);
    }
    void sourceSquareIsAThirdOfTheViewFromThirtyPixelsBeforeThePointer() {
        QFETCH(QPoint, pointer);
        QFETCH(QSize, view);
        QFETCH(QRect, source);
        QCOMPARE(kx::magnifierSource(pointer, view.width(), view.height()), source);
    }

    void tickingShowsTheEnlargedScreenUntilTheTimeLimit() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        QVERIFY(magnifierOff(s));
        COMPARE_PICTURE(view(s), banner(s));
        p.windows.setCursorPos(QPoint(100, 100));
        tickMagnifier(s);
        QCOMPARE(s.Check3->value(), 1);
        QVERIFY(s.Timer1->enabled() && s.Timer2->enabled());
        p.advance(49);
        COMPARE_PICTURE(view(s), banner(s));
        p.advance(1);
        COMPARE_PICTURE(view(s), expectedView(p, QPoint(100, 100)));
        // The pointer's own pixel in the middle of the view.
        for (int y = 90; y <= 92; ++y)
            for (int x = 90; x <= 92; ++x) QCOMPARE(view(s).pixel(x, y), kx::FakeScreen::patternColor(100, 100));
        QCOMPARE(view(s).pixel(89, 89), kx::FakeScreen::patternColor(99, 99));
        QCOMPARE(view(s).pixel(93, 93), kx::FakeScreen::patternColor(101, 101));

        // The view follows the pointer at the next refresh.
        p.windows.setCursorPos(QPoint(640, 400));
        p.advance(50);
        COMPARE_PICTURE(view(s), expectedView(p, QPoint(640, 400)));

        p.advance(30000 - 100 - 1);
        QCOMPARE(s.Check3->value(), 1);
        QCOMPARE(p.screen.grabs(), 599);
        p.advance(1);
        QVERIFY(magnifierOff(s));
        COMPARE_PICTURE(view(s), banner(s));
        const int grabs = p.screen.grabs();
        p.advance(1000);
        QCOMPARE(p.screen.grabs(), grabs);
    }

    void switchingOnAgainRestartsTheTimeLimit() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        tickMagnifier(s);
        p.advance(20000);
        tickMagnifier(s);
        QVERIFY(magnifierOff(s));
        p.advance(5000);
        tickMagnifier(s);
        p.advance(29999);
        QCOMPARE(s.Check3->value(), 1);
        p.advance(1);
        QVERIFY(magnifierOff(s));
    }

    void untickingRestoresTheBannerAtOnce() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(300, 200));
        tickMagnifier(s);
        p.advance(120);
        COMPARE_PICTURE(view(s), expectedView(p, QPoint(300, 200)));
        const int grabs = p.screen.grabs();
        tickMagnifier(s);
        QVERIFY(magnifierOff(s));
        COMPARE_PICTURE(view(s), banner(s));
        p.advance(31000);
        QCOMPARE(p.screen.grabs(), grabs);
        COMPARE_PICTURE(view(s), banner(s));
    }

    void magnifierAndCalibrationViewExcludeEachOther() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        s.Check4->setValue(1);
        QVERIFY(s.Frame2->isVisibleTo(&s) && !s.Picture1->isVisibleTo(&s));
        tickMagnifier(s);
        QCOMPARE(s.Check4->value(), 0);
        QVERIFY(!s.Frame2->isVisibleTo(&s) && s.Picture1->isVisibleTo(&s));
        QVERIFY(s.Timer1->enabled() && s.Timer2->enabled());

        p.advance(100);
        QTest::mouseClick(s.Check4->widget(), Qt::LeftButton);
        QCOMPARE(s.Check4->value(), 1);
        QVERIFY(magnifierOff(s));
        QVERIFY(s.Frame2->isVisibleTo(&s) && !s.Picture1->isVisibleTo(&s));
        COMPARE_PICTURE(view(s), banner(s));
    }

    void squareLeavingTheScreenIsBlackOutside_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::newRow("top left corner") << QPoint(0, 0);
        QTest::newRow("bottom right corner") << QPoint(1279, 799);
        QTest::newRow("left edge") << QPoint(12, 400);
    }
    void squareLeavingTheScreenIsBlackOutside() {
        QFETCH(QPoint, pointer);
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(pointer);
        tickMagnifier(s);
        p.advance(50);
        COMPARE_PICTURE(view(s), expectedView(p, pointer));
    }

    void failingScreenCopyLeavesTheViewClearedAndKeepsRunning() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(500, 500));
        tickMagnifier(s);
        p.advance(50);
        COMPARE_PICTURE(view(s), expectedView(p, QPoint(500, 500)));
        p.screen.setFailing(true);
        p.advance(50);
        // Cleared: the picture on its background, no stale enlargement.
        COMPARE_PICTURE(view(s), banner(s));
        QCOMPARE(s.Check3->value(), 1);
        p.screen.setFailing(false);
        p.advance(50);
        COMPARE_PICTURE(view(s), expectedView(p, QPoint(500, 500)));
    }
};

QTEST_MAIN(TestMagnifier)
#include "test_magnifier.moc"
