#pragma once

#include <QSet>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QSettings;

namespace kx {

// Why the stored values could not be read or a value could not be kept: where the store keeps them,
// and the reason.
struct SettingsFailure {
    enum class Kind { Save, Load };
    QString path;
    QString reason;
    Kind kind = Kind::Save;
};
using SaveFailure = SettingsFailure;

// The per-user application settings store: text values keyed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or the default's text when the key is absent or cannot be read.
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    // Keeps the value; a store may write it a moment later. A write that fails is reported through
    // onSaveFailed.
    virtual void saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
    // Waits at most `limit` until every value saved so far is written (or has failed); false when
    // some are still being written.
    virtual bool flush(std::chrono::milliseconds /*limit*/) { return true; }

    // Runs on the user-interface thread after a write has failed.
    std::function<void(const SettingsFailure&)> onSaveFailed;
    // Runs on the user-interface thread, once per store and place, when the stored values could not be
    // read (they read as their defaults meanwhile).
    std::function<void(const SettingsFailure&)> onLoadFailed;
};

// The platform's native per-user store: on Linux $XDG_CONFIG_HOME/<app>/<app>.conf with one INI
// group per section (settings/linux/); on Windows the registry key that the classic
// GetSetting/SaveSetting use, HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>,
// with every value a string, so calibrations made there carry over (settings/windows/). Values are
// written by a thread of their own, so that a slow disk or a lock held elsewhere never holds up the
// user interface; a lock is waited for at most kLockWait, and the store's end waits at most kFinalWait
// for the last writes.
class NativeSettingsStore final : public SettingsStore {
public:
    static constexpr std::chrono::milliseconds kLockWait{1000};
    static constexpr std::chrono::milliseconds kFinalWait{1500};

    // The user's store, or the same store under another root, for tests: a directory that stands for
    // $XDG_CONFIG_HOME on Linux, a registry key that stands for ...\VB and VBA Program Settings on Windows.
    explicit NativeSettingsStore(QString root = {});
    ~NativeSettingsStore() override;
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    bool flush(std::chrono::milliseconds limit) override;

    // Where the application's values are kept: the settings file, or the registry key.
    static QString location(const QString& app, const QString& root = {});
    // The settings of one application as the platform keeps them, to look at them from outside.
    std::unique_ptr<QSettings> open(const QString& app) const;

    struct Writer;

private:
    QString m_root;
    std::shared_ptr<Writer> m_writer;
    QSet<QString> m_unreadable; // places whose failed read has been reported
    QObject m_receiver; // failures reach onSaveFailed and onLoadFailed through this object's thread
};

} // namespace kx
