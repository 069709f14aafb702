#include "forms/forms.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QMessageBox>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWindow>

namespace kx::forms {

namespace {

// The resolution the design's pixel and point sizes were made for.
constexpr double kDesignDpi = 96.0;
// How many average characters wide the texts of an input dialog are.
constexpr int kInputDialogChars = 56;

int vbButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbButtons(Qt::MouseButtons b) {
    return (b.testFlag(Qt::LeftButton) ? 1 : 0) | (b.testFlag(Qt::RightButton) ? 2 : 0) |
           (b.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int vbShift(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? 1 : 0) | (m.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (m.testFlag(Qt::AltModifier) ? 4 : 0);
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

MouseHooks* ensureHooks(MouseHooks*& hooks, QWidget* widget, bool take) {
    if (!hooks) hooks = new MouseHooks(widget, take);
    return hooks;
}

} // namespace

int Environment::toPixelsX(double twips) const {
    return qRound(twips / screen.twipsPerPixelX());
}

int Environment::toPixelsY(double twips) const {
    return qRound(twips / screen.twipsPerPixelY());
}

QRect Environment::twipsRect(double left, double top, double width, double height) const {
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

double Environment::primaryScale() const {
    return primaryScreen(screen.screens()).scale;
}

QCursor makeCursor(const QImage& image, QPoint hotSpot) {
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

void setMousePointer(QWidget* widget, MousePointer pointer, const QCursor& custom) {
    switch (pointer) {
    case MousePointer::Default: widget->unsetCursor(); break;
    case MousePointer::Arrow: widget->setCursor(Qt::ArrowCursor); break;
    case MousePointer::SizeNS: widget->setCursor(Qt::SizeVerCursor); break;
    case MousePointer::SizeWE: widget->setCursor(Qt::SizeHorCursor); break;
    case MousePointer::Hourglass: widget->setCursor(Qt::WaitCursor); break;
    case MousePointer::Custom: widget->setCursor(custom); break;
    }
}

QWidget* showMessageWindow(QWidget* owner, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

InputDialog::InputDialog(QWidget* owner, const QString& title, const QString& prompt, const QString& text)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    // The window takes the height its wrapped texts need at a readable width, also when a reason appears.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const int textWidth = fontMetrics().averageCharWidth() * kInputDialogChars;
    auto* question = new QLabel(prompt, this);
    question->setWordWrap(true);
    question->setFixedWidth(textWidth);
    question->setFixedHeight(question->heightForWidth(textWidth)); // a wrapped label's own hint is for another width
    layout->addWidget(question);
    m_edit = new QLineEdit(text, this);
    m_edit->setObjectName(QStringLiteral("text"));
    question->setBuddy(m_edit);
    layout->addWidget(m_edit);
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("reason"));
    m_reason->setVisible(false);
    m_reason->setWordWrap(true);
    m_reason->setFixedWidth(textWidth);
    QPalette p = m_reason->palette();
    p.setColor(QPalette::WindowText, Qt::darkRed);
    m_reason->setPalette(p);
    layout->addWidget(m_reason);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Editing the text takes the last reason away.
    connect(m_edit, &QLineEdit::textEdited, m_reason, [this] { m_reason->setVisible(false); });
}

QPushButton* InputDialog::addButton(const QString& caption, std::function<void()> action) {
    QPushButton* button = m_buttons->addButton(caption, QDialogButtonBox::ResetRole);
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        QDialog::reject();
    });
    return button;
}

void InputDialog::accept() {
    const QString why = onAccept ? onAccept(m_edit->text()) : QString();
    if (why.isEmpty()) {
        m_reason->setVisible(false);
        QDialog::accept();
        return;
    }
    m_reason->setText(why);
    m_reason->setFixedHeight(m_reason->heightForWidth(m_reason->width()));
    m_reason->setVisible(true);
    m_edit->setFocus();
    m_edit->selectAll();
}

QString InputDialog::text() const {
    return m_edit->text();
}

void InputDialog::setText(const QString& text) {
    m_edit->setText(text);
    m_reason->setVisible(false);
}

QString InputDialog::refusal() const {
    return m_reason->isHidden() ? QString() : m_reason->text();
}

MouseHooks::MouseHooks(QWidget* widget, bool takeEvents) : QObject(widget), m_widget(widget), m_take(takeEvents) {
    widget->installEventFilter(this);
}

bool MouseHooks::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        m_pressedInside = true;
        if (handlers.down) handlers.down(vbButton(me->button()), vbShift(me->modifiers()), p.x(), p.y());
        return m_take && (handlers.down || handlers.click || handlers.up);
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        if (handlers.move) handlers.move(vbButtons(me->buttons()), vbShift(me->modifiers()), p.x(), p.y());
        return m_take; // a windowless control's pointer moves never reach the control below
    }
    case QEvent::MouseButtonRelease: {
        if (m_widget->property(kMoveLoopRelease).toBool()) {
            m_widget->setProperty(kMoveLoopRelease, QVariant());
            m_pressedInside = false;
            return false;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        const bool inside = m_pressedInside && m_widget->rect().contains(p.toPoint());
        m_pressedInside = false;
        const bool handled = m_take && (handlers.down || handlers.click || handlers.up);
        if (handlers.up) handlers.up(vbButton(me->button()), vbShift(me->modifiers()), p.x(), p.y());
        if (m_take && inside && me->button() == Qt::LeftButton && handlers.click) handlers.click();
        return handled;
    }
    default:
        return false;
    }
}

Timer::Timer(Clock& clock, int intervalMs, bool enabled)
    : m_engine(clock.createTimer([this] {
          if (m_onTimer) m_onTimer();
      })),
      m_interval(intervalMs), m_enabled(enabled) {
    apply();
}

void Timer::setHandler(std::function<void()> onTimer) {
    m_onTimer = std::move(onTimer);
    apply();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    apply();
}

void Timer::setInterval(int ms) {
    m_interval = ms;
    apply();
}

void Timer::apply() {
    if (running() && m_onTimer)
        m_engine->start(std::chrono::milliseconds(m_interval));
    else
        m_engine->stop();
}

void setFocusTo(QWidget* control) {
    QWidget* window = control->window();
    if (!window->isVisible() || window->isMinimized() || !control->isVisible() || !control->isEnabled())
        throw FormsError(5, "Invalid procedure call or argument");
    if (auto* form = dynamic_cast<Form*>(window)) form->env().windows.activate(form);
    control->setFocus(Qt::OtherFocusReason);
}

namespace {

// How far a line's pixels reach from its start on the baseline: the advance, widened where a glyph
// sticks out on either side.
std::pair<int, int> lineExtent(const QFontMetrics& fm, const QString& line) {
    const QRect ink = fm.boundingRect(line);
    return {std::min(0, ink.left()), std::max(fm.horizontalAdvance(line), ink.right() + 1)};
}

int lineWidth(const QFontMetrics& fm, const QString& line) {
    const auto [left, right] = lineExtent(fm, line);
    return right - left;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// A line without the blanks that end it.
QString shownPart(const QString& line) {
    qsizetype end = line.size();
    while (end > 0 && isBlank(line.at(end - 1))) --end;
    return line.left(end);
}

// Where a word too wide for the line is broken: after the longest start of it that fits, moved back
// to just before a decimal separator when that start fits too; at least one character.
qsizetype breakWord(const QFontMetrics& fm, const QString& caption, qsizetype lineStart, qsizetype wordStart,
                    qsizetype wordEnd, int width) {
    qsizetype end = wordEnd - 1;
    if (end == wordStart) return wordEnd; // a single character takes the line alone
    while (end > wordStart + 1 && lineWidth(fm, caption.mid(lineStart, end - lineStart)) > width) --end;
    for (qsizetype k = end; k > wordStart; --k) {
        const QChar c = caption.at(k);
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) return k;
    }
    return end;
}

} // namespace

bool CaptionLayout::fits(QSize box) const {
    return lines.size() * lineHeight <= box.height() &&
           (ink.isEmpty() || QRect(QPoint(0, 0), box).contains(ink));
}

CaptionLayout layoutCaption(const QString& caption, const QFont& font, QSize box, Qt::Alignment alignment) {
    CaptionLayout layout;
    layout.font = font;
    const QFontMetrics fm(font);
    layout.lineHeight = fm.height();
    const qsizetype n = caption.size();
    qsizetype pos = 0;
    while (pos < n) {
        // A line takes words, each with the blanks before it, while they fit; the blanks after its
        // last word stay with it, unseen.
        const qsizetype lineStart = pos;
        qsizetype end = lineStart;
        while (end < n) {
            qsizetype wordStart = end;
            while (wordStart < n && isBlank(caption.at(wordStart))) ++wordStart;
            if (wordStart == n) {
                end = n;
                break;
            }
            qsizetype wordEnd = wordStart;
            while (wordEnd < n && !isBlank(caption.at(wordEnd))) ++wordEnd;
            if (lineWidth(fm, caption.mid(lineStart, wordEnd - lineStart)) <= box.width()) {
                end = wordEnd;
                continue;
            }
            if (end == lineStart) { // the word alone is too wide
                end = breakWord(fm, caption, lineStart, wordStart, wordEnd, box.width());
                layout.wordsBroken = true;
            }
            break;
        }
        while (end < n && isBlank(caption.at(end))) ++end;
        layout.lines << caption.mid(lineStart, end - lineStart);
        pos = end;
    }

    // Placed as the painter places a line of text: the block's height in fractions of a pixel, the
    // baseline rounded.
    const QFontMetricsF fmf(font);
    const double blockHeight = (layout.lines.size() - 1) * layout.lineHeight + fmf.ascent() + fmf.descent();
    double top = (box.height() - blockHeight) / 2;
    if (alignment & Qt::AlignTop) top = 0;
    else if (alignment & Qt::AlignBottom) top = box.height() - blockHeight;
    for (qsizetype i = 0; i < layout.lines.size(); ++i) {
        const QString shown = shownPart(layout.lines.at(i));
        const auto [left, right] = lineExtent(fm, shown);
        int x = -left;
        if (alignment & Qt::AlignRight) x = box.width() - right;
        else if (alignment & Qt::AlignHCenter) x = (box.width() - (right - left)) / 2 - left;
        const QPoint origin(x, qRound(top + int(i) * layout.lineHeight + fmf.ascent()));
        layout.origins << origin;
        const QRect glyphs = fm.boundingRect(shown);
        if (!shown.isEmpty())
            layout.ink |= QRect(x + left, origin.y() + glyphs.top(), right - left, glyphs.height());
    }
    return layout;
}

void drawCaption(QPainter& painter, const CaptionLayout& layout) {
    painter.setFont(layout.font);
    for (qsizetype i = 0; i < layout.lines.size(); ++i)
        painter.drawText(layout.origins.at(i), shownPart(layout.lines.at(i)));
}

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
    setMouseTracking(true);
    return ensureHooks(m_hooks, this, true)->handlers;
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
    setMouseTracking(true);
    return ensureHooks(m_hooks, this, false)->handlers;
}

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    QObject::connect(this, &QPushButton::clicked, [this] {
        if (onClick) onClick();
    });
}

