#include "caliper/jawcommands.h"

#include "caliper/beam.h"
#include "caliper/caliperpanel.h"
#include "caliper/edges.h"
#include "caliper/edgesettings.h"
#include "caliper/slider.h"

#include <QCoreApplication>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace kx {

namespace {

constexpr int kAfterMenuMs = 150;      // a menu's pixels have left the screen by then
constexpr int kSettleMs = 150;         // a moved caliper stands where it was moved to on the screen by then
constexpr int kCopyRetryMs = 100;      // while a screen-sharing stream starts
constexpr int kCopyAttempts = 30;      // three seconds of that
constexpr int kReleaseMs = 30000;      // a screen-sharing stream is kept this long after a command
constexpr int kSnapPixels = 4;         // a dragged jaw stops on an edge this close to the pointer
constexpr std::size_t kUndoDepth = 20;
constexpr int kNoticeMs = 5000;

QString noCopyText(ScreenCopyProblem problem) {
    switch (problem) {
    case ScreenCopyProblem::NoScreenSharing:
        return QCoreApplication::translate("Kalibrix", "This desktop offers no screen sharing, so the jaws cannot see the screen. They stay where "
                    "they are.");
    case ScreenCopyProblem::Refused:
        return QCoreApplication::translate("Kalibrix", "Screen sharing was not allowed, so the jaws cannot see the screen. They stay where they are.");
    case ScreenCopyProblem::Ended:
        return QCoreApplication::translate("Kalibrix", "Screen sharing has ended, so the jaws cannot see the screen. Try again to restart it.");
    case ScreenCopyProblem::NoPicture:
    case ScreenCopyProblem::UnknownMonitor:
    case ScreenCopyProblem::NoScreenCastModule:
    case ScreenCopyProblem::None:
        break;
    }
    return QCoreApplication::translate("Kalibrix", "The screen could not be read. The jaws stay where they are.");
}

bool solid(const QImage& picture, QPoint p) {
    return picture.rect().contains(p) && picture.pixel(p) != picture.pixel(0, 0);
}

// The jaws' reach across the beam picture, in its device pixels along the across axis: from the first
// line clear of the bar to the fixed jaw's tip. Horizontal: rows, the bar at the top and the tip the
// last row with a solid pixel. Vertical: columns, the bar at the right and the tip the first column
// with a solid pixel.
std::pair<int, int> jawReach(const QImage& beam, Axis axis) {
    const int w = beam.width(), h = beam.height();
    auto solidLine = [&](int a) {
        for (int b = 0; b < (axis == Axis::Horizontal ? w : h); ++b)
            if (solid(beam, axis == Axis::Horizontal ? QPoint(b, a) : QPoint(a, b))) return true;
        return false;
    };
    if (axis == Axis::Horizontal) {
        int barEnd = 0;
        while (barEnd < h && solid(beam, QPoint(w - 1, barEnd))) ++barEnd;
        int tip = h - 1;
        while (tip > barEnd && !solidLine(tip)) --tip;
        return {barEnd, tip};
    }
    int barStart = w - 1;
    while (barStart >= 0 && solid(beam, QPoint(barStart, h - 1))) --barStart;
    int tip = 0;
    while (tip < barStart && !solidLine(tip)) ++tip;
    return {tip, barStart};
}

bool onAnyScreen(const QList<ScreenInfo>& screens, QPoint p) {
    return std::any_of(screens.begin(), screens.end(), [p](const ScreenInfo& s) { return s.geometry.contains(p); });
}

} // namespace

QPoint MeasuringLine::point(int along) const {
    return axis == Axis::Horizontal ? QPoint(along, across) : QPoint(across, along);
}

QRect MeasuringLine::rect() const {
    return QRect(point(beyondFixed), point(beyondMoving)).normalized();
}

