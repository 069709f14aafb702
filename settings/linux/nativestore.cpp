#include "settings/nativestore.h"

#include "settings/linux/settingsfile.h"
#include "settings/settingsstore.h"

#include <QSettings>
#include <QStandardPaths>

// On Linux the values are kept in $XDG_CONFIG_HOME/<app>/<app>.conf, one INI section per section.
namespace kx::native {

QString location(const QString& app, const QString& root) {
    const QString parent =
        root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) : root;
    return parent + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".conf");
}

Read read(const QString& location, const QString& section, const QString& key) {
    const ini::FileText file = ini::readFile(location);
    if (!file.failure.isEmpty()) return {std::nullopt, file.failure};
    return {ini::value(file.data, section, key), {}};
}

QString write(const QString& location, const std::vector<Change>& changes) {
    return ini::writeChanges(location, changes, NativeSettingsStore::kLockWait);
}

std::unique_ptr<QSettings> open(const QString& location) {
    return std::make_unique<QSettings>(location, QSettings::IniFormat);
}

} // namespace kx::native
