#include "forms/controls.h"

#include "forms/internal.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kx::forms {

namespace {

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
