// Help and the desktop's opener: the question-mark button, F1 on a control, the banner's web page and
// the message when one cannot be opened; and the right button's menu.

#include "panel/start.h"

#include "caliper/slider.h"
#include "panel/contextmenu.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

namespace kx {

void Start::Command2_Click() {
    showHelp(HelpTopic::Contents);
}

void Start::Picture1_Click() {
    QString address = webAddress();
    StartURL(address);
}

void Start::showHelp(HelpTopic topic) {
    QString help = helpDocument(app().path(), topic);
    StartURL(help);
}

bool Start::StartURL(QString& document) {
    QString whyNot;
    if (env().shell.open(document, &whyNot)) return true;
    // Said once: a second failure while the message is still open only brings it forward.
    const QString text =
        QCoreApplication::translate("Kalibrix", "Kalibrix could not open %1.\n\n%2").arg(document, whyNot);
    if (m_openFailure) {
        m_openFailure->setProperty("text", text);
        m_openFailure->raise();
    } else {
        m_openFailure = forms::showMessageWindow(this, app().title(), text);
    }
    return false;
}

bool Start::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        // Context help: the focused control's help topic, or the contents for a control without one.
        showHelp(helpTopic(focusWidget()));
        return true;
    }
    return Form::event(event);
}

void Start::contextMenuEvent(QContextMenuEvent* event) {
    // Only outside the controls: on the window, the frames, and the labels, pictures and lines in them;
    // and on the magnifier's view while it runs, for its colour.
    QWidget* under = childAt(event->pos());
    if (under && !qobject_cast<QGroupBox*>(under) && !qobject_cast<QLabel*>(under) &&
        !dynamic_cast<forms::Line*>(under) && !(under == Picture1 && magnifierOn()))
        return;
    createContextMenu(*this, nullptr, this)->popup(event->globalPos());
}

void Start::popUpCaliperMenu(Slider& slider, QPoint globalPos) {
    createContextMenu(*this, &slider, &slider)->popup(globalPos);
}

} // namespace kx
