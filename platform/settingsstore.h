#pragma once

#include <QHash>
#include <QString>

namespace kx {

// The per-user application settings store: text values keyed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or the default's text when the key is absent or cannot be read.
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    // Writes the value; a store that cannot be written loses it silently.
    virtual void saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// The platform's native per-user store: on Linux $XDG_CONFIG_HOME/<app>/<app>.conf with one INI
// group per section; on Windows the registry key that the classic GetSetting/SaveSetting use, so
// calibrations made there carry over.
class NativeSettingsStore final : public SettingsStore {
public:
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
};

// An in-memory store for tests; can be made to fail every write.
class MemorySettingsStore final : public SettingsStore {
public:
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;

    bool contains(const QString& app, const QString& section, const QString& key) const;
    QString value(const QString& app, const QString& section, const QString& key) const;
    void setValue(const QString& app, const QString& section, const QString& key, const QString& value);
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int writes() const { return m_writes; }

private:
    static QString path(const QString& app, const QString& section, const QString& key);
    QHash<QString, QString> m_values;
    bool m_readOnly = false;
    int m_writes = 0;
};

} // namespace kx
