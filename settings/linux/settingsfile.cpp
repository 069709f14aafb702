#include "settings/linux/settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kx::ini {

namespace {

QString systemError(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

struct FileState {
    FileText text;
    bool exists = false;
    mode_t mode = 0;
};

FileState readState(const QString& path) {
    FileState state;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) state.text.failure = QCoreApplication::translate("Kalibrix", "it cannot be read: %1").arg(systemError(errno));
        return state;
    }
    const QString tooLarge = QCoreApplication::translate("Kalibrix", "it is larger than %1 bytes, more than any settings file holds").arg(kMaxFileSize);
    struct stat info {};
    QByteArray& data = state.text.data;
    QString& failure = state.text.failure;
    if (::fstat(fd, &info) != 0) {
        failure = QCoreApplication::translate("Kalibrix", "it cannot be read: %1").arg(systemError(errno));
    } else if (S_ISDIR(info.st_mode)) {
        failure = QCoreApplication::translate("Kalibrix", "it is a folder, not a file");
    } else if (!S_ISREG(info.st_mode)) {
        failure = QCoreApplication::translate("Kalibrix", "it is not a regular file");
    } else if (info.st_size > kMaxFileSize) {
        failure = tooLarge;
    } else {
        state.exists = true;
        state.mode = info.st_mode & 07777;
        // Ordinary reads, never a map: another program may cut the file short while it is read.
        data.resize(std::min<qsizetype>(info.st_size + 1, kMaxFileSize + 1));
        qsizetype size = 0;
        for (;;) {
            if (size == data.size()) {
                if (size > kMaxFileSize) break;
                data.resize(std::min<qsizetype>(size * 2, kMaxFileSize + 1));
            }
            const ssize_t got = ::read(fd, data.data() + size, data.size() - size);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) failure = QCoreApplication::translate("Kalibrix", "it cannot be read: %1").arg(systemError(errno));
            if (got <= 0) break;
            size += got;
        }
        data.truncate(size);
        if (size > kMaxFileSize) failure = tooLarge;
    }
    ::close(fd);
    if (!failure.isEmpty()) data.clear();
    return state;
}

int createTemporary(const char* path, mode_t mode) {
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

int syncFolder(const char* folder) {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int result = ::fsync(fd);
    if (result != 0 && (errno == EINVAL || errno == ENOTSUP)) result = 0; // folders it cannot sync
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}

QString lockFailure(const QLockFile& lock, const QString& lockPath) {
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return QCoreApplication::translate("Kalibrix", "its lock file %1 is held by another program or cannot be taken over").arg(lockPath);
    case QLockFile::PermissionError:
        return QCoreApplication::translate("Kalibrix", "its lock file %1 cannot be created: permission denied").arg(lockPath);
    default:
        return QCoreApplication::translate("Kalibrix", "its lock file %1 cannot be created").arg(lockPath);
    }
}

// Puts the text in the file's place through a temporary file beside it; the file stays as it was
// unless every byte reached the disk.
QString replace(const QString& path, const QByteArray& text, const FileState& old) {
    const SaveSteps& steps = saveSteps();
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = steps.createTemporary(temporary.constData(), 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return QCoreApplication::translate("Kalibrix", "a temporary file cannot be created beside it: %1").arg(systemError(errno));
    int error = old.exists && ::fchmod(fd, old.mode) != 0 ? errno : 0;
    for (qsizetype done = 0; !error && done < text.size();) {
        const ssize_t wrote = steps.write(fd, text.constData() + done, text.size() - done);
        if (wrote > 0)
            done += wrote;
        else if (wrote == 0 || errno != EINTR)
            error = wrote == 0 ? EIO : errno;
    }
    if (!error && steps.syncFile(fd) != 0) error = errno;
    if (steps.close(fd) != 0 && !error && errno != EINTR) error = errno;
    QString failure;
    if (error)
        failure = QCoreApplication::translate("Kalibrix", "its new text cannot be written: %1").arg(systemError(error));
    else if (steps.rename(temporary.constData(), target.constData()) != 0)
        failure = QCoreApplication::translate("Kalibrix", "it cannot be replaced by its new text: %1").arg(systemError(errno));
    if (!failure.isEmpty()) {
        ::unlink(temporary.constData());
        return failure;
    }
    if (steps.syncFolder(QFile::encodeName(info.absolutePath()).constData()) != 0)
        return QCoreApplication::translate("Kalibrix", "its folder cannot be synced to disk: %1").arg(systemError(errno));
    return {};
}

} // namespace

SaveSteps& saveSteps() {
    static SaveSteps steps{createTemporary, ::write, ::fsync, ::close, ::rename, syncFolder};
    return steps;
}

FileText readFile(const QString& path) {
    return readState(path).text;
}

QString writeChanges(const QString& path, const std::vector<Change>& changes, std::chrono::milliseconds lockWait) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return QCoreApplication::translate("Kalibrix", "the folder %1 cannot be created").arg(folder);
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(static_cast<int>(lockWait.count()))) return lockFailure(lock, lockPath);

    // A file kept elsewhere behind symbolic links is written there; the links stay.
    QString target = path;
    for (int links = 0; links < 40 && QFileInfo(target).isSymLink(); ++links)
        target = QFileInfo(target).symLinkTarget();
    const FileState old = readState(target);
    if (!old.text.failure.isEmpty()) return old.text.failure;
    if (old.exists && ((old.mode & 0222) == 0 || ::access(QFile::encodeName(target).constData(), W_OK) != 0))
        return QCoreApplication::translate("Kalibrix", "the file is read-only");
    const std::optional<QByteArray> text = edited(old.text.data, changes);
    if (!text) return QCoreApplication::translate("Kalibrix", "its text cannot be changed so that it reads back as saved");
    if (old.exists && *text == old.text.data) return {};
    return replace(target, *text, old);
}

} // namespace kx::ini
