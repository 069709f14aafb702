#include "platform/fake/settingsfakes.h"

namespace kx {

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
    if (!m_readOnly)
        m_values.insert(path(app, section, key), value);
    else if (onSaveFailed)
        onSaveFailed({QStringLiteral("memory:") + app, QStringLiteral("the store is read-only")});
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
