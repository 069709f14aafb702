// The artwork: the sizes, the key colour and the exact solid outlines that windows and readings
// are built on, the colours of the measuring edges and bevels, the ruler ticks, the folding-rule
// frames and their end areas, and the hand cursors.

#include "art/art.h"

#include <QTest>

#include <functional>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
using Picture = std::function<QImage()>;

bool solid(const QImage& image, int x, int y) {
    return image.pixel(x, y) != kWhite;
}

// The solid runs of one row (byColumn false) or one column (true) as "first-last" pieces.
QStringList runs(const QImage& image, bool byColumn, int line) {
    QStringList found;
    const int length = byColumn ? image.height() : image.width();
    for (int i = 0; i < length;) {
        auto at = [&](int j) { return byColumn ? solid(image, line, j) : solid(image, j, line); };
        if (!at(i)) {
            ++i;
            continue;
        }
        const int first = i;
        while (i < length && at(i))
            ++i;
        found << QStringLiteral("%1-%2").arg(first).arg(i - 1);
    }
    return found;
}

// One block of lines with the same solid run. A sloped end runs in a straight line from its value
// on the first line of the block to its value on the last line.
struct Extent {
    int firstLine, lastLine;
    int startFrom, startTo;
    int endFrom, endTo;
};

QImage image(const QString& name) {
    using namespace kx::art;
    static const QMap<QString, Picture> all{{"P11", horizontalBeam},
                                            {"P12", horizontalSlider},
                                            {"P13", verticalBeam},
                                            {"P14", verticalSlider},
                                            {"P1", horizontalCaliperIcon},
                                            {"P2", verticalCaliperIcon},
                                            {"P3", magnifierIcon},
                                            {"P4", setSquareIcon},
                                            {"P5", crossIcon},
                                            {"P6", questionMarkIcon},
                                            {"P7", rulerStrip},
                                            {"P15", nudgeButtonFace}};
    return all.value(name)();
}

} // namespace

Q_DECLARE_METATYPE(QList<Extent>)
Q_DECLARE_METATYPE(kx::art::CursorArt)

