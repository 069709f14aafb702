// Where the slider stands on its beam, the rounding it relies on and the drag handle's step; and the
// edges the jaws find on a row of screen pixels.

#include "caliper/edges.h"
#include "caliper/geometry.h"
#include "model/variant.h"

#include <QPainter>
#include <QTest>

using namespace kx;

Q_DECLARE_METATYPE(kx::Axis)

namespace {

Placement normalAt(int left, int top, int width, int height) {
    return Placement{ShowState::Normal, left, top, left + width, top + height};
}

using Pixels = QList<QRgb>;
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0);

// A row of pixels from runs of one colour each.
Pixels runs(std::initializer_list<std::pair<int, QRgb>> parts) {
    Pixels row;
    for (const auto& [count, colour] : parts) row.append(Pixels(count, colour));
    return row;
}

Pixels grey(std::initializer_list<int> levels) {
    Pixels row;
    for (int v : levels) row.append(qRgb(v, v, v));
    return row;
}

// Every pixel a little off its colour, by up to `by` per channel.
Pixels noisy(Pixels row, int by) {
    for (int i = 0; i < row.size(); ++i) {
        const int d = (i * 37) % (2 * by + 1) - by;
        auto c = [d](int v) { return std::clamp(v + d, 0, 255); };
        row[i] = qRgb(c(qRed(row[i])), c(qGreen(row[i])), c(qBlue(row[i])));
    }
    return row;
}

// A black bar from x to x + width drawn smoothly on white, as the toolkit draws text and shapes.
Pixels antiAliased(int length, double x, double width) {
    QImage row(length, 1, QImage::Format_RGB32);
    row.fill(kWhite);
    QPainter p(&row);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(x, 0, width, 1), Qt::black);
    p.end();
    Pixels pixels;
    for (int i = 0; i < length; ++i) pixels.append(row.pixel(i, 0));
    return pixels;
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

    // The edges on a row of pixels between the jaws. "close": each jaw starts from the colour beyond it
    // (-1: not known, the first pixel inside counts) and stops on the first pixel off that colour by
    // more than the tolerance; "open N": from pixel N outwards; "edges": every edge, for snapping.
    // Where the jaws go is given as boundaries, -1 for a jaw that found nothing and stays.
    void edgesOnARow_data() {
        QTest::addColumn<Pixels>("row");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QList<int>>("expected");
        const Pixels object = runs({{20, kWhite}, {40, kBlack}, {40, kWhite}});
        QTest::newRow("solid") << object << "close" << 0 << QList<int>{20, 60};
        // A bar from 20.3 to 60.7: its edge pixels are partly grey; the jaws stand where the eye puts
        // the edges, at the nearest boundaries, and the width is the bar's, rounded.
        QTest::newRow("anti-aliased bar") << antiAliased(100, 20.3, 40.4) << "close" << 10 << QList<int>{20, 60};
        QTest::newRow("anti-aliased bar, beyond the half") << antiAliased(100, 20.6, 40.8) << "close" << 10
                                                           << QList<int>{21, 62};
        // Grey ramps of four pixels on each side: the edges stand half way down them, whatever pixel first
        // leaves the tolerance.
        const Pixels ramps = runs({{10, kWhite}}) + grey({204, 153, 102, 51}) + runs({{30, kBlack}}) +
                             grey({51, 102, 153, 204}) + runs({{10, kWhite}});
        QTest::newRow("grey ramps, tolerance 10") << ramps << "close" << 10 << QList<int>{12, 46};
        QTest::newRow("grey ramps, tolerance 60") << ramps << "close" << 60 << QList<int>{12, 46};
        QTest::newRow("noise under the tolerance") << noisy(object, 8) << "close" << 10 << QList<int>{20, 60};
        QTest::newRow("object touching the fixed jaw")
            << runs({{30, kBlack}, {70, kWhite}}) << "close" << 10 << QList<int>{0, 30};
        QTest::newRow("object touching the moving jaw")
            << runs({{60, kWhite}, {40, kBlack}}) << "close" << 10 << QList<int>{60, 100};
        QTest::newRow("nothing between the jaws") << noisy(runs({{100, kWhite}}), 5) << "close" << 10
                                                  << QList<int>{-1, -1};
        QTest::newRow("a gap") << runs({{20, kBlack}, {60, kWhite}, {20, kBlack}}) << "open 50" << 10
                               << QList<int>{20, 80};
        // A wall pixel three quarters dark belongs to the wall, one a quarter dark to the gap.
        QTest::newRow("a gap with soft walls") << runs({{20, kBlack}}) + grey({64}) + runs({{58, kWhite}}) +
                                                      grey({191}) + runs({{20, kBlack}})
                                               << "open 50" << 10 << QList<int>{21, 80};
        QTest::newRow("a wall on one side only") << runs({{80, kWhite}, {20, kBlack}}) << "open 10" << 10
                                                 << QList<int>{-1, 80};
        QTest::newRow("edges") << runs({{10, kWhite}, {5, kBlack}, {10, kWhite}}) + grey({153, 102}) + runs({{5, kBlack}})
                               << "edges" << 30 << QList<int>{10, 15, 26};
    }
    void edgesOnARow() {
        QFETCH(Pixels, row);
        QFETCH(QString, command);
        QFETCH(int, tolerance);
        QFETCH(QList<int>, expected);
        const std::span<const QRgb> line(row.constData(), std::size_t(row.size()));
        if (command == QLatin1String("edges")) {
            const std::vector<int> found = edges::edgesAlong(line, tolerance);
            QCOMPARE(QList<int>(found.begin(), found.end()), expected);
            return;
        }
        const edges::JawMove move =
            command == QLatin1String("close")
                ? edges::closeOn(line, kWhite, kWhite, tolerance)
                : edges::openFrom(line, command.section(QLatin1Char(' '), 1).toInt(), tolerance);
        QCOMPARE((QList<int>{move.fixed.value_or(-1), move.moving.value_or(-1)}), expected);
    }
};

QTEST_MAIN(TestGeometry)
#include "test_geometry.moc"
