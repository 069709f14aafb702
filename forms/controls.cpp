#include "forms/controls.h"

#include "forms/internal.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <qdrawutil.h>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

#include <algorithm>

namespace kx::forms {

namespace {

// A group box's frame as the toolkit's Fusion style draws it, as a nine-patch: 6-pixel corners, the
// middle row and column stretched along the edges and the middle pixel over the inside (translucent
// dark lines and shading over the window's background). The style draws it from a picture in its
// resources, and reading that picture loads every image-format plugin; this one is made in memory.
constexpr int kFramePatch = 13, kFrameCorner = 6;
constexpr QRgb kGroupBoxFrame[kFramePatch * kFramePatch] = {
    0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF,
    0x00FFFFFF, 0x0D272727, 0x345D5D5D, 0x346C6C6C, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x346C6C6C, 0x37666666, 0x0C151515,
    0x00FFFFFF, 0x39626262, 0x1F5A5A5A, 0x0A000000, 0x08000000, 0x07000000, 0x07000000, 0x07000000, 0x07000000, 0x08000000, 0x0A000000, 0x1E5E5E5E, 0x355B5B5B,
    0x00FFFFFF, 0x346C6C6C, 0x09000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x09000000, 0x346C6C6C,
    0x00FFFFFF, 0x32757575, 0x08000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x08000000, 0x32757575,
    0x00FFFFFF, 0x32757575, 0x07000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x07000000, 0x32757575,
    0x00FFFFFF, 0x32757575, 0x07000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x07000000, 0x32757575,
    0x00FFFFFF, 0x32757575, 0x07000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x07000000, 0x32757575,
    0x00FFFFFF, 0x32757575, 0x07000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x07000000, 0x32757575,
    0x00FFFFFF, 0x32757575, 0x08000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x08000000, 0x32757575,
    0x00FFFFFF, 0x346C6C6C, 0x09000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x03000000, 0x09000000, 0x346C6C6C,
    0x00FFFFFF, 0x355B5B5B, 0x1E5E5E5E, 0x0A000000, 0x08000000, 0x07000000, 0x07000000, 0x07000000, 0x07000000, 0x08000000, 0x0A000000, 0x1F5A5A5A, 0x39626262,
    0x00FFFFFF, 0x0C151515, 0x37666666, 0x346C6C6C, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x32757575, 0x346C6C6C, 0x345D5D5D, 0x0D272727,
};

const QPixmap& groupBoxFrame() {
    static const QPixmap frame = QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(kGroupBoxFrame),
                                                           kFramePatch, kFramePatch, QImage::Format_ARGB32));
    return frame;
}

// A standard check box whose caption wraps onto further lines when it does not fit its width, as the
// classic check box does, instead of being cut off.
class WrappingCheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        p.drawControl(QStyle::CE_CheckBox, option);
        const QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        const QRect textRect = rect().adjusted(indicator.right() + 1 + indicatorSpacing(), 0, 0, 0);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, caption);
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    int indicatorSpacing() const { return style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this); }
};

constexpr char kReadout[] = "kxReadout";

// A readout label as screen readers see it: its name, and its caption as the value.
class ReadoutAccessible final : public QAccessibleWidget {
public:
    explicit ReadoutAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* readoutFactory(const QString&, QObject* object) {
    if (object && object->isWidgetType() && object->property(kReadout).toBool())
        return new ReadoutAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

Label::Label(QWidget* parent, const QString& caption) : QLabel(caption, parent) {
    setAutoFillBackground(false);
}

CaptionLayout Label::captionLayout() const {
    return layoutCaption(text(), font(), contentsRect().size(), alignment());
}

void Label::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(palette().brush(foregroundRole()), 1));
    p.translate(contentsRect().topLeft());
    drawCaption(p, captionLayout());
}

void Label::setCaption(const QString& caption) {
    if (text() == caption) return;
    setText(caption);
    if (property(kReadout).toBool() && QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, caption);
        QAccessible::updateAccessibility(&event);
    }
}

void Label::setReadout(const QString& accessibleName) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(readoutFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setProperty(kReadout, true);
    // Setting the first caption may already have made the plain label's interface; make it anew.
    if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    setAccessibleName(accessibleName);
}

MouseHandlers& Label::mouse() {
    return detail::hookMouse(m_hooks, this, true);
}

void Label::setTransparent(bool transparent) {
    setAutoFillBackground(!transparent);
    setAttribute(Qt::WA_TranslucentBackground, transparent);
}

Image::Image(QWidget* parent, const QImage& picture) : QLabel(parent) {
    setPixmap(QPixmap::fromImage(picture));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

Line::Line(QWidget* parent, QColor colour) : QWidget(parent), m_colour(colour) {}

void Line::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_colour);
}

Frame::Frame(QWidget* parent, const QString& caption) : QGroupBox(caption, parent) {}

void Frame::paintEvent(QPaintEvent* event) {
    if (style()->name() != QLatin1String("fusion")) {
        QGroupBox::paintEvent(event); // other styles draw their frames themselves
        return;
    }
    // The same pixels as the style's: the frame where it puts it, then the caption without the frame.
    QStylePainter p(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    // The style leaves the caption's height above the frame, or a small margin without a caption.
    constexpr int kTopMargin = 3;
    const int top = title().isEmpty() && !isCheckable()
                        ? kTopMargin
                        : std::max(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this),
                                   option.fontMetrics.height()) + kTopMargin;
    const QRect frame = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this)
                            .adjusted(0, top, 0, 0);
    qDrawBorderPixmap(&p, frame, QMargins(kFrameCorner, kFrameCorner, kFrameCorner, kFrameCorner), groupBoxFrame());
    option.subControls &= ~QStyle::SC_GroupBoxFrame;
    p.drawComplexControl(QStyle::CC_GroupBox, option);
}

MouseHandlers& Frame::mouse() {
    return detail::hookMouse(m_hooks, this, false);
}

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    QObject::connect(this, &QPushButton::clicked, [this] {
        if (onClick) onClick();
    });
}

MouseHandlers& CommandButton::mouse() {
    return detail::hookMouse(m_hooks, this, false);
}

CheckBox::CheckBox(QWidget* parent, Style style, const QString& caption) : QObject(parent) {
    if (style == Style::Graphical) {
        auto* b = new QPushButton(caption, parent);
        b->setCheckable(true);
        m_button = b;
    } else {
        m_button = new WrappingCheckBox(caption, parent);
    }
    QObject::connect(m_button, &QAbstractButton::toggled, this, [this](bool) {
        if (onClick) onClick();
    });
}

int CheckBox::value() const {
    return m_button->isChecked() ? 1 : 0;
}

void CheckBox::setValue(int value) {
    m_button->setChecked(value == 1);
}

MouseHandlers& CheckBox::mouse() {
    return detail::hookMouse(m_hooks, m_button, false);
}

OptionButton::OptionButton(QWidget* parent, const QString& caption) : QPushButton(caption, parent) {
    setCheckable(true);
    setAutoExclusive(true);
    QObject::connect(this, &QPushButton::toggled, [this](bool on) {
        if (on && onClick) onClick();
    });
}

void OptionButton::setValue(bool selected) {
    setChecked(selected);
}

ScrollBar::ScrollBar(QWidget* parent, Qt::Orientation orientation) : QScrollBar(orientation, parent) {
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setSingleStep(1);
    setPageStep(1);
    QObject::connect(this, &QScrollBar::valueChanged, [this](int) {
        if (onChange) onChange();
    });
}

} // namespace kx::forms
