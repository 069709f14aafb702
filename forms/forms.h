#pragma once

// The forms layer: windows, controls and timers with the behaviour the program's windows rely on,
// on top of Qt widgets. Positions and sizes are handed over in twips and converted with the screen's
// twips per pixel; setting a value from code runs the same handler as the user's action, but only
// when the value changes.

#include "platform/clock.h"
#include "settings/settingsstore.h"
#include "platform/windowsystem.h"

#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

class QDialogButtonBox;
class QLineEdit;
class QPainter;

namespace kx::forms {

class Application;

// A run-time error of the forms layer, such as giving the focus to a control that cannot take it.
class FormsError : public std::runtime_error {
public:
    FormsError(int number, const char* what) : std::runtime_error(what), m_number(number) {}
    int number() const { return m_number; }

private:
    int m_number;
};

// The platform services every window reaches.
struct Environment {
    Clock& clock;
    Screen& screen;
    WindowSystem& windows;
    SettingsStore& settings;
    Shell& shell;

    // Conversions at the primary monitor's twips per pixel; a window converts at its own (Form).
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QRect twipsRect(double left, double top, double width, double height) const;
    // The primary monitor's scale, and the resolution at which the toolkit renders font points.
    double primaryScale() const;
};

// A picture drawn for a scale (device pixels per 96-dpi pixel), so that it can be drawn again when its
// window comes to a monitor of another scale.
using PictureSource = std::function<QImage(double scale)>;

// Set on the widget that receives the release ending a move loop: the release belongs to the loop,
// and the widget's handlers do not see it.
inline constexpr char kMoveLoopRelease[] = "kxMoveLoopRelease";

// Mouse pointers.
enum class MousePointer { Default = 0, Arrow = 1, SizeNS = 7, SizeWE = 9, Hourglass = 11, Custom = 99 };
// A custom pointer made from a 32 x 32 picture and its hot spot.
QCursor makeCursor(const QImage& image, QPoint hotSpot);
void setMousePointer(QWidget* widget, MousePointer pointer, const QCursor& custom = QCursor());

// Shows a small message window beside the owner's windows without holding them up; it goes away when
// it is closed, or with its owner.
QWidget* showMessageWindow(QWidget* owner, const QString& title, const QString& text);

// A small window asking for one line of text, beside the owner's windows and above the calipers, without
// holding anything up: the calipers can still be moved while it is open. OK hands the text to onAccept,
// which gives the reason for refusing it (shown in one line under the text; the window stays open) or
// nothing (the window closes). It goes away when it is closed, or with its owner.
class InputDialog final : public QDialog {
public:
    InputDialog(QWidget* owner, const QString& title, const QString& prompt, const QString& text);
    // One more button beside OK and Cancel; its action runs and the window closes.
    QPushButton* addButton(const QString& caption, std::function<void()> action);
    void accept() override;
    QString text() const;
    void setText(const QString& text);
    // The reason shown for the last refusal; empty while there is none.
    QString refusal() const;

    std::function<QString(const QString&)> onAccept;

private:
    QLineEdit* m_edit;
    QLabel* m_reason;
    QDialogButtonBox* m_buttons;
};

// Mouse event arguments as the handlers receive them: button 1 left, 2 right, 4 middle; shift 1
// shift, 2 control, 4 alt; position in pixels relative to the control.
using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

struct MouseHandlers {
    MouseHandler down, move, up;
    std::function<void()> click;
};

// Routes a widget's mouse events to handlers. Windowless controls (labels, picture boxes) take the
// events they handle; buttons only let the handlers watch and keep their own behaviour.
class MouseHooks : public QObject {
public:
    MouseHooks(QWidget* widget, bool takeEvents);
    MouseHandlers handlers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_widget;
    bool m_take;
    bool m_pressedInside = false;
};

// A forms-layer timer: ticks every Interval ms while Enabled and Interval > 0.
class Timer {
public:
    Timer(Clock& clock, int intervalMs, bool enabled);
    // The tick handler. A timer without one never wakes the program.
    void setHandler(std::function<void()> onTimer);

