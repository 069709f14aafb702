#include "forms/form.h"

#include "forms/application.h"
#include "forms/internal.h"

#include <QCloseEvent>
#include <QMoveEvent>

namespace kx::forms {

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

void Form::startTimersFrom(std::chrono::milliseconds origin) {
    std::vector<Timer*> missed;
    for (auto& t : m_timers)
        if (t->startFrom(origin)) missed.push_back(t.get());
    // In the order the window made them, as their ticks would be; one switched off by an earlier one
    // does not tick.
    for (Timer* t : missed)
        if (t->running()) t->tickNow();
}

MouseHandlers& Form::mouse() {
    return detail::hookMouse(m_hooks, this, false);
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

void setFocusTo(QWidget* control) {
    QWidget* window = control->window();
    if (!window->isVisible() || window->isMinimized() || !control->isVisible() || !control->isEnabled())
        throw FormsError(5, "Invalid procedure call or argument");
    if (auto* form = dynamic_cast<Form*>(window)) form->env().windows.activate(form);
    control->setFocus(Qt::OtherFocusReason);
}

} // namespace kx::forms