JawCommands::JawCommands(Slider& slider) : m_slider(slider) {
    m_later = &slider.createTimer(kAfterMenuMs, false);
    m_later->setHandler([this] {
        m_later->setEnabled(false);
        if (std::optional<Pending> p = std::exchange(m_pending, std::nullopt)) runNow(*p);
    });
    m_settle = &slider.createTimer(kSettleMs, false);
    m_settle->setHandler([this] {
        m_settle->setEnabled(false);
        if (m_pending && !m_later->enabled()) runNow(*std::exchange(m_pending, std::nullopt));
    });
    m_release = &slider.createTimer(kReleaseMs, false);
    m_release->setHandler([this] {
        m_release->setEnabled(false);
        CaliperPanel* panel = loadedCaliperPanel(m_slider.app());
        if (!panel || !panel->magnifierOn()) m_slider.env().screen.stopGrabbing();
    });
}

JawCommands::~JawCommands() = default;

std::optional<MeasuringLine> JawCommands::line(std::optional<QPoint> pointer) const {
    const SliderTwin& twin = m_slider.twin();
    auto& beam = m_slider.app().form<Beam>(twin.beam);
    const std::optional<Placement> placed = m_slider.env().windows.placement(&beam);
    const Module1& m = m_slider.model();
    const Variant& offset = m.*twin.offset;
    const Variant& zero = m.*twin.zero;
    if (!placed || placed->showCmd != ShowState::Normal || !offset.isNumeric() || !zero.isNumeric()) return std::nullopt;
    const bool horizontal = twin.axis == Axis::Horizontal;
    const QRect atZero = m_slider.placeAt(*placed, zero.toDouble());
    const QRect atOffset = m_slider.placeAt(*placed, offset.toDouble());

    MeasuringLine l;
    l.axis = twin.axis;
    l.fixed = horizontal ? atZero.left() : atZero.top();
    l.moving = horizontal ? atOffset.left() : atOffset.top();
    const QImage& beamPicture = beam.Picture1->picture();
    const QPoint beamAt(placed->left, placed->top);
    const auto [first, last] = jawReach(beamPicture, twin.axis);
    const int acrossOrigin = horizontal ? beamAt.y() : beamAt.x();
    l.across = horizontal ? acrossOrigin + last : acrossOrigin + first; // the tips
    if (pointer) {
        const int along = horizontal ? pointer->x() : pointer->y();
        const int across = horizontal ? pointer->y() : pointer->x();
        if (along >= l.fixed && along < l.moving && across >= acrossOrigin + first && across <= acrossOrigin + last)
            l.across = across;
    }
    // Outwards over each jaw's solid pixels to the first pixel of the screen beyond it.
    const QImage& sliderPicture = m_slider.Picture1->picture();
    l.beyondFixed = l.fixed - 1;
    while (solid(beamPicture, l.point(l.beyondFixed) - beamAt)) --l.beyondFixed;
    l.beyondMoving = l.moving;
    while (solid(sliderPicture, l.point(l.beyondMoving) - atOffset.topLeft())) ++l.beyondMoving;
    return l;
}

void JawCommands::run(Command command, std::optional<QPoint> pointer) {
    m_later->setEnabled(false);
    m_pending.reset();
    runNow({command, pointer});
}

void JawCommands::runSoon(Command command) {
    m_pending = Pending{command, std::nullopt};
    m_later->setInterval(kAfterMenuMs);
    m_later->setEnabled(true);
}

QImage JawCommands::grab(const QRect& rect) {
    QImage shot = m_slider.env().screen.grab(rect);
    m_release->setEnabled(false);
    m_release->setEnabled(true);
    return shot;
}

QImage JawCommands::copyScreen(const QRect& rect, Pending& pending) {
    Screen& screen = m_slider.env().screen;
    QImage shot = grab(rect);
    if (!shot.isNull()) return shot;
    const ScreenCopyProblem problem = screen.copyProblem();
    if (problem == ScreenCopyProblem::None && screen.preparingCopies() && ++pending.attempts < kCopyAttempts) {
        // A screen-sharing stream may still be starting: tried again shortly, the jaws as they are then.
        m_pending = pending;
        m_later->setInterval(kCopyRetryMs);
        m_later->setEnabled(true);
        return {};
    }
    tell(noCopyText(problem));
    // Where sharing was refused or has ended, the next command asks afresh; one still starting (its
    // question may still be open) is let go by the release timer.
    CaliperPanel* panel = loadedCaliperPanel(m_slider.app());
    if (problem != ScreenCopyProblem::None && (!panel || !panel->magnifierOn())) screen.stopGrabbing();
    return {};
}

