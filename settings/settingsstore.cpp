#include "settings/settingsstore.h"

#include "settings/nativestore.h"

#include <QSettings>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kx {

struct NativeSettingsStore::Writer {
    std::mutex mutex;
    std::condition_variable wake;    // values to write, or the end
    std::condition_variable written; // nothing left to write
    // Values waiting to be written, per location; a key saved again before it was written keeps only
    // its last value.
    std::map<QString, std::vector<native::Change>> pending;
    std::map<QString, std::vector<native::Change>> beingWritten;
    bool writing = false;
    bool ending = false;
    std::function<void(const SaveFailure&)> report; // cleared when the store ends
    std::thread thread;

    // The value saved last for the key that is not written yet.
    std::optional<QString> unwritten(const QString& location, const QString& section, const QString& key) {
        for (auto* values : {&pending, &beingWritten}) {
            const auto changes = values->find(location);
            if (changes == values->end()) continue;
            for (const native::Change& c : changes->second)
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
                const QString reason = native::write(location, changes);
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
    return native::location(app, root);
}

std::unique_ptr<QSettings> NativeSettingsStore::open(const QString& app) const {
    return native::open(location(app, m_root));
}

QString NativeSettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                        const QString& defaultValue) {
    const QString where = location(app, m_root);
    {
        std::lock_guard lock(m_writer->mutex);
        if (auto value = m_writer->unwritten(where, section, key)) return *value;
    }
    const native::Read read = native::read(where, section, key);
    if (!read.failure.isEmpty() && !m_unreadable.contains(where)) {
        m_unreadable.insert(where);
        std::fprintf(stderr, "Kalibrix: could not read settings from %s: %s\n", qPrintable(where),
                     qPrintable(read.failure));
        // After the caller has read all it needs: the defaults stand by then.
        const SettingsFailure failure{where, read.failure, SettingsFailure::Kind::Load};
        QMetaObject::invokeMethod(
            &m_receiver, [this, failure] {
                if (onLoadFailed) onLoadFailed(failure);
            },
            Qt::QueuedConnection);
    }
    return read.value.value_or(defaultValue);
}

void NativeSettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                      const QString& value) {
    {
        std::lock_guard lock(m_writer->mutex);
        std::vector<native::Change>& changes = m_writer->pending[location(app, m_root)];
        auto same = std::find_if(changes.begin(), changes.end(),
                                 [&](const native::Change& c) { return c.section == section && c.key == key; });
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