MouseHandlers& CommandButton::mouse() {
    setMouseTracking(true);
    return ensureHooks(m_hooks, this, false)->handlers;
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
    m_button->setMouseTracking(true);
    return ensureHooks(m_hooks, m_button, false)->handlers;
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
    update();
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
    if (m_drawingStale || m_drawing.size() != innerSize()) makeDrawing();
    QPainter p(this);
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
    setMouseTracking(true);
    return ensureHooks(m_hooks, this, true)->handlers;
}

Form::Form(Application& app, const QString& name) : QWidget(nullptr), m_app(app), m_name(name) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(name);
    m_scale = app.env().primaryScale();
    applyFonts();
}

Form::~Form() = default;

Environment& Form::env() const {
    return m_app.env();
}

void Form::setBorderStyle(int style) {
    m_borderStyle = style;
    Qt::WindowFlags flags = windowFlags() | Qt::Window;
    flags.setFlag(Qt::FramelessWindowHint, style == 0);
    if (style == 1) flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                             Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
}

void Form::setVisibleState(bool visible) {
    env().windows.setVisible(this, visible);
}

int Form::windowStateValue() const {
    const Qt::WindowStates s = windowState();
    if (s.testFlag(Qt::WindowMinimized)) return 1;
    if (s.testFlag(Qt::WindowMaximized)) return 2;
    return 0;
}

