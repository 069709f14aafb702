#include "panel/truelengths.h"

#include <cmath>

namespace kx {

namespace {
const QString kAppName = QStringLiteral("Kalibrix");
const QString kSection = QStringLiteral("Display");
const QString kTrueSize = QStringLiteral("TrueSize");
const QString kKnownScale = QStringLiteral("KnownLengthScale");
constexpr double kLargestScale = 1e9;

QString number(double v) {
    return QString::number(v, 'g', 15);
}

// A stored density in one direction: 0 unless it is a plausible one.
double storedDensity(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && v >= 40 && v <= 1000 ? v : 0;
}
} // namespace

TrueLengths::TrueLengths(SettingsStore& store) : m_store(store) {
    const QString on = m_store.getSetting(kAppName, kSection, kTrueSize, QString()).trimmed();
    m_on = on.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || on == QLatin1String("1");
    bool ok = false;
    const double scale = m_store.getSetting(kAppName, kSection, kKnownScale, QString()).trimmed().toDouble(&ok);
    if (ok && std::isfinite(scale) && scale > 0 && scale <= kLargestScale) m_knownScale = scale;
}

void TrueLengths::save(const QString& key, const QString& value) {
    m_store.saveSetting(kAppName, kSection, key, value);
}

void TrueLengths::setOn(bool on) {
    if (on == m_on) return;
    m_on = on;
    save(kTrueSize, on ? QStringLiteral("true") : QStringLiteral("false"));
}

void TrueLengths::setKnownLengthScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0 || scale > kLargestScale) scale = 0;
    if (scale == m_knownScale) return;
    m_knownScale = scale;
    save(kKnownScale, scale > 0 ? number(scale) : QString());
}

QString TrueLengths::densityKey(const ScreenInfo& monitor) {
    QString key = QStringLiteral("Density");
    for (const QString& part : {monitor.name, monitor.maker.manufacturer, monitor.maker.model, monitor.maker.serialNumber}) {
        if (part.trimmed().isEmpty()) continue;
        key += QLatin1Char('.');
        for (const QChar c : part.trimmed()) {
            const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
            key += plain ? c : QLatin1Char('_');
        }
    }
    return key;
}

PixelDensity TrueLengths::calibration(const ScreenInfo& monitor) {
    const QString key = densityKey(monitor);
    if (auto known = m_calibrations.constFind(key); known != m_calibrations.constEnd()) return *known;
    const QStringList parts = m_store.getSetting(kAppName, kSection, key, QString()).simplified().split(QLatin1Char(' '));
    const PixelDensity d = parts.size() == 2 ? PixelDensity{storedDensity(parts[0]), storedDensity(parts[1])}
                                             : PixelDensity{};
    m_calibrations.insert(key, d);
    return d;
}

PixelDensity TrueLengths::density(const ScreenInfo& monitor) {
    return trueDensity(calibration(monitor), reportedDensity(monitor.geometry.size(), monitor.physicalSizeMm),
                       monitor.scale);
}

double TrueLengths::pixelsPerInch(const ScreenInfo& monitor, Axis axis) {
    if (!m_on) return 0;
    const PixelDensity d = density(monitor);
    return axis == Axis::Horizontal ? d.x : d.y;
}

void TrueLengths::calibrate(const ScreenInfo& monitor, Axis axis, double pixelsPerInch) {
    PixelDensity d = calibration(monitor);
    (axis == Axis::Horizontal ? d.x : d.y) = pixelsPerInch;
    m_calibrations.insert(densityKey(monitor), d);
    save(densityKey(monitor), number(d.x) + QLatin1Char(' ') + number(d.y));
}

void TrueLengths::resetCalibration(const ScreenInfo& monitor) {
    m_calibrations.insert(densityKey(monitor), PixelDensity{});
    save(densityKey(monitor), QString());
}

} // namespace kx
