#pragma once

#include "model/truesize.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <array>

namespace kx {

// What a stored text must be to count; any other text reads as the setting's default.
enum class SettingForm {
    Integer,     // blanks around, an optional minus sign and ASCII digits, within minimum..maximum
    Switch,      // "true" in any case or "1" is on, anything else off; written "true" or "false"
    Factor,      // a number within minimum..maximum; empty for none
    DensityPair, // "<across> <down>" pixels per inch; a direction outside minimum..maximum is 0 (not known)
    Text,        // any text, kept as it is
};

// One value Kalibrix keeps between runs: where the store keeps it, what an absent value reads as, and
// the form a stored text must have.
struct StoredSetting {
    constexpr StoredSetting(const char* section, const char* key, const char* defaultText, SettingForm form,
                            double minimum = 0, double maximum = 0)
        : section(section), key(key), defaultText(defaultText), form(form), minimum(minimum),
          maximum(maximum) {}
    QLatin1StringView section;
    QLatin1StringView key; // of a value kept per monitor, the part before the monitor's names
    QLatin1StringView defaultText;
    SettingForm form;
    double minimum;
    double maximum;
};

// Every value kept between runs. Users edit the settings file by hand, and earlier runs wrote it: the
// names and texts here never change.
namespace setting {

// The application the store keeps them under: the settings file's folder and name, the registry key.
inline constexpr QLatin1StringView kApp("Kalibrix");

// The calipers' zero points, the texts of the panel's Label1 and Label2.
inline constexpr StoredSetting HorizontalZero("Settings", "Label1", "-7200", SettingForm::Integer, -7400,
                                              -7000);
inline constexpr StoredSetting VerticalZero("Settings", "Label2", "414", SettingForm::Integer, 214, 614);
// Real lengths: the switch, the scale taken from a known length, and each monitor's calibration
// (Density.<monitor>, see monitorKey).
inline constexpr StoredSetting TrueSize("Display", "TrueSize", "false", SettingForm::Switch);
inline constexpr StoredSetting KnownLengthScale("Display", "KnownLengthScale", "", SettingForm::Factor,
                                                kLeastKnownLengthScale, kMostKnownLengthScale);
inline constexpr StoredSetting Density("Display", "Density", "", SettingForm::DensityPair, 40, 1000);
// The desktop's screen-cast portal hands out a token that spares the user its question next time.
inline constexpr StoredSetting RestoreToken("ScreenCast", "RestoreToken", "", SettingForm::Text);
// Finding edges on the screen: how far a colour may stray, per channel (0: the exact colour), before it
// counts as an edge; and whether a dragged jaw snaps to edges.
inline constexpr StoredSetting EdgeTolerance("Edges", "Tolerance", "10", SettingForm::Integer, 0, 255);
inline constexpr StoredSetting SnapToEdges("Edges", "Snap", "false", SettingForm::Switch);

inline constexpr std::array<const StoredSetting*, 8> kAll{
    &HorizontalZero, &VerticalZero, &TrueSize,      &KnownLengthScale,
    &Density,        &RestoreToken, &EdgeTolerance, &SnapToEdges};

} // namespace setting

// A stored text read in its setting's form; a text without that form (or absent) reads as the default.
int storedInteger(const StoredSetting& setting, const QString& text);
bool storedSwitch(const StoredSetting& setting, const QString& text);
double storedFactor(const StoredSetting& setting, const QString& text); // 0: none
PixelDensity storedDensity(const StoredSetting& setting, const QString& text);

// The texts written.
QString switchText(bool on);
QString factorText(double factor); // empty for none (0)
QString densityText(const PixelDensity& density);

// The key of a value kept per monitor: the setting's key followed by the monitor's names that are not
// blank (its connector, maker, model, serial number), each after a full stop and in letters, digits,
// '-' and '_' (any other character becomes '_').
QString monitorKey(const StoredSetting& setting, const QStringList& names);

} // namespace kx