void JawCommands::windowsMoved() {
    // Every step of a drag comes here: only the time is kept.
    m_movedAt = m_slider.env().clock.now();
}

void JawCommands::runNow(Pending pending) {
    // The screen must show the caliper where the offset and the beam say: a window just moved may
    // still stand at its old place there (the window manager moves it a moment later), and the
    // copy would see its jaw between the jaws.
    m_slider.Timer1_Timer();
    const std::chrono::milliseconds settled = m_movedAt.value_or(std::chrono::milliseconds(0)) + std::chrono::milliseconds(kSettleMs);
    if (const std::chrono::milliseconds now = m_slider.env().clock.now(); m_movedAt && now < settled) {
        m_pending = pending;
        m_settle->setEnabled(false);
        m_settle->setInterval(int((settled - now).count()));
        m_settle->setEnabled(true);
        return;
    }
    const std::optional<MeasuringLine> l = line(pending.pointer);
    if (!l) return;
    if (l->moving <= l->fixed) {
        tell(QCoreApplication::translate("Kalibrix", "The jaws are closed: there is nothing between them to measure."));
        return;
    }
    const QImage shot = copyScreen(l->rect(), pending);
    if (shot.isNull()) return;
    std::vector<QRgb> pixels; // from beyond the fixed jaw to beyond the moving one
    pixels.reserve(std::size_t(l->beyondMoving - l->beyondFixed + 1));
    const QPoint origin = l->rect().topLeft();
    for (int a = l->beyondFixed; a <= l->beyondMoving; ++a) pixels.push_back(shot.pixel(l->point(a) - origin));
    const std::span<const QRgb> inside(pixels.data() + (l->fixed - l->beyondFixed), std::size_t(l->moving - l->fixed));
    const QList<ScreenInfo> screens = m_slider.env().screen.screens();
    auto beyond = [&](int along, QRgb colour) {
        return onAnyScreen(screens, l->point(along)) ? std::optional<QRgb>(colour) : std::nullopt;
    };

    edges::JawMove move;
    if (pending.command == Command::Close) {
        move = edges::closeOn(inside, beyond(l->beyondFixed, pixels.front()), beyond(l->beyondMoving, pixels.back()),
                              tolerance());
    } else {
        const int along = pending.pointer ? (l->axis == Axis::Horizontal ? pending.pointer->x() : pending.pointer->y())
                                          : l->fixed - 1;
        const int start = along >= l->fixed && along < l->moving ? along : (l->fixed + l->moving) / 2;
        move = edges::openFrom(inside, start - l->fixed, tolerance());
    }
    if (!move.fixed && !move.moving) {
        tell(QCoreApplication::translate("Kalibrix", "No edge between the jaws: they stay where they are."));
        return;
    }
    moveJaws(*l, l->fixed + move.fixed.value_or(0), l->fixed + move.moving.value_or(int(inside.size())));
    if (!move.fixed)
        tell(QCoreApplication::translate("Kalibrix", "The fixed jaw found no edge and stays where it is."));
    else if (!move.moving)
        tell(QCoreApplication::translate("Kalibrix", "The moving jaw found no edge and stays where it is."));
    else
        m_notice.clear();
}

JawCommands::Place JawCommands::here() const {
    return {m_slider.app().form(m_slider.twin().beam).pos(), m_slider.model().*m_slider.twin().offset};
}

void JawCommands::remember(const Place& place) {
    if (m_undo.size() == kUndoDepth) m_undo.erase(m_undo.begin());
    m_undo.push_back(place);
}

