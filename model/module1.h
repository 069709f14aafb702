#pragma once

#include "model/variant.h"

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

namespace kx {

// The values every reading depends on, shared by the control panel and the caliper windows.
// Lengths are in twips (1440 per inch).
struct Module1 {
    Variant SliderOffsetX; // horizontal slider's offset from its beam's right edge; grows to the right
    Variant SliderOffsetY; // vertical slider's offset from its beam's top edge; grows downwards
    Variant ZeroX;         // offset at which the horizontal reading is zero (text of the panel's Label1)
    Variant ZeroY;         // the same for the vertical caliper (Label2)
    std::int16_t TwipsPerUnit = 0;
    // The unit counts the screen's own pixels (Pixel): a reading divides by the caliper's twips per
    // pixel instead of TwipsPerUnit, which keeps the 96-dpi figure of 15.
    bool UnitIsScreenPixel = false;
    Variant UnitSuffix; // begins with a blank, e.g. " cm"
    std::int16_t ScaleFactor = 0;
    // A drawing scale taken from a known length; while above 0 it stands in for ScaleFactor.
    double KnownLengthScale = 0;
    Variant PixelTwipsX; // twips per screen pixel (a Single) where the horizontal caliper stands
    Variant PixelTwipsY; // the same for the vertical caliper
};

struct Unit {
    const char* optionName; // the option button that selects it
    const char* caption; // English; translated where the program shows it
    const char* menuCaption; // the same with its access key, for the menus
    std::int16_t twipsPerUnit;
    const char* suffix;
    bool screenPixel; // counts the screen's device pixels, whatever their density
};

// The five units, in the order of the option buttons Option2 to Option6. The suffixes are the same in
// every language: other programs read the readings from the sliders' window titles.
inline constexpr std::array<Unit, 5> kUnits{{
    {"Option2", QT_TRANSLATE_NOOP("Kalibrix", "Centimetres"), QT_TRANSLATE_NOOP("Kalibrix", "Ce&ntimetres"), 567,
     " cm", false}, // 1440 / 2.54, rounded
    {"Option3", QT_TRANSLATE_NOOP("Kalibrix", "Pixels"), QT_TRANSLATE_NOOP("Kalibrix", "Pi&xels"), 15, " pic",
     true}, // 15 twips at 96 dpi; the screen's own pixels elsewhere
    {"Option4", QT_TRANSLATE_NOOP("Kalibrix", "Inches"), QT_TRANSLATE_NOOP("Kalibrix", "&Inches"), 1440, " zoll",
     false},
    {"Option5", QT_TRANSLATE_NOOP("Kalibrix", "Twips"), QT_TRANSLATE_NOOP("Kalibrix", "T&wips"), 1, " twi", false},
    {"Option6", QT_TRANSLATE_NOOP("Kalibrix", "Points"), QT_TRANSLATE_NOOP("Kalibrix", "P&oints"), 20, " pkt",
     false}, // 1440 / 72
}};

// (offset - zero) / twipsPerUnit * scale, in double precision. Throws VariantError when the offset
// or the zero point is a text that is not a number, or when twipsPerUnit is 0.
double reading(const Variant& offset, const Variant& zero, double twipsPerUnit, double scale);

// Formats with the pattern "0.00": at least one digit before the decimal separator, exactly two after
// it, no grouping, halves rounded away from zero. A value that rounds to zero shows no minus sign.
QString formatReading(double value, const QLocale& locale = QLocale());

// The reading text of one caliper: the formatted reading followed by the unit suffix, e.g. "2.12 cm".
// pixelTwips is the caliper's twips per screen pixel (PixelTwipsX or PixelTwipsY), the divisor of the
// Pixel unit.
QString readingText(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                    const QLocale& locale = QLocale());
// The same as a real length on the monitor holding the caliper: pixelsPerInch is that monitor's true
// density along the caliper (0: lengths stay the desktop's logical ones). Pixel still counts pixels.
QString readingText(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                    double pixelsPerInch, const QLocale& locale = QLocale());
// The reading's number before any drawing scale: the distance in the chosen unit. Throws as reading().
double unscaledReading(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                       double pixelsPerInch);

} // namespace kx
