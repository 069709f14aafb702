#include "forms/picturebox.h"

#include "forms/form.h"
#include "forms/internal.h"

#include <QBackingStore>
#include <QPainter>
#include <algorithm>

namespace kx::forms {

PictureBox::PictureBox(QWidget* parent, Environment& env) : QWidget(parent), m_env(env) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_drawnScale = scale();
}

double PictureBox::scale() const {
    const auto* form = dynamic_cast<const Form*>(window());
    return form ? form->scale() : m_env.primaryScale();
}

float PictureBox::twipsPerPixel() const {
    return twipsPerPixelAt(scale());
}

int PictureBox::borderWidth() const {
    // The standard border is 2 pixels wide at 96 dpi.
    return m_border ? std::max(1, qRound(2 * m_drawnScale)) : 0;
}

QSize PictureBox::innerSize() const {
    const int b = borderWidth();
    return QSize(std::max(0, width() - 2 * b), std::max(0, height() - 2 * b));
}

double PictureBox::scaleWidth() const {
    const int w = innerSize().width();
    return m_scaleMode == ScaleMode::Pixels ? w : w * static_cast<double>(twipsPerPixel());
}

double PictureBox::scaleHeight() const {
    const int h = innerSize().height();
    return m_scaleMode == ScaleMode::Pixels ? h : h * static_cast<double>(twipsPerPixel());
}

const QImage& PictureBox::picture() const {
    if (m_stale) {
        m_picture = m_source(m_drawnScale);
        m_stale = false;
    }
    return m_picture;
}

void PictureBox::setPicture(PictureSource source) {
    // Drawn when it is first needed: at once by a box that takes its picture's size, else when the box
    // is painted or another box takes the picture.
    m_source = std::move(source);
    m_drawnScale = scale();
    m_picture = QImage();
    m_stale = static_cast<bool>(m_source);
    if (m_autoSize) fitToPicture();
    cls();
}

void PictureBox::setPicture(const QImage& picture) {
    m_source = nullptr;
    m_picture = picture;
    m_stale = false;
    if (m_autoSize) fitToPicture();
    cls();
}

void PictureBox::setPicture(const PictureBox& other) {
    if (other.m_source && other.m_drawnScale == scale()) {
        // Same scale: share the drawn picture instead of drawing it again.
        m_source = other.m_source;
        m_drawnScale = other.m_drawnScale;
        m_picture = other.picture();
        m_stale = false;
        if (m_autoSize) fitToPicture();
        cls();
    } else if (other.m_source) {
        setPicture(other.m_source);
    } else {
        setPicture(other.picture());
    }
}

void PictureBox::rescale() {
    const double s = scale();
    if (s == m_drawnScale) return;
    m_drawnScale = s;
    if (m_source) m_stale = true;
    if (m_autoSize) fitToPicture();
    cls();
}

void PictureBox::setAutoSize(bool on) {
    m_autoSize = on;
    if (on) fitToPicture();
    if (m_drawing.size() != innerSize()) cls();
}

QImage& PictureBox::drawing() {
    // A hidden box gets no resize event; keep the persistent image the size of the inner area.
    if (m_drawingStale || m_drawing.size() != innerSize()) makeDrawing();
    return m_drawing;
}

void PictureBox::setBorderStyle(int style) {
    m_border = style;
    if (m_autoSize) fitToPicture();
    cls();
}

void PictureBox::fitToPicture() {
    const QImage& p = picture();
    if (p.isNull()) return;
    const int b = borderWidth();
    resize(p.width() + 2 * b, p.height() + 2 * b);
}

void PictureBox::setBackColor(QColor colour) {
    m_back = colour;
    cls();
}

void PictureBox::cls() {
    m_drawingStale = true;
    if (m_paintLater) update();
}

void PictureBox::makeDrawing() {
    m_drawingStale = false;
    const QSize inner = innerSize();
    const QImage& p = picture();
    if (!p.isNull() && p.size() == inner && p.format() == QImage::Format_RGB32) {
        // The picture covers the whole box: the drawing starts as the picture itself and shares its
        // pixels until something is drawn.
        m_drawing = p;
        return;
    }
    if (m_drawing.size() != inner || m_drawing.isDetached() == false) m_drawing = QImage(inner, QImage::Format_RGB32);
    m_drawing.fill(m_back);
    if (!p.isNull() && !inner.isEmpty()) {
        QPainter painter(&m_drawing);
        painter.drawImage(QPoint(0, 0), p);
    }
}

void PictureBox::resizeEvent(QResizeEvent*) {
    if (m_drawing.size() != innerSize()) cls();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintOn(p);
}

void PictureBox::paintNow(const std::function<void()>& beforeShown) {
    QBackingStore* store = isVisible() ? window()->backingStore() : nullptr;
    if (!store) {
        beforeShown();
        return;
    }
    // Painting may talk to the window system (and so send what is queued); showing the pixels does,
    // after what beforeShown queued.
    const QRegion area(QRect(mapTo(window(), QPoint(0, 0)), size()));
    store->beginPaint(area);
    {
        QPainter p(store->paintDevice());
        p.translate(area.boundingRect().topLeft());
        paintOn(p);
    }
    store->endPaint();
    beforeShown();
    store->flush(area);
}

void PictureBox::showPictureNow(const PictureBox& other, const std::function<void()>& beforeShown) {
    m_paintLater = !isVisible(); // a hidden box is painted when it shows
    setPicture(other);
    m_paintLater = true;
    paintNow(beforeShown);
}

void PictureBox::paintOn(QPainter& p) {
    if (m_drawingStale || m_drawing.size() != innerSize()) makeDrawing();
    const int b = borderWidth();
    if (b) {
        // The standard sunken border: a dark outer and a darker inner line at the top and left, light
        // lines at the bottom and right, each half the border wide.
        const QRect r = rect();
        const int o = b / 2, i = b - o; // outer and inner line widths
        p.fillRect(r, QColor(0xFF, 0xFF, 0xFF));
        p.fillRect(QRect(r.left(), r.top(), r.width() - o, o), QColor(0xA0, 0xA0, 0xA0));
        p.fillRect(QRect(r.left(), r.top(), o, r.height() - o), QColor(0xA0, 0xA0, 0xA0));
        p.fillRect(QRect(r.left() + o, r.top() + o, r.width() - o - b, i), QColor(0x69, 0x69, 0x69));
        p.fillRect(QRect(r.left() + o, r.top() + o, i, r.height() - o - b), QColor(0x69, 0x69, 0x69));
        p.fillRect(QRect(r.left() + o, r.bottom() - b + 1, r.width() - 2 * o, i), QColor(0xE3, 0xE3, 0xE3));
        p.fillRect(QRect(r.right() - b + 1, r.top() + o, i, r.height() - 2 * o), QColor(0xE3, 0xE3, 0xE3));
    }
    p.drawImage(QPoint(b, b), m_drawing);
}

MouseHandlers& PictureBox::mouse() {
    return detail::hookMouse(m_hooks, this, true);
}

} // namespace kx::forms
