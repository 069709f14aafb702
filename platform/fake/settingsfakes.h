#pragma once

#include "settings/settingsstore.h"

#include <QHash>
#include <QTemporaryDir>

namespace kx {

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
    // A read-only store reports every write as failed.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int writes() const { return m_writes; }

private:
    static QString path(const QString& app, const QString& section, const QString& key);
    QHash<QString, QString> m_values;
    bool m_readOnly = false;
    int m_writes = 0;
};

// A root of its own for the native settings store, so that a test of the real store leaves the
// user's settings alone: a temporary directory on Linux, a fresh key under
// HKEY_CURRENT_USER\Software on Windows (fake/linux/, fake/windows/). Removed again with this object.
class ScratchSettingsRoot {
public:
    ScratchSettingsRoot();
    ~ScratchSettingsRoot();
    ScratchSettingsRoot(const ScratchSettingsRoot&) = delete;
    ScratchSettingsRoot& operator=(const ScratchSettingsRoot&) = delete;
    const QString& root() const { return m_root; }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace kx
