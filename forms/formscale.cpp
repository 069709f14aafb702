// How a window follows the monitors' scales and stays on them: twips at the window's own scale, the
// design places and fonts of its controls, and the window's place on the monitors.

#include "forms/form.h"

#include "forms/application.h"
#include "forms/internal.h"
#include "forms/picturebox.h"

#include <QFont>
#include <QVariant>

namespace kx::forms {

float Form::twipsPerPixel() const {
    return twipsPerPixelAt(m_scale);
}

int Form::toPixels(double twips) const {
    return qRound(twips / twipsPerPixel());
}

QRect Form::twipsRect(double left, double top, double width, double height) const {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

namespace {
constexpr char kDesignRect[] = "kxDesignTwips";
constexpr char kDesignFont[] = "kxDesignFont";
} // namespace

void Form::place(QWidget* control, double left, double top, double width, double height) {
    control->setProperty(kDesignRect, QRectF(left, top, width, height));
    control->setGeometry(twipsRect(left, top, width, height));
}

void Form::setDesignFont(QWidget* control, const QString& family, double points, bool bold) {
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    setDesignFont(control, f);
}

void Form::setDesignFont(QWidget* control, const QFont& font) {
    control->setProperty(kDesignFont, font);
    QFont f = font;
    f.setPointSizeF(font.pointSizeF() * m_scale * detail::kDesignDpi / env().screen.fontDpi());
    control->setFont(f);
}

void Form::applyFonts() {
    // Point sizes are those of a 96-dpi screen: at scale s they are drawn s times larger, whatever
    // resolution the toolkit renders points at.
    const double factor = m_scale * detail::kDesignDpi / env().screen.fontDpi();
    QFont base = m_app.designFont();
    base.setPointSizeF(base.pointSizeF() * factor);
    setFont(base);
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant design = w->property(kDesignFont);
        if (!design.isValid()) continue;
        QFont f = design.value<QFont>();
        f.setPointSizeF(f.pointSizeF() * factor);
        w->setFont(f);
    }
}

void Form::whenScaled(std::function<void(double)> apply) {
    apply(m_scale);
    m_scaledHooks.push_back(std::move(apply));
}

void Form::placeWindowTwips(double left, double top, double width, double height) {
    const QPoint origin = primaryScreen(env().screen.screens()).geometry.topLeft();
    setGeometry(twipsRect(left, top, width, height).translated(origin));
}

double Form::wantedScale() const {
    const QPoint at = env().windows.isMoving(const_cast<Form*>(this)) ? env().windows.cursorPos()
                                                                       : frameGeometry().center();
    return screenAt(env().screen.screens(), at).scale;
}

void Form::setLoaded() {
    m_loaded = true;
    updateScale();
}

void Form::updateScale() {
    if (!m_loaded || m_rescaling) return;
    const double wanted = wantedScale();
    if (wanted > 0 && wanted != m_scale) applyScale(wanted);
}

void Form::applyScale(double scale) {
    m_rescaling = true;
    env().windows.settlePlace(this);
    const double old = m_scale;
    const bool moving = env().windows.isMoving(this);
    // The point that stays where it is: the pressed point under the pointer during a move, else the
    // window's centre.
    const QPoint anchor = moving ? env().windows.cursorPos() : geometry().center();
    const QPointF fromTopLeft = QPointF(anchor - pos()) * (scale / old);
    m_scale = scale;
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant design = w->property(kDesignRect);
        if (design.isValid()) {
            const QRectF r = design.toRectF();
            w->setGeometry(twipsRect(r.x(), r.y(), r.width(), r.height()));
        }
    }
    applyFonts();
    // (The controls carry no meta-object of their own, so they are told apart by their C++ type.)
    for (QWidget* w : findChildren<QWidget*>())
        if (auto* box = dynamic_cast<PictureBox*>(w)) box->rescale();
    for (auto& apply : m_scaledHooks) apply(m_scale);
    scaleChanged(old);
    if (moving) env().windows.scaleMoveAnchor(this, scale / old);
    move(anchor - fromTopLeft.toPoint());
    m_rescaling = false;
}

void Form::keepOnScreen() {
    env().windows.settlePlace(this);
    const QList<ScreenInfo> screens = env().screen.screens();
    if (screens.isEmpty()) return;
    const QRect frame = frameGeometry();
    for (const ScreenInfo& s : screens)
        if (s.geometry.intersects(frame)) return;
    const ScreenInfo nearest = screenAt(screens, frame.center());
    const QRect area = nearest.available.isEmpty() ? nearest.geometry : nearest.available;
    move(pos() + (keptInside(frame, area).topLeft() - frame.topLeft()));
}

void Form::keepWhollyOnScreen() {
    env().windows.settlePlace(this);
    const QList<ScreenInfo> screens = env().screen.screens();
    if (screens.isEmpty()) return;
    // Before the window system has framed the window its frame is not known: the client area stands in.
    const QRect frame = isVisible() ? frameGeometry() : geometry();
    const ScreenInfo holder = screenAt(screens, frame.center());
    const QRect area = holder.available.isEmpty() ? holder.geometry : holder.available;
    const QPoint by = keptInside(frame, area).topLeft() - frame.topLeft();
    if (by.isNull()) return;
    if (isVisible())
        move(pos() + by);
    else
        setGeometry(geometry().translated(by));
}

void Form::moveTwips(double left, double top, double width, double height) {
    env().windows.settlePlace(this);
    const QRect r = twipsRect(left, top, width, height);
    if (size() != r.size()) resize(r.size());
    if (pos() != r.topLeft()) move(r.topLeft());
}

double Form::widthTwips() const {
    return width() * static_cast<double>(twipsPerPixel());
}

double Form::heightTwips() const {
    return height() * static_cast<double>(twipsPerPixel());
}

void Form::setClientSizeTwips(double width, double height) {
    resize(toPixels(width), toPixels(height));
}

} // namespace kx::forms
