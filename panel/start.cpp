#include "panel/start.h"

#include "art/art.h"
#include "caliper/beam.h"
#include "caliper/edgesettings.h"
#include "caliper/slider.h"
#include "foldingrule/zollstock.h"
#include "magnifier/magnifier.h"
#include "model/formnames.h"
#include "panel/truelengths.h"

namespace kx {

namespace {

const QColor kPanelBackground(0xE0, 0xE0, 0xE0);
constexpr int kMagnifierRefreshMs = 50;
constexpr int kMagnifierLimitMs = 30000;
constexpr int kMirrorMs = 1;
constexpr int kSaveDelayMs = 1000;
constexpr double kClientWidth = 5925, kClientHeight = 2955;
constexpr double kClientLeft = 3795, kClientTop = 1425;

} // namespace

Start::Start(forms::Application& app, Module1& model) : Form(app, names::Start), m(model) {
    setCaption(QStringLiteral("Kalibrix"));
    setBorderStyle(1);
    setWindowIcon(art::applicationIconSet());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kPanelBackground);
    pal.setColor(QPalette::Button, kPanelBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    // The design place, on the primary monitor and wholly on it (once more when it is framed, at load).
    placeWindowTwips(kClientLeft, kClientTop, kClientWidth, kClientHeight);
    setFixedSize(size());
    keepWhollyOnScreen();

    createControls();
    Timer1 = &createTimer(0, false);
    Timer2 = &createTimer(kMagnifierLimitMs, false);
    Timer3 = &createTimer(kMirrorMs, true);
    m_saveTimer = &createTimer(kSaveDelayMs, false);
    m_zeroPoints = {
        {{&setting::HorizontalZero, Label1, HScroll1, &Module1::ZeroX, &Module1::SliderOffsetX, {}, false},
         {&setting::VerticalZero, Label2, VScroll1, &Module1::ZeroY, &Module1::SliderOffsetY, {}, false}}};
    connectHandlers();
}

Start::~Start() {
    env().settings.onSaveFailed = nullptr;
    env().settings.onLoadFailed = nullptr;
}

// Event handlers, connected once the design-time values stand.
void Start::connectHandlers() {
    Check1->onClick = [this] { Check1_Click(); };
    Check2->onClick = [this] { Check2_Click(); };
    Check3->onClick = [this] { Check3_Click(); };
    Check4->onClick = [this] { Check4_Click(); };
    Check5->onClick = [this] { Check5_Click(); };
    Command1->onClick = [this] { Command1_Click(); };
    Command2->onClick = [this] { Command2_Click(); };
    Command3->onClick = [this] { Command3_Click(); };
    Option2->onClick = [this] { Option2_Click(); };
    Option3->onClick = [this] { Option3_Click(); };
    Option4->onClick = [this] { Option4_Click(); };
    Option5->onClick = [this] { Option5_Click(); };
    Option6->onClick = [this] { Option6_Click(); };
    HScroll1->onChange = [this] { HScroll1_Change(); };
    VScroll1->onChange = [this] { VScroll1_Change(); };
    HScroll2->onChange = [this] { HScroll2_Change(); };
    Timer1->setHandler([this] { Timer1_Timer(); });
    Timer2->setHandler([this] { Timer2_Timer(); });
    Timer3->setHandler([this] { Timer3_Timer(); });
    m_saveTimer->setHandler([this] { saveChangedZeroPoints(); });
    Picture1->mouse().click = [this] { Picture1_Click(); };
    Picture6->mouse().click = [this] { Picture6_Click(); };
    auto cancelHandOver = [this](int, int, float, float) { Form_MouseMove(); };
    mouse().move = cancelHandOver;
    Frame1->mouse().move = cancelHandOver;
    Check1->mouse().move = cancelHandOver;
    Check2->mouse().move = cancelHandOver;
}

void Start::scaleChanged(double) {
    setFixedSize(twipsRect(0, 0, kClientWidth, kClientHeight).size());
}

void Start::Form_Load() {
    env().settings.onSaveFailed = [this](const SaveFailure& failure) { reportSaveFailure(failure); };
    env().settings.onLoadFailed = env().settings.onSaveFailed; // the same one message, told as a failed read
    setVisibleState(true);                                         // 1
    forms::setMousePointer(this, forms::MousePointer::Hourglass); // 2
    try {
        forms::setFocusTo(Check1->widget()); // 3
    } catch (const forms::FormsError&) {
        // A panel the window system did not show cannot take the focus; start-up goes on.
    }
    selectUnit(0); // 4
    // 5 to 7 for the horizontal zero point, 8 to 10 for the vertical: the scroll bar's range, the stored
    // value, the scroll bar's place.
    for (ZeroPoint& z : m_zeroPoints) loadZeroPoint(z);
    // A scale taken from a known length in an earlier run stands in for the scroll bar's.
    setKnownLengthScale(trueLengths().knownLengthScale());
    app().doEvents();               // 11
    keepWhollyOnScreen();
    Picture1->setAutoRedraw(false); // 12
    // The windows are made when they are first shown; loading does now what their loads do to the rest
    // of the program (the sliders take their zero points).
    for (const QString& name : {names::Form1, names::Form2, names::Form31, names::Form42, names::Zollstock})
        app().load(name);                            // 13
    app().setHelpFile(helpFilePath(app().path()));   // 14
    Picture1->setAutoRedraw(true);                   // 15
    m.PixelTwipsX = Variant::fromSingle(env().screen.twipsPerPixelX()); // 16
    m.PixelTwipsY = Variant::fromSingle(env().screen.twipsPerPixelY());
    Timer1->setInterval(kMagnifierRefreshMs); // 17
    Picture1->setPicture(*Picture4);                            // 19
    forms::setMousePointer(this, forms::MousePointer::Default); // 20
    setCaliperOnTop(Check5->value());                           // 21
}

void Start::Form_Unload() {
    env().settings.onSaveFailed = nullptr; // the program is ending: nobody would see a message now
    env().settings.onLoadFailed = nullptr;
    for (const QString& name : {names::Form1, names::Form2, names::Form31, names::Form42, names::Zollstock})
        app().unload(name);
    // Only what this run changed: a value edited in the settings file meanwhile stays as it is.
    saveChangedZeroPoints();
    m_magnifier->stop(); // the panel's timers end with it
}

void Start::showCaliper(const QString& beam, const QString& slider, bool visible) {
    app().form(beam).setVisibleState(visible);
    app().form(slider).setVisibleState(visible);
}

void Start::Check1_Click() {
    showCaliper(names::Form1, names::Form2, Check1->value() == 1);
}

void Start::Check2_Click() {
    showCaliper(names::Form31, names::Form42, Check2->value() == 1);
}

void Start::Check3_Click() {
    if (Check3->value() == 1) {
        Timer1->setEnabled(true);
        Timer2->setEnabled(true);
        Check4->setValue(0);
    }
    if (Check3->value() == 0) {
        Timer1->setEnabled(false);
        Timer2->setEnabled(false);
        Picture1->setPicture(*Picture4);
        m_magnifier->stop();
    }
}

void Start::Check4_Click() {
    if (Check4->value() == 1) {
        Frame2->setVisible(true);
        Picture1->setVisible(false);
        Check3->setValue(0);
    } else {
        Frame2->setVisible(false);
        Picture1->setVisible(true);
    }
}

void Start::setCaliperOnTop(int value) {
    // A window not made yet takes the value when it is made (caliperMade).
    for (const QString& name : {names::Form1, names::Form2, names::Form31, names::Form42}) {
        forms::Form* window = app().existing(name);
        if (auto* beam = dynamic_cast<Beam*>(window))
            beam->Check1->setValue(value);
        else if (auto* slider = dynamic_cast<Slider*>(window))
            slider->Check1->setValue(value);
    }
}

void Start::caliperMade(forms::Form& window) {
    // Every value Check5 has had went to the four windows' Check1: so does the last one.
    const int onTop = Check5->value() == 1 ? 1 : 0;
    if (auto* beam = dynamic_cast<Beam*>(&window)) beam->Check1->setValue(onTop);
    if (auto* slider = dynamic_cast<Slider*>(&window)) {
        slider->Check1->setValue(onTop);
    }
}

void Start::Check5_Click() {
    setCaliperOnTop(Check5->value() == 1 ? 1 : 0);
}

void Start::Command3_Click() {
    setWindowStateValue(1);
}

void Start::selectUnit(int index) {
    m.TwipsPerUnit = kUnits[index].twipsPerUnit;
    m.UnitIsScreenPixel = kUnits[index].screenPixel;
    m.UnitSuffix = Variant::fromText(QString::fromLatin1(kUnits[index].suffix));
}

void Start::Option2_Click() { selectUnit(0); }
void Start::Option3_Click() { selectUnit(1); }
void Start::Option4_Click() { selectUnit(2); }
void Start::Option5_Click() { selectUnit(3); }
void Start::Option6_Click() { selectUnit(4); }

void Start::bringToFront() {
    if (windowStateValue() == 1) setWindowStateValue(0);
    setVisibleState(true);
    env().windows.activate(this);
}

void Start::caliperPutAway(Axis axis) {
    try {
        setFocusToForm();
    } catch (const forms::FormsError&) {
        // A minimised or hidden panel cannot take the focus; the unit and its button still change.
    }
    Option3->setValue(true);
    (axis == Axis::Vertical ? Check2 : Check1)->setValue(0);
}

EdgeSettings& Start::edgeSettings() {
    if (!m_edgeSettings) m_edgeSettings = std::make_unique<EdgeSettings>(env().settings);
    return *m_edgeSettings;
}

bool Start::magnifierOn() const {
    return Check3->value() == 1;
}

void Start::Timer1_Timer() {
    const ScreenCopyProblem problem = m_magnifier->refresh();
    if (problem == ScreenCopyProblem::None) {
        // The time limit counts from the first picture, not while the desktop asks the user.
        if (m_magnifier->preparing()) {
            Timer2->setEnabled(false);
            Timer2->setEnabled(true);
        }
        return;
    }
    // No copies will come: off as after the time limit, and the view says why until it is switched on again.
    Check3->setValue(0);
    m_magnifier->showNotice(problem);
}

void Start::Timer2_Timer() {
    Check3->setValue(0);
}

void Start::Timer3_Timer() {
    const QString horizontal = sliderReading(horizontalSliderTwin(), Label3->caption());
    const QString vertical = sliderReading(verticalSliderTwin(), Label4->caption());
    const auto scaleFactor = static_cast<std::int16_t>(Label7->caption().toInt());
    if (horizontal == Label3->caption() && vertical == Label4->caption() && scaleFactor == m.ScaleFactor) {
        Timer3->rest(); // nothing changed: the mirror may sleep until something happens
        return;
    }
    // Shown whole, however long, in the font a slider's readout takes for them.
    m_readingCopies[0].show(*Label3, horizontal, scale());
    m_readingCopies[1].show(*Label4, vertical, scale());
    m.ScaleFactor = scaleFactor;
}

QString Start::sliderReading(const SliderTwin& twin, const QString& last) {
    // Referring to a slider loads it; it is made only when it is first shown.
    if (!app().isLoaded(twin.name)) app().load(twin.name);
    if (auto* slider = app().existing<Slider>(twin.name)) return slider->Label1->caption();
    try {
        const double perInch = trueLengths().on() ? trueLengths().pixelsPerInch(caliperMonitor(twin), twin.axis) : 0.0;
        return readingText(m.*twin.offset, m.*twin.zero, m, m.*twin.step, perInch);
    } catch (const VariantError&) {
        return last; // as the readout keeps its last reading
    }
}

void Start::Picture6_Click() {
    auto& ruler = app().form<Zollstock>(names::Zollstock);
    ruler.Timer2->setEnabled(false);
    // A hide still pending from the last fold would hide the window under the new unfold.
    ruler.Timer3->setEnabled(false);
    ruler.Timer1->setEnabled(true);
    ruler.setVisibleState(true);
}

void Start::Form_MouseMove() {
    // A beam not made yet has no hand-over pending.
    for (const QString& name : {names::Form1, names::Form31})
        if (auto* beam = app().existing<Beam>(name)) beam->Timer1->setEnabled(false);
}

} // namespace kx