void Form::setWindowStateValue(int state) {
    if (state == windowStateValue()) return;
    Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == 1) s |= Qt::WindowMinimized;
    if (state == 2) s |= Qt::WindowMaximized;
    setWindowState(s);
}

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
    control->setProperty(kDesignFont, f);
    f.setPointSizeF(points * m_scale * kDesignDpi / env().screen.fontDpi());
    control->setFont(f);
}

void Form::applyFonts() {
    // Point sizes are those of a 96-dpi screen: at scale s they are drawn s times larger, whatever
    // resolution the toolkit renders points at.
    const double factor = m_scale * kDesignDpi / env().screen.fontDpi();
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

void Form::setFocusToForm() {
    if (!isVisible()) throw FormsError(5, "Invalid procedure call or argument");
    env().windows.activate(this);
}

Timer& Form::createTimer(int intervalMs, bool enabled) {
    m_timers.push_back(std::make_unique<Timer>(env().clock, intervalMs, enabled));
    return *m_timers.back();
}

void Form::stopTimers() {
    for (auto& t : m_timers) t->setEnabled(false);
}

MouseHandlers& Form::mouse() {
    setMouseTracking(true);
    return ensureHooks(m_hooks, this, false)->handlers;
}

void Form::closeEvent(QCloseEvent* event) {
    // Closing a window unloads it, unless the window handles the request itself; the unload
    // handling decides what else ends.
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    m_app.unload(m_name);
}

void Form::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    updateScale();
    if (onMoved) onMoved();
}

