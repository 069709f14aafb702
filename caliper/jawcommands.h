#pragma once

#include "caliper/geometry.h"
#include "model/variant.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

namespace kx {

namespace forms {
class Timer;
}
class Slider;

// Where a caliper's jaws stand along one measuring line of the screen, in device pixels. Along the line
// the measured run is fixed ... moving - 1, exactly what the reading in Pixel counts: `fixed` is where
// the slider's measuring edge stands at the zero point, `moving` where it stands at the offset.
struct MeasuringLine {
    Axis axis = Axis::Horizontal;
    int across = 0;       // the screen row (horizontal caliper) or column (vertical) measured along
    int fixed = 0;
    int moving = 0;
    int beyondFixed = 0;  // the first pixel outside the fixed jaw, going away from the moving one
    int beyondMoving = 0; // the first pixel outside the moving jaw, going away from the fixed one
    QPoint point(int along) const;
    // The screen pixels from beyondFixed to beyondMoving.
    QRect rect() const;
};

// The commands that move a caliper's jaws onto what is on the screen: close on an object, open to the
// walls of a gap, snap while the moving jaw is dragged, and undo. The moving jaw moves by changing the
// slider offset in whole device pixels from the zero point, the fixed jaw by moving the whole caliper,
// as Ctrl with an arrow does. The screen is copied only along the measuring line, and only between
// the jaws (the calipers never see themselves there), with one pixel beyond each jaw.
class JawCommands {
public:
    enum class Command { Close, Open };
    explicit JawCommands(Slider& slider);
    ~JawCommands();

    // The measuring line: the row or column of the jaws' tips, or the pointer's when the pointer is
    // between the jaws. Nothing while the beam is not shown normally or the offset is no number.
    std::optional<MeasuringLine> line(std::optional<QPoint> pointer) const;

    // Runs a command at once, measuring at the pointer.
    void run(Command command, std::optional<QPoint> pointer);
    // Runs a command chosen in a menu, once the menu has left the screen; the pointer then stands on
    // the menu, so it measures along the tips and opens from the middle between the jaws.
    void runSoon(Command command);
    // Puts the jaws back where they were before the last close, open or snap.
    bool canUndo() const { return !m_undo.empty(); }
    void undo();

    // Snapping while the moving jaw is dragged (when `snapping`): the edges along the tips are found at
    // the press; the pointer's place along the line then stops the jaw on an edge within a few pixels.
    void dragStarted(bool snapping);
    // The offset that stands the moving jaw on the edge nearest to the pointer's place along the line
    // (device pixels on the screen) if one is near enough; nothing otherwise.
    std::optional<Variant> snapFor(int pointerAlong);
    bool snapping() const { return !m_snapEdges.empty(); }
    // Stops snapping for the rest of this drag (Alt held).
    void stopSnapping() { m_snapEdges.clear(); }
    void dragEnded();

    // The beam or the slider has just been moved: the screen shows them there a moment later, and a
    // command waits for that.
    void windowsMoved();

    // What the commands last told the user (also shown at the readout); empty when all went well.
    const QString& notice() const { return m_notice; }

private:
    struct Place {
        QPoint beam;
        Variant offset;
    };
    struct Pending {
        Command command;
        std::optional<QPoint> pointer;
        int attempts = 0;
    };
    void runNow(Pending pending);
    void moveJaws(const MeasuringLine& line, int fixed, int moving);
    void remember(const Place& place);
    Place here() const;
    QImage copyScreen(const QRect& rect, Pending& pending);
    QImage grab(const QRect& rect); // and keeps a screen-sharing stream for a while
    void tell(const QString& text);
    int tolerance() const;

    Slider& m_slider;
    std::vector<Place> m_undo;
    std::optional<Pending> m_pending;
    forms::Timer* m_later;   // a command from the menu, or a copy tried again while screen sharing starts
    forms::Timer* m_settle;  // a command waiting for a moved caliper to settle on the screen
    std::optional<std::chrono::milliseconds> m_movedAt; // when the caliper was last moved
    forms::Timer* m_release; // lets a screen-sharing stream go a while after the last command
    std::vector<int> m_snapEdges; // along the line, where the dragged jaw may stop
    std::optional<MeasuringLine> m_dragLine;
    std::optional<Place> m_beforeDrag;
    bool m_snapped = false;
    QString m_notice;
};

} // namespace kx
