// The program's own icon, for the desktop's menus, docks and window frames: a caliper seen from the
// front, its beam across the top, the fixed jaw at the left and the slider with the moving jaw at
// the right, the target between the jaws. Each size is drawn at that size, anti-aliased, the drawing
// centred in its square; the scale marks and the cross-hair's arms are left out where they would
// run together.

#include "art/art.h"

#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace kx::art {

namespace {

constexpr double kDesign = 32; // the drawing's square, in design units
// The drawing's extent in design units: x 2 ... 30, y 5 ... 28; drawn shifted to centre it.
constexpr double kShiftY = (kDesign - 28 - 5) / 2;

const QColor kMetal(0x10, 0x10, 0x10);
const QColor kSleeve(0x50, 0x50, 0x50);
const QColor kMarks(0xA0, 0xA0, 0xA0);
const QColor kFrame(0x40, 0x40, 0x40);
const QColor kFace(0xFF, 0xFF, 0xFF);
const QColor kCross(0xFF, 0xD8, 0x00);

// A jaw hanging from the beam: straight down to `straightTo`, then tapering to a point at its
// measuring edge `edge`; `outer` is its other side.
QPainterPath jaw(double outer, double edge, double top, double straightTo, double tip) {
    QPainterPath path;
    path.moveTo(outer, top);
    path.lineTo(edge, top);
    path.lineTo(edge, tip);
    path.lineTo(outer, straightTo);
    path.closeSubpath();
    return path;
}

} // namespace

QImage applicationIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kDesign, size / kDesign);
    p.translate(0, kShiftY);
    p.setPen(Qt::NoPen);
    const bool detailed = size >= 32;

    p.setBrush(kMetal);
    p.drawRect(QRectF(2, 7, 28, 4));                   // the beam
    p.drawPath(jaw(3, 8, 10.5, 21, 28));               // the fixed jaw
    p.drawPath(jaw(23, 18, 12.5, 21, 28));             // the moving jaw
    p.setBrush(kSleeve);
    p.drawRoundedRect(QRectF(17, 5, 7, 8), 1.5, 1.5); // the slider's sleeve around the beam
    if (detailed) {
        p.setBrush(kMarks);
        for (double x : {10.0, 12.0, 14.0, 26.0, 28.0})
            p.drawRect(QRectF(x, int(x) % 4 == 2 ? 8.5 : 9.25, 0.75, int(x) % 4 == 2 ? 2.5 : 1.75));
    }
    // The target between the jaws.
    const QRectF target(9.5, 14.5, 7, 7);
    p.setBrush(kFrame);
    p.drawRect(target);
    p.setBrush(kFace);
    p.drawRect(target.adjusted(1, 1, -1, -1));
    p.setBrush(kCross);
    const QPointF c = target.center();
    const double arm = detailed ? 2 : 1.25;
    p.drawRect(QRectF(c.x() - 0.6, c.y() - arm, 1.2, 2 * arm));
    p.drawRect(QRectF(c.x() - arm, c.y() - 0.6, 2 * arm, 1.2));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

namespace {

// The icon in every size, each drawn when it is asked for and not kept: a window hands all sizes to the
// window system once, when it is made (drawing all of them takes half a millisecond, keeping them a
// third of a megabyte).
class ApplicationIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawImage(rect, applicationIcon(std::max(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(applicationIcon(std::max(1, std::min(size.width(), size.height()))));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kApplicationIconSizes) sizes << QSize(size, size);
        return sizes;
    }
    QIconEngine* clone() const override { return new ApplicationIconEngine; }
    QString key() const override { return QStringLiteral("KalibrixApplicationIcon"); }
};

} // namespace

QIcon applicationIconSet() {
    return QIcon(new ApplicationIconEngine);
}

} // namespace kx::art
