#include "panel/truelengths.h"

#include <cmath>

namespace kx {

TrueLengths::TrueLengths(SettingsStore& store)
    : m_store(store), m_on(storedSwitch(setting::TrueSize, read(setting::TrueSize))),
      m_knownScale(storedFactor(setting::KnownLengthScale, read(setting::KnownLengthScale))) {}

QString TrueLengths::read(const StoredSetting& s, const QString& key) {
    return m_store.getSetting(setting::kApp, s.section, key.isEmpty() ? QString(s.key) : key, s.defaultText);
}

void TrueLengths::save(const StoredSetting& s, const QString& value, const QString& key) {
    m_store.saveSetting(setting::kApp, s.section, key.isEmpty() ? QString(s.key) : key, value);
}

void TrueLengths::setOn(bool on) {
    if (on == m_on) return;
    m_on = on;
    save(setting::TrueSize, switchText(on));
}

void TrueLengths::setKnownLengthScale(double scale) {
    const StoredSetting& range = setting::KnownLengthScale;
    if (!std::isfinite(scale) || scale < range.minimum || scale > range.maximum) scale = 0;
    if (scale == m_knownScale) return;
    m_knownScale = scale;
    save(setting::KnownLengthScale, factorText(scale));
}

QString TrueLengths::densityKey(const ScreenInfo& monitor) {
    return monitorKey(setting::Density, {monitor.name, monitor.maker.manufacturer, monitor.maker.model,
                                         monitor.maker.serialNumber});
}

PixelDensity TrueLengths::calibration(const ScreenInfo& monitor) {
    const QString key = densityKey(monitor);
    if (auto known = m_calibrations.constFind(key); known != m_calibrations.constEnd()) return *known;
    const PixelDensity d = storedDensity(setting::Density, read(setting::Density, key));
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
    save(setting::Density, densityText(d), densityKey(monitor));
}

void TrueLengths::resetCalibration(const ScreenInfo& monitor) {
    m_calibrations.insert(densityKey(monitor), PixelDensity{});
    save(setting::Density, QString(), densityKey(monitor));
}

} // namespace kx
