// The control panel's controls at their design places: what each is, where it stands in twips in its
// container, what it shows, its help topic, its place in the tab order and what screen readers say.

#include "panel/start.h"

#include "art/art.h"
#include "magnifier/magnifier.h"

#include <QCoreApplication>
#include <utility>

namespace kx {

namespace {
constexpr double kOnTopPoints = 8;
constexpr int kOnTopSpacing = 96; // per cent of the face's own

const QString kDialogFont = QStringLiteral("MS Sans Serif");
const QColor kRuleColour(0xC0, 0xC0, 0xC0);

QString text(const char* english) {
    return QCoreApplication::translate("Kalibrix", english);
}

} // namespace

void Start::createControls() {
    forms::Environment& e = env();
    constexpr auto graphical = forms::CheckBox::Style::Graphical;

    // Directly on the window.
    Frame1 = new forms::Frame(this, QString());
    Frame2 = new forms::Frame(this, QCoreApplication::translate("Kalibrix", "Calibrate "));
    Picture1 = new forms::PictureBox(this, e);
    Picture4 = new forms::PictureBox(this, e);
    Command3 = new forms::CommandButton(this);
    // Frame1: calipers, tools, units, ruler strip.
    Check1 = new forms::CheckBox(Frame1, graphical);
    Check3 = new forms::CheckBox(Frame1, graphical);
    Command1 = new forms::CommandButton(Frame1);
    Check4 = new forms::CheckBox(Frame1, graphical);
    Command2 = new forms::CommandButton(Frame1);
    Check2 = new forms::CheckBox(Frame1, graphical);
    forms::OptionButton** const units[] = {&Option2, &Option3, &Option4, &Option5, &Option6}; // as kUnits
    for (std::size_t i = 0; i < std::size(units); ++i)
        *units[i] = new forms::OptionButton(Frame1, text(kUnits[i].caption));
    Picture6 = new forms::PictureBox(Frame1, e);
    // Frame2: calibration and scale.
    Image1 = new forms::Image(Frame2, QImage());
    Label1 = new forms::Label(Frame2);
    Label4 = new forms::Label(Frame2, QStringLiteral("Label4"));
    Image2 = new forms::Image(Frame2, QImage());
    Label2 = new forms::Label(Frame2);
    VScroll1 = new forms::ScrollBar(Frame2, Qt::Vertical);
    Label3 = new forms::Label(Frame2, QStringLiteral("Label3"));
    HScroll1 = new forms::ScrollBar(Frame2, Qt::Horizontal);
    Line1 = new forms::Line(Frame2, kRuleColour);
    Label5 = new forms::Label(Frame2, QCoreApplication::translate("Kalibrix", "Scale:"));
    Label6 = new forms::Label(Frame2, QStringLiteral("1 x"));
    Label7 = new forms::Label(Frame2, QStringLiteral("1"));
    HScroll2 = new forms::ScrollBar(Frame2, Qt::Horizontal);
    Line2 = new forms::Line(Frame2, kRuleColour);
    Check5 = new forms::CheckBox(Frame2, forms::CheckBox::Style::Standard,
                                 QCoreApplication::translate("Kalibrix", "Keep Kalibrix on top."));

    // The design places: left, top, width, height in twips in the container.
    const std::pair<QWidget*, QRectF> places[] = {
        {Frame1, {120, 0, 2655, 2895}},
        {Frame2, {2880, 0, 2775, 2895}},
        {Picture1, {2880, 120, 2760, 2760}},
        {Picture4, {2520, 4440, 735, 1095}},
        {Command3, {5680, 120, 200, 2760}},
        {Check1->widget(), {120, 240, 855, 975}},
        {Check3->widget(), {1080, 240, 375, 375}},
        {Command1, {1440, 240, 375, 375}},
        {Check4->widget(), {1800, 240, 375, 375}},
        {Command2, {2160, 240, 375, 375}},
        {Check2->widget(), {120, 1440, 855, 975}},
        {Option2, {1200, 720, 1335, 255}},
        {Option3, {1200, 1080, 1335, 255}},
        {Option4, {1200, 1440, 1335, 255}},
        {Option5, {1200, 1800, 1335, 255}},
        {Option6, {1200, 2160, 1335, 255}},
        {Picture6, {120, 2520, 2415, 255}},
        {Image1, {120, 360, 480, 480}},
        {Label1, {720, 360, 135, 255}},
        {Label4, {840, 240, 1455, 255}},
        {Image2, {1680, 480, 480, 480}},
        {Label2, {2280, 960, 135, 255}},
        {VScroll1, {2400, 240, 135, 975}},
        {Label3, {120, 840, 1815, 255}},
        {HScroll1, {120, 1080, 1695, 135}},
        {Line1, {0, 1320, 2760, 15}},
        {Label5, {120, 1440, 855, 255}},
        {Label6, {1080, 1560, 495, 375}},
        {Label7, {1560, 1560, 1080, 375}}, // to the frame's edge: "3.78e7" and "1.5e-6" fit
        {HScroll2, {480, 1920, 1815, 255}},
        {Line2, {0, 2280, 2760, 15}},
        {Check5->widget(), {120, 2400, 2640, 375}}, // across the frame: one line in English and German
    };
    for (const auto& [control, twips] : places)
        place(control, twips);

    // What they show and hold at design time.
    Frame2->setVisible(false);
    Picture1->setAutoSize(true);
    // The banner from the start: the picture the design puts there first, the banner upside down, is
    // replaced by the upright one before the panel is first shown, so it is never drawn.
    const forms::PictureSource banner = [](double scale) { return art::banner(webAddress(), scale); };
    Picture1->setPicture(banner);
    Picture4->setPicture(banner);
    Picture4->setVisible(false);
    QPalette edge = Command3->palette();
    edge.setColor(QPalette::Button, activeBorderColor());
    Command3->setPalette(edge);
    Command3->setAutoFillBackground(true);
    Command3->setToolTip(QCoreApplication::translate("Kalibrix", "Minimise"));
    // The buttons' pictures, drawn for the panel's scale.
    const std::pair<QAbstractButton*, QImage (*)(double)> icons[] = {
        {Check1->widget(), &art::horizontalCaliperIcon},
        // The 32-pixel glass drawn 20 pixels large: inside the 25-pixel button's frame.
        {Check3->widget(), [](double scale) { return art::magnifierIcon(scale * 20 / 32); }},
        {Command1, &art::crossIcon},
        {Check4->widget(), &art::setSquareIcon},
        {Command2, &art::questionMarkIcon},
        {Check2->widget(), &art::verticalCaliperIcon},
    };
    for (const auto& [button, picture] : icons)
        whenScaled([button, picture](double scale) {
            const QImage image = picture(scale);
            button->setIcon(QIcon(QPixmap::fromImage(image)));
            button->setIconSize(image.size());
        });
    setDesignFont(Command2, kDialogFont, 8.25, true);
    Option2->setValue(true);
    Picture6->setPicture(static_cast<QImage (*)(double)>(&art::rulerStrip));
    Picture6->setToolTip(QCoreApplication::translate("Kalibrix", "Folding rule"));
    Label1->setVisible(false);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label2->setVisible(false);
    setDesignFont(Label6, kDialogFont, 12, true);
    setDesignFont(Label7, kDialogFont, 12, true);
    HScroll2->setRange(1, 1000);
    HScroll2->setValue(1);
    Check5->setValue(1);
    // The design's 8-point dialog size, set a little closer, so that the caption keeps to one line in
    // German too, also in wide sans faces.
    QFont onTop = app().designFont();
    onTop.setPointSizeF(kOnTopPoints);
    onTop.setLetterSpacing(QFont::PercentageSpacing, kOnTopSpacing);
    setDesignFont(Check5->widget(), onTop);
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

    // The page F1 opens on a control.
    const std::pair<QWidget*, HelpTopic> topics[] = {
        {Check3->widget(), HelpTopic::Magnifier},
        {Command1, HelpTopic::ZeroPoint},
        {Check4->widget(), HelpTopic::Calibration},
        {Command2, HelpTopic::Help},
        {Option2, HelpTopic::Centimetres},
        {Option3, HelpTopic::Pixels},
        {Option4, HelpTopic::Inches},
        {Option5, HelpTopic::Twips},
        {Option6, HelpTopic::Points},
    };
    for (const auto& [control, topic] : topics)
        setHelpTopic(control, topic);

    // Tab order by tab index; frames, labels and hidden controls take no focus.
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture6->setFocusPolicy(Qt::StrongFocus);
    const QList<QWidget*> tabOrder{Picture1, Command1,         Option6,          Option5,          Option4,
                                   Option3,  Option2,          Check2->widget(), Check1->widget(), Picture6,
                                   Command2, Check3->widget(), Command3,         Check4->widget(), HScroll1,
                                   VScroll1, Check5->widget(), HScroll2};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // What screen readers announce for the controls that show only a picture, and the readings.
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
    for (const auto& [control, name] : spoken)
        control->setAccessibleName(text(name));
    Label3->setReadout(QCoreApplication::translate("Kalibrix", "Horizontal reading"));
    Label4->setReadout(QCoreApplication::translate("Kalibrix", "Vertical reading"));
    Label7->setReadout(QCoreApplication::translate("Kalibrix", "Scale"));

    m_magnifier = std::make_unique<Magnifier>(e, *Picture1);
}

} // namespace kx
