// The screen magnifier in the control panel: what the view shows for a pointer position on the
// synthetic desktop, switching on and off (by hand, by the time limit, through the calibration view),
// the screen's edges and a failing screen copy.

#include "magnifier/magnifier.h"
#include "panel/contextmenu.h"
#include "support/testprogram.h"

#include <QMenu>
#include <QTest>
#include <QWheelEvent>

Q_DECLARE_METATYPE(kx::ScreenCopyProblem)

using kx::Start;
using kx::test::TestProgram;

namespace {

// The view expected for a pointer position: every desktop pixel of the square from 30 96-dpi pixels
// above and left of the pointer as a 3 x 3 block (at another zoom, zoom x zoom with the pointer's pixel
// holding the view's middle); black where the square leaves the desktop. At a scale the view is
// 180 * scale device pixels and every device pixel of the desktop is such a block. Over it the marks of
// the pointer's pixel: its crosshair, the grid from 6x and the colour line.
QImage expectedView(TestProgram& p, QPoint pointer, double scale = 1.0, int zoom = 3) {
    const int size = int(180 * scale), offset = zoom == 3 ? int(30 * scale + 0.5) : size / 2 / zoom;
    QImage view(size, size, QImage::Format_RGB32);
    const QImage& desktop = p.screen.desktop();
    auto at = [&](QPoint source) { return desktop.rect().contains(source) ? desktop.pixel(source) : qRgb(0, 0, 0); };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) view.setPixel(x, y, at(pointer - QPoint(offset, offset) + QPoint(x / zoom, y / zoom)));
    kx::drawPointerMarks(view, QRect(offset * zoom, offset * zoom, zoom, zoom), at(pointer), zoom,
                         p.start_().Picture1->font(), scale);
    return view;
}

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

