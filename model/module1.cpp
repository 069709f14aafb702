#include "model/module1.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace kx {

double reading(const Variant& offset, const Variant& zero, double twipsPerUnit, double scale) {
    const Variant difference = offset - zero;
    const Variant quotient = difference / Variant::fromDouble(twipsPerUnit);
    return quotient.toDouble() * scale;
}

namespace {

// The value's decimal digits rounded to two places, halves away from zero. The value is first taken to
// 15 significant digits, so that 1.005 (stored as 1.00499999...) rounds like the 1.005 it stands for.
// Returns the magnitude in hundredths as a digit string. The digits come from std::to_chars, which
// writes the same in every C locale (printf's "%e" takes the locale's decimal separator).
std::string hundredths(double magnitude) {
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string_view text(buf, written.ptr); // d.dddddddddddddde[+-]XX
    const std::size_t e = text.find('e');
    std::string mantissa;
    for (const char c : text.substr(0, e))
        if (c != '.') mantissa += c;
    int exponent = 0;
    const std::string_view power = text.substr(e + 1);
    std::from_chars(power.data() + (power.front() == '+'), power.data() + power.size(), exponent);
    // The digits are mantissa[0] * 10^exponent, mantissa[1] * 10^(exponent-1), ...
    // Keep the digits down to 10^-2; the next one decides the rounding.
    const int keep = exponent + 3; // number of mantissa digits at or above 10^-2
    std::string digits;
    int roundDigit = 0;
    if (keep <= 0) {
        digits = "0";
        roundDigit = keep == 0 ? mantissa[0] - '0' : 0;
    } else {
        for (int i = 0; i < keep; ++i) digits += i < static_cast<int>(mantissa.size()) ? mantissa[i] : '0';
        roundDigit = keep < static_cast<int>(mantissa.size()) ? mantissa[keep] - '0' : 0;
    }
    if (roundDigit >= 5) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0)
            ++digits[i];
        else
            digits.insert(digits.begin(), '1');
    }
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

} // namespace

QString formatReading(double value, const QLocale& locale) {
    if (!std::isfinite(value)) value = 0.0;
    std::string h = hundredths(std::fabs(value));
    while (h.size() < 3) h.insert(h.begin(), '0');
    const bool negative = value < 0 && h.find_first_not_of('0') != std::string::npos;
    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::fromStdString(h.substr(0, h.size() - 2));
    text += locale.decimalPoint();
    text += QString::fromStdString(h.substr(h.size() - 2));
    return text;
}

QString readingText(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                    const QLocale& locale) {
    return readingText(offset, zero, m, pixelTwips, 0, locale);
}

namespace {

// The offset's twips in one unit of the reading.
double twipsPerReadingUnit(const Module1& m, const Variant& pixelTwips, double pixelsPerInch) {
    const bool pixelSize = pixelTwips.isNumeric() && pixelTwips.toDouble() > 0;
    double perUnit = m.TwipsPerUnit;
    if (m.UnitIsScreenPixel && pixelSize)
        perUnit = pixelTwips.toDouble();
    else if (!m.UnitIsScreenPixel && pixelSize && pixelsPerInch > 0)
        // The offset's twips of one real unit: the unit's inches in device pixels at the true density.
        perUnit = m.TwipsPerUnit / 1440.0 * pixelsPerInch * pixelTwips.toDouble();
    return perUnit;
}

} // namespace

double unscaledReading(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                       double pixelsPerInch) {
    return reading(offset, zero, twipsPerReadingUnit(m, pixelTwips, pixelsPerInch), 1);
}

QString readingText(const Variant& offset, const Variant& zero, const Module1& m, const Variant& pixelTwips,
                    double pixelsPerInch, const QLocale& locale) {
    const double scale = m.KnownLengthScale > 0 ? m.KnownLengthScale : m.ScaleFactor;
    const double perUnit = twipsPerReadingUnit(m, pixelTwips, pixelsPerInch);
    return formatReading(reading(offset, zero, perUnit, scale), locale) + m.UnitSuffix.text();
}

} // namespace kx