class TestArt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizesAndFormats_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("icon");
        for (auto [name, w, h] : {std::tuple{"P1", 32, 32},
                                  {"P2", 32, 32},
                                  {"P3", 32, 32},
                                  {"P4", 16, 16},
                                  {"P5", 16, 16},
                                  {"P6", 16, 16}})
            QTest::newRow(name) << QString(name) << QSize(w, h) << true;
        for (auto [name, w, h] : {std::tuple{"P7", 189, 16},
                                  {"P11", 508, 165},
                                  {"P12", 100, 167},
                                  {"P13", 165, 428},
                                  {"P14", 167, 100},
                                  {"P15", 15, 15}})
            QTest::newRow(name) << QString(name) << QSize(w, h) << false;
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

    // Every solid pixel exactly where the outline lists it, white everywhere else; rows of the
    // horizontal pictures, columns of the vertical ones.
    void solidExtents_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("byColumn");
        QTest::addColumn<QList<Extent>>("extents");
        QTest::newRow("P11 rows") << "P11" << false
                                  << QList<Extent>{{0, 0, 1, 1, 507, 507},  {1, 26, 0, 0, 507, 507},
                                                   {27, 70, 0, 0, 24, 24},  {71, 72, 0, 0, 25, 25},
                                                   {73, 129, 0, 0, 27, 27}, {130, 163, 1, 26, 27, 27}};
        QTest::newRow("P12 rows") << "P12" << false
                                  << QList<Extent>{{0, 0, 1, 1, 99, 99},    {1, 31, 0, 0, 99, 99},
                                                   {32, 71, 3, 3, 27, 27},  {72, 73, 2, 2, 27, 27},
                                                   {74, 130, 0, 0, 27, 27}, {131, 166, 0, 0, 26, 0}};
        QTest::newRow("P13 columns") << "P13" << true
                                     << QList<Extent>{{138, 163, 0, 0, 427, 427}, {164, 164, 1, 1, 427, 427},
                                                      {94, 137, 0, 0, 24, 24},    {92, 93, 0, 0, 25, 25},
                                                      {35, 91, 0, 0, 27, 27},     {1, 34, 26, 1, 27, 27}};
        QTest::newRow("P14 columns") << "P14" << true
                                     << QList<Extent>{{136, 166, 0, 0, 99, 99},
                                                      {96, 135, 3, 3, 27, 27},
                                                      {94, 95, 2, 2, 27, 27},
                                                      {37, 93, 0, 0, 27, 27},
                                                      {2, 36, 0, 0, 1, 26}};
    }
    void solidExtents() {
        QFETCH(QString, name);
        QFETCH(bool, byColumn);
        QFETCH(QList<Extent>, extents);
        const QImage picture = image(name);
        const int lines = byColumn ? picture.width() : picture.height();
        for (int line = 0; line < lines; ++line) {
            const QStringList found = runs(picture, byColumn, line);
            const auto block = std::find_if(extents.begin(), extents.end(), [line](const Extent& e) {
                return line >= e.firstLine && line <= e.lastLine;
            });
            const QString where = QStringLiteral("%1 %2").arg(byColumn ? "column" : "row").arg(line);
            if (block == extents.end()) {
                QVERIFY2(found.isEmpty(), qPrintable(where + ": " + found.join(' ')));
                continue;
            }
            QVERIFY2(found.size() == 1, qPrintable(where + ": " + found.join(' ')));
            const int start = found[0].section('-', 0, 0).toInt();
            const int end = found[0].section('-', 1, 1).toInt();
            const int steps = block->lastLine - block->firstLine;
            const double t = steps == 0 ? 0.0 : double(line - block->firstLine) / steps;
            const double wantStart = block->startFrom + (block->startTo - block->startFrom) * t;
            const double wantEnd = block->endFrom + (block->endTo - block->endFrom) * t;
            QVERIFY2(std::abs(start - wantStart) <= 0.5 && std::abs(end - wantEnd) <= 0.5,
                     qPrintable(QStringLiteral("%1: %2, expected %3-%4")
                                    .arg(where, found[0])
                                    .arg(wantStart)
                                    .arg(wantEnd)));
        }
        QCOMPARE(picture.pixel(0, 0), kWhite);
    }

    // Measuring edges and bevel bands: `lines` consecutive rows (or columns) from `firstLine`, each
    // in its own colour over the range `from` ... `to` along it.
    void colourBands_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("byColumn");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<QRgb>>("colours");
        using C = QList<QRgb>;
        QTest::newRow("P11 fixed edge") << "P11" << true << 27 << 73 << 163 << C{0xFF000F20};
        QTest::newRow("P12 moving edge") << "P12" << true << 0 << 74 << 166 << C{0xFF20274C};
        QTest::newRow("P13 fixed edge") << "P13" << false << 27 << 1 << 91 << C{0xFF000F20};
        QTest::newRow("P14 moving edge") << "P14" << false << 0 << 2 << 93 << C{0xFF20274C};
        QTest::newRow("P11 bar top") << "P11" << false << 0 << 10 << 495
                                     << C{0xFF99B1CC, 0xFF99B1CC, 0xFF93ACC9, 0xFF7898BC, 0xFF34649A};
        QTest::newRow("P11 left") << "P11" << true << 0 << 8 << 120
                                  << C{0xFF2E5F97, 0xFF36659B, 0xFF3D6B9E, 0xFF3A689D, 0xFF1E538F};
        QTest::newRow("P11 bar bottom") << "P11" << false << 22 << 33 << 495
                                        << C{0xFF002E61, 0xFF001328, 0xFF000F20, 0xFF000F20, 0xFF000F20};
        QTest::newRow("P11 jaw right") << "P11" << true << 23 << 80 << 125
                                       << C{0xFF00336D, 0xFF002248, 0xFF001329, 0xFF000F20, 0xFF000F20};
        QTest::newRow("P12 top") << "P12" << false << 0 << 8 << 92
                                 << C{0xFF8EA9C7, 0xFF829FC1, 0xFF6C8FB6, 0xFF4B75A5, 0xFF1C518E};
        const C left{0xFF3D6B9E, 0xFF3C6A9E, 0xFF36659B, 0xFF285B94, 0xFF104888};
        QTest::newRow("P12 sleeve left") << "P12" << true << 0 << 6 << 25 << left;
        QTest::newRow("P12 jaw left") << "P12" << true << 3 << 37 << 68 << left;
        QTest::newRow("P12 sleeve bottom") << "P12" << false << 27 << 33 << 92
                                           << C{0xFF003571, 0xFF002752, 0xFF001936, 0xFF000F20, 0xFF000F20};
        const C right{0xFF003877, 0xFF002F63, 0xFF002651, 0xFF001D3F, 0xFF001630};
        QTest::newRow("P12 sleeve right") << "P12" << true << 95 << 6 << 25 << right;
        QTest::newRow("P12 jaw right") << "P12" << true << 23 << 37 << 125 << right;
    }
    void colourBands() {
        QFETCH(QString, name);
        QFETCH(bool, byColumn);
        QFETCH(int, firstLine);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<QRgb>, colours);
        const QImage picture = image(name);
        for (int i = 0; i < colours.size(); ++i)
            for (int along = from; along <= to; ++along) {
                const int x = byColumn ? firstLine + i : along;
                const int y = byColumn ? along : firstLine + i;
                QVERIFY2(picture.pixel(x, y) == colours[i],
                         qPrintable(QStringLiteral("(%1, %2) is #%3")
                                        .arg(x)
                                        .arg(y)
                                        .arg(picture.pixel(x, y) & 0xFFFFFF, 6, 16, QChar(u'0'))));
            }
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

    void rulerStripTicks() {
        const QImage strip = kx::art::rulerStrip();
        const QRgb ground = 0xFFEADD00, tick = 0xFF274675;
        QList<int> heights; // tick height per column, 0 for none
        for (int x = 0; x < strip.width(); ++x) {
            int h = 0;
            while (h < strip.height() && strip.pixel(x, strip.height() - 1 - h) == tick)
                ++h;
            for (int y = 0; y < strip.height() - h; ++y)
                QCOMPARE(strip.pixel(x, y), ground);
            heights << h;
        }
        for (int x : {0, 38, 75, 113, 150, 188})
            QCOMPARE(heights[x], 9);
        for (int x : {20, 57, 94, 132, 169})
            QCOMPARE(heights[x], 7);
        QList<int> millimetres;
        for (int x = 0; x < heights.size(); ++x)
            if (heights[x] == 4)
                millimetres << x;
            else
                QVERIFY(heights[x] == 0 || heights[x] == 7 || heights[x] == 9);
        QCOMPARE(millimetres.size(), 40); // four between each pair of neighbouring longer ticks
        int previous = 0;
        for (int x = 1; x < heights.size(); ++x) {
            if (heights[x] == 0) continue;
            QVERIFY2(x - previous >= 3 && x - previous <= 4, qPrintable(QString::number(x)));
            previous = x;
        }
    }

    void rulerFrames_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QRect>("extent");
        QTest::addColumn<bool>("rightEndSolid");
        const QList<QRect> extents{
            QRect(QPoint(0, 168), QPoint(188, 183)), QRect(QPoint(0, 71), QPoint(192, 183)),
            QRect(QPoint(0, 6), QPoint(195, 183)),   QRect(QPoint(0, 4), QPoint(277, 183)),
            QRect(QPoint(0, 72), QPoint(354, 184)),  QRect(QPoint(0, 168), QPoint(377, 183))};
        for (int n = 0; n < kx::art::kRulerFrameCount; ++n)
            QTest::newRow(qPrintable(QStringLiteral("F%1").arg(n))) << n << extents[n] << (n == 5);
    }
    void rulerFrames() {
        QFETCH(int, n);
        QFETCH(QRect, extent);
        QFETCH(bool, rightEndSolid);
        const QImage frame = kx::art::rulerFrame(n);
        QCOMPARE(frame.size(), QSize(378, 189));
        QCOMPARE(frame.format(), QImage::Format_RGB32);
        QRect box;
        int leftEnd = 0, rightEnd = 0; // solid pixels under the two "Ende" areas
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                if (!solid(frame, x, y)) continue;
                box |= QRect(x, y, 1, 1);
                leftEnd += x <= 16 && y >= 168 && y <= 187;
                rightEnd += x >= 360 && x <= 376 && y >= 168 && y <= 187;
            }
        QCOMPARE(box, extent);
        for (int y = 168; y <= 183; ++y) // the lower segment, always in place
            for (int x = 0; x <= 188; ++x)
                QVERIFY(solid(frame, x, y));
        QVERIFY(leftEnd > 0);
        QCOMPARE(rightEnd > 0, rightEndSolid);
        QCOMPARE(kx::art::rulerFrame(n), frame); // same pixels on every call
    }

    void rulerFramesDiffer() {
        for (int a = 0; a < kx::art::kRulerFrameCount; ++a)
            for (int b = a + 1; b < kx::art::kRulerFrameCount; ++b)
                QVERIFY(kx::art::rulerFrame(a) != kx::art::rulerFrame(b));
        QVERIFY(kx::art::rulerFrame(-1).isNull());
        QVERIFY(kx::art::rulerFrame(kx::art::kRulerFrameCount).isNull());
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

    void banners() {
        const QString address = QStringLiteral("https://www.example.org/kalibrix");
        const QImage upright = kx::art::banner(address), upsideDown = kx::art::bannerUpsideDown(address);
        for (const QImage& b : {upright, upsideDown}) {
            QCOMPARE(b.size(), QSize(180, 180));
            QCOMPARE(b.format(), QImage::Format_RGB32);
            for (QPoint corner : {QPoint(0, 0), QPoint(179, 0), QPoint(0, 179), QPoint(179, 179)})
                QCOMPARE(b.pixel(corner), 0xFF203878u);
            int letters = 0; // yellow pixels, all close to the falling diagonal
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
        QVERIFY(qBlue(upright.pixel(60, 120)) > qBlue(upright.pixel(10, 170))); // lighter towards the middle
        QVERIFY(upright != upsideDown);
        QCOMPARE(kx::art::banner(address), upright);
        QCOMPARE(kx::art::banner(QString()).size(), QSize(180, 180));
    }

    void nudgeButtonFace() {
        const QImage face = kx::art::nudgeButtonFace();
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(face.pixel(i, 0), kWhite);
            QCOMPARE(face.pixel(0, i), kWhite);
        }
        QCOMPARE(face.pixel(14, 14), 0xFF27292Au);
        QVERIFY(qGray(face.pixel(7, 2)) > qGray(face.pixel(7, 11))); // lit from above
    }
};

QTEST_MAIN(TestArt)
#include "test_art.moc"
