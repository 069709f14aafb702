#pragma once

#include <QLocale>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <array>

namespace kx {

// Device pixels per real inch of a monitor, across and down; 0 where it is not known.
struct PixelDensity {
    double x = 0;
    double y = 0;
    bool known() const { return x > 0 && y > 0; }
};

// The density a monitor's reported physical size gives, or an unknown one when the size is absent or
// absurd: under 5 cm or over 5 m wide, a density under 40 or over 1000 pixels per inch in either
// direction, or millimetres whose aspect differs from the pixels' by more than a few per cent.
PixelDensity reportedDensity(QSize pixels, QSizeF millimetres);

// The density a reading uses in each direction: the user's calibration of that direction, else the
// reported one, else the calibration of the other direction (pixels are square on nearly every
// monitor), else the desktop's own 96 dpi times its scale.
PixelDensity trueDensity(const PixelDensity& calibrated, const PixelDensity& reported, double scale);

// A calibration's density from the device pixels between the jaws and the real length between them;
// 0 when the pixels or the length are not positive or the density would be absurd (as above).
double calibratedDensity(double pixels, double millimetres);

// A real length a user typed, such as "85.60 mm" or "3,6 m". The number takes a full stop or the
// locale's decimal separator; the unit is one of kLengthUnits.
struct LengthUnit {
    const char* name;
    double millimetres;
};
inline constexpr std::array<LengthUnit, 8> kLengthUnits{{{"mm", 1},
                                                         {"cm", 10},
                                                         {"m", 1000},
                                                         {"km", 1e6},
                                                         {"in", 25.4},
                                                         {"ft", 304.8},
                                                         {"yd", 914.4},
                                                         {"mi", 1609344}}};

struct TypedLength {
    // OtherSeparator: the number goes on after the other one of full stop and comma, as "85,60 mm"
    // where the locale writes "85.60 mm".
    enum class Problem { None, NotANumber, NotPositive, NoUnit, UnknownUnit, OtherSeparator };
    Problem problem = Problem::None;
    double millimetres = 0;
};
TypedLength parseLength(const QString& text, const QLocale& locale = QLocale());

// The real length as a number of the reading's unit (the unit table's twips per unit: 567 is a
// centimetre, 1440 an inch, 20 a point, 1 a twip). Lengths convert exactly, so that the length typed
// is the length read.
double lengthInUnit(double millimetres, int twipsPerUnit);

// The drawing scale that makes a distance reading `reading` (at scale 1, in the unit of twipsPerUnit)
// stand for the real length; 0 when there is none (the jaws closed, a unit that is not a length).
double scaleForKnownLength(double reading, double millimetres, int twipsPerUnit);

// The drawing scales a known length may set: the readings show two decimals of at most 15 significant
// digits, so a larger scale turns a pixel into a jump the readout cannot show whole, and a smaller one
// reads 0.00 for every distance on a screen.
inline constexpr double kLeastKnownLengthScale = 1e-6;
inline constexpr double kMostKnownLengthScale = 1e9;
// The smallest reading a known length may have in the unit: it shows as 0.01.
inline constexpr double kLeastKnownLength = 0.005;

// The scale a known length sets, or why it sets none.
struct KnownLengthScale {
    enum class Problem { None, JawsClosed, TooLarge, TooSmall, TooShort };
    Problem problem = Problem::None;
    double scale = 0; // set when there is no problem
};
KnownLengthScale knownLengthScale(double reading, double millimetres, int twipsPerUnit);

// A drawing scale as the panel shows it, in at most six characters: whole numbers below 100000 as they
// are ("100" also for 100.00004, "63360"), other scales from 1000 up in the same way, rounded; scales
// under 1000 with the decimals four characters hold, without trailing zeros ("41.7", "0.25", "0.33",
// "0.002"); larger and smaller ones with three significant digits and a power of ten ("3.78e7",
// "1.5e-6").
QString scaleText(double scale, const QLocale& locale = QLocale());

} // namespace kx
