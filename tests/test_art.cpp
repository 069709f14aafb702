// The artwork: the sizes, the key colour and the exact solid outlines that windows and readings
// are built on, the colours and places of the measuring edges, the ruler ticks, the folding-rule
// frames and the hand cursors.

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

// The solid run an outline gives a line, if any. An outline is a list of blocks "first-last:start-end"
// (or "line:start-end"), each a block of lines with one solid run; a sloped end "a..b" runs straight
// from a on the block's first line to b on its last.
std::optional<QPair<double, double>> outlined(const QString& outline, int line) {
    for (const QString& block : outline.split(' ')) {
        const QStringList lines = block.section(':', 0, 0).split('-');
        const int first = lines[0].toInt(), last = lines.value(1, lines[0]).toInt();
        if (line < first || line > last) continue;
        const double t = first == last ? 0.0 : double(line - first) / (last - first);
        auto end = [t](const QString& e) {
            const double a = e.section("..", 0, 0).toDouble(),
                         b = e.contains("..") ? e.section("..", 1).toDouble() : a;
            return a + (b - a) * t;
        };
        const QStringList run = block.section(':', 1).split('-');
        return QPair<double, double>(end(run[0]), end(run[1]));
    }
    return std::nullopt;
}

// The pictures by name, with their sizes; P1 to P6 are icons with a transparent ground.
struct Picture {
    const char* name;
    QImage (*draw)();
    QSize size;
    bool icon;
};
const Picture kPictures[] = {{"P1", kx::art::horizontalCaliperIcon, {32, 32}, true},
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

QImage image(const QString& name) {
    for (const Picture& p : kPictures)
        if (name == QLatin1String(p.name)) return p.draw();
    return {};
}

} // namespace

Q_DECLARE_METATYPE(kx::art::CursorArt)

