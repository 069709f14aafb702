#include "model/truesize.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kBaseDpi = 96;
constexpr double kNarrowestMm = 50;
constexpr double kWidestMm = 5000;
constexpr double kLeastDpi = 40;
constexpr double kMostDpi = 1000;
constexpr double kAspectTolerance = 0.04; // four per cent

bool plausibleDensity(double dpi) {
    return std::isfinite(dpi) && dpi >= kLeastDpi && dpi <= kMostDpi;
}

} // namespace

PixelDensity reportedDensity(QSize pixels, QSizeF mm) {
    if (pixels.isEmpty() || !(mm.width() > 0) || !(mm.height() > 0)) return {};
    if (mm.width() < kNarrowestMm || mm.width() > kWidestMm) return {};
    const PixelDensity d{pixels.width() / (mm.width() / kMillimetresPerInch),
                         pixels.height() / (mm.height() / kMillimetresPerInch)};
    if (!plausibleDensity(d.x) || !plausibleDensity(d.y)) return {};
    // Square pixels give equal densities; a size swapped or made up for another mode does not.
    if (std::fabs(d.x / d.y - 1) > kAspectTolerance) return {};
    return d;
}

PixelDensity trueDensity(const PixelDensity& calibrated, const PixelDensity& reported, double scale) {
    const double logical = kBaseDpi * (scale > 0 ? scale : 1);
    auto pick = [&](double own, double reportedOwn, double other) {
        if (own > 0) return own;
        if (reportedOwn > 0) return reportedOwn;
        if (other > 0) return other;
        return logical;
    };
    const double rx = reported.known() ? reported.x : 0;
    const double ry = reported.known() ? reported.y : 0;
    return {pick(calibrated.x, rx, calibrated.y), pick(calibrated.y, ry, calibrated.x)};
}

double calibratedDensity(double pixels, double millimetres) {
    if (!(pixels > 0) || !(millimetres > 0)) return 0;
    const double dpi = pixels / (millimetres / kMillimetresPerInch);
    return plausibleDensity(dpi) ? dpi : 0;
}

TypedLength parseLength(const QString& text, const QLocale& locale) {
    const QString t = text.trimmed();
    int end = 0;
    auto numeric = [&](QChar c) {
        return c.isDigit() || c == QLatin1Char('.') || c == locale.decimalPoint().front() || c == QLatin1Char('-') ||
               c == QLatin1Char('+');
    };
    while (end < t.size() && numeric(t.at(end))) ++end;
    QString number = t.left(end);
    const QString unit = t.mid(end).trimmed();
    // "85,60 mm" where the decimal separator is a full stop (or the other way round): the number stops
    // at the separator, and the digits after it are no unit.
    const bool otherSeparator = end > 0 && end + 1 < t.size() && t.at(end + 1).isDigit() &&
                                (t.at(end) == QLatin1Char(',') || t.at(end) == QLatin1Char('.'));
    number.replace(locale.decimalPoint(), QStringLiteral("."));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value)) return {TypedLength::Problem::NotANumber, 0};
    if (otherSeparator) return {TypedLength::Problem::OtherSeparator, 0};
    if (value <= 0) return {TypedLength::Problem::NotPositive, 0};
    if (unit.isEmpty()) return {TypedLength::Problem::NoUnit, 0};
    for (const LengthUnit& u : kLengthUnits)
        if (unit.compare(QLatin1String(u.name), Qt::CaseInsensitive) == 0) {
            const double mm = value * u.millimetres;
            if (!std::isfinite(mm)) return {TypedLength::Problem::NotANumber, 0};
            return {TypedLength::Problem::None, mm};
        }
    return {TypedLength::Problem::UnknownUnit, 0};
}

double lengthInUnit(double millimetres, int twipsPerUnit) {
    switch (twipsPerUnit) {
    case 567: return millimetres / 10;                              // centimetres
    case 1440: return millimetres / kMillimetresPerInch;            // inches
    case 20: return millimetres / kMillimetresPerInch * 72;         // points
    case 1: return millimetres / kMillimetresPerInch * 1440;        // twips
    default: return 0;                                              // not a length
    }
}

double scaleForKnownLength(double reading, double millimetres, int twipsPerUnit) {
    const double real = lengthInUnit(millimetres, twipsPerUnit);
    if (!(real > 0) || !std::isfinite(reading) || reading == 0) return 0;
    const double scale = real / std::fabs(reading);
    return std::isfinite(scale) ? scale : 0;
}

KnownLengthScale knownLengthScale(double reading, double millimetres, int twipsPerUnit) {
    using P = KnownLengthScale::Problem;
    const double scale = scaleForKnownLength(reading, millimetres, twipsPerUnit);
    if (!(scale > 0)) return {P::JawsClosed, 0};
    if (lengthInUnit(millimetres, twipsPerUnit) < kLeastKnownLength) return {P::TooShort, 0};
    if (scale > kMostKnownLengthScale) return {P::TooLarge, 0};
    if (scale < kLeastKnownLengthScale) return {P::TooSmall, 0};
    return {P::None, scale};
}

namespace {

// The text without trailing zeros after the locale's decimal separator, nor the separator itself.
QString withoutTrailingZeros(QString t, const QLocale& locale) {
    if (!t.contains(locale.decimalPoint())) return t;
    while (t.endsWith(QLatin1Char('0'))) t.chop(1);
    if (t.endsWith(locale.decimalPoint())) t.chop(locale.decimalPoint().size());
    return t;
}

} // namespace

QString scaleText(double scale, const QLocale& locale) {
    constexpr double kLargestWhole = 100000; // five digits
    const double magnitude = std::fabs(scale);
    if (!std::isfinite(scale) || scale == 0) return QStringLiteral("0");
    if (magnitude >= 0.5 && magnitude < kLargestWhole &&
        (std::fabs(scale - std::round(scale)) < 5e-5 || magnitude >= 1000))
        return QString::number(std::llround(scale));
    const int exponent = int(std::floor(std::log10(magnitude)));
    if (magnitude >= 0.001 && magnitude < kLargestWhole) {
        // As many decimals as four characters hold, as the panel's box does with 1000.
        const int decimals = std::max(0, 3 - std::max(1, exponent + 1));
        QString t = withoutTrailingZeros(locale.toString(scale, 'f', decimals), locale);
        t.remove(locale.groupSeparator());
        // A scale too small for that keeps its first digit: "0.002".
        return t == QLatin1String("0") ? locale.toString(scale, 'g', 1) : t;
    }
    // Significant digits and the power of ten in six characters: "3.78e7", "1.5e-6".
    const int decimals = exponent < 0 ? 1 : 2;
    const double unit = std::pow(10.0, -decimals);
    double mantissa = std::round(scale / std::pow(10.0, exponent) / unit) * unit;
    int power = exponent;
    if (std::fabs(mantissa) >= 10) { // 9.996e7 rounds up to 1e8
        mantissa /= 10;
        ++power;
    }
    return withoutTrailingZeros(locale.toString(mantissa, 'f', decimals), locale) + QLatin1Char('e') +
           QString::number(power);
}

} // namespace kx
