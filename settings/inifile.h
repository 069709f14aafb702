#pragma once

// The per-user settings file in the INI format that QSettings reads and writes, edited one key at a
// time so that everything else in it (other sections, other keys, comments) stays as it is.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

namespace kx::ini {

// The value of key in section, read as QSettings reads a plain text value; a key given more than
// once counts where it was given last. Nullopt when the key is absent.
std::optional<QString> value(const QByteArray& data, const QString& section, const QString& key);
// The same from a file; nullopt also when it cannot be read.
std::optional<QString> valueInFile(const QString& path, const QString& section, const QString& key);

struct Change {
    QString section, key, value;
};

// Writes the changes into the file: each value is replaced where its key was given last, or the key
// is added at the end of its section, or the section at the end of the file; nothing else changes.
// The file is written under the lock file that QSettings uses (waiting for it at most lockWait; a
// lock left by a process that has ended is taken over), atomically (a temporary file beside it,
// flushed, renamed over it, and the folder synced) and only if its text changes. A file that is
// read-only, cannot be read or is a folder is left alone. Returns why it failed, or an empty text.
QString writeChanges(const QString& path, const std::vector<Change>& changes, std::chrono::milliseconds lockWait);

} // namespace kx::ini
