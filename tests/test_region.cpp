#include "shaped/regionfrompicture.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>
#include <vector>

using kx::RegionFromPicture;

namespace {

constexpr QRgb White = 0xffffffff, Yellow = 0xffffff00, WhiteLessBlue = 0xfffffffe, ClearWhite = 0x00ffffff;

// One character per pixel: '.' white, '#' yellow, '+' white with one unit less blue, 'a' white with
// alpha 0. The key colour is whatever (0, 0) holds.
QImage picture(const QStringList& rows, QImage::Format format = QImage::Format_ARGB32) {
    static const QMap<QChar, QRgb> colours{
        {'.', White}, {'#', Yellow}, {'+', WhiteLessBlue}, {'a', ClearWhite}};
    QImage image(rows.value(0).size(), rows.size(), format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours.value(rows[y][x]));
    return image;
}

bool samePixels(const std::optional<QRegion>& region, const QRegion& expected) {
    return region ? region->xored(expected).isEmpty() && !region->isEmpty() : expected.isEmpty();
}

} // namespace

class TestRegion : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // The solid pixels of small pictures; an empty region means no region at all.
    void outline_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QRegion>("solid");
        QTest::newRow("only the origin is key")
            << QStringList{".##", "###"} << QRegion(0, 0, 3, 2) - QRegion(0, 0, 1, 1);
        QTest::newRow("last column alone") << QStringList{"...", "..#", "..."} << QRegion(2, 1, 1, 1);
        QTest::newRow("all key") << QStringList{"...", "..."} << QRegion();
        QTest::newRow("one pixel") << QStringList{"#"} << QRegion();
        QTest::newRow("ring with a hole") << QStringList{".....", ".###.", ".#.#.", ".###.", "....."}
                                          << QRegion(1, 1, 3, 3) - QRegion(2, 2, 1, 1);
        QTest::newRow("one unit of blue off")
            << QStringList{".+", "+."} << QRegion(1, 0, 1, 1) + QRegion(0, 1, 1, 1);
        QTest::newRow("only alpha differs") << QStringList{".a"} << QRegion(1, 0, 1, 1);
        QTest::newRow("key need not be white")
            << QStringList{"#..", "..#"} << QRegion(1, 0, 2, 1) + QRegion(0, 1, 2, 1);
    }
    void outline() {
        QFETCH(QStringList, rows);
        QFETCH(QRegion, solid);
        QVERIFY(samePixels(RegionFromPicture(picture(rows)), solid));
    }

    // A 4 x 4 picture that is solid everywhere but at the origin, scanned with a given fractional size.
    void scaleSize_data() {
        QTest::addColumn<double>("scaleWidth");
        QTest::addColumn<double>("scaleHeight");
        QTest::addColumn<QSize>("scanned");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("own size") << 4.0 << 4.0 << QSize(4, 4);
        QTest::newRow("2.5 x 3.5") << 2.5 << 3.5 << QSize(2, 4);
        QTest::newRow("1.5 x 0.5001") << 1.5 << 0.5001 << QSize(2, 1);
        QTest::newRow("just below and above a half") << 2.4999 << 2.5001 << QSize(2, 3);
        QTest::newRow("beyond the picture") << 9.0 << 4.7 << QSize(4, 4);
        QTest::newRow("beyond any int") << 1e12 << 1e12 << QSize(4, 4);
        QTest::newRow("width 0.5") << 0.5 << 4.0 << QSize(0, 0);
        QTest::newRow("height 0") << 4.0 << 0.0 << QSize(0, 0);
        QTest::newRow("negative width") << -3.0 << 4.0 << QSize(0, 0);
        QTest::newRow("no number") << nan << 4.0 << QSize(0, 0);
    }
    void scaleSize() {
        QFETCH(double, scaleWidth);
        QFETCH(double, scaleHeight);
        QFETCH(QSize, scanned);
        const QImage image = picture({".###", "####", "####", "####"});
        QVERIFY(samePixels(RegionFromPicture(image, scaleWidth, scaleHeight),
                           QRegion(QRect(QPoint(0, 0), scanned)) - QRegion(0, 0, 1, 1)));
    }

    // Every pixel layout in memory gives the same region: formats with other depths are converted,
    // and a padded external buffer is read line by line.
    void formats() {
        const QStringList rows{"..#..", ".###.", "##.##", "+...a"};
        const QImage reference = picture(rows, QImage::Format_ARGB32);
        const QRegion expected = *RegionFromPicture(reference);
        QCOMPARE(expected.rectCount(), 6);
        std::vector<QRgb> padded(4 * 8, Yellow);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                padded[y * 8 + x] = reference.pixel(x, y);
        const QImage external(reinterpret_cast<const uchar*>(padded.data()), 5, 4, 8 * 4,
                              QImage::Format_ARGB32);
        for (const QImage& image :
             {picture(rows, QImage::Format_RGBA8888), picture(rows, QImage::Format_RGBA64), external})
            QCOMPARE(RegionFromPicture(image), expected);
        // Without alpha 'a' is the key colour again.
        QVERIFY(samePixels(RegionFromPicture(picture(rows, QImage::Format_RGB32)),
                           expected - QRegion(4, 3, 1, 1)));
        QVERIFY(samePixels(RegionFromPicture(picture(rows, QImage::Format_RGB888)),
                           expected - QRegion(4, 3, 1, 1)));
        // A key whose bytes differ from each other is found whatever their order in memory.
        for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_BGR888})
            QVERIFY(samePixels(RegionFromPicture(picture({"#.", ".#"}, format)),
                               QRegion(1, 0, 1, 1) + QRegion(0, 1, 1, 1)));
    }

    // Random pictures against a pixel-by-pixel reference. Runs of one colour are up to `longestRun`
    // pixels long.
    void randomPictures_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("longestRun");
        QTest::addColumn<quint32>("seed");
        for (QSize size :
             {QSize(1, 1), QSize(1, 37), QSize(41, 1), QSize(7, 5), QSize(64, 48), QSize(378, 189)})
            for (int longestRun : {1, 40})
                for (quint32 seed : {1u, 2u})
                    QTest::addRow("%dx%d runs %d seed %u", size.width(), size.height(), longestRun, seed)
                        << size << longestRun << seed;
    }
    void randomPictures() {
        QFETCH(QSize, size);
        QFETCH(int, longestRun);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const QRgb palette[] = {White, White, White, Yellow, WhiteLessBlue, 0xff000000};
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width();) {
                const QRgb colour = palette[random.bounded(6)];
                for (int n = random.bounded(1, longestRun + 1); n > 0 && x < size.width(); --n)
                    image.setPixel(x++, y, colour);
            }
        const QRgb key = image.pixel(0, 0);
        QRegion solid;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if (image.pixel(x, y) != key) solid += QRect(x, y, 1, 1);
        // The window region has the same pixels, and QRegion's own look-up agrees with them.
        const std::optional<QRegion> region = RegionFromPicture(image);
        QVERIFY(samePixels(region, solid));
        for (int i = 0; region && i < 500; ++i) {
            const QPoint p(random.bounded(size.width()), random.bounded(size.height()));
            QCOMPARE(region->contains(p), image.pixel(p) != key);
        }
    }
};

QTEST_MAIN(TestRegion) // the region is made from a bitmap, which needs the GUI
#include "test_region.moc"
