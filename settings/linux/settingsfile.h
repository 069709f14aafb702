#pragma once

// The settings file on disk: read with ordinary bounded reads, and written under QSettings' lock file
// through a temporary file renamed over it, every step checked.

#include "settings/linux/inifile.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <sys/types.h>

namespace kx::ini {

// Larger than any real settings file; a larger one counts as damaged.
constexpr qsizetype kMaxFileSize = 1024 * 1024;

struct FileText {
    QByteArray data;     // empty when the file does not exist
    QString failure;     // why it cannot be read (not a regular file, too large, ...); empty when it can
};

// The file's text, read without waiting for another program: a FIFO, a device or a folder in its place,
// or a file over kMaxFileSize, is a failure.
FileText readFile(const QString& path);

// Writes the changes into the file (see edited()), re-reading it under the lock file that QSettings
// uses (waiting for it at most lockWait; a lock left by a process that has ended is taken over). A file
// reached through symbolic links is written where they lead. The new text goes into a temporary file
// beside it, which is flushed to disk, closed and renamed over the file; then the folder is synced.
// Any step that fails leaves the file as it was (but for the folder's sync, which comes after the
// rename). A file that cannot be read, is read-only, or whose text changes nothing is left alone.
// Returns why it failed, or an empty text.
QString writeChanges(const QString& path, const std::vector<Change>& changes, std::chrono::milliseconds lockWait);

// The system calls of a save, replaceable one by one so that a test can make any step fail.
struct SaveSteps {
    int (*createTemporary)(const char* path, mode_t mode); // returns a descriptor open for writing
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*syncFile)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*syncFolder)(const char* folder);
};
SaveSteps& saveSteps();

} // namespace kx::ini
