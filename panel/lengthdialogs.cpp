#include "panel/lengthdialogs.h"

#include "caliper/slider.h"
#include "model/truesize.h"
#include "panel/start.h"
#include "panel/truelengths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <cmath>
#include <functional>

namespace kx {

namespace {

// A bank card (ISO/IEC 7810 ID-1), across and down.
constexpr double kCardWidthMm = 85.60;
constexpr double kCardHeightMm = 53.98;

// Why a typed length is refused; empty when it is a length.
QString lengthRefusal(const TypedLength& length) {
    switch (length.problem) {
    case TypedLength::Problem::None:
        return {};
    case TypedLength::Problem::NotANumber:
        return QCoreApplication::translate("Kalibrix", "That is not a number.");
    case TypedLength::Problem::NotPositive:
        return QCoreApplication::translate("Kalibrix", "The length must be more than 0.");
    case TypedLength::Problem::NoUnit:
    case TypedLength::Problem::UnknownUnit:
        return QCoreApplication::translate("Kalibrix",
                                           "Give one of the units mm, cm, m, km, in, ft, yd or mi.");
    case TypedLength::Problem::OtherSeparator:
        return QCoreApplication::translate("Kalibrix", "The decimal separator is \"%1\": for example %2.")
            .arg(QLocale().decimalPoint(), QLocale().toString(kCardWidthMm, 'f', 2) + QStringLiteral(" mm"));
    }
    return {};
}

// Why a known length sets no scale; empty when it does.
QString knownLengthRefusal(KnownLengthScale::Problem problem) {
    using P = KnownLengthScale::Problem;
    const QLocale locale;
    switch (problem) {
    case P::None:
        return {};
    case P::JawsClosed:
        return QCoreApplication::translate("Kalibrix",
                                           "The jaws are closed: bring them to the two ends of the length first.");
    case P::TooLarge:
        return QCoreApplication::translate(
                   "Kalibrix", "That length is more than %1 times the distance between the jaws, more than the "
                               "readings can show.")
            .arg(locale.toString(kMostKnownLengthScale, 'f', 0));
    case P::TooSmall:
        return QCoreApplication::translate(
                   "Kalibrix", "That length is less than %1 of the distance between the jaws, less than the "
                               "readings can show.")
            .arg(locale.toString(kLeastKnownLengthScale, 'f', 6));
    case P::TooShort:
        return QCoreApplication::translate(
                   "Kalibrix", "That length reads less than %1 in this unit: choose a smaller unit.")
            .arg(locale.toString(0.01, 'f', 2));
    }
    return {};
}

// A density as the calibration's refusal names it: whole pixels, or beyond what a number says here.
QString densityFigure(double pixelsPerInch) {
    constexpr double kBeyond = 1e6;
    if (!(pixelsPerInch < kBeyond))
        return QCoreApplication::translate("Kalibrix", "more than %1").arg(QLocale().toString(kBeyond, 'f', 0));
    if (pixelsPerInch < 1) return QCoreApplication::translate("Kalibrix", "less than 1");
    return QLocale().toString(std::round(pixelsPerInch), 'f', 0);
}

struct Jaws {
    const Variant& offset;
    const Variant& zero;
    const Variant& pixelTwips;
};

Jaws jawsOf(Module1& m, const Slider& slider) {
    const SliderTwin& t = slider.twin();
    return {m.*t.offset, m.*t.zero, m.*t.step};
}

const char* const kForSlider = "kxSlider";

// The dialog of that name for the slider that is still open: asking again brings it to the front.
forms::InputDialog* openDialog(Start& panel, const QString& name, const Slider& slider) {
    for (auto* dialog : panel.findChildren<forms::InputDialog*>(name, Qt::FindDirectChildrenOnly))
        if (dialog->isVisible() && dialog->property(kForSlider).toString() == slider.formName()) {
            dialog->raise();
            dialog->activateWindow();
            return dialog;
        }
    return nullptr;
}

// A dialog that asks for a real length with its unit, for the slider. A refused length keeps the dialog
// open with the reason under the input; so does whatever `use` refuses with the length typed.
using LengthUse = std::function<QString(Start& panel, Slider& slider, const TypedLength& length)>;
forms::InputDialog* lengthDialog(Start& panel, Slider& slider, const QString& name, const QString& title,
                                 const QString& prompt, const QString& proposal, LengthUse use) {
    auto* dialog = new forms::InputDialog(&panel, title, prompt, proposal);
    dialog->setObjectName(name);
    dialog->setProperty(kForSlider, slider.formName());
    Start* p = &panel; // the dialog's owner: it goes with it
    QPointer<Slider> s = &slider;
    dialog->onAccept = [p, s, use = std::move(use)](const QString& typed) -> QString {
        const TypedLength length = parseLength(typed);
        if (QString why = lengthRefusal(length); !why.isEmpty()) return why;
        return s ? use(*p, *s, length) : QString();
    };
    return dialog;
}

} // namespace

forms::InputDialog* askKnownLength(Start& panel, Slider& slider) {
    if (auto* open = openDialog(panel, QStringLiteral("knownLength"), slider)) return open;
    auto* dialog = lengthDialog(
        panel, slider, QStringLiteral("knownLength"),
        QCoreApplication::translate("Kalibrix", "Scale from a known length"),
        QCoreApplication::translate(
            "Kalibrix",
            "Bring the jaws to a distance whose real length you know, then enter that length with its unit "
            "(mm, cm, m, km, in, ft, yd or mi), for example 3.60 m."),
        QString(), [](Start& p, Slider& s, const TypedLength& length) -> QString {
            Module1& m = p.model();
            if (m.UnitIsScreenPixel)
                return QCoreApplication::translate("Kalibrix",
                                                   "Pixels are not a length: choose another unit first.");
            const Jaws jaws = jawsOf(m, s);
            double distance = 0;
            try {
                distance = unscaledReading(jaws.offset, jaws.zero, m, jaws.pixelTwips, p.pixelsPerInch(s));
            } catch (const VariantError&) {
            }
            // A length the readings cannot show is refused, and the scale stays as it was.
            const KnownLengthScale known = knownLengthScale(distance, length.millimetres, m.TwipsPerUnit);
            if (known.problem != KnownLengthScale::Problem::None) return knownLengthRefusal(known.problem);
            p.setKnownLengthScale(known.scale);
            return {};
        });
    dialog->show();
    return dialog;
}

forms::InputDialog* askCalibration(Start& panel, Slider& slider) {
    if (auto* open = openDialog(panel, QStringLiteral("calibrate"), slider)) return open;
    const bool horizontal = slider.twin().axis == Axis::Horizontal;
    const double cardMm = horizontal ? kCardWidthMm : kCardHeightMm;
    const QString prompt =
        horizontal
            ? QCoreApplication::translate(
                  "Kalibrix",
                  "Hold a bank card or a ruler against the screen and bring the jaws to its left and right "
                  "edges, with the mouse or the arrow keys. Then enter the real length between the jaws.")
            : QCoreApplication::translate(
                  "Kalibrix",
                  "Hold a bank card or a ruler against the screen and bring the jaws to its top and bottom "
                  "edges, with the mouse or the arrow keys. Then enter the real length between the jaws.");
    // Named in the title: on several monitors it is the one holding the beam that is calibrated.
    const ScreenInfo monitor = panel.caliperMonitor(slider);
    const QString title = QCoreApplication::translate("Kalibrix", "Calibrate this monitor") +
                          QStringLiteral(": ") +
                          QStringList{monitor.name, monitor.maker.manufacturer, monitor.maker.model}
                              .filter(QRegularExpression(QStringLiteral("\\S")))
                              .join(QLatin1Char(' '));
    auto* dialog = lengthDialog(
        panel, slider, QStringLiteral("calibrate"), title, prompt,
        QLocale().toString(cardMm, 'f', 2) + QStringLiteral(" mm"),
        [](Start& p, Slider& s, const TypedLength& length) -> QString {
            const Jaws jaws = jawsOf(p.model(), s);
            double pixels = 0;
            try {
                pixels = std::fabs(((jaws.offset - jaws.zero) / jaws.pixelTwips).toDouble());
            } catch (const VariantError&) {
            }
            if (pixels < 1)
                return QCoreApplication::translate("Kalibrix",
                                                   "The jaws are closed: bring them to the two edges first.");
            const double perInch = calibratedDensity(pixels, length.millimetres);
            if (!(perInch > 0))
                return QCoreApplication::translate(
                           "Kalibrix", "That makes %1 pixels per inch; a screen has between 40 and 1000.")
                    .arg(densityFigure(pixels / (length.millimetres / 25.4)));
            p.trueLengths().calibrate(p.caliperMonitor(s), s.twin().axis, perInch);
            p.setTrueSize(true); // a monitor is calibrated to measure real lengths on it
            return {};
        });
    Start* p = &panel;
    QPointer<Slider> s = &slider;
    dialog
        ->addButton(QCoreApplication::translate("Kalibrix", "Reset to the reported size"),
                    [p, s] {
                        if (s) p->trueLengths().resetCalibration(p->caliperMonitor(*s));
                    })
        ->setObjectName(QStringLiteral("reset"));
    dialog->show();
    return dialog;
}

} // namespace kx
