#pragma once

class QMenu;
class QWidget;

namespace kx {

class Slider;
class Start;

// The menu of the right button, on a slider's readout (slider given) or on the control panel outside
// its controls (no slider): copy the reading, the five units, true size, a scale from a known length
// and the monitor's calibration (on the panel with the horizontal caliper, or the vertical one while
// only that is shown; unavailable while neither is), keep on top, put the caliper away, help and quit.
// Every entry goes through the panel's own controls or its handlers for real lengths. The menu belongs
// to parent and deletes itself when it closes. Its entries are named "copy" (on the panel also
// "copyVertical", and "copyColour" while the magnifier shows a colour), "Option2" ... "Option6",
// "trueSize", "knownLength", "calibrate", "onTop", "away", "help" and "quit". On a slider the commands
// that find edges come after the copy: "closeJaws", "openJaws", "undoJaws", "snap" and the tolerance
// steps "tolerance0", "tolerance10", "tolerance30", "tolerance60".
QMenu* createContextMenu(Start& panel, Slider* slider, QWidget* parent);

} // namespace kx