class TestArt : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void sizesAndFormats_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("icon");
        for (const Picture& p : kPictures)
            QTest::newRow(p.name) << QString(p.name) << p.size << p.icon;
    }
    void sizesAndFormats() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(bool, icon);
        const QImage picture = image(name);
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.format(), icon ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (!icon) return;
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0); // transparent ground with something drawn on it
        int opaque = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                opaque += qAlpha(picture.pixel(x, y)) == 255;
        QVERIFY(opaque > size.width());
    }

    // Every solid pixel exactly where the outline lists it, white everywhere else (rows of the
    // horizontal pictures, columns of the vertical ones), and the measuring edge in its own colour.
    void outlinesAndMeasuringEdges_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("byColumn");
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QRect>("edge");
        QTest::addColumn<QRgb>("edgeColour");
        QTest::newRow("P11") << "P11" << false
                             << "0:1-507 1-26:0-507 27-70:0-24 71-72:0-25 73-129:0-27 130-163:1..26-27"
                             << QRect(QPoint(27, 73), QPoint(27, 163)) << QRgb(0xFF000F20);
        QTest::newRow("P12") << "P12" << false
                             << "0:1-99 1-31:0-99 32-71:3-27 72-73:2-27 74-130:0-27 131-166:0-26..0"
                             << QRect(QPoint(0, 74), QPoint(0, 166)) << QRgb(0xFF20274C);
        QTest::newRow("P13") << "P13" << true
                             << "164:1-427 138-163:0-427 94-137:0-24 92-93:0-25 35-91:0-27 1-34:26..1-27"
                             << QRect(QPoint(1, 27), QPoint(91, 27)) << QRgb(0xFF000F20);
        QTest::newRow("P14") << "P14" << true << "136-166:0-99 96-135:3-27 94-95:2-27 37-93:0-27 2-36:0-1..26"
                             << QRect(QPoint(2, 0), QPoint(93, 0)) << QRgb(0xFF20274C);
    }
    void outlinesAndMeasuringEdges() {
        QFETCH(QString, name);
        QFETCH(bool, byColumn);
        QFETCH(QString, outline);
        QFETCH(QRect, edge);
        QFETCH(QRgb, edgeColour);
        const QImage picture = image(name);
        for (int line = 0; line < (byColumn ? picture.width() : picture.height()); ++line) {
            const QList<QPair<int, int>> found = runs(picture, byColumn, line);
            const std::optional<QPair<double, double>> want = outlined(outline, line);
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
        for (int y = edge.top(); y <= edge.bottom(); ++y)
            for (int x = edge.left(); x <= edge.right(); ++x)
                QVERIFY2(picture.pixel(x, y) == edgeColour,
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
    }

    // A slider rides one pixel above its horizontal beam with its left side 28 pixels right of the
    // beam's, and 28 pixels below its vertical beam with its left side a pixel left of the beam's:
    // there the moving jaw's edge lies against the whole fixed jaw's edge.
    void jawsTouch() {
        const QImage beam = kx::art::horizontalBeam(), slider = kx::art::horizontalSlider();
        for (int y = 73; y <= 163; ++y) {
            QVERIFY(solid(beam, 27, y) && !solid(beam, 28, y));
            QVERIFY2(solid(slider, 0, y + 1), qPrintable(QString::number(y)));
        }
        const QImage vbeam = kx::art::verticalBeam(), vslider = kx::art::verticalSlider();
        for (int x = 1; x <= 91; ++x) {
            QVERIFY(solid(vbeam, x, 27) && !solid(vbeam, x, 28));
            QVERIFY2(solid(vslider, x + 1, 0), qPrintable(QString::number(x)));
        }
    }

    // Blue ticks hang from the top edge of the yellow strip: centimetres and half centimetres, and
    // four millimetre ticks between each neighbouring pair, 3 or 4 pixels apart.
    void rulerStripTicks() {
        const QImage strip = kx::art::rulerStrip();
        QList<int> heights; // tick height per column, 0 for none
        for (int x = 0; x < strip.width(); ++x) {
            int h = 0;
            while (h < strip.height() && strip.pixel(x, strip.height() - 1 - h) == 0xFF274675)
                ++h;
            for (int y = 0; y < strip.height() - h; ++y)
                QCOMPARE(strip.pixel(x, y), 0xFFEADD00);
            heights << h;
        }
        for (int x : {0, 38, 75, 113, 150, 188})
            QCOMPARE(heights[x], 9);
        for (int x : {20, 57, 94, 132, 169})
            QCOMPARE(heights[x], 7);
        QCOMPARE(heights.count(4), 40);
        QCOMPARE(heights.count(0) + heights.count(4) + heights.count(7) + heights.count(9), heights.size());
        for (int x = 1, previous = 0; x < heights.size(); ++x) {
            if (heights[x] == 0) continue;
            QVERIFY2(x - previous >= 3 && x - previous <= 4, qPrintable(QString::number(x)));
            previous = x;
        }
    }

    // Each frame: the solid pixels' extent, the lower segment always in place, the left end area
    // always over the rule and the right one only in the open frame; every frame differs from the last.
    void rulerFrames_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QRect>("extent");
        const QList<QRect> extents{
            QRect(QPoint(0, 168), QPoint(188, 183)), QRect(QPoint(0, 71), QPoint(192, 183)),
            QRect(QPoint(0, 6), QPoint(195, 183)),   QRect(QPoint(0, 4), QPoint(277, 183)),
            QRect(QPoint(0, 72), QPoint(354, 184)),  QRect(QPoint(0, 168), QPoint(377, 183))};
        for (int n = 0; n < kx::art::kRulerFrameCount; ++n)
            QTest::addRow("F%d", n) << n << extents[n];
    }
    void rulerFrames() {
        QFETCH(int, n);
        QFETCH(QRect, extent);
        const QImage frame = kx::art::rulerFrame(n);
        QCOMPARE(frame.size(), QSize(378, 189));
        QCOMPARE(frame.format(), QImage::Format_RGB32);
        QRect box;
        int lower = 0, leftEnd = 0, rightEnd = 0; // solid pixels of the lower segment and the "Ende" areas
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                if (!solid(frame, x, y)) continue;
                box |= QRect(x, y, 1, 1);
                lower += x <= 188 && y >= 168 && y <= 183;
                leftEnd += x <= 16 && y >= 168 && y <= 187;
                rightEnd += x >= 360 && x <= 376 && y >= 168 && y <= 187;
            }
        QCOMPARE(box, extent);
        QCOMPARE(lower, 189 * 16);
        QVERIFY(leftEnd > 0);
        QCOMPARE(rightEnd > 0, n == 5);
        QCOMPARE(kx::art::rulerFrame(n), frame); // same pixels on every call
        QVERIFY(kx::art::rulerFrame(n - 1) != frame);
        QVERIFY(kx::art::rulerFrame(-1).isNull() && kx::art::rulerFrame(kx::art::kRulerFrameCount).isNull());
    }

    void cursors_data() {
        QTest::addColumn<kx::art::CursorArt>("cursor");
        QTest::newRow("P10 pointing") << kx::art::pointingHandCursor();
        QTest::newRow("P16 open") << kx::art::openHandCursor();
        QTest::newRow("P17 grabbing") << kx::art::grabbingHandCursor();
    }
    void cursors() {
        QFETCH(kx::art::CursorArt, cursor);
        QCOMPARE(cursor.image.size(), QSize(32, 32));
        QCOMPARE(cursor.image.format(), QImage::Format_ARGB32);
        QCOMPARE(cursor.hotSpot, QPoint(5, 0));
        QCOMPARE(cursor.image.pixel(cursor.hotSpot), 0xFF000000u); // the fingertip's outline
        int white = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb p = cursor.image.pixel(x, y);
                QVERIFY(qAlpha(p) == 0 || p == 0xFF000000u || p == kWhite);
                white += p == kWhite;
            }
        QVERIFY(white > 50);
    }

    // Blue squares with the address in yellow along the falling diagonal, one of them turned over.
    void banners() {
        const QString address = QStringLiteral("https://www.example.org/kalibrix");
        const QImage upright = kx::art::banner(address), upsideDown = kx::art::bannerUpsideDown(address);
        for (const QImage& b : {upright, upsideDown}) {
            QCOMPARE(b.size(), QSize(180, 180));
            QCOMPARE(b.format(), QImage::Format_RGB32);
            QCOMPARE(b.pixel(0, 179), 0xFF203878u);
            int letters = 0;
            for (int y = 0; y < 180; ++y)
                for (int x = 0; x < 180; ++x) {
                    const QRgb p = b.pixel(x, y);
                    if (qRed(p) > 200 && qGreen(p) > 180 && qBlue(p) < 120) {
                        ++letters;
                        QVERIFY2(std::abs(x - y) < 30, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                    }
                }
            QVERIFY(letters > 100);
        }
        QVERIFY(upright != upsideDown);
    }
};

QTEST_MAIN(TestArt)
#include "test_art.moc"
