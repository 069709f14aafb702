// The artwork at the design scale and at the scales of desktops: the sizes, the key colour and the
// exact solid outlines that windows and readings are built on, the colours and places of the
// measuring edges, even bevel stripes, the ruler ticks, the folding-rule frames and the hand cursors.

#include "art/art.h"

#include <QTest>

#include <optional>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

bool solid(const QImage& image, int x, int y) {
    return image.pixel(x, y) != kWhite;
}

// The solid runs of one row (byColumn false) or one column (true), first and last pixel of each.
QList<QPair<int, int>> runs(const QImage& image, bool byColumn, int line) {
    QList<QPair<int, int>> found;
    const int length = byColumn ? image.height() : image.width();
    auto at = [&](int i) { return i < length && (byColumn ? solid(image, line, i) : solid(image, i, line)); };
    for (int i = 0; i < length; ++i) {
        if (!at(i)) continue;
        const int first = i;
        while (at(i + 1))
            ++i;
        found.append({first, i});
    }
    return found;
}

// The solid run an outline gives a device line at a scale, if any. An outline is a list of blocks
// "first-last:start-end" (or "line:start-end") in design pixels, each a block of lines with one
// solid run; a sloped end "a..b" runs straight from a on the block's first line to b on its last.
// Lines and ends map to device pixels; sloped ends run straight between their mapped end points.
std::optional<QPair<double, double>> outlined(const QString& outline, int line, double scale) {
    using kx::art::toDevice;
    for (const QString& block : outline.split(' ')) {
        const QStringList lines = block.section(':', 0, 0).split('-');
        const int first = toDevice(lines[0].toInt(), scale),
                  last = toDevice(lines.value(1, lines[0]).toInt() + 1, scale) - 1;
        if (line < first || line > last) continue;
        const double t = first == last ? 0.0 : double(line - first) / (last - first);
        auto end = [t, scale](const QString& e, int past) {
            const double a = toDevice(e.section("..", 0, 0).toInt() + past, scale) - past,
                         b = toDevice((e.contains("..") ? e.section("..", 1) : e).toInt() + past, scale) -
                             past;
            return a + (b - a) * t;
        };
        const QStringList run = block.section(':', 1).split('-');
        return QPair<double, double>(end(run[0], 0), end(run[1], 1));
    }
    return std::nullopt;
}

// The pictures by name, with their design sizes; P1 to P6 are icons with a transparent ground.
struct Picture {
    const char* name;
    QImage (*draw)(double);
    QSize size;
    bool icon;
};
QImage applicationIcon(double scale) {
    return kx::art::applicationIcon(qRound(32 * scale));
}
const Picture kPictures[] = {{"application", applicationIcon, {32, 32}, true},
                             {"P1", kx::art::horizontalCaliperIcon, {32, 32}, true},
                             {"P2", kx::art::verticalCaliperIcon, {32, 32}, true},
                             {"P3", kx::art::magnifierIcon, {32, 32}, true},
                             {"P4", kx::art::setSquareIcon, {16, 16}, true},
                             {"P5", kx::art::crossIcon, {16, 16}, true},
                             {"P6", kx::art::questionMarkIcon, {16, 16}, true},
                             {"P7", kx::art::rulerStrip, {189, 16}, false},
                             {"P11", kx::art::horizontalBeam, {508, 165}, false},
                             {"P12", kx::art::horizontalSlider, {100, 167}, false},
                             {"P13", kx::art::verticalBeam, {165, 428}, false},
                             {"P14", kx::art::verticalSlider, {167, 100}, false},
                             {"P15", kx::art::nudgeButtonFace, {15, 15}, false}};

QImage image(const QString& name, double scale) {
    for (const Picture& p : kPictures)
        if (name == QLatin1String(p.name)) return p.draw(scale);
    return {};
}

// The scales of desktops: 100 % to 300 %.
const QList<double> kScales{1.0, 1.25, 1.5, 1.75, 2.0, 3.0};
const QList<double> kSomeScales{1.0, 1.5, 2.0};

} // namespace

