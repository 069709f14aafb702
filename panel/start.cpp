#include "panel/start.h"

#include "art/art.h"
#include "caliper/beam.h"
#include "caliper/slider.h"
#include "foldingrule/zollstock.h"
#include "magnifier/magnifier.h"
#include "panel/contextmenu.h"
#include "model/formnames.h"
#include "panel/truelengths.h"
#include "startup/translation.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

namespace kx {

namespace {

const QString kAppName = QStringLiteral("Kalibrix");
const QString kSection = QStringLiteral("Settings");
const QString kHelpFileName = QStringLiteral("HILFE.hlp");
const QColor kPanelBackground(0xE0, 0xE0, 0xE0);
const QColor kRuleColour(0xC0, 0xC0, 0xC0);
constexpr int kMagnifierRefreshMs = 50;
constexpr int kMagnifierLimitMs = 30000;
constexpr int kMirrorMs = 1;
constexpr int kSaveDelayMs = 1000;
const char* const kHelpTopic = "helpContextId";
// The pages of the HTML help, by help topic 1 to 9, and its contents page.
const char* const kHelpPages[] = {"magnifier.html", "twips.html",      "points.html", "pixels.html", "inches.html",
                                  "centimetres.html", "help.html", "zero.html",  "calibration.html"};
const char* const kHelpContents = "index.html";

const QString kDialogFont = QStringLiteral("MS Sans Serif");
constexpr double kClientWidth = 5925, kClientHeight = 2955;
constexpr double kClientLeft = 3795, kClientTop = 1425;

// A button's picture, drawn for the panel's scale.
void setIconPicture(forms::Form& form, QAbstractButton* button, QImage (*picture)(double)) {
    form.whenScaled([button, picture](double scale) {
        const QImage image = picture(scale);
        button->setIcon(QIcon(QPixmap::fromImage(image)));
        button->setIconSize(image.size());
    });
}

} // namespace

Start::Start(forms::Application& app, Module1& model) : Form(app, names::Start), m(model) {
    forms::Environment& e = env();

    setCaption(QStringLiteral("Kalibrix"));
    setBorderStyle(1);
    setWindowIcon(QIcon(QPixmap::fromImage(art::horizontalCaliperIcon())));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kPanelBackground);
    pal.setColor(QPalette::Button, kPanelBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    // The design place, on the primary monitor and wholly on it (once more when it is framed, at load).
    placeWindowTwips(kClientLeft, kClientTop, kClientWidth, kClientHeight);
    setFixedSize(size());
    keepWhollyOnScreen();

    // Controls directly on the window.
    Frame1 = new forms::Frame(this, QString());
    place(Frame1, 120, 0, 2655, 2895);
    Frame2 = new forms::Frame(this, QCoreApplication::translate("Kalibrix", "Calibrate "));
    place(Frame2, 2880, 0, 2775, 2895);
    Frame2->setVisible(false);
    Picture1 = new forms::PictureBox(this, e);
    place(Picture1, 2880, 120, 2760, 2760);
    Picture1->setAutoSize(true);
    Picture1->setPicture([](double scale) { return art::bannerUpsideDown(webAddress(), scale); });
    Picture4 = new forms::PictureBox(this, e);
    place(Picture4, 2520, 4440, 735, 1095);
    Picture4->setPicture([](double scale) { return art::banner(webAddress(), scale); });
    Picture4->setVisible(false);
    Command3 = new forms::CommandButton(this);
    place(Command3, 5680, 120, 200, 2760);
    {
        QPalette p = Command3->palette();
        p.setColor(QPalette::Button, activeBorderColor());
        Command3->setPalette(p);
        Command3->setAutoFillBackground(true);
    }
    Command3->setToolTip(QCoreApplication::translate("Kalibrix", "Minimise"));
    Timer1 = &createTimer(0, false);
    Timer2 = &createTimer(kMagnifierLimitMs, false);
    Timer3 = &createTimer(kMirrorMs, true);
    m_saveTimer = &createTimer(kSaveDelayMs, false);

    // Frame1: calipers, tools, units, ruler strip.
    Check1 = new forms::CheckBox(Frame1, forms::CheckBox::Style::Graphical);
    place(Check1->widget(), 120, 240, 855, 975);
    setIconPicture(*this, Check1->widget(), &art::horizontalCaliperIcon);
    Check3 = new forms::CheckBox(Frame1, forms::CheckBox::Style::Graphical);
    place(Check3->widget(), 1080, 240, 375, 375);
    setIconPicture(*this, Check3->widget(), &art::magnifierIcon);
    Check3->widget()->setProperty(kHelpTopic, 1);
    Command1 = new forms::CommandButton(Frame1);
    place(Command1, 1440, 240, 375, 375);
    setIconPicture(*this, Command1, &art::crossIcon);
    Command1->setProperty(kHelpTopic, 8);
    Check4 = new forms::CheckBox(Frame1, forms::CheckBox::Style::Graphical);
    place(Check4->widget(), 1800, 240, 375, 375);
    setIconPicture(*this, Check4->widget(), &art::setSquareIcon);
    Check4->widget()->setProperty(kHelpTopic, 9);
    Command2 = new forms::CommandButton(Frame1);
    place(Command2, 2160, 240, 375, 375);
    setIconPicture(*this, Command2, &art::questionMarkIcon);
    setDesignFont(Command2, kDialogFont, 8.25, true);
    Command2->setProperty(kHelpTopic, 7);
    Check2 = new forms::CheckBox(Frame1, forms::CheckBox::Style::Graphical);
    place(Check2->widget(), 120, 1440, 855, 975);
    setIconPicture(*this, Check2->widget(), &art::verticalCaliperIcon);
    forms::OptionButton** options[] = {&Option2, &Option3, &Option4, &Option5, &Option6};
    const int optionTopics[] = {6, 4, 5, 2, 3};
    for (int i = 0; i < 5; ++i) {
        *options[i] = new forms::OptionButton(Frame1, QCoreApplication::translate("Kalibrix", kUnits[i].caption));
        place(*options[i], 1200, 720 + 360 * i, 1335, 255);
        (*options[i])->setProperty(kHelpTopic, optionTopics[i]);
    }
    Option2->setValue(true);
    Picture6 = new forms::PictureBox(Frame1, e);
    place(Picture6, 120, 2520, 2415, 255);
    Picture6->setPicture(static_cast<QImage (*)(double)>(&art::rulerStrip));
    Picture6->setToolTip(QCoreApplication::translate("Kalibrix", "Folding rule"));

    // Frame2: calibration and scale.
    Image1 = new forms::Image(Frame2, QImage());
    place(Image1, 120, 360, 480, 480);
    Label1 = new forms::Label(Frame2);
    place(Label1, 720, 360, 135, 255);
    Label1->setVisible(false);
    Label4 = new forms::Label(Frame2, QStringLiteral("Label4"));
    place(Label4, 840, 240, 1455, 255);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Image2 = new forms::Image(Frame2, QImage());
    place(Image2, 1680, 480, 480, 480);
    Label2 = new forms::Label(Frame2);
    place(Label2, 2280, 960, 135, 255);
    Label2->setVisible(false);
    VScroll1 = new forms::ScrollBar(Frame2, Qt::Vertical);
    place(VScroll1, 2400, 240, 135, 975);
    Label3 = new forms::Label(Frame2, QStringLiteral("Label3"));
    place(Label3, 120, 840, 1815, 255);
    HScroll1 = new forms::ScrollBar(Frame2, Qt::Horizontal);
    place(HScroll1, 120, 1080, 1695, 135);
    Line1 = new forms::Line(Frame2, kRuleColour);
    place(Line1, 0, 1320, 2760, 15);
    Label5 = new forms::Label(Frame2, QCoreApplication::translate("Kalibrix", "Scale:"));
    place(Label5, 120, 1440, 855, 255);
    Label6 = new forms::Label(Frame2, QStringLiteral("1 x"));
    place(Label6, 1080, 1560, 495, 375);
    setDesignFont(Label6, kDialogFont, 12, true);
    Label7 = new forms::Label(Frame2, QStringLiteral("1"));
    place(Label7, 1560, 1560, 735, 375);
    setDesignFont(Label7, kDialogFont, 12, true);
    HScroll2 = new forms::ScrollBar(Frame2, Qt::Horizontal);
    place(HScroll2, 480, 1920, 1815, 255);
    HScroll2->setRange(1, 1000);
    HScroll2->setValue(1);
    Line2 = new forms::Line(Frame2, kRuleColour);
    place(Line2, 0, 2280, 2760, 15);
    Check5 = new forms::CheckBox(Frame2, forms::CheckBox::Style::Standard,
                                 QCoreApplication::translate("Kalibrix", "Keep Kalibrix on top."));
    place(Check5->widget(), 360, 2400, 1815, 375);
    Check5->setValue(1);

    // Tab order by tab index; frames, labels and hidden controls take no focus.
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture6->setFocusPolicy(Qt::StrongFocus);
    const QList<QWidget*> tabOrder{Picture1, Command1,          Option6, Option5,          Option4,
                                   Option3,  Option2,           Check2->widget(), Check1->widget(), Picture6,
                                   Command2, Check3->widget(), Command3, Check4->widget(), HScroll1,
                                   VScroll1, Check5->widget(), HScroll2};
    for (int i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    whenScaled([this](double scale) {
        Image1->setPixmap(QPixmap::fromImage(art::horizontalCaliperIcon(scale)));
        Image2->setPixmap(QPixmap::fromImage(art::verticalCaliperIcon(scale)));
    });
    // The pointing hand over the picture view and the ruler strip.
    whenScaled([this](double scale) {
        const art::CursorArt hand = art::pointingHandCursor(scale);
        const QCursor cursor = forms::makeCursor(hand.image, hand.hotSpot);
        forms::setMousePointer(Picture1, forms::MousePointer::Custom, cursor);
        forms::setMousePointer(Picture6, forms::MousePointer::Custom, cursor);
    });
    // What screen readers announce for the controls that show only a picture, and the two readings.
    const std::pair<QWidget*, const char*> spoken[] = {
        {Check1->widget(), QT_TRANSLATE_NOOP("Kalibrix", "Horizontal caliper")},
        {Check2->widget(), QT_TRANSLATE_NOOP("Kalibrix", "Vertical caliper")},
        {Check3->widget(), QT_TRANSLATE_NOOP("Kalibrix", "Magnifier")},
        {Command1, QT_TRANSLATE_NOOP("Kalibrix", "Both sliders back to zero")},
        {Check4->widget(), QT_TRANSLATE_NOOP("Kalibrix", "Calibration")},
        {Command2, QT_TRANSLATE_NOOP("Kalibrix", "Help")},
        {Command3, QT_TRANSLATE_NOOP("Kalibrix", "Minimise")},
        {Picture1, QT_TRANSLATE_NOOP("Kalibrix", "Web page")},
        {Picture6, QT_TRANSLATE_NOOP("Kalibrix", "Folding rule")},
        {HScroll1, QT_TRANSLATE_NOOP("Kalibrix", "Horizontal zero point")},
        {VScroll1, QT_TRANSLATE_NOOP("Kalibrix", "Vertical zero point")},
        {HScroll2, QT_TRANSLATE_NOOP("Kalibrix", "Scale")},
        {Image1, QT_TRANSLATE_NOOP("Kalibrix", "Horizontal caliper")},
        {Image2, QT_TRANSLATE_NOOP("Kalibrix", "Vertical caliper")},
    };
    for (const auto& [control, name] : spoken) control->setAccessibleName(QCoreApplication::translate("Kalibrix", name));
    Label3->setReadout(QCoreApplication::translate("Kalibrix", "Horizontal reading"));
    Label4->setReadout(QCoreApplication::translate("Kalibrix", "Vertical reading"));
    Label7->setReadout(QCoreApplication::translate("Kalibrix", "Scale"));

    m_magnifier = std::make_unique<Magnifier>(e, *Picture1);

    // Event handlers, connected once the design-time values stand.
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

Start::~Start() {
    env().settings.onSaveFailed = nullptr;
    env().settings.onLoadFailed = nullptr;
}

void Start::scaleChanged(double) {
    setFixedSize(twipsRect(0, 0, kClientWidth, kClientHeight).size());
}

void Start::Form_Load() {
    SettingsStore& store = env().settings;
    store.onSaveFailed = [this](const SaveFailure& failure) { reportSaveFailure(failure); };
    store.onLoadFailed = store.onSaveFailed; // the same one message, told as a failed read
    setVisibleState(true);                                         // 1
    forms::setMousePointer(this, forms::MousePointer::Hourglass); // 2
    try {
        forms::setFocusTo(Check1->widget()); // 3
    } catch (const forms::FormsError&) {
        // A panel the window system did not show cannot take the focus; start-up goes on.
    }
    m.TwipsPerUnit = kUnits[0].twipsPerUnit;                      // 4
    m.UnitIsScreenPixel = kUnits[0].screenPixel;
    m.UnitSuffix = Variant::fromText(QString::fromLatin1(kUnits[0].suffix));
    HScroll1->setMaximum(kHorizontalZero.maximum); // 5
    HScroll1->setMinimum(kHorizontalZero.minimum);
    // 6, 7. A stored value that is not a zero point within the range is replaced by the default.
    const int zeroX = validZeroPoint(
        store.getSetting(kAppName, kSection, QString::fromLatin1(kHorizontalZero.key),
                         QString::number(kHorizontalZero.defaultValue)),
        kHorizontalZero);
    Label1->setCaption(QString::number(zeroX));
    m_keptX = Label1->caption();
    if (HScroll1->value() != zeroX)
        HScroll1->setValue(zeroX);
    else
        HScroll1_Change(); // the position stood there already: the labels and ZeroX still follow it
    VScroll1->setMaximum(kVerticalZero.maximum); // 8
    VScroll1->setMinimum(kVerticalZero.minimum);
    const int zeroY = validZeroPoint( // 9, 10
        store.getSetting(kAppName, kSection, QString::fromLatin1(kVerticalZero.key),
                         QString::number(kVerticalZero.defaultValue)),
        kVerticalZero);
    Label2->setCaption(QString::number(zeroY));
    m_keptY = Label2->caption();
    if (VScroll1->value() != zeroY)
        VScroll1->setValue(zeroY);
    else
        VScroll1_Change();
    // A scale taken from a known length in an earlier run stands in for the scroll bar's.
    setKnownLengthScale(trueLengths().knownLengthScale());
    app().doEvents();              // 11
    keepWhollyOnScreen();
    Picture1->setAutoRedraw(false); // 12
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
    SettingsStore& store = env().settings;
    store.saveSetting(kAppName, kSection, QString::fromLatin1(kHorizontalZero.key), Label1->caption());
    store.saveSetting(kAppName, kSection, QString::fromLatin1(kVerticalZero.key), Label2->caption());
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
    for (const QString& name : {names::Form1, names::Form2, names::Form31, names::Form42}) {
        auto& window = app().form(name);
        if (auto* beam = dynamic_cast<Beam*>(&window))
            beam->Check1->setValue(value);
        else if (auto* slider = dynamic_cast<Slider*>(&window))
            slider->Check1->setValue(value);
    }
}

void Start::Check5_Click() {
    setCaliperOnTop(Check5->value() == 1 ? 1 : 0);
}

void Start::Command1_Click() {
    m.SliderOffsetX = Variant::fromText(Label1->caption());
    m.SliderOffsetY = Variant::fromText(Label2->caption());
}

void Start::Command2_Click() {
    showHelp(0);
}

void Start::showHelp(int topic) {
    QString help = helpDocument(app().path(), topic);
    StartURL(help);
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

void Start::HScroll1_Change() {
    Label1->setCaption(QString::number(HScroll1->value()));
    m.ZeroX = Variant::fromText(Label1->caption());
    zeroPointChanged();
}

void Start::VScroll1_Change() {
    Label2->setCaption(QString::number(VScroll1->value()));
    m.ZeroY = Variant::fromText(Label2->caption());
    zeroPointChanged();
}

void Start::zeroPointChanged() {
    // The first change starts the countdown and later ones join it, so that holding a scroll arrow
    // writes once.
    if (Label1->caption() != m_keptX || Label2->caption() != m_keptY) m_saveTimer->setEnabled(true);
}

void Start::saveChangedZeroPoints() {
    m_saveTimer->setEnabled(false);
    SettingsStore& store = env().settings;
    if (Label1->caption() != m_keptX) {
        m_keptX = Label1->caption();
        store.saveSetting(kAppName, kSection, QString::fromLatin1(kHorizontalZero.key), m_keptX);
    }
    if (Label2->caption() != m_keptY) {
        m_keptY = Label2->caption();
        store.saveSetting(kAppName, kSection, QString::fromLatin1(kVerticalZero.key), m_keptY);
    }
}

void Start::reportSaveFailure(const SaveFailure& failure) {
    if (std::exchange(m_saveFailureShown, true)) return;
    const QString text =
        failure.kind == SettingsFailure::Kind::Load
            ? QCoreApplication::translate("Kalibrix", "The calibration could not be read.\n\nFile: %1\nReason: %2\n\n"
                                                      "Kalibrix starts from the default zero points, and cannot keep "
                                                      "the calibration while the file cannot be read.")
            : QCoreApplication::translate("Kalibrix", "The calibration could not be saved.\n\nFile: %1\nReason: %2\n\n"
                                                      "Kalibrix goes on working, but the calibration will not be kept "
                                                      "after it ends.");
    forms::showMessageWindow(this, app().title(), text.arg(failure.path, failure.reason));
}

void Start::bringToFront() {
    if (windowStateValue() == 1) setWindowStateValue(0);
    setVisibleState(true);
    env().windows.activate(this);
}

void Start::HScroll2_Change() {
    Label7->setCaption(QString::number(HScroll2->value()));
    // Moving the scroll bar goes back to the whole-number scale.
    if (m.KnownLengthScale > 0) {
        m.KnownLengthScale = 0;
        trueLengths().setKnownLengthScale(0);
    }
}

TrueLengths& Start::trueLengths() {
    if (!m_trueLengths) m_trueLengths = std::make_unique<TrueLengths>(env().settings);
    return *m_trueLengths;
}

void Start::setTrueSize(bool on) {
    trueLengths().setOn(on);
}

void Start::setKnownLengthScale(double scale) {
    trueLengths().setKnownLengthScale(scale);
    m.KnownLengthScale = trueLengths().knownLengthScale();
    Label7->setCaption(m.KnownLengthScale > 0 ? scaleText(m.KnownLengthScale) : QString::number(HScroll2->value()));
}

ScreenInfo Start::caliperMonitor(const Slider& slider) {
    // The beam is there whenever its slider is, except while the program ends: the slider then stands for it.
    const QString& beam = slider.twin().beam;
    const QWidget& holder = app().isLoaded(beam) ? static_cast<const QWidget&>(app().form(beam)) : slider;
    return screenAt(env().screen.screens(), holder.frameGeometry().center());
}

QString Start::zeroPointText(Axis axis) const {
    return (axis == Axis::Horizontal ? Label1 : Label2)->caption();
}

void Start::popUpCaliperMenu(Slider& slider, QPoint globalPos) {
    createContextMenu(*this, &slider, &slider)->popup(globalPos);
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

double Start::pixelsPerInch(const Slider& slider) {
    if (!trueLengths().on()) return 0;
    return trueLengths().pixelsPerInch(caliperMonitor(slider), slider.twin().axis);
}

void Start::Timer1_Timer() {
    const ScreenCopyProblem problem = m_magnifier->refresh();
    if (problem == ScreenCopyProblem::None) return;
    // No copies will come: off as after the time limit, and the view says why until it is switched on again.
    Check3->setValue(0);
    m_magnifier->showNotice(problem);
}

void Start::Timer2_Timer() {
    Check3->setValue(0);
}

void Start::Timer3_Timer() {
    Label3->setCaption(app().form<Slider>(names::Form2).Label1->caption());
    Label4->setCaption(app().form<Slider>(names::Form42).Label1->caption());
    m.ScaleFactor = static_cast<std::int16_t>(Label7->caption().toInt());
}

void Start::Picture1_Click() {
    QString address = webAddress();
    StartURL(address);
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
    app().form<Beam>(names::Form1).Timer1->setEnabled(false);
    app().form<Beam>(names::Form31).Timer1->setEnabled(false);
}

bool Start::StartURL(QString& document) {
    QString whyNot;
    if (env().shell.open(document, &whyNot)) return true;
    // Said once: a second failure while the message is still open only brings it forward.
    const QString text = QCoreApplication::translate("Kalibrix", "Kalibrix could not open %1.\n\n%2").arg(document, whyNot);
    if (m_openFailure) {
        m_openFailure->setProperty("text", text);
        m_openFailure->raise();
    } else {
        m_openFailure = forms::showMessageWindow(this, app().title(), text);
    }
    return false;
}

QString Start::helpFilePath(const QString& programDirectory) {
    // A directory written with backslashes after a drive letter ("D:\Tools") or as a network share
    // ("\\server\tools") is joined with a backslash; any other with a slash, since elsewhere a
    // backslash is an ordinary character of a file name. Nothing is added or removed, so a root
    // ("D:\", "/") gives a doubled separator.
    const bool driveLetter = programDirectory.size() >= 2 && programDirectory.at(0).isLetter() &&
                             programDirectory.at(1) == QLatin1Char(':');
    const bool backslashForm = (driveLetter && !programDirectory.contains(QLatin1Char('/'))) ||
                               programDirectory.startsWith(QLatin1String("\\\\"));
    const QChar separator = backslashForm ? QLatin1Char('\\') : QLatin1Char('/');
    return programDirectory + separator + kHelpFileName;
}

QString Start::helpDocument(const QString& programDirectory, int topic) {
    const QString helpFile = helpFilePath(programDirectory);
    if (QFileInfo::exists(helpFile)) return helpFile;
    const QString page = QString::fromLatin1(topic >= 1 && topic <= int(std::size(kHelpPages)) ? kHelpPages[topic - 1]
                                                                                                : kHelpContents);
    QStringList languages;
    for (const QString& name : QLocale().uiLanguages()) languages << name.section(QLatin1Char('-'), 0, 0);
    languages << QStringLiteral("en");
    for (const QString& dir : dataDirectories(programDirectory, QStringLiteral("help")))
        for (const QString& language : languages)
            if (const QString path = dir + QLatin1Char('/') + language + QLatin1Char('/') + page; QFileInfo::exists(path))
                return path;
    return helpFile;
}

QString Start::webAddress() {
    return QStringLiteral(KALIBRIX_WEB_ADDRESS);
}

bool Start::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        // Context help: the focused control's help topic, or the contents for a control without one.
        QWidget* focused = focusWidget();
        showHelp(focused ? focused->property(kHelpTopic).toInt() : 0);
        return true;
    }
    return Form::event(event);
}

void Start::contextMenuEvent(QContextMenuEvent* event) {
    // Only outside the controls: on the window, the frames, and the labels, pictures and lines in them.
    QWidget* under = childAt(event->pos());
    if (under && !qobject_cast<QGroupBox*>(under) && !qobject_cast<QLabel*>(under) && !dynamic_cast<forms::Line*>(under))
        return;
    createContextMenu(*this, nullptr, this)->popup(event->globalPos());
}

} // namespace kx
