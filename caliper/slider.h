#pragma once

#include "caliper/geometry.h"
#include "caliper/jawcommands.h"
#include "caliper/readout.h"
#include "model/module1.h"
#include "forms/forms.h"

#include <QImage>
#include <memory>

namespace kx {

// What differs between the horizontal slider Form2 and the vertical slider Form42. Rectangles are in
// twips (left, top, width, height).
struct SliderTwin {
    QString name;
    QString beam;
    Axis axis;
    Variant Module1::*offset;
    Variant Module1::*step;       // the screen's twips per pixel in this direction
    Variant Module1::*zero;
    QRectF designClient;
    QImage (*picture)(double scale);
    QRectF minus;                 // Command2
    QRectF readout;               // Label1, on solid face pixels clear of the buttons (see the tables)
    Qt::Alignment readoutAlignment;
    QRectF plus;                  // Command1
    QRectF grip;                  // Label2
    QRectF check1;                // on the window, outside the picture
};

const SliderTwin& horizontalSliderTwin();
const SliderTwin& verticalSliderTwin();

// A caliper's slider: the moving jaw with the nudge buttons, the drag handle and the reading. It has
// no position of its own: its tracking puts it on its beam at the slider offset.
class Slider final : public forms::Form {
public:
    Slider(forms::Application& app, Module1& m, const SliderTwin& twin);

    void Form_Load() override;
    // What a slider's load does to the rest of the program, run when it is loaded (before the window is
    // made): its offset starts at the panel's zero point, so that the reading starts at zero.
    static void takeZeroPoint(forms::Application& app, Module1& m, const SliderTwin& twin);
    bool Form_QueryUnload() override;
    void Timer1_Timer(); // tracking
    void Timer2_Timer(); // readout
    void Timer3_Timer();
    void Timer4_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command1_MouseDown();
    void Command1_MouseUp();
    void Command2_MouseDown();
    void Command2_MouseUp();
    void Command_MouseMove(); // both nudge buttons
    // The drag handle; shift as the mouse handlers receive it (4: Alt, which turns snapping off for the
    // rest of a drag).
    void Label2_MouseDown(int shift = 0);
    void Label2_MouseMove(float x, float y, int shift = 0);
    void Label2_MouseUp();
    void Check1_Click();
    // Shows a reading in Label1, in the font the readout's rule picks for it.
    void showReading(const QString& reading);
    // Keys on the focused slider: the arrows along the axis move the moving jaw one pixel (with Shift
    // ten), with Ctrl any arrow moves the whole caliper; Ctrl+C copies the reading as shown; F1 opens
    // the help; Space closes the jaws on the object between them, Shift+Space opens them to the edges
    // around the pointer, Ctrl+Z undoes the last of these. Returns whether the key was one of these.
    bool Picture1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    // Puts the reading, exactly as the readout shows it, on the clipboard.
    void copyReading();

    // The slider is drawn at its beam's scale, wherever it stands itself, and it never leaves its beam.
    double wantedScale() const override;
    bool keptOnScreen() const override { return false; }

    // Where the slider stands for an offset on its beam placed at `beam` (device pixels).
    QRect placeAt(const Placement& beam, double offset) const;

    const SliderTwin& twin() const { return m_twin; }
    Module1& model() const { return m; }
    // The commands that find the edges on the screen.
    JawCommands& jaws() { return *m_jaws; }
    bool dragActive() const { return DragActive; }
    bool beamMaximized() const { return BeamMaximized; }

    forms::PictureBox* Picture1;
    forms::CommandButton* Command2;
    forms::Label* Label1;
    forms::CommandButton* Command1;
    forms::Label* Label2;
    forms::CheckBox* Check1;
    forms::Timer* Timer1;
    forms::Timer* Timer2;
    forms::Timer* Timer3;
    forms::Timer* Timer4;

protected:
    void scaleChanged(double oldScale) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool closeOnReadout(QPoint inPicture); // a double-click at that point of the picture
    void nudge(int direction);
    void track(); // the tracking's work
    QPoint pointer() const;
    void cancelHandOvers();
    const SliderTwin& m_twin;
    Module1& m;
    bool DragActive = false;
    bool BeamMaximized = false;
    ReadoutFit m_readout;
    std::unique_ptr<JawCommands> m_jaws;
};

} // namespace kx
