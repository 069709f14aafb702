#include "platform/settingsstore.h"

#include <QSettings>

namespace kx {

namespace {

std::unique_ptr<QSettings> openNative(const QString& app) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + app,
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, app, app);
#endif
}

} // namespace

QString NativeSettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                        const QString& defaultValue) {
    auto settings = openNative(app);
    if (settings->status() != QSettings::NoError) return defaultValue;
    const QVariant v = settings->value(section + QLatin1Char('/') + key);
    if (!v.isValid()) return defaultValue;
    return v.toString();
}

void NativeSettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                      const QString& value) {
    auto settings = openNative(app);
    settings->setValue(section + QLatin1Char('/') + key, value);
    settings->sync(); // an unwritable location reports AccessError here; the value is simply not kept
}

QString MemorySettingsStore::path(const QString& app, const QString& section, const QString& key) {
    return app + QLatin1Char('\n') + section + QLatin1Char('\n') + key;
}

QString MemorySettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                        const QString& defaultValue) {
    return m_values.value(path(app, section, key), defaultValue);
}

void MemorySettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                      const QString& value) {
    ++m_writes;
    if (!m_readOnly) m_values.insert(path(app, section, key), value);
}

bool MemorySettingsStore::contains(const QString& app, const QString& section, const QString& key) const {
    return m_values.contains(path(app, section, key));
}

QString MemorySettingsStore::value(const QString& app, const QString& section, const QString& key) const {
    return m_values.value(path(app, section, key));
}

void MemorySettingsStore::setValue(const QString& app, const QString& section, const QString& key,
                                   const QString& value) {
    m_values.insert(path(app, section, key), value);
}

} // namespace kx