Q_DECLARE_METATYPE(kx::art::CursorArt)

class TestArt : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Device pixel j belongs to design pixel floor((j + 0.5) / s): every design pixel maps to the
    // device pixels that belong to it, one after the other, and the beam and the fixed jaw come out
    // exactly 508 and 28 times s wide, so that the jaws touch at 28 * s.
    void designToDevice() {
        using kx::art::toDevice;
        for (double s : kScales + QList<double>{0.5, 0.75, 1.1, 8.0}) {
            int next = 0;
            for (int x = 0; x < 600; ++x) {
                const kx::art::PixelRun run = toDevice(kx::art::PixelRun{x, x}, s);
                QCOMPARE(run.first, next);
                for (int j = run.first; j <= run.last; ++j)
                    QCOMPARE(kx::art::toDesign(j, s), x);
                next = run.last + 1;
            }
            if (kScales.contains(s)) {
                QCOMPARE(toDevice(508, s), int(508 * s));
                QCOMPARE(toDevice(28, s), int(28 * s));
            }
        }
        QCOMPARE(toDevice(QRect(QPoint(488, 8), QPoint(507, 26)), 1.5),
                 QRect(QPoint(732, 12), QPoint(761, 39)));
    }

    // Every picture at its design size mapped to the scale; the application icon at the sizes of a
    // desktop icon theme, from 16 to 256 pixels, each drawn at its size: centred and anti-aliased.
    void sizesAndFormats_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("icon");
        for (const Picture& p : kPictures) {
            QList<double> scales = kSomeScales;
            if (p.draw == applicationIcon) {
                scales.clear();
                for (int size : kx::art::kApplicationIconSizes) scales << size / 32.0;
            }
            for (double s : scales)
                QTest::addRow("%s %gx", p.name, s)
                    << QString(p.name) << s << kx::art::toDevice(p.size, s) << p.icon;
        }
    }
    void sizesAndFormats() {
        QFETCH(QString, name);
        QFETCH(double, scale);
        QFETCH(QSize, size);
        QFETCH(bool, icon);
        const QImage picture = image(name, scale);
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.format(), icon ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (!icon) return;
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0); // transparent ground with something drawn on it
        int opaque = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                opaque += qAlpha(picture.pixel(x, y)) == 255;
        QVERIFY(opaque > size.width());
        if (name != QLatin1String("application")) return;
        QRect drawn;
        int partly = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int alpha = qAlpha(picture.pixel(x, y));
                if (alpha > 0) drawn |= QRect(x, y, 1, 1);
                partly += alpha > 0 && alpha < 255;
            }
        const QPoint offCentre = drawn.center() - QRect(QPoint(), size).center();
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        QVERIFY(partly > size.width() / 2); // smooth edges, not steps
    }

    // Every solid pixel exactly where the outline lists it, white everywhere else (rows of the
    // horizontal pictures, columns of the vertical ones), and the measuring edge in its own colour.
    // Across the bar and the jaw each colour of the bevel bands is a whole number of stripes wide,
    // and each band five stripes.
    void outlinesAndMeasuringEdges_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("byColumn");
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QRect>("edge");
        QTest::addColumn<QRgb>("edgeColour");
        QTest::addColumn<QPoint>("across"); // design lines across the bar and across the jaw
        for (double s : kScales) {
            QTest::addRow("P11 %gx", s)
                << "P11" << s << false
                << "0:1-507 1-26:0-507 27-70:0-24 71-72:0-25 73-129:0-27 130-163:1..26-27"
                << QRect(QPoint(27, 73), QPoint(27, 163)) << QRgb(0xFF000F20) << QPoint(254, 100);
            QTest::addRow("P12 %gx", s)
                << "P12" << s << false << "0:1-99 1-31:0-99 32-71:3-27 72-73:2-27 74-130:0-27 131-166:0-26..0"
                << QRect(QPoint(0, 74), QPoint(0, 166)) << QRgb(0xFF20274C) << QPoint(50, 100);
            QTest::addRow("P13 %gx", s)
                << "P13" << s << true
                << "164:1-427 138-163:0-427 94-137:0-24 92-93:0-25 35-91:0-27 1-34:26..1-27"
                << QRect(QPoint(1, 27), QPoint(91, 27)) << QRgb(0xFF000F20) << QPoint(200, 60);
            QTest::addRow("P14 %gx", s)
                << "P14" << s << true << "136-166:0-99 96-135:3-27 94-95:2-27 37-93:0-27 2-36:0-1..26"
                << QRect(QPoint(2, 0), QPoint(93, 0)) << QRgb(0xFF20274C) << QPoint(50, 60);
        }
    }
    void outlinesAndMeasuringEdges() {
        QFETCH(QString, name);
        QFETCH(double, scale);
        QFETCH(bool, byColumn);
        QFETCH(QString, outline);
        QFETCH(QRect, edge);
        QFETCH(QRgb, edgeColour);
        QFETCH(QPoint, across);
        const QImage picture = image(name, scale);
        for (int line = 0; line < (byColumn ? picture.width() : picture.height()); ++line) {
            const QList<QPair<int, int>> found = runs(picture, byColumn, line);
            const std::optional<QPair<double, double>> want = outlined(outline, line, scale);
            const QString where = QStringLiteral("%1 %2: %3 runs, first %4-%5")
                                      .arg(byColumn ? "column" : "row")
                                      .arg(line)
                                      .arg(found.size())
                                      .arg(found.value(0).first)
                                      .arg(found.value(0).second);
            QVERIFY2(found.size() == (want ? 1 : 0), qPrintable(where));
            if (want)
                QVERIFY2(std::abs(found[0].first - want->first) <= 0.5 &&
                             std::abs(found[0].second - want->second) <= 0.5,
                         qPrintable(where));
        }
        const QRect deviceEdge = kx::art::toDevice(edge, scale);
        for (int y = deviceEdge.top(); y <= deviceEdge.bottom(); ++y)
            for (int x = deviceEdge.left(); x <= deviceEdge.right(); ++x)
                QVERIFY2(picture.pixel(x, y) == edgeColour,
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));

        // Bar and jaw: a line across each, by the other direction than the outline.
        const int stripe = kx::art::lineWidth(scale);
        for (const auto& [line, acrossColumns] :
             {std::pair{across.x(), !byColumn}, std::pair{across.y(), byColumn}}) {
            const int at = kx::art::toDevice(line, scale);
            const QList<QPair<int, int>> solidRuns = runs(picture, acrossColumns, at);
            QCOMPARE(solidRuns.size(), 1);
            auto colour = [&](int i) { return acrossColumns ? picture.pixel(at, i) : picture.pixel(i, at); };
            for (int step : {1, -1}) {
                const int from = step > 0 ? solidRuns[0].first : solidRuns[0].second;
                const QString where = QStringLiteral("band at %1 %2 from %3")
                                          .arg(acrossColumns ? "column" : "row")
                                          .arg(at)
                                          .arg(from);
                for (int i = 0, run = 1; i < 5 * stripe; ++i, ++run)
                    if (i + 1 == 5 * stripe || colour(from + step * i) != colour(from + step * (i + 1))) {
                        QVERIFY2(run % stripe == 0, qPrintable(where));
                        run = 0;
                    }
                QVERIFY2(colour(from + step * 5 * stripe) ==
                             colour((solidRuns[0].first + solidRuns[0].second) / 2),
                         qPrintable(where));
            }
        }
    }

    // A slider rides a line above its horizontal beam with its left side 28 pixels right of the
    // beam's, and 28 pixels below its vertical beam with its left side a line left of the beam's
    // (pixels and lines of the scale): there the moving jaw's edge lies against the whole fixed jaw's
    // edge.
    void jawsTouch_data() {
        QTest::addColumn<double>("scale");
        for (double s : kScales)
            QTest::addRow("%gx", s) << s;
    }
    void jawsTouch() {
        QFETCH(double, scale);
        using kx::art::toDevice;
        const int gap = toDevice(28, scale), line = kx::art::lineWidth(scale);
        const QImage beam = kx::art::horizontalBeam(scale), slider = kx::art::horizontalSlider(scale);
        for (int y = toDevice(73, scale); y < toDevice(164, scale); ++y) {
            QVERIFY(solid(beam, gap - 1, y) && !solid(beam, gap, y));
            QVERIFY2(solid(slider, 0, y + line), qPrintable(QString::number(y)));
        }
        const QImage vbeam = kx::art::verticalBeam(scale), vslider = kx::art::verticalSlider(scale);
        for (int x = toDevice(1, scale); x < toDevice(92, scale); ++x) {
            QVERIFY(solid(vbeam, x, gap - 1) && !solid(vbeam, x, gap));
            QVERIFY2(solid(vslider, x + line, 0), qPrintable(QString::number(x)));
        }
    }

    // Blue ticks a line wide hang from the top edge of the yellow strip: centimetres and half
    // centimetres at their places, and four millimetre ticks between each neighbouring pair, 3 or 4
    // pixels apart at 96 dpi.
    void rulerStripTicks_data() {
        QTest::addColumn<double>("scale");
        for (double s : kSomeScales)
            QTest::addRow("%gx", s) << s;
    }
    void rulerStripTicks() {
        QFETCH(double, scale);
        using kx::art::toDevice;
        const QImage strip = kx::art::rulerStrip(scale);
        const int line = kx::art::lineWidth(scale);
        QMap<int, int> ticks; // height by left column
        for (int x = 0; x < strip.width(); ++x) {
            int h = 0;
            while (h < strip.height() && strip.pixel(x, strip.height() - 1 - h) == 0xFF274675)
                ++h;
            for (int y = 0; y < strip.height() - h; ++y)
                QCOMPARE(strip.pixel(x, y), 0xFFEADD00);
            if (h == 0) continue;
            if (ticks.isEmpty() || ticks.lastKey() + line <= x - 1 || ticks.last() != h) ticks[x] = h;
            QVERIFY2(x - ticks.lastKey() < line,
                     qPrintable(QStringLiteral("tick at %1 wider than %2").arg(x).arg(line)));
        }
        for (int x : {0, 38, 75, 113, 150, 188})
            QCOMPARE(ticks.value(std::min(toDevice(x, scale), strip.width() - line)), toDevice(9, scale));
        for (int x : {20, 57, 94, 132, 169})
            QCOMPARE(ticks.value(toDevice(x, scale)), toDevice(7, scale));
        QCOMPARE(ticks.size(), 51);
        QCOMPARE(QList<int>(ticks.values()).count(toDevice(4, scale)), 40);
        for (auto previous = ticks.keyBegin(), t = std::next(previous); t != ticks.keyEnd(); previous = t++)
            QVERIFY2(*t - *previous >= int(3 * scale) && *t - *previous <= std::ceil(4 * scale),
                     qPrintable(QString::number(*t)));
    }

    // Each frame: the solid pixels' extent, the lower segment always in place, the left end area
    // always over the rule and the right one only in the open frame; at 96 dpi, every frame differs
    // from the last.
    void rulerFrames_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("extent");
        const QList<QRect> extents{
            QRect(QPoint(0, 168), QPoint(188, 183)), QRect(QPoint(0, 71), QPoint(192, 183)),
            QRect(QPoint(0, 6), QPoint(195, 183)),   QRect(QPoint(0, 4), QPoint(277, 183)),
            QRect(QPoint(0, 72), QPoint(354, 184)),  QRect(QPoint(0, 168), QPoint(377, 183))};
        for (double s : kScales)
            for (int n = 0; n < kx::art::kRulerFrameCount; ++n)
                QTest::addRow("F%d %gx", n, s) << n << s << extents[n];
    }
    void rulerFrames() {
        QFETCH(int, n);
        QFETCH(double, scale);
        QFETCH(QRect, extent);
        using kx::art::toDevice;
        const QImage frame = kx::art::rulerFrame(n, scale);
        QCOMPARE(frame.size(), toDevice(QSize(378, 189), scale));
        QCOMPARE(frame.format(), QImage::Format_RGB32);
        const QRect lowerSegment = toDevice(QRect(QPoint(0, 168), QPoint(188, 183)), scale);
        const QRect leftEnd = toDevice(QRect(QPoint(0, 168), QPoint(16, 187)), scale);
        const QRect rightEnd = toDevice(QRect(QPoint(360, 168), QPoint(376, 187)), scale);
        QRect box;
        int lower = 0, left = 0, right = 0; // solid pixels of the lower segment and the "Ende" areas
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                if (!solid(frame, x, y)) continue;
                box |= QRect(x, y, 1, 1);
                lower += lowerSegment.contains(x, y);
                left += leftEnd.contains(x, y);
                right += rightEnd.contains(x, y);
            }
        QCOMPARE(box, toDevice(extent, scale));
        QCOMPARE(lower, lowerSegment.width() * lowerSegment.height());
        QVERIFY(left > 0);
        QCOMPARE(right > 0, n == 5);
        if (scale != 1.0) return;
        QCOMPARE(kx::art::rulerFrame(n), frame); // same pixels on every call
        QVERIFY(kx::art::rulerFrame(n - 1) != frame);
        QVERIFY(kx::art::rulerFrame(-1).isNull() && kx::art::rulerFrame(kx::art::kRulerFrameCount).isNull());
    }

    void cursors_data() {
        QTest::addColumn<kx::art::CursorArt>("cursor");
        QTest::addColumn<double>("scale");
        for (double s : kSomeScales) {
            QTest::addRow("P10 pointing %gx", s) << kx::art::pointingHandCursor(s) << s;
            QTest::addRow("P16 open %gx", s) << kx::art::openHandCursor(s) << s;
            QTest::addRow("P17 grabbing %gx", s) << kx::art::grabbingHandCursor(s) << s;
        }
    }
    void cursors() {
        QFETCH(kx::art::CursorArt, cursor);
        QFETCH(double, scale);
        const int size = kx::art::toDevice(32, scale);
        QCOMPARE(cursor.image.size(), QSize(size, size));
        QCOMPARE(cursor.image.format(), QImage::Format_ARGB32);
        QCOMPARE(cursor.hotSpot, QPoint(kx::art::toDevice(5, scale), 0));
        QCOMPARE(cursor.image.pixel(cursor.hotSpot), 0xFF000000u); // the fingertip's outline
        int white = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb p = cursor.image.pixel(x, y);
                QVERIFY(qAlpha(p) == 0 || p == 0xFF000000u || p == kWhite);
                white += p == kWhite;
            }
        QVERIFY(white > 50 * scale * scale);
    }

    // Blue squares with the address in yellow along the falling diagonal, one of them turned over.
    void banners_data() {
        QTest::addColumn<double>("scale");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void banners() {
        QFETCH(double, scale);
        const QString address = QStringLiteral("https://www.example.org/kalibrix");
        const QImage upright = kx::art::banner(address, scale),
                     upsideDown = kx::art::bannerUpsideDown(address, scale);
        const int size = kx::art::toDevice(180, scale);
        for (const QImage& b : {upright, upsideDown}) {
            QCOMPARE(b.size(), QSize(size, size));
            QCOMPARE(b.format(), QImage::Format_RGB32);
            QCOMPARE(b.pixel(0, size - 1), 0xFF203878u);
            int letters = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb p = b.pixel(x, y);
                    if (qRed(p) > 200 && qGreen(p) > 180 && qBlue(p) < 120) {
                        ++letters;
                        QVERIFY2(std::abs(x - y) < 30 * scale,
                                 qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                    }
                }
            QVERIFY(letters > 100 * scale * scale);
        }
        QVERIFY(upright != upsideDown);
    }
};

QTEST_MAIN(TestArt)
#include "test_art.moc"
