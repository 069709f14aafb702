#include "caliper/beam.h"

#include "art/art.h"
#include "caliper/slider.h"
#include "model/formnames.h"
#include "caliper/caliperpanel.h"
#include "shaped/shapedwindow.h"

#include <QCoreApplication>
#include <algorithm>

namespace kx {

namespace {
constexpr int kHandOverMs = 50;
constexpr int kIdleTimerMs = 1;
} // namespace

const BeamTwin& horizontalBeamTwin() {
    static const BeamTwin twin{.name = names::Form1,
                               .slider = names::Form2,
                               .otherBeam = names::Form31,
                               .axis = Axis::Horizontal,
                               .caption = QStringLiteral("Form1"),
                               .hasIcon = true,
                               .designClient = QRectF(195, 195, 7725, 3210),
                               .picture = &art::horizontalBeamOfLength,
                               .length = 508,
                               .pixelTwips = &Module1::PixelTwipsX,
                               .closeSpot = QRectF(7320, 120, 375, 495),
                               .openHandHolder = QRectF(1200, 2640, 375, 495),
                               .grabHandHolder = QRectF(1680, 2640, 375, 495),
                               .cursorHoldersVisible = false,
                               .check1 = QRectF(4200, 1800, 975, 375),
                               .check1InPicture = true,
                               .windowHasCustomPointer = true};
    return twin;
}

const BeamTwin& verticalBeamTwin() {
    static const BeamTwin twin{.name = names::Form31,
                               .slider = names::Form42,
                               .otherBeam = names::Form1,
                               .axis = Axis::Vertical,
                               .caption = QStringLiteral("Form3"),
                               .hasIcon = false,
                               .designClient = QRectF(1140, 765, 4680, 7950),
                               .picture = &art::verticalBeamOfLength,
                               .length = 428,
                               .pixelTwips = &Module1::PixelTwipsY,
                               .closeSpot = QRectF(1920, 6240, 375, 495),
                               .openHandHolder = QRectF(1200, 2640, 375, 495),
                               .grabHandHolder = QRectF(1680, 2640, 375, 495),
                               .cursorHoldersVisible = true,
                               .check1 = QRectF(3000, 2160, 495, 495),
                               .check1InPicture = false,
                               .windowHasCustomPointer = false};
    return twin;
}

Beam::Beam(forms::Application& app, Module1& model, const BeamTwin& twin)
    : Form(app, twin.name), m_twin(twin), m_length(twin.length), m(model) {
    forms::Environment& e = env();

    setCaption(twin.caption);
    if (twin.hasIcon) setWindowIcon(art::applicationIconSet());
    placeWindowTwips(twin.designClient.x(), twin.designClient.y(), twin.designClient.width(),
                     twin.designClient.height());

    Picture1 = new forms::PictureBox(this, e);
    Picture1->setAutoSize(true);
    Picture1->setPicture([this](double scale) { return m_twin.picture(scale, m_length); });
    Label1 = new forms::Label(Picture1);
    place(Label1, closeSpot());
    Label1->setTransparent(true);
    Label1->setToolTip(QCoreApplication::translate("Kalibrix", "Close"));
    Label1->setAccessibleName(Label1->toolTip());
    Picture1->setAccessibleName(twin.axis == Axis::Vertical ? QCoreApplication::translate("Kalibrix", "Vertical caliper")
                                                 : QCoreApplication::translate("Kalibrix", "Horizontal caliper"));

    Picture2 = new forms::PictureBox(this, e);
    place(Picture2, twin.openHandHolder);
    Picture2->setPicture([](double scale) { return art::openHandCursor(scale).image; });
    Picture2->setVisible(twin.cursorHoldersVisible);
    Picture3 = new forms::PictureBox(this, e);
    place(Picture3, twin.grabHandHolder);
    Picture3->setPicture([](double scale) { return art::grabbingHandCursor(scale).image; });
    Picture3->setVisible(twin.cursorHoldersVisible);
    // The hands are drawn for the beam's scale, with their hot spots.
    whenScaled([this](double scale) {
        const art::CursorArt pointing = art::pointingHandCursor(scale);
        forms::setMousePointer(Label1, forms::MousePointer::Custom,
                               forms::makeCursor(pointing.image, pointing.hotSpot));
        m_openHand = forms::makeCursor(Picture2->picture(), art::openHandCursor(scale).hotSpot);
        m_grabHand = forms::makeCursor(Picture3->picture(), art::grabbingHandCursor(scale).hotSpot);
    });

    Check1 = new forms::CheckBox(twin.check1InPicture ? static_cast<QWidget*>(Picture1) : this,
                                 forms::CheckBox::Style::Standard, QStringLiteral("Check1"));
    place(Check1->widget(), twin.check1);
    Check1->widget()->setFocusPolicy(Qt::NoFocus);

    Timer1 = &createTimer(kHandOverMs, false);
    Timer2 = &createTimer(kIdleTimerMs, true); // has no handler, so it never wakes the program

    Check1->onClick = [this] { Check1_Click(); };
    Picture1->mouse().down = [this](int, int, float, float) { Picture1_MouseDown(); };
    Picture1->mouse().move = [this](int, int, float, float) { Picture1_MouseMove(); };
    Picture1->mouse().up = [this](int, int, float, float) { Picture1_MouseUp(); };
    Label1->mouse().click = [this] { Label1_Click(); };
    Timer1->setHandler([this] { Timer1_Timer(); });
    // The slider follows its beam at once, not only at its next tracking tick.
    onMoved = [this] {
        if (auto* slider = this->app().existing<Slider>(m_twin.slider)) slider->Timer1_Timer();
    };
}

void Beam::Form_Load() {
    shaped::shapeAtLoad(*this, *Picture1);
    fitOnMonitor();
}

int Beam::shortfall() const {
    return art::toDevice(m_twin.length, scale()) - art::toDevice(m_length, scale());
}

QRectF Beam::closeSpot() const {
    const double shorter = (m_twin.length - m_length) * 15.0; // twips of a design pixel
    return m_twin.closeSpot.translated(m_twin.axis == Axis::Horizontal ? QPointF(-shorter, 0) : QPointF(0, -shorter));
}

void Beam::fitOnMonitor() {
    const QList<ScreenInfo> screens = env().screen.screens();
    if (screens.isEmpty()) return;
    const ScreenInfo holder = screenAt(screens, geometry().center());
    const QRect area = holder.available.isEmpty() ? holder.geometry : holder.available;
    // The room from the window's design place to the monitor's far edge: a shorter bar keeps the two
    // calipers apart as they are designed to stand.
    const bool across = m_twin.axis == Axis::Horizontal;
    const int room = across ? area.right() + 1 - std::max(x(), area.left())
                            : area.bottom() + 1 - std::max(y(), area.top());
    if ((across ? width() : height()) > room) {
        // The longest bar that room holds at the window's scale; the slider's travel is as long as ever.
        m_length = m_twin.length;
        while (m_length > art::kShortestBeam && art::toDevice(m_length, scale()) > room) --m_length;
        Picture1->setPicture([this](double scale) { return m_twin.picture(scale, m_length); });
        shaped::fitToPicture(*this, *Picture1);
        place(Label1, closeSpot());
    }
    keepWhollyOnScreen();
}

void Beam::scaleChanged(double) {
    // Drawn anew for the monitor it has come to: its size and outline follow the new picture, a nudge
    // is one pixel of this monitor, and the slider is drawn and placed for it at once.
    shaped::fitToPicture(*this, *Picture1);
    m.*m_twin.pixelTwips = Variant::fromSingle(twipsPerPixel());
    if (auto* slider = app().existing<Slider>(m_twin.slider)) slider->Timer1_Timer();
}

void Beam::Form_Unload() {
    app().unload(m_twin.slider);
}

bool Beam::Form_QueryUnload() {
    // Closed from the window manager: put the caliper away as its close spot does, so that the
    // panel's button, the slider and its place stay as they are; the program unloads it at the end.
    Label1_Click();
    return false;
}

void Beam::Check1_Click() {
    shaped::applyOnTop(*this, Check1->value());
}

void Beam::setPointer(const QCursor& cursor) {
    forms::setMousePointer(Picture1, forms::MousePointer::Custom, cursor);
    forms::setMousePointer(this, forms::MousePointer::Custom, cursor);
}

void Beam::Picture1_MouseDown() {
    Timer1->setEnabled(true);
    setPointer(m_grabHand); // the picture of Picture3
    shaped::dragToMove(*this);
}

void Beam::Picture1_MouseMove() {
    setPointer(m_openHand); // the picture of Picture2
    // Bring the slider back in front of its beam; a slider that cannot take the focus is skipped.
    try {
        forms::setFocusTo(app().form<Slider>(m_twin.slider).Picture1);
    } catch (const forms::FormsError&) {
    }
}

void Beam::Picture1_MouseUp() {
    Timer1->setEnabled(false);
}

void Beam::Timer1_Timer() {
    // Any failure ends the tick; the timer stays on and the hand-over is tried again next tick.
    try {
        if (auto* other = app().existing<Beam>(m_twin.otherBeam)) other->Timer1->setEnabled(false);
        forms::setFocusTo(app().form<Slider>(m_twin.slider).Picture1);
        Timer1->setEnabled(false);
    } catch (const std::exception&) {
    }
}

void Beam::Label1_Click() {
    setVisibleState(false);
    app().form(m_twin.slider).setVisibleState(false);
    Timer1->setEnabled(false);
    caliperPanel(app()).caliperPutAway(m_twin.axis);
}

} // namespace kx