    bool enabled() const { return m_enabled; }
    // Enabling a running timer changes nothing; disabling stops it.
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    // A new interval restarts the countdown of a running timer.
    void setInterval(int ms);
    bool running() const { return m_enabled && m_interval > 0; }

private:
    void apply();
    std::function<void()> m_onTimer;
    std::unique_ptr<TimerEngine> m_engine;
    int m_interval;
    bool m_enabled;
};

// Gives the keyboard focus to a control of a form. Fails like the classic forms layer when the
// control or its window cannot take the focus (hidden, disabled).
void setFocusTo(QWidget* control);

// A caption as a label shows it in a box: broken into lines at blanks, each line placed by the
// alignment. A word wider than the box is broken where it must be, before its decimal separator
// when that part fits, so that no character is lost.
struct CaptionLayout {
    QFont font;
    QStringList lines;     // consecutive pieces of the caption: joined, they give it back
    QList<QPoint> origins; // where each line's text starts on its baseline, in the box
    QRect ink;             // the pixels the lines cover, by the font's metrics
    int lineHeight = 0;
    bool wordsBroken = false;
    // Every line lies whole within the box.
    bool fits(QSize box) const;
};
CaptionLayout layoutCaption(const QString& caption, const QFont& font, QSize box, Qt::Alignment alignment);
// Draws the lines with the painter's pen, in the layout's font.
void drawCaption(QPainter& painter, const CaptionLayout& layout);

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

class Frame : public QGroupBox {
public:
    Frame(QWidget* parent, const QString& caption);
    MouseHandlers& mouse();

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

// A picture box: shows a picture at its inner top-left corner and keeps a persistent image that
// code can draw into.
class PictureBox : public QWidget {
public:
    enum class ScaleMode { Twips = 1, Pixels = 3 };
    PictureBox(QWidget* parent, Environment& env);

    // The picture as drawn for the box's window's scale.
    const QImage& picture() const;
    // A picture drawn again for every scale of the window.
    void setPicture(PictureSource source);
    // A fixed picture, the same at every scale.
    void setPicture(const QImage& picture);
    // The other box's picture, drawn for this box's scale.
    void setPicture(const PictureBox& other);
    // Device pixels per 96-dpi pixel of the box's window.
    double scale() const;
    // Draws the picture again for a new scale of the window (its window calls this).
    void rescale();
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    bool autoRedraw() const { return m_autoRedraw; }
    void setAutoRedraw(bool on) { m_autoRedraw = on; }
    // 0 none, 1 the standard sunken border (2 pixels on each side at 96 dpi).
    int borderStyle() const { return m_border; }
    void setBorderStyle(int style);
    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode mode) { m_scaleMode = mode; }
    // The inner area in the scale unit.
    double scaleWidth() const;
    double scaleHeight() const;
    QSize innerSize() const;
    // Clears the drawing back to the picture on the background colour.
    void cls();
    // The persistent image (inner size); call update() after drawing into it. Made when it is first
    // painted or asked for, so that boxes nobody sees (stores of pictures) keep none.
    QImage& drawing();
    void setBackColor(QColor colour);
    MouseHandlers& mouse();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void fitToPicture();
    void makeDrawing();
    int borderWidth() const;
    float twipsPerPixel() const;
    Environment& m_env;
    PictureSource m_source;
    mutable QImage m_picture;
    mutable bool m_stale = false; // not drawn yet, or for another scale; drawn when needed
    double m_drawnScale = 1.0;
    QImage m_drawing;
    bool m_drawingStale = true; // cleared since it was made: made again when needed
    QColor m_back{0xE0, 0xE0, 0xE0};
    bool m_autoSize = false;
    bool m_autoRedraw = false;
    int m_border = 1;
    ScaleMode m_scaleMode = ScaleMode::Twips;
    MouseHooks* m_hooks = nullptr;
};

// A window of the program. Subclasses build their controls in the constructor (the design-time
// state) and put their load handling into Form_Load.
class Form : public QWidget {
public:
    Form(Application& app, const QString& name);
    ~Form() override;

    Application& app() const { return m_app; }
    Environment& env() const;
    const QString& formName() const { return m_name; }

    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // Asked when the window manager (or the user through it) closes the window; returning false
    // keeps the window loaded.
    virtual bool Form_QueryUnload() { return true; }

