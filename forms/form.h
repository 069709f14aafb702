#pragma once

// A window of the program; how it follows the monitors' scales and stays on them is in formscale.cpp.

#include "forms/environment.h"
#include "forms/mouse.h"
#include "forms/timer.h"

#include <QRect>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace kx::forms {

class Application;

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
    void setDesignFont(QWidget* control, const QFont& font);
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
    // For a window made after its load (at `origin`, a time of the clock): its timers tick as if they
    // had been started then, and each that would have ticked meanwhile ticks once now.
    void startTimersFrom(std::chrono::milliseconds origin);
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

// Gives the keyboard focus to a control of a form. Fails like the classic forms layer when the
// control or its window cannot take the focus (hidden, disabled).
void setFocusTo(QWidget* control);

} // namespace kx::forms
