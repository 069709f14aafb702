#pragma once

#include "caliper/geometry.h"
#include "model/settingstable.h"
#include "model/truesize.h"
#include "settings/settingsstore.h"
#include "platform/windowsystem.h"

#include <QHash>

namespace kx {

// Real lengths: the "True size" switch, each monitor's calibration and the drawing scale taken from
// a known length, kept in the settings store's Display section (setting::TrueSize,
// setting::KnownLengthScale, setting::Density): TrueSize=true|false, KnownLengthScale=<factor> (empty:
// the panel's whole-number scale), Density.<monitor>=<pixels per inch across> <pixels per inch down>
// (0: that direction not calibrated). A stored value that does not make sense counts as not stored.
class TrueLengths {
public:
    explicit TrueLengths(SettingsStore& store);

    bool on() const { return m_on; }
    void setOn(bool on);

    // The density a reading along the axis uses on the monitor: 0 while true size is off.
    double pixelsPerInch(const ScreenInfo& monitor, Axis axis);
    PixelDensity density(const ScreenInfo& monitor);
    PixelDensity calibration(const ScreenInfo& monitor);
    void calibrate(const ScreenInfo& monitor, Axis axis, double pixelsPerInch);
    // Back to the monitor's reported size (or the desktop's own dpi where it reports none).
    void resetCalibration(const ScreenInfo& monitor);

    // The known-length scale as stored; 0 when there is none.
    double knownLengthScale() const { return m_knownScale; }
    void setKnownLengthScale(double scale);

    // The settings key of a monitor's calibration: its name, and its maker, model and serial number
    // where the desktop gives them, in letters, digits, '-' and '_'.
    static QString densityKey(const ScreenInfo& monitor);

private:
    // A value of the Display section, under the setting's own key or a monitor's.
    QString read(const StoredSetting& s, const QString& key = {});
    void save(const StoredSetting& s, const QString& value, const QString& key = {});
    SettingsStore& m_store;
    bool m_on;
    double m_knownScale;
    QHash<QString, PixelDensity> m_calibrations; // read once per monitor
};

} // namespace kx