// The program's directory as the platform writes it: "C:\Program Files\Kalibrix" on Windows.
Application::Application(Environment env)
    : m_env(env), m_path(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
      m_designFont(QApplication::font()) {
    // Tooltips, menus and message windows use the toolkit's font: make it the primary monitor's size.
    QFont shown = m_designFont;
    shown.setPointSizeF(m_designFont.pointSizeF() * m_env.primaryScale() * kDesignDpi / m_env.screen.fontDpi());
    QApplication::setFont(shown);
    // A monitor that comes, goes or changes: every window takes the scale of where it stands now, and a
    // window left outside every monitor comes back onto one.
    m_env.screen.onScreensChanged = [this] {
        for (auto& [name, form] : m_loaded) {
            form->updateScale();
            if (form->isVisible() && form->keptOnScreen()) form->keepOnScreen();
        }
    };
}

Application::~Application() {
    m_env.screen.onScreensChanged = nullptr;
    QApplication::setFont(m_designFont);
    for (auto& [name, form] : m_loaded) delete form;
    for (const QPointer<Form>& form : m_unloaded) delete form.data();
}

void Application::registerForm(const QString& name, Factory factory) {
    m_factories[name] = std::move(factory);
}

Form& Application::form(const QString& name) {
    if (auto it = m_loaded.find(name); it != m_loaded.end()) return *it->second;
    auto factory = m_factories.find(name);
    if (factory == m_factories.end()) throw FormsError(424, "Object required");
    Form* created = factory->second(*this).release();
    // Registered before the load handling runs, so that a reference from within it finds the window.
    m_loaded[name] = created;
    created->Form_Load();
    created->setLoaded();
    return *created;
}

bool Application::isLoaded(const QString& name) const {
    return m_loaded.count(name) != 0;
}

void Application::unload(const QString& name) {
    auto it = m_loaded.find(name);
    if (it == m_loaded.end()) return;
    Form* form = it->second;
    m_loaded.erase(it);
    ++m_unloading;
    form->Form_Unload();
    form->stopTimers();
    form->hide();
    std::erase_if(m_unloaded, [](const QPointer<Form>& f) { return f.isNull(); });
    m_unloaded.emplace_back(form);
    form->deleteLater();
    if (--m_unloading == 0 && m_loaded.empty() && onLastUnloaded) onLastUnloaded();
}

void Application::doEvents() {
    QCoreApplication::processEvents();
}

} // namespace kx::forms
