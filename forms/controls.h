#pragma once

// The simple controls: labels, images, lines, frames, buttons, check boxes, option buttons and scroll bars.

#include "forms/caption.h"
#include "forms/mouse.h"

#include <QAbstractButton>
#include <QColor>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QScrollBar>
#include <QString>
#include <QWidget>
#include <functional>

namespace kx::forms {

// A label. Labels are never auto-sized here, so the caption wraps at blanks, as the classic label's
// does when it is not auto-sized.
class Label : public QLabel {
public:
    explicit Label(QWidget* parent, const QString& caption = {});
    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    // The lines the label shows.
    CaptionLayout captionLayout() const;
    MouseHandlers& mouse();
    // Transparent labels let the picture below show through.
    void setTransparent(bool transparent);
    // A readout: screen readers hear its accessible name and, as its value, the caption, which they
    // are told about whenever it changes.
    void setReadout(const QString& accessibleName);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    MouseHooks* m_hooks = nullptr;
};

class Image : public QLabel {
public:
    Image(QWidget* parent, const QImage& picture);
};

class Line : public QWidget {
public:
    Line(QWidget* parent, QColor colour);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_colour;
};

// A frame: a group box whose frame the program paints itself where the style would paint it from a
// picture file.
class Frame : public QGroupBox {
public:
    Frame(QWidget* parent, const QString& caption);
    MouseHandlers& mouse();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MouseHooks* m_hooks = nullptr;
};

class CommandButton : public QPushButton {
public:
    explicit CommandButton(QWidget* parent);
    std::function<void()> onClick;
    MouseHandlers& mouse();

private:
    MouseHooks* m_hooks = nullptr;
};

// A check box: standard, or graphical (a push button that stays pressed in while ticked).
class CheckBox : public QObject {
public:
    enum class Style { Standard, Graphical };
    CheckBox(QWidget* parent, Style style, const QString& caption = {});
    QAbstractButton* widget() const { return m_button; }
    int value() const;
    // Setting a different value runs the Click handler, as a click does.
    void setValue(int value);
    std::function<void()> onClick;
    MouseHandlers& mouse();

private:
    QAbstractButton* m_button;
    MouseHooks* m_hooks = nullptr;
};

// An option button drawn as a push button; the option buttons of one container form one group.
class OptionButton : public QPushButton {
public:
    OptionButton(QWidget* parent, const QString& caption);
    bool value() const { return isChecked(); }
    // Selecting an unselected option from code runs its Click handler, as a click does.
    void setValue(bool selected);
    std::function<void()> onClick;
};

// A scroll bar that reports only completed changes: an arrow or track click, the release of the
// thumb, or a new position set from code.
class ScrollBar : public QScrollBar {
public:
    ScrollBar(QWidget* parent, Qt::Orientation orientation);
    std::function<void()> onChange;
};

} // namespace kx::forms
