#include "settings/nativestore.h"

#include <QSettings>

// On Windows the values are kept in the registry key that the classic GetSetting/SaveSetting use,
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, every value a string, so
// that calibrations made there carry over.
namespace kx::native {

QString location(const QString& app, const QString& root) {
    const QString parent =
        root.isEmpty() ? QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings") : root;
    return parent + QLatin1Char('\\') + app;
}

Read read(const QString& location, const QString& section, const QString& key) {
    QSettings settings(location, QSettings::NativeFormat);
    const QVariant v = settings.value(section + QLatin1Char('/') + key);
    return {v.isValid() ? std::optional(v.toString()) : std::nullopt, {}};
}

QString write(const QString& location, const std::vector<Change>& changes) {
    QSettings settings(location, QSettings::NativeFormat);
    for (const Change& c : changes) settings.setValue(c.section + QLatin1Char('/') + c.key, c.value);
    settings.sync();
    return settings.status() == QSettings::NoError ? QString() : QStringLiteral("access denied");
}

std::unique_ptr<QSettings> open(const QString& location) {
    return std::make_unique<QSettings>(location, QSettings::NativeFormat);
}

} // namespace kx::native
