// Where the slider stands on its beam, the rounding it relies on and the drag handle's step.

#include "caliper/geometry.h"
#include "support/testprogram.h"

#include <QTest>

using namespace kx;

Q_DECLARE_METATYPE(kx::Axis)

namespace {

Placement normalAt(int left, int top, int width, int height) {
    return Placement{ShowState::Normal, left, top, left + width, top + height};
}

// The slider's window rectangle in pixels after the forms layer has converted the twips.
QRect sliderPixels(Axis axis, const Placement& beam, double offset, float twipsPerPixel, int sliderWidthPx) {
    test::Doubles d;
    d.screen.setTwipsPerPixel(twipsPerPixel, twipsPerPixel);
    const int t = roundHalfEven(twipsPerPixel);
    const SliderRect r = placeSlider(axis, beam, offset, t, t, roundHalfEven(sliderWidthPx * twipsPerPixel));
    return d.env.twipsRect(r.left, r.top, r.width, r.height);
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At 15 twips per pixel with the stored default zero points the jaws touch: the horizontal slider
    // stands 28 px right of the beam's left edge and one pixel above it, the vertical one 28 px below
    // the beam's top (27.6 rounded) and 2485 twips (165.67 px, so 1 px past the 165-px beam) left of
    // its right edge. Either way the slider takes the beam's height and keeps its own width.
    void defaultZeroPointsTouchTheJaws_data() {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<QRect>("beam");
        QTest::addColumn<double>("offset");
        QTest::addColumn<QRect>("slider");
        const QRect hBeam(13, 13, 508, 165), vBeam(76, 51, 165, 428);
        QTest::newRow("horizontal") << Axis::Horizontal << hBeam << -7200.0 << QRect(41, 12, 100, 165);
        QTest::newRow("horizontal, off the left screen edge")
            << Axis::Horizontal << hBeam.translated(-300, -20) << -7200.0 << QRect(-259, -8, 100, 165);
        QTest::newRow("vertical") << Axis::Vertical << vBeam << 414.0 << QRect(75, 79, 167, 428);
        QTest::newRow("vertical, above the screen")
            << Axis::Vertical << vBeam.translated(-80, -50) << 414.0 << QRect(-5, 29, 167, 428);
    }
    void defaultZeroPointsTouchTheJaws() {
        QFETCH(Axis, axis);
        QFETCH(QRect, beam);
        QFETCH(double, offset);
        QFETCH(QRect, slider);
        const int ownWidth = axis == Axis::Horizontal ? 100 : 167;
        const QRect got = sliderPixels(axis, normalAt(beam.x(), beam.y(), beam.width(), beam.height()), offset,
                                       15.0f, ownWidth);
        QCOMPARE(got, slider);
    }

    // The twips handed to Move, for other densities and for offsets that are no whole number: the offset
    // is added unrounded and the sum rounded half to even; the 15 and 2485 twips stay fixed.
    void twipsHandedToMove_data() {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<double>("offset");
        QTest::addColumn<int>("twipsPerPixel");
        QTest::addColumn<QList<int>>("expected"); // left, top, width, height
        // Beam: left 100, top 50, right 608, bottom 215 (508 x 165 px); slider 1500 twips wide.
        QTest::newRow("h 15") << Axis::Horizontal << -7200.0 << 15 << QList<int>{1920, 735, 1500, 2475};
        QTest::newRow("h 12") << Axis::Horizontal << -7200.0 << 12 << QList<int>{96, 585, 1500, 1980};
        QTest::newRow("h half down to even") << Axis::Horizontal << -7199.5 << 15 << QList<int>{1920, 735, 1500, 2475};
        QTest::newRow("h half up to even") << Axis::Horizontal << -7198.5 << 15 << QList<int>{1922, 735, 1500, 2475};
        QTest::newRow("h just past half") << Axis::Horizontal << -7199.49 << 15 << QList<int>{1921, 735, 1500, 2475};
        QTest::newRow("v 15") << Axis::Vertical << 414.0 << 15 << QList<int>{6635, 1164, 1500, 2475};
        QTest::newRow("v half up to even") << Axis::Vertical << 415.5 << 15 << QList<int>{6635, 1166, 1500, 2475};
        QTest::newRow("v negative half") << Axis::Vertical << -752.5 << 15 << QList<int>{6635, -2, 1500, 2475};
    }
    void twipsHandedToMove() {
        QFETCH(Axis, axis);
        QFETCH(double, offset);
        QFETCH(int, twipsPerPixel);
        QFETCH(QList<int>, expected);
        const SliderRect r = placeSlider(axis, normalAt(100, 50, 508, 165), offset, twipsPerPixel, twipsPerPixel, 1500);
        QCOMPARE((QList<int>{r.left, r.top, r.width, r.height}), expected);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("7.5 (192 dpi)") << 7.5 << 8;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("just above half") << 2.5000001 << 3;
        QTest::newRow("15 from a single") << double(1440.0f / 96.0f) << 15;
        QTest::newRow("large") << 2147483646.5 << 2147483646;
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(kx::roundHalfEven(value), rounded);
    }

    // The pointer's distance from the measuring edge, limited to one pixel's twips either way.
    void dragStep_data() {
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("added");
        QTest::newRow("20 px beyond") << 20.0 << 15.0 << 15.0;
        QTest::newRow("5 px beyond") << 5.0 << 15.0 << 5.0;
        QTest::newRow("on the edge") << 0.0 << 15.0 << 0.0;
        QTest::newRow("20 px before") << -20.0 << 15.0 << -15.0;
        QTest::newRow("exactly one step back") << -15.0 << 15.0 << -15.0;
        QTest::newRow("just under one step back") << -14.75 << 15.0 << -14.75;
        QTest::newRow("12 twips per pixel") << 13.0 << 12.0 << 12.0;
    }
    void dragStep() {
        QFETCH(double, distance);
        QFETCH(double, step);
        QFETCH(double, added);
        QCOMPARE(kx::dragStep(distance, step), added);
    }
};

QTEST_MAIN(TestGeometry)
#include "test_geometry.moc"
