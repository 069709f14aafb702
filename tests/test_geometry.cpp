// Where the slider stands on its beam, the rounding it relies on and the drag handle's step.

#include "caliper/geometry.h"
#include "model/variant.h"

#include <QTest>

using namespace kx;

Q_DECLARE_METATYPE(kx::Axis)

namespace {

Placement normalAt(int left, int top, int width, int height) {
    return Placement{ShowState::Normal, left, top, left + width, top + height};
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // With the stored default zero points the jaws touch at every scale: the moving jaw's edge stands
    // 28 96-dpi pixels (28 * scale device pixels) past the beam's left or top edge. At 96 dpi the
    // horizontal slider also stands one pixel above the beam and the vertical one 2485 twips (165.67 px,
    // so 1 px past the 165-px beam) left of its right edge; either way it takes the beam's height and
    // keeps its own width.
    void defaultZeroPointsTouchTheJaws_data() {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("beam");
        QTest::addColumn<QRect>("slider"); // null: only the touching edge is checked
        const QRect hBeam(13, 13, 508, 165), vBeam(76, 51, 165, 428);
        QTest::newRow("horizontal") << Axis::Horizontal << 1.0 << hBeam << QRect(41, 12, 100, 165);
        QTest::newRow("horizontal, off the left screen edge")
            << Axis::Horizontal << 1.0 << hBeam.translated(-300, -20) << QRect(-259, -8, 100, 165);
        QTest::newRow("vertical") << Axis::Vertical << 1.0 << vBeam << QRect(75, 79, 167, 428);
        QTest::newRow("vertical, above the screen")
            << Axis::Vertical << 1.0 << vBeam.translated(-80, -50) << QRect(-5, 29, 167, 428);
        for (double s : {1.25, 1.5, 1.75, 2.0, 3.0}) {
            const QByteArray at = " at " + QByteArray::number(s);
            QTest::newRow("horizontal" + at) << Axis::Horizontal << s << QRect(-700, 9, int(508 * s), 300) << QRect();
            QTest::newRow("vertical" + at) << Axis::Vertical << s << QRect(1300, -40, 300, int(428 * s)) << QRect();
        }
    }
    void defaultZeroPointsTouchTheJaws() {
        QFETCH(Axis, axis);
        QFETCH(double, scale);
        QFETCH(QRect, beam);
        QFETCH(QRect, slider);
        const bool horizontal = axis == Axis::Horizontal;
        const QRect got = placeSlider(axis, normalAt(beam.x(), beam.y(), beam.width(), beam.height()),
                                      horizontal ? -7200.0 : 414.0, twipsPerPixelAt(scale), horizontal ? 100 : 167);
        if (!slider.isNull()) QCOMPARE(got, slider);
        const int touch = int(28 * scale);
        QCOMPARE(horizontal ? got.left() - beam.left() : got.top() - beam.top(), touch);
        QCOMPARE(got.height(), beam.height());
    }

    // Each nudge adds the screen's twips per pixel (a Single) to the offset; however many there are, the
    // moving jaw stands exactly that many device pixels from where it started, on both axes.
    void nudgesMoveWholeDevicePixels_data() {
        QTest::addColumn<double>("scale");
        for (double s : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) QTest::newRow(QByteArray::number(s)) << s;
    }
    void nudgesMoveWholeDevicePixels() {
        QFETCH(double, scale);
        const Variant step = Variant::fromSingle(twipsPerPixelAt(scale));
        const Placement beam = normalAt(-100, 300, int(508 * scale), int(428 * scale));
        for (Axis axis : {Axis::Horizontal, Axis::Vertical}) {
            const bool horizontal = axis == Axis::Horizontal;
            const Variant zero = Variant::fromText(horizontal ? QStringLiteral("-7200") : QStringLiteral("414"));
            auto edge = [&](const Variant& offset) {
                const QRect r = placeSlider(axis, beam, offset.toDouble(), step.toDouble(), 100);
                return horizontal ? r.left() : r.top();
            };
            const int start = edge(zero);
            Variant forward = zero, back = zero;
            for (int k = 1; k <= 1000; ++k) {
                forward = forward + step;
                back = back - step;
                if (edge(forward) != start + k || edge(back) != start - k)
                    QFAIL(qPrintable(QStringLiteral("nudge %1 drifted").arg(k)));
            }
        }
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
