#include "settings/settingsstore.h"

#include "settings/inifile.h"

#include <QSettings>
#include <QStandardPaths>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kx {

namespace {

#ifdef Q_OS_WIN
QString readValue(const QString& location, const QString& section, const QString& key, const QString& defaultValue) {
    QSettings settings(location, QSettings::NativeFormat);
    const QVariant v = settings.value(section + QLatin1Char('/') + key);
    return v.isValid() ? v.toString() : defaultValue;
}

QString writeValues(const QString& location, const std::vector<ini::Change>& changes) {
    QSettings settings(location, QSettings::NativeFormat);
    for (const ini::Change& c : changes) settings.setValue(c.section + QLatin1Char('/') + c.key, c.value);
    settings.sync();
    return settings.status() == QSettings::NoError ? QString() : QStringLiteral("access denied");
}
#else
QString readValue(const QString& location, const QString& section, const QString& key, const QString& defaultValue) {
    return ini::valueInFile(location, section, key).value_or(defaultValue);
}

QString writeValues(const QString& location, const std::vector<ini::Change>& changes) {
    return ini::writeChanges(location, changes, NativeSettingsStore::kLockWait);
}
#endif

} // namespace

struct NativeSettingsStore::Writer {
    std::mutex mutex;
    std::condition_variable wake;    // values to write, or the end
    std::condition_variable written; // nothing left to write
    // Values waiting to be written, per location; a key saved again before it was written keeps only
    // its last value.
    std::map<QString, std::vector<ini::Change>> pending;
    std::map<QString, std::vector<ini::Change>> beingWritten;
    bool writing = false;
    bool ending = false;
    std::function<void(const SaveFailure&)> report; // cleared when the store ends
    std::thread thread;

    // The value saved last for the key that is not written yet.
    std::optional<QString> unwritten(const QString& location, const QString& section, const QString& key) {
        for (auto* values : {&pending, &beingWritten}) {
            const auto changes = values->find(location);
            if (changes == values->end()) continue;
            for (const ini::Change& c : changes->second)
                if (c.section == section && c.key == key) return c.value;
        }
        return std::nullopt;
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !pending.empty() || ending; });
            if (pending.empty()) return;
            beingWritten = std::exchange(pending, {});
            writing = true;
            lock.unlock();
            std::vector<SaveFailure> failures;
            for (const auto& [location, changes] : beingWritten) {
                const QString reason = writeValues(location, changes);
                if (!reason.isEmpty()) failures.push_back({location, reason});
            }
            lock.lock();
            beingWritten.clear();
            writing = false;
            for (const SaveFailure& f : failures) {
                std::fprintf(stderr, "Kalibrix: could not save settings to %s: %s\n", qPrintable(f.path),
                             qPrintable(f.reason));
                if (report) report(f);
            }
            if (pending.empty()) written.notify_all();
        }
    }
};

NativeSettingsStore::NativeSettingsStore(QString root)
    : m_root(std::move(root)), m_writer(std::make_shared<Writer>()) {
    m_writer->report = [this](const SaveFailure& failure) {
        QMetaObject::invokeMethod(
            &m_receiver, [this, failure] {
                if (onSaveFailed) onSaveFailed(failure);
            },
            Qt::QueuedConnection);
    };
    m_writer->thread = std::thread([writer = m_writer] { writer->run(); });
}

NativeSettingsStore::~NativeSettingsStore() {
    const bool finished = flush(kFinalWait);
    {
        std::lock_guard lock(m_writer->mutex);
        m_writer->ending = true;
        m_writer->report = nullptr;
    }
    m_writer->wake.notify_all();
    // A write that hangs (a stalled file system) must not keep the program from ending.
    if (finished)
        m_writer->thread.join();
    else
        m_writer->thread.detach();
}

QString NativeSettingsStore::location(const QString& app, const QString& root) {
#ifdef Q_OS_WIN
    const QString parent =
        root.isEmpty() ? QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings") : root;
    return parent + QLatin1Char('\\') + app;
#else
    const QString parent =
        root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) : root;
    return parent + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".conf");
#endif
}

std::unique_ptr<QSettings> NativeSettingsStore::open(const QString& app) const {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(location(app, m_root), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(location(app, m_root), QSettings::IniFormat);
#endif
}

QString NativeSettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                        const QString& defaultValue) {
    const QString where = location(app, m_root);
    {
        std::lock_guard lock(m_writer->mutex);
        if (auto value = m_writer->unwritten(where, section, key)) return *value;
    }
    return readValue(where, section, key, defaultValue);
}

void NativeSettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                      const QString& value) {
    {
        std::lock_guard lock(m_writer->mutex);
        std::vector<ini::Change>& changes = m_writer->pending[location(app, m_root)];
        auto same = std::find_if(changes.begin(), changes.end(),
                                 [&](const ini::Change& c) { return c.section == section && c.key == key; });
        if (same != changes.end())
            same->value = value;
        else
            changes.push_back({section, key, value});
    }
    m_writer->wake.notify_one();
}

bool NativeSettingsStore::flush(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_writer->mutex);
    return m_writer->written.wait_for(lock, limit, [this] { return m_writer->pending.empty() && !m_writer->writing; });
}

} // namespace kx
