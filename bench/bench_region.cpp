// Times RegionFromPicture on pictures shaped like the program's own: a folding rule frame, a caliper
// beam and, as the worst case, a checkerboard where every solid pixel is a run of its own.
// For comparison it also times the same scan with every run united into a QRegion one by one.

#include "shaped/regionfrompicture.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr QRgb White = 0xffffffff, Yellow = 0xffffd700, Black = 0xff000000, Steel = 0xffb0b4b8;

// Two yellow bars with black edges and ticks: one lying flat, one tilted up from the hinge.
QImage foldingRuleFrame() {
    QImage image(378, 189, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    painter.setPen(QColor(Black));
    painter.setBrush(QColor(Yellow));
    const QRect bar(0, 0, 189, 16);
    painter.translate(189, 170);
    painter.drawRect(bar);
    for (int x = 10; x < 189; x += 10)
        painter.drawLine(x, 0, x, x % 50 == 0 ? 8 : 4);
    painter.rotate(-145);
    painter.drawRect(bar.adjusted(0, -16, 0, -16));
    for (int x = 10; x < 189; x += 10)
        painter.drawLine(x, -16, x, x % 50 == 0 ? -8 : -12);
    return image;
}

// A long beam with ticks and a fixed jaw hanging down from its left end.
QImage caliperBeam() {
    QImage image(508, 165, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    painter.setPen(QColor(Black));
    painter.setBrush(QColor(Steel));
    painter.drawPolygon(QPolygon({QPoint(0, 10), QPoint(48, 10), QPoint(48, 150), QPoint(30, 164),
                                  QPoint(20, 164), QPoint(20, 60), QPoint(0, 60)}));
    painter.drawRect(48, 20, 459, 40);
    painter.drawPolygon(QPolygon({QPoint(20, 10), QPoint(28, 0), QPoint(40, 0), QPoint(40, 10)}));
    for (int x = 60; x < 500; x += 5)
        painter.drawLine(x, 20, x, x % 50 == 10 ? 34 : 27);
    return image;
}

QImage checkerboard() {
    QImage image(378, 189, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 == 0 ? White : Black);
    return image;
}

// The scan with every run united into the result one by one.
struct UnitingBuilder {
    using Region = QRegion;
    QRegion makeRect(int left, int top, int right, int bottom) {
        return QRegion(left, top, right - left, bottom - top);
    }
    void unite(QRegion& result, const QRegion& rect) { result += rect; }
    void discard(QRegion&) {}
};

double medianMicroseconds(int runs, const std::function<void()>& work) {
    std::vector<double> times(runs);
    for (double& time : times) {
        const auto start = std::chrono::steady_clock::now();
        work();
        time = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

void measure(const char* name, const QImage& picture) {
    const int rects = kx::RegionFromPicture(picture).value_or(QRegion()).rectCount();
    std::optional<QRegion> region;
    const double fast = medianMicroseconds(2000, [&] { region = kx::RegionFromPicture(picture); });
    const double uniting = medianMicroseconds(200, [&] {
        UnitingBuilder builder;
        region = kx::RegionFromPicture(kx::ImagePixels(picture), builder);
    });
    std::printf("%s %dx%d: RegionFromPicture median %.1f us over 2000 runs (%d rects); "
                "united one by one: median %.1f us over 200 runs\n",
                name, picture.width(), picture.height(), fast, rects, uniting);
}

} // namespace

int main() {
    measure("folding rule frame", foldingRuleFrame());
    measure("caliper beam", caliperBeam());
    measure("checkerboard", checkerboard());
    return 0;
}
