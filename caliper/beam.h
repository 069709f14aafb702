#pragma once

#include "caliper/geometry.h"
#include "model/module1.h"
#include "forms/forms.h"

#include <QImage>

namespace kx {

// What differs between the horizontal beam Form1 and the vertical beam Form31. Rectangles are in
// twips (left, top, width, height).
struct BeamTwin {
    QString name;
    QString slider;      // its slider window
    QString otherBeam;   // whose hand-over a tick of this beam cancels
    Axis axis;
    QString caption;
    bool hasIcon;
    QRectF designClient;
    QImage (*picture)(double scale, int length);
    int length;          // of the bar, in design pixels; shorter where the monitor has no room for it
    Variant Module1::*pixelTwips; // the twips per screen pixel where this caliper stands
    QRectF closeSpot;    // Label1, in Picture1: near the bar's far end, which it follows
    QRectF openHandHolder;  // Picture2
    QRectF grabHandHolder;  // Picture3
    bool cursorHoldersVisible;
    QRectF check1;
    bool check1InPicture;
    bool windowHasCustomPointer;
};

const BeamTwin& horizontalBeamTwin();
const BeamTwin& verticalBeamTwin();

// A caliper's beam: the bar with the fixed jaw. Dragging it moves the whole caliper; its close spot
// hides the caliper.
class Beam final : public forms::Form {
public:
    Beam(forms::Application& app, Module1& m, const BeamTwin& twin);

    void Form_Load() override;
    void Form_Unload() override;
    bool Form_QueryUnload() override;
    void Check1_Click();
    void Picture1_MouseDown();
    void Picture1_MouseMove();
    void Picture1_MouseUp();
    void Timer1_Timer();
    void Label1_Click();

    const BeamTwin& twin() const { return m_twin; }
    // The device pixels by which the bar is drawn shorter than its design length (0 mostly).
    int shortfall() const;

    forms::PictureBox* Picture1;
    forms::Label* Label1;
    forms::PictureBox* Picture2;
    forms::PictureBox* Picture3;
    forms::CheckBox* Check1;
    forms::Timer* Timer1;
    forms::Timer* Timer2;

protected:
    void scaleChanged(double oldScale) override;

private:
    void setPointer(const QCursor& cursor);
    // Shortens the bar where the window would run off its monitor, and moves the window wholly onto it.
    void fitOnMonitor();
    QRectF closeSpot() const;
    const BeamTwin& m_twin;
    int m_length; // the bar's length drawn, in design pixels
    Module1& m;
    QCursor m_openHand;
    QCursor m_grabHand;
};

} // namespace kx
