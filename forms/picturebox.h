#pragma once

#include "forms/environment.h"
#include "forms/mouse.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QWidget>
#include <functional>

namespace kx::forms {

// A picture drawn for a scale (device pixels per 96-dpi pixel), so that it can be drawn again when its
// window comes to a monitor of another scale.
using PictureSource = std::function<QImage(double scale)>;

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
    // Paints the box at once and shows it together with what `beforeShown` changes: the box is painted
    // into its window's backing store, `beforeShown` runs, and then the window system gets the new
    // pixels, right after whatever `beforeShown` asked of it (a new outline). A hidden box only runs
    // `beforeShown`; it is painted when it shows.
    void paintNow(const std::function<void()>& beforeShown);
    // Takes another box's picture and paints it at once (paintNow), not once more at the next paint.
    void showPictureNow(const PictureBox& other, const std::function<void()>& beforeShown);
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
    void paintOn(QPainter& p);
    int borderWidth() const;
    float twipsPerPixel() const;
    Environment& m_env;
    PictureSource m_source;
    mutable QImage m_picture;
    mutable bool m_stale = false; // not drawn yet, or for another scale; drawn when needed
    double m_drawnScale = 1.0;
    QImage m_drawing;
    bool m_drawingStale = true; // cleared since it was made: made again when needed
    bool m_paintLater = true;   // a change asks for a paint event
    QColor m_back{0xE0, 0xE0, 0xE0};
    bool m_autoSize = false;
    bool m_autoRedraw = false;
    int m_border = 1;
    ScaleMode m_scaleMode = ScaleMode::Twips;
    MouseHooks* m_hooks = nullptr;
};

} // namespace kx::forms
