#pragma once

// What NativeSettingsStore asks of the system's own store; settings/linux/ keeps the values in an INI
// file, settings/windows/ in the registry.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QSettings;

namespace kx::native {

struct Change {
    QString section, key, value;
};

struct Read {
    std::optional<QString> value; // nullopt: absent, or the store cannot be read
    QString failure;              // why the store cannot be read; empty when it can
};

// Where the application's values are kept under root (the user's own place when root is empty).
QString location(const QString& app, const QString& root);
// The key's value; runs on the caller's thread and never waits for another program.
Read read(const QString& location, const QString& section, const QString& key);
// Writes the changes (on the store's writing thread); returns why it failed, or an empty text.
QString write(const QString& location, const std::vector<Change>& changes);
// The values as QSettings sees them, to look at them from outside.
std::unique_ptr<QSettings> open(const QString& location);

} // namespace kx::native