    QString caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    // 0 none (no frame and no caption), 1 fixed single.
    void setBorderStyle(int style);
    int borderStyle() const { return m_borderStyle; }
    // Visible: shows or hides the window, keeping its place.
    void setVisibleState(bool visible);
    // 0 normal, 1 minimised, 2 maximised.
    int windowStateValue() const;
    void setWindowStateValue(int state);
    // Device pixels per 96-dpi pixel in this window, and the twips of one of its pixels.
    double scale() const { return m_scale; }
    float twipsPerPixel() const;
    int toPixels(double twips) const;
    QRect twipsRect(double left, double top, double width, double height) const;
    // Puts a control at its design place (twips in its container); it keeps that place, and its font,
    // when the window's scale changes.
    void place(QWidget* control, double left, double top, double width, double height);
    void place(QWidget* control, const QRectF& twips) { place(control, twips.x(), twips.y(), twips.width(), twips.height()); }
    // A font of the design (its size in points at 96 dpi), kept through scale changes.
    void setDesignFont(QWidget* control, const QString& family, double points, bool bold);
    // Runs apply now, and again with the new scale whenever the window's scale changes.
    void whenScaled(std::function<void(double scale)> apply);
    // The window's design place on the primary monitor: twips from the monitor's top-left corner.
    void placeWindowTwips(double left, double top, double width, double height);
    // The scale the window should have where it stands: that of the monitor holding the pointer while the
    // window is being moved, else that of the monitor holding the window's centre.
    virtual double wantedScale() const;
    // Takes the wanted scale, if it differs, keeping the pointer (while moving) or the window's centre
    // where it is.
    void updateScale();
    // Whether the window is brought back onto a monitor when it lies outside every one.
    virtual bool keptOnScreen() const { return true; }
    // Brings the window back onto the nearest monitor when no part of it lies on any.
    void keepOnScreen();
    // Moves the window, frame and all, by the least amount that shows it wholly on the monitor that holds
    // its centre.
    void keepWhollyOnScreen();

    // Moves the window; position and size in twips.
    void moveTwips(double left, double top, double width, double height);
    double widthTwips() const;
    double heightTwips() const;
    void setClientSizeTwips(double width, double height);
    // Activates the window; fails when it is hidden.
    void setFocusToForm();

    Timer& createTimer(int intervalMs, bool enabled);
    void stopTimers();
    MouseHandlers& mouse();
    // Called after every change of the window's position.
    std::function<void()> onMoved;

    // Set once the window's load handling has finished; from then on it follows the monitors' scales.
    void setLoaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    // After the controls, fonts and pictures have been laid out again for a new scale: what the window
    // itself does (shaped windows take their picture's new size and outline).
    virtual void scaleChanged(double /*oldScale*/) {}

private:
    void applyScale(double scale);
    void applyFonts();
    Application& m_app;
    QString m_name;
    double m_scale = 1.0;
    bool m_loaded = false;
    bool m_rescaling = false;
    std::vector<std::function<void(double)>> m_scaledHooks;
    int m_borderStyle = 1;
    std::vector<std::unique_ptr<Timer>> m_timers;
    MouseHooks* m_hooks = nullptr;
};

// The application object: the program's title, directory and help file, and every window by name.
// Referring to a window that is not loaded loads it.
class Application {
public:
    using Factory = std::function<std::unique_ptr<Form>(Application&)>;

    explicit Application(Environment env);
    ~Application();
    Environment& env() { return m_env; }

    void registerForm(const QString& name, Factory factory);
    Form& form(const QString& name);
    template <class T>
    T& form(const QString& name) {
        return static_cast<T&>(form(name));
    }
    bool isLoaded(const QString& name) const;
    // Load: creates the window and runs its load handling without showing it.
    void load(const QString& name) { form(name); }
    // Unload: runs the window's unload handling and closes it; nothing for a window not loaded.
    void unload(const QString& name);
    // Runs when the last window has been unloaded.
    std::function<void()> onLastUnloaded;

    // Runs the pending events once.
    void doEvents();

    // The toolkit's font as the desktop set it, before the program sized it for the primary monitor:
    // the windows' fonts are made from it for their own scale.
    const QFont& designFont() const { return m_designFont; }

    QString title() const { return QStringLiteral("Kalibrix"); }
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString& file) { m_helpFile = file; }

private:
    Environment m_env;
    std::map<QString, Factory> m_factories;
    std::map<QString, Form*> m_loaded;
    std::vector<QPointer<Form>> m_unloaded; // closed, waiting for the event loop to delete them
    QString m_path;
    QFont m_designFont;
    QString m_helpFile;
    int m_unloading = 0; // nesting of unload calls: a window's unload may unload others
};

} // namespace kx::forms