// Each notch in `parts` equal parts, as a touchpad sends them.
void turnWheel(QWidget* w, int notches, int parts = 1) {
    for (int i = 0; i < std::abs(notches) * parts; ++i) {
        QWheelEvent e(QPointF(10, 10), w->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, (notches > 0 ? 120 : -120) / parts),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &e);
    }
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
        QTest::newRow("other size") << QPoint(10, 500) << QSize(50, 101) << QRect(-20, 470, 17, 34);
        QTest::newRow("left of the primary screen") << QPoint(-1500, 20) << QSize(181, 179)
                                                    << QRect(-1530, -10, 60, 60);
        QTest::newRow("200 %") << QPoint(100, 100) << QSize(360, 360) << QRect(40, 40, 120, 120);
    }
    void sourceSquareIsAThirdOfTheViewFromThirtyPixelsBeforeThePointer() {
        QFETCH(QPoint, pointer);
        QFETCH(QSize, view);
        QFETCH(QRect, source);
        QCOMPARE(kx::magnifierSource(pointer, view.width(), view.height(), std::max(1, view.width() / 180)), source);
    }

    void tickingShowsTheEnlargedScreenUntilTheTimeLimit() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        QVERIFY(magnifierOff(s));
        QCOMPARE(view(s), banner(s));
        p.windows.setCursorPos(QPoint(100, 100));
        tickMagnifier(s);
        QVERIFY(s.Timer1->enabled() && s.Timer2->enabled());
        p.advance(49);
        QCOMPARE(view(s), banner(s));
        p.advance(1);
        QCOMPARE(view(s), expectedView(p, QPoint(100, 100)));
        // The pointer's own pixel in the middle of the view.
        QCOMPARE(view(s).pixel(90, 92), kx::FakeScreen::patternColor(100, 100));
        QCOMPARE(view(s).pixel(87, 95), kx::FakeScreen::patternColor(99, 101));

        // The view follows the pointer at the next refresh.
        p.windows.setCursorPos(QPoint(640, 400));
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, QPoint(640, 400)));
        // Where the screen's copy knows the pointer (a screen-sharing stream), its position wins.
        p.screen.setCursorPos(QPoint(20, 700));
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, QPoint(20, 700)));

        p.advance(30000 - 150 - 1);
        QCOMPARE(s.Check3->value(), 1);
        QCOMPARE(p.screen.grabs(), 599);
        QCOMPARE(p.screen.stops(), 0);
        p.advance(1);
        QVERIFY(magnifierOff(s));
        QCOMPARE(p.screen.stops(), 1); // a screen-sharing stream is let go
        QCOMPARE(view(s), banner(s));
        p.advance(1000);
        QCOMPARE(p.screen.grabs(), 599);
    }

    void untickingRestoresTheBannerAndTickingAgainRestartsTheTimeLimit() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(300, 200));
        tickMagnifier(s);
        p.advance(20000);
        QCOMPARE(view(s), expectedView(p, QPoint(300, 200)));
        tickMagnifier(s);
        QVERIFY(magnifierOff(s));
        QCOMPARE(view(s), banner(s));
        const int grabs = p.screen.grabs();
        p.advance(15000);
        QCOMPARE(p.screen.grabs(), grabs);
        QCOMPARE(view(s), banner(s));
        tickMagnifier(s);
        p.advance(29999);
        QCOMPARE(s.Check3->value(), 1);
        p.advance(1);
        QVERIFY(magnifierOff(s));
    }

    // While the desktop asks the user (or its stream is on its way) the view stays empty and the time
    // limit waits: the 30 seconds count from the first picture.
    void theTimeLimitCountsFromTheFirstPicture() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(200, 100));
        p.screen.setPreparing(true);
        tickMagnifier(s);
        p.advance(45000);
        QCOMPARE(s.Check3->value(), 1);
        QCOMPARE(view(s), banner(s));
        p.screen.setPreparing(false);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, QPoint(200, 100)));
        p.advance(30000 - 50 - 1);
        QCOMPARE(s.Check3->value(), 1);
        p.advance(50);
        QVERIFY(magnifierOff(s));
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
        QCOMPARE(view(s), banner(s));
    }

    // The pixel under the pointer on the coded desktop: its colour in the line under the view, copied by
    // Ctrl+C anywhere in the panel and from the panel's menu, but only while the magnifier is on.
    void colourUnderThePointerIsShownAndCopied() {
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(300, 200));
        QTest::keyClick(s.Check1->widget(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(p.shell.copied.isEmpty());
        tickMagnifier(s);
        p.advance(50);
        QCOMPARE(kx::colourLine(*s.magnifier().pointerColour()), QStringLiteral("#2CC810  RGB 44, 200, 16"));
        QCOMPARE(view(s).pixel(91, 91), kx::FakeScreen::patternColor(300, 200));
        QTest::keyClick(s.Check1->widget(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(s.Picture1, Qt::Key_C, Qt::ControlModifier);
        std::unique_ptr<QMenu> menu(kx::createContextMenu(s, nullptr, nullptr));
        p.windows.setCursorPos(QPoint(0, 0)); // the menu copies the colour it was opened on
        p.advance(50);
        menu->findChild<QAction*>(QStringLiteral("copyColour"))->trigger();
        QCOMPARE(p.shell.copied, QStringList(3, QStringLiteral("#2CC810")));
        tickMagnifier(s);
        QVERIFY(!s.magnifier().pointerColour());
        menu.reset(kx::createContextMenu(s, nullptr, nullptr));
        QVERIFY(!menu->findChild<QAction*>(QStringLiteral("copyColour")));
    }

    // The wheel over the view zooms in steps from 2x to 16x around the pointer's pixel, with a grid from
    // 6x; after the switch-off the view starts at 3x again. The wheel does nothing while it is off.
    void wheelZoomsFromTwoToSixteenTimes_data() {
        QTest::addColumn<int>("notches");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("parts"); // of each notch
        QTest::newRow("one in") << 1 << 4 << 1.0 << 1;
        QTest::newRow("three in, with the grid") << 3 << 8 << 1.0 << 1;
        QTest::newRow("as far in as it goes") << 20 << 16 << 1.0 << 1;
        QTest::newRow("one out") << -1 << 2 << 1.0 << 1;
        QTest::newRow("as far out as it goes") << -5 << 2 << 1.0 << 1;
        QTest::newRow("two in, 200 %") << 2 << 6 << 2.0 << 1;
        QTest::newRow("two in from a touchpad, in small parts") << 2 << 6 << 1.0 << 8;
    }
    void wheelZoomsFromTwoToSixteenTimes() {
        QFETCH(int, notches);
        QFETCH(int, zoom);
        QFETCH(double, scale);
        QFETCH(int, parts);
        TestProgram p;
        p.screen.setTwipsPerPixel(float(15 / scale), float(15 / scale));
        p.start();
        Start& s = p.start_();
        const QPoint pointer(640, 400);
        p.windows.setCursorPos(pointer);
        turnWheel(s.Picture1, 1);
        QCOMPARE(s.magnifier().zoom(), 3);
        tickMagnifier(s);
        p.advance(50);
        turnWheel(s.Picture1, notches, parts);
        QCOMPARE(s.magnifier().zoom(), zoom);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, pointer, scale, zoom));
        tickMagnifier(s);
        tickMagnifier(s);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, pointer, scale));
    }

    // A screen that gives no copies at all (no screen sharing on the desktop, the user refused it, it
    // ended) switches the magnifier off as its time limit does, and the view says so until it is
    // switched on again, which asks the screen afresh.
    void aScreenWithoutCopiesSwitchesTheMagnifierOffWithANotice_data() {
        QTest::addColumn<kx::ScreenCopyProblem>("problem");
        QTest::newRow("no screen sharing") << kx::ScreenCopyProblem::NoScreenSharing;
        QTest::newRow("refused") << kx::ScreenCopyProblem::Refused;
        QTest::newRow("ended") << kx::ScreenCopyProblem::Ended;
        QTest::newRow("no picture") << kx::ScreenCopyProblem::NoPicture;
        QTest::newRow("unknown monitor") << kx::ScreenCopyProblem::UnknownMonitor;
        QTest::newRow("no screen-cast module") << kx::ScreenCopyProblem::NoScreenCastModule;
    }
    void aScreenWithoutCopiesSwitchesTheMagnifierOffWithANotice() {
        QFETCH(kx::ScreenCopyProblem, problem);
        TestProgram p;
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(QPoint(400, 300));
        tickMagnifier(s);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, QPoint(400, 300)));
        p.screen.setCopyProblem(problem);
        p.advance(50);
        QVERIFY(magnifierOff(s));
        QCOMPARE(p.screen.stops(), 1);
        const QImage notice = view(s);
        QVERIFY(notice != banner(s) && notice != expectedView(p, QPoint(400, 300)));
        QVERIFY(!kx::noticeText(problem).isEmpty());
        p.advance(1000);
        QCOMPARE(view(s), notice);

        p.screen.setCopyProblem(kx::ScreenCopyProblem::None);
        tickMagnifier(s);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, QPoint(400, 300)));
    }

    // A square partly off the screen is black outside; a failing screen copy leaves the view cleared
    // (the banner, no stale enlargement) and the magnifier running.
    // On a scaled screen every device pixel is a 3 x 3 block all the same, none dropped.
    void screenEdgesAndAFailingScreenCopy_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<double>("scale");
        QTest::newRow("top left corner") << QPoint(0, 0) << 1.0;
        QTest::newRow("bottom right corner") << QPoint(1279, 799) << 1.0;
        QTest::newRow("left edge") << QPoint(12, 400) << 1.0;
        QTest::newRow("inside") << QPoint(500, 500) << 1.0;
        QTest::newRow("inside, 200 %") << QPoint(500, 500) << 2.0;
        QTest::newRow("top left corner, 150 %") << QPoint(10, 20) << 1.5;
    }
    void screenEdgesAndAFailingScreenCopy() {
        QFETCH(QPoint, pointer);
        QFETCH(double, scale);
        TestProgram p;
        p.screen.setTwipsPerPixel(float(15 / scale), float(15 / scale));
        p.start();
        Start& s = p.start_();
        p.windows.setCursorPos(pointer);
        tickMagnifier(s);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, pointer, scale));
        p.screen.setFailing(true);
        p.advance(50);
        QCOMPARE(view(s), banner(s));
        QCOMPARE(s.Check3->value(), 1);
        p.screen.setFailing(false);
        p.advance(50);
        QCOMPARE(view(s), expectedView(p, pointer, scale));
    }
};

QTEST_MAIN(TestMagnifier)
#include "test_magnifier.moc"
