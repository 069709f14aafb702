#pragma once

#include "caliper/geometry.h"

#include <QPoint>
#include <QString>

namespace kx {

namespace forms {
class Application;
}
class EdgeSettings;
class Slider;

// What a caliper asks of the control panel. The panel implements it; a caliper reaches it as the
// window Start, which loads the panel if it is not loaded yet.
class CaliperPanel {
public:
    virtual ~CaliperPanel() = default;
    // The axis's zero point as the panel holds it: the text of its hidden label.
    virtual QString zeroPointText(Axis axis) const = 0;
    // The density a reading along the slider's caliper uses, in device pixels per inch; 0 while the
    // readings are the desktop's logical lengths.
    virtual double pixelsPerInch(const Slider& slider) = 0;
    // The help, as the panel's help button opens it.
    virtual void Command2_Click() = 0;
    // The right button's menu on a slider's reading, at a point of the screen.
    virtual void popUpCaliperMenu(Slider& slider, QPoint globalPos) = 0;
    // The caliper of the axis was put away from its own window: the panel unticks its button and shows
    // pixels, as its close spot has always done.
    virtual void caliperPutAway(Axis axis) = 0;
    // How the jaws find edges on the screen: the tolerance and the snap while dragging, kept by the panel.
    virtual EdgeSettings& edgeSettings() = 0;
    // The magnifier is copying the screen: a screen-sharing stream must stay open for it.
    virtual bool magnifierOn() const = 0;
};

// The control panel of the program, loaded if it is not yet.
CaliperPanel& caliperPanel(forms::Application& app);
// The same, or nothing while the panel is not loaded (during its own load and unload).
CaliperPanel* loadedCaliperPanel(forms::Application& app);

} // namespace kx
