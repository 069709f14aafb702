#include "caliper/slider.h"

#include "art/art.h"
#include "caliper/beam.h"
#include "caliper/readout.h"
#include "model/formnames.h"
#include "caliper/caliperpanel.h"
#include "caliper/edgesettings.h"
#include "shaped/shapedwindow.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>

namespace kx {

namespace {
constexpr int kTrackingMs = 1;
constexpr int kReadoutMs = 50;
constexpr int kRepeatMs = 150;
constexpr int kLongKeyStep = 10; // pixels per arrow key with Shift
constexpr int kAltShift = 4;     // Alt in a mouse handler's shift argument
const QColor kReadoutColour(0xFF, 0xFF, 0xC0);
} // namespace

const SliderTwin& horizontalSliderTwin() {
    static const SliderTwin twin{.name = names::Form2,
                                 .beam = names::Form1,
                                 .axis = Axis::Horizontal,
                                 .offset = &Module1::SliderOffsetX,
                                 .step = &Module1::PixelTwipsX,
                                 .zero = &Module1::ZeroX,
                                 .designClient = QRectF(0, 0, 2565, 3195),
                                 .picture = &art::horizontalSlider,
                                 .minus = QRectF(120, 120, 255, 195),
                                 // between the nudge buttons, down to the sleeve's lower edge: two lines
                                 .readout = QRectF(380, 120, 760, 360),
                                 .readoutAlignment = Qt::AlignHCenter | Qt::AlignTop,
                                 .plus = QRectF(1150, 120, 255, 195),
                                 .grip = QRectF(0, 1080, 375, 1455),
                                 .check1 = QRectF(1920, 2400, 375, 375)};
    return twin;
}

const SliderTwin& verticalSliderTwin() {
    static const SliderTwin twin{.name = names::Form42,
                                 .beam = names::Form31,
                                 .axis = Axis::Vertical,
                                 .offset = &Module1::SliderOffsetY,
                                 .step = &Module1::PixelTwipsY,
                                 .zero = &Module1::ZeroY,
                                 .designClient = QRectF(0, 0, 4680, 3195),
                                 .picture = &art::verticalSlider,
                                 .minus = QRectF(2160, 120, 255, 195),
                                 // along the moving jaw's solid face (x 40 ... 131, y 8 ... 22), where a
                                 // reading has as much room as on the horizontal slider's sleeve
                                 .readout = QRectF(600, 120, 1380, 225),
                                 .readoutAlignment = Qt::AlignHCenter | Qt::AlignVCenter,
                                 .plus = QRectF(2160, 1200, 255, 195),
                                 .grip = QRectF(0, 0, 1455, 375),
                                 .check1 = QRectF(3000, 1560, 615, 375)};
    return twin;
}

Slider::Slider(forms::Application& app, Module1& model, const SliderTwin& twin)
    : Form(app, twin.name), m_twin(twin), m(model) {
    forms::Environment& e = env();

    setCaption(QString());
    if (twin.axis == Axis::Horizontal) setWindowIcon(art::applicationIconSet());
    placeWindowTwips(twin.designClient.x(), twin.designClient.y(), twin.designClient.width(),
                     twin.designClient.height());

    Picture1 = new forms::PictureBox(this, e);
    Picture1->setAutoSize(true);
    Picture1->setPicture(twin.picture);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    forms::setMousePointer(Picture1, forms::MousePointer::Arrow);

    auto nudgeButton = [&](const QRectF& r, const QString& tip) {
        auto* b = new forms::CommandButton(Picture1);
        place(b, r);
        b->setFlat(true);
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    // The buttons' only marking is their tooltip: shown also while another window is the active one.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    Command2 = nudgeButton(twin.minus, QStringLiteral(" - "));
    Label1 = new forms::Label(Picture1);
    place(Label1, twin.readout);
    Label1->setTransparent(true);
    Label1->setAlignment(twin.readoutAlignment);
    {
        QPalette p = Label1->palette();
        p.setColor(QPalette::WindowText, kReadoutColour);
        Label1->setPalette(p);
    }
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    showReading(QStringLiteral("0"));
    Command1 = nudgeButton(twin.plus, QStringLiteral("+"));
    // The button faces and the pointing hand, drawn for the slider's scale.
    whenScaled([this](double scale) {
        const QIcon face(QPixmap::fromImage(art::nudgeButtonFace(scale)));
        const art::CursorArt pointing = art::pointingHandCursor(scale);
        const QCursor hand = forms::makeCursor(pointing.image, pointing.hotSpot);
        for (forms::CommandButton* b : {Command1, Command2}) {
            b->setIcon(face);
            b->setIconSize(b->size());
            forms::setMousePointer(b, forms::MousePointer::Custom, hand);
        }
    });
    Label2 = new forms::Label(Picture1);
    place(Label2, twin.grip);
    Label2->setTransparent(true);
    forms::setMousePointer(Label2, twin.axis == Axis::Horizontal ? forms::MousePointer::SizeWE
                                                                 : forms::MousePointer::SizeNS);
    Check1 = new forms::CheckBox(this, forms::CheckBox::Style::Standard, QStringLiteral("Check1"));
    place(Check1->widget(), twin.check1);
    Check1->widget()->setFocusPolicy(Qt::NoFocus);

    Timer1 = &createTimer(kTrackingMs, true);
    Timer2 = &createTimer(kReadoutMs, true);
    Timer3 = &createTimer(kRepeatMs, false);
    Timer4 = &createTimer(kRepeatMs, false);

    Timer1->setHandler([this] { Timer1_Timer(); });
    Timer2->setHandler([this] { Timer2_Timer(); });
    Timer3->setHandler([this] { Timer3_Timer(); });
    Timer4->setHandler([this] { Timer4_Timer(); });
    Command1->onClick = [this] { Command1_Click(); };
    Command2->onClick = [this] { Command2_Click(); };
    Command1->mouse().down = [this](int, int, float, float) { Command1_MouseDown(); };
    Command1->mouse().up = [this](int, int, float, float) { Command1_MouseUp(); };
    Command1->mouse().move = [this](int, int, float, float) { Command_MouseMove(); };
    Command2->mouse().down = [this](int, int, float, float) { Command2_MouseDown(); };
    Command2->mouse().up = [this](int, int, float, float) { Command2_MouseUp(); };
    Command2->mouse().move = [this](int, int, float, float) { Command_MouseMove(); };
    // Only the left button drags the jaw: the right one opens the menu, which takes the release.
    Label2->mouse().down = [this](int button, int shift, float, float) {
        if (button == 1) Label2_MouseDown(shift);
    };
    Label2->mouse().move = [this](int, int shift, float x, float y) { Label2_MouseMove(x, y, shift); };
    Label2->mouse().up = [this](int, int, float, float) { Label2_MouseUp(); };
    // The handle must also see the pointer pass with no button held: that cancels a beam's pending
    // hand-over. Without tracking, Qt drops such moves before they reach the handle.
    Label2->setMouseTracking(true);
    Label2->installEventFilter(this); // after the handle's own hooks, so that it runs first
    Check1->onClick = [this] { Check1_Click(); };

    const bool horizontal = twin.axis == Axis::Horizontal;
    Picture1->setAccessibleName(horizontal ? QCoreApplication::translate("Kalibrix", "Horizontal slider")
                                           : QCoreApplication::translate("Kalibrix", "Vertical slider"));
    Picture1->setAccessibleDescription(QCoreApplication::translate(
        "Kalibrix", "Arrow keys move the jaw one pixel, with Shift ten; with Ctrl the whole caliper. Ctrl+C copies the reading."));
    Label1->setReadout(horizontal ? QCoreApplication::translate("Kalibrix", "Horizontal reading")
                                  : QCoreApplication::translate("Kalibrix", "Vertical reading"));
    Command1->setAccessibleName(QCoreApplication::translate("Kalibrix", "One pixel further"));
    Command2->setAccessibleName(QCoreApplication::translate("Kalibrix", "One pixel back"));
    Label2->setAccessibleName(QCoreApplication::translate("Kalibrix", "Jaw handle"));
    m_jaws = std::make_unique<JawCommands>(*this);
}

void Slider::Form_Load() {
    shaped::shapeAtLoad(*this, *Picture1); // the offset was taken at the load (takeZeroPoint)
    DragActive = false;
}

void Slider::takeZeroPoint(forms::Application& app, Module1& m, const SliderTwin& twin) {
    m.*twin.offset = Variant::fromText(caliperPanel(app).zeroPointText(twin.axis));
}

bool Slider::Form_QueryUnload() {
    app().form<Beam>(m_twin.beam).Label1_Click(); // closing a slider puts its whole caliper away
    return false;
}

double Slider::wantedScale() const {
    const forms::Form* beam = app().existing(m_twin.beam);
    return beam ? beam->scale() : Form::wantedScale();
}

void Slider::scaleChanged(double) {
    shaped::fitToPicture(*this, *Picture1);
}

void Slider::Timer1_Timer() {
    // A tick that changes nothing lets the timer rest until something happens (the beam moves, say).
    struct State {
        bool visible;
        int windowState;
        QRect geometry;
        bool beamMaximized;
        bool operator==(const State&) const = default;
    };
    const auto state = [this] { return State{isVisible(), windowStateValue(), geometry(), BeamMaximized}; };
    const State before = state();
    track();
    if (state() == before) Timer1->rest();
}

void Slider::track() {
    updateScale(); // drawn for the monitor its beam has come to
    auto& beamWindow = app().form(m_twin.beam);
    const std::optional<Placement> beam = env().windows.placement(&beamWindow);
    if (!beam) return;
    switch (beam->showCmd) {
    case ShowState::Hidden:
        setVisibleState(false);
        break;
    case ShowState::Normal: {
        setWindowStateValue(0);
        if (BeamMaximized) {
            env().windows.setTopmost(this, false);
            BeamMaximized = false;
        }
        const Variant& offset = m.*m_twin.offset;
        if (!offset.isNumeric()) return; // keeps the last place until the offset is a number again
        const QRect r = placeAt(*beam, offset.toDouble());
        if (m_jaws && geometry() != r) m_jaws->windowsMoved();
        if (size() != r.size()) {
            env().windows.settlePlace(this);
            resize(r.size());
        }
        env().windows.moveWindow(this, r.topLeft());
        break;
    }
    case ShowState::Minimized:
        setWindowStateValue(1);
        break;
    case ShowState::Maximized:
        if (!BeamMaximized) {
            BeamMaximized = true;
            env().windows.setTopmost(this, true);
        }
        break;
    }
}

void Slider::Timer2_Timer() {
    try {
        // A real length on the monitor holding the beam where the user asked for true size.
        CaliperPanel* panel = loadedCaliperPanel(app());
        const double perInch = panel ? panel->pixelsPerInch(*this) : 0.0;
        const QString reading = readingText(m.*m_twin.offset, m.*m_twin.zero, m, m.*m_twin.step, perInch);
        if (reading == Label1->caption() && caption() == reading) {
            Timer2->rest(); // nothing new to show until something happens
            return;
        }
        showReading(reading);
    } catch (const VariantError&) {
        Timer2->rest();
        return; // an offset or zero point that is not a number keeps the last reading
    }
    setCaption(Label1->caption());
}

void Slider::showReading(const QString& reading) {
    m_readout.show(*Label1, reading, scale());
}

void Slider::nudge(int direction) {
    try {
        const Variant step = m.*m_twin.step;
        m.*m_twin.offset = direction > 0 ? m.*m_twin.offset + step : m.*m_twin.offset - step;
    } catch (const VariantError&) {
    }
}

void Slider::Command1_Click() { nudge(+1); }
void Slider::Command2_Click() { nudge(-1); }
void Slider::Timer3_Timer() { nudge(+1); }
void Slider::Timer4_Timer() { nudge(-1); }
void Slider::Command1_MouseDown() { Timer3->setEnabled(true); }
void Slider::Command1_MouseUp() { Timer3->setEnabled(false); }
void Slider::Command2_MouseDown() { Timer4->setEnabled(true); }
void Slider::Command2_MouseUp() { Timer4->setEnabled(false); }

void Slider::cancelHandOvers() {
    for (const QString& name : {names::Form1, names::Form31})
        if (auto* beam = app().existing<Beam>(name)) beam->Timer1->setEnabled(false); // none pending in one not made
}

void Slider::Command_MouseMove() {
    cancelHandOvers();
}

void Slider::Label2_MouseDown(int shift) {
    DragActive = true;
    // Snapping is the user's option; Alt at the press leaves it off for this drag.
    m_jaws->dragStarted(caliperPanel(app()).edgeSettings().snap() && !(shift & kAltShift));
}

void Slider::Label2_MouseUp() {
    DragActive = false;
    m_jaws->dragEnded();
}

void Slider::Label2_MouseMove(float x, float y, int shift) {
    // Any failure ends the event silently.
    try {
        cancelHandOvers();
        if (!DragActive) return;
        const double distance = m_twin.axis == Axis::Horizontal ? x : y;
        if (shift & kAltShift) m_jaws->stopSnapping();
        // The pointer's place along the line: the handle's measuring edge is where the jaw stands, and
        // the pointer's place is told from where the window stood when it moved.
        if (m_jaws->snapping()) {
            const int jawAt = m_twin.axis == Axis::Horizontal ? pos().x() : pos().y();
            if (const std::optional<Variant> snapped = m_jaws->snapFor(jawAt + int(std::floor(distance)))) {
                m.*m_twin.offset = *snapped;
                return;
            }
        }
        const double step = (m.*m_twin.step).toDouble();
        m.*m_twin.offset = m.*m_twin.offset + Variant::fromDouble(dragStep(distance, step));
    } catch (const std::exception&) {
    }
}

void Slider::Check1_Click() {
    shaped::applyOnTop(*this, Check1->value());
}

bool Slider::Picture1_KeyDown(int keyCode, Qt::KeyboardModifiers shift) {
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const int steps = shift.testFlag(Qt::ShiftModifier) ? kLongKeyStep : 1;
    if (keyCode == Qt::Key_C && ctrl && !shift.testFlag(Qt::ShiftModifier)) {
        copyReading();
        return true;
    }
    if (keyCode == Qt::Key_F1) {
        caliperPanel(app()).Command2_Click();
        return true;
    }
    if (keyCode == Qt::Key_Space && !ctrl) {
        const bool open = shift.testFlag(Qt::ShiftModifier);
        m_jaws->run(open ? JawCommands::Command::Open : JawCommands::Command::Close, pointer());
        return true;
    }
    if (keyCode == Qt::Key_Z && ctrl && !shift.testFlag(Qt::ShiftModifier)) {
        m_jaws->undo();
        return true;
    }
    QPoint direction;
    switch (keyCode) {
    case Qt::Key_Left: direction = QPoint(-1, 0); break;
    case Qt::Key_Right: direction = QPoint(1, 0); break;
    case Qt::Key_Up: direction = QPoint(0, -1); break;
    case Qt::Key_Down: direction = QPoint(0, 1); break;
    default: return false;
    }
    if (ctrl) {
        // The whole caliper: the beam moves, and the slider follows it at once.
        forms::Form& beam = app().form(m_twin.beam);
        beam.move(beam.pos() + direction * steps);
        return true;
    }
    const int along = m_twin.axis == Axis::Horizontal ? direction.x() : direction.y();
    if (along == 0) return false;
    for (int i = 0; i < steps; ++i) nudge(along); // the same step as "+" and " - "
    return true;
}

void Slider::copyReading() {
    env().shell.copyText(Label1->caption());
}

void Slider::keyPressEvent(QKeyEvent* event) {
    if (Picture1_KeyDown(event->key(), event->modifiers()))
        event->accept();
    else
        Form::keyPressEvent(event);
}

QRect Slider::placeAt(const Placement& beam, double offset) const {
    auto& beamWindow = app().form<Beam>(m_twin.beam);
    // A bar drawn shorter for a small monitor keeps the zero points: the horizontal slider counts
    // from where the whole bar's right end would be.
    Placement bar = beam;
    if (m_twin.axis == Axis::Horizontal) bar.right += beamWindow.shortfall();
    // The beam's own twips per pixel, unrounded: the same step as the nudges.
    return placeSlider(m_twin.axis, bar, offset, beamWindow.twipsPerPixel(), width());
}

QPoint Slider::pointer() const {
    // A screen-sharing stream knows the pointer also over windows of other programs.
    return env().screen.cursorPos().value_or(env().windows.cursorPos());
}

bool Slider::closeOnReadout(QPoint inPicture) {
    // A double-click on the readout closes the jaws on the object between them.
    if (!Label1->geometry().contains(inPicture)) return false;
    m_jaws->run(JawCommands::Command::Close, pointer());
    return true;
}

void Slider::mouseDoubleClickEvent(QMouseEvent* event) {
    if (closeOnReadout(Picture1->mapFrom(this, event->position().toPoint())))
        event->accept();
    else
        Form::mouseDoubleClickEvent(event);
}

bool Slider::eventFilter(QObject* watched, QEvent* event) {
    // The vertical readout lies partly on the jaw's handle, which takes double-clicks as presses.
    if (watched == Label2 && event->type() == QEvent::MouseButtonDblClick)
        return closeOnReadout(Label2->mapTo(Picture1, static_cast<QMouseEvent*>(event)->position().toPoint()));
    return Form::eventFilter(watched, event);
}

void Slider::contextMenuEvent(QContextMenuEvent* event) {
    // On the readout (also where it lies on the handle) and the rest of the picture; the buttons and
    // the rest of the handle keep the right button.
    QWidget* under = childAt(event->pos());
    const bool onReadout = Label1->geometry().contains(Picture1->mapFrom(this, event->pos()));
    if (under != Picture1 && under != Label1 && !onReadout) return;
    caliperPanel(app()).popUpCaliperMenu(*this, event->globalPos());
}

} // namespace kx