void JawCommands::moveJaws(const MeasuringLine& l, int fixed, int moving) {
    const SliderTwin& twin = m_slider.twin();
    Module1& m = m_slider.model();
    remember(here());
    if (fixed != l.fixed) {
        // The whole caliper: the slider follows its beam at once.
        forms::Form& beam = m_slider.app().form(twin.beam);
        const int by = fixed - l.fixed;
        beam.move(beam.pos() + (l.axis == Axis::Horizontal ? QPoint(by, 0) : QPoint(0, by)));
    }
    // Whole device pixels from the zero point, so that the reading in Pixel is the width exactly.
    m.*twin.offset = Variant::fromDouble((m.*twin.zero).toDouble() + (moving - fixed) * (m.*twin.step).toDouble());
    m_slider.Timer1_Timer();
}

void JawCommands::undo() {
    if (m_undo.empty()) return;
    const Place place = m_undo.back();
    m_undo.pop_back();
    forms::Form& beam = m_slider.app().form(m_slider.twin().beam);
    if (beam.pos() != place.beam) beam.move(place.beam);
    m_slider.model().*m_slider.twin().offset = place.offset;
    m_slider.Timer1_Timer();
    m_notice.clear();
}

void JawCommands::dragStarted(bool snapping) {
    m_snapEdges.clear();
    m_snapped = false;
    m_beforeDrag = here();
    m_dragLine.reset();
    if (!snapping) return;
    const std::optional<MeasuringLine> l = line(std::nullopt);
    if (!l) return;
    // From the fixed jaw to the screen's far end, past the moving jaw's own pixels.
    const QRect desktop = m_slider.env().screen.desktopGeometry();
    const int end = l->axis == Axis::Horizontal ? desktop.right() : desktop.bottom();
    if (end <= l->fixed) return;
    MeasuringLine whole = *l;
    whole.beyondFixed = l->fixed;
    whole.beyondMoving = end;
    const QImage shot = grab(whole.rect());
    if (shot.isNull()) return; // (a screen-sharing stream still starting: this drag does not snap)
    std::vector<QRgb> pixels;
    const QPoint origin = whole.rect().topLeft();
    for (int a = whole.beyondFixed; a <= whole.beyondMoving; ++a) pixels.push_back(shot.pixel(whole.point(a) - origin));
    auto addEdges = [&](int from, int to) { // along the line, to exclusive
        if (to <= from) return;
        const std::span<const QRgb> part(pixels.data() + (from - l->fixed), std::size_t(to - from));
        for (int e : edges::edgesAlong(part, tolerance())) m_snapEdges.push_back(from + e);
    };
    addEdges(l->fixed, std::max(l->fixed, l->moving));
    addEdges(std::max(l->fixed, l->beyondMoving), end + 1);
    m_dragLine = l;
}

std::optional<Variant> JawCommands::snapFor(int pointerAlong) {
    if (m_snapEdges.empty() || !m_dragLine) return std::nullopt;
    const auto nearest = std::min_element(m_snapEdges.begin(), m_snapEdges.end(), [pointerAlong](int a, int b) {
        return std::abs(a - pointerAlong) < std::abs(b - pointerAlong);
    });
    if (std::abs(*nearest - pointerAlong) > kSnapPixels) return std::nullopt;
    const SliderTwin& twin = m_slider.twin();
    const Module1& m = m_slider.model();
    m_snapped = true;
    return Variant::fromDouble((m.*twin.zero).toDouble() + (*nearest - m_dragLine->fixed) * (m.*twin.step).toDouble());
}

void JawCommands::dragEnded() {
    if (m_snapped && m_beforeDrag) remember(*m_beforeDrag);
    m_snapEdges.clear();
    m_dragLine.reset();
    m_beforeDrag.reset();
    m_snapped = false;
}

void JawCommands::tell(const QString& message) {
    m_notice = message;
    const QPoint at = m_slider.Label1->mapToGlobal(QPoint(0, m_slider.Label1->height()));
    QToolTip::showText(at, message, m_slider.Picture1, QRect(), kNoticeMs);
}

int JawCommands::tolerance() const {
    return caliperPanel(m_slider.app()).edgeSettings().tolerance();
}

} // namespace kx
