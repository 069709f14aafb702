#include "settings/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <string_view>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kx::ini {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One logical line: from its first character to its end (exclusive), and where its '=' stands.
struct Line {
    qsizetype start = 0, end = 0, equals = -1;
};

// The next logical line from pos on, split as QSettings splits an INI file: blanks before it and whole
// comment lines are skipped; it ends at a line break or a comment that no quote holds; a backslash
// takes the next character with it.
bool nextLine(const QByteArray& d, qsizetype& pos, Line& line) {
    const qsizetype n = d.size();
    for (;;) {
        while (pos < n && isBlank(d[pos]))
            ++pos;
        if (pos >= n || d[pos] != ';') break;
        while (pos < n && d[pos] != '\n' && d[pos] != '\r')
            ++pos;
    }
    if (pos >= n) return false;
    line = Line{pos, pos, -1};
    bool quoted = false;
    qsizetype i = pos;
    for (; i < n; ++i) {
        const char c = d[i];
        if (c == '\\') {
            ++i;
            if (i + 1 < n && ((d[i] == '\n' && d[i + 1] == '\r') || (d[i] == '\r' && d[i + 1] == '\n'))) ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == '=' && line.equals < 0) line.equals = i;
            if (c == '\n' || c == '\r' || c == ';') break;
        }
    }
    line.end = std::min(i, n);
    pos = line.end;
    return true;
}

QByteArray sectionName(const QByteArray& d, const Line& line) {
    qsizetype close = d.indexOf(']', line.start);
    if (close < 0 || close > line.end) close = line.end;
    return d.mid(line.start + 1, close - line.start - 1).trimmed();
}

// Where key's value stands in section (where it was given last), and where the section ends (after
// its last line, where it was given last). -1 when absent.
struct Place {
    qsizetype valueStart = -1, valueEnd = -1, sectionEnd = -1;
};

Place find(const QByteArray& d, const QString& section, const QString& key) {
    const QByteArray wantedSection = section.toUtf8();
    const QByteArray wantedKey = key.toUtf8();
    Place place;
    bool inSection = false;
    qsizetype pos = d.startsWith("\xef\xbb\xbf") ? 3 : 0;
    Line line;
    while (nextLine(d, pos, line)) {
        if (d[line.start] == '[') {
            inSection = sectionName(d, line) == wantedSection;
            if (inSection) place.sectionEnd = line.end;
            continue;
        }
        if (!inSection) continue;
        place.sectionEnd = line.end;
        if (line.equals < 0 || d.mid(line.start, line.equals - line.start).trimmed() != wantedKey) continue;
        qsizetype start = line.equals + 1, end = line.end;
        while (start < end && (d[start] == ' ' || d[start] == '\t'))
            ++start;
        while (end > start && (d[end - 1] == ' ' || d[end - 1] == '\t'))
            --end;
        place.valueStart = start;
        place.valueEnd = end;
    }
    return place;
}

// A value as QSettings writes text: as it is when that reads back the same, otherwise in quotes with
// backslash escapes.
QByteArray escaped(const QString& text) {
    const QByteArray raw = text.toUtf8();
    const bool plain = !raw.isEmpty() && std::all_of(raw.begin(), raw.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("-+._/:").find(c) != std::string_view::npos;
    });
    if (plain) return raw;
    QByteArray out = "\"";
    for (char c : raw) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + '"';
}

QString unescaped(const QByteArray& raw) {
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '"') continue;
        if (c == '\\' && i + 1 < raw.size()) {
            c = raw[++i];
            if (c == 'n')
                c = '\n';
            else if (c == 'r')
                c = '\r';
            else if (c == 't')
                c = '\t';
        }
        out += c;
    }
    return QString::fromUtf8(out);
}

// A file's bytes, mapped rather than copied where the platform allows, so that a large file costs
// no copy.
class FileBytes {
  public:
    explicit FileBytes(const QString& path) : m_file(path) {}
    bool read() {
        if (!m_file.open(QIODevice::ReadOnly)) return false;
        const qint64 size = m_file.size();
        if (uchar* mapped = size > 0 ? m_file.map(0, size) : nullptr) {
            m_data = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size);
            return true;
        }
        m_data = m_file.readAll();
        return m_file.error() == QFile::NoError;
    }
    const QByteArray& data() const { return m_data; }
    QString errorString() const { return m_file.errorString(); }

  private:
    QFile m_file;
    QByteArray m_data; // declared after the file: gone before its mapping is
};

// One edit of the file's text: at pos, `removed` bytes give way to `inserted`.
struct Splice {
    qsizetype pos, removed;
    QByteArray inserted;
};

std::vector<Splice> splices(const QByteArray& data, const std::vector<Change>& changes) {
    std::vector<Splice> edits;
    const QByteArray eol = data.contains("\r\n") ? "\r\n" : "\n";
    std::vector<std::pair<QString, QByteArray>> newSections; // in the order first needed
    for (const Change& c : changes) {
        const Place place = find(data, c.section, c.key);
        const QByteArray value = escaped(c.value);
        const QByteArray entry = c.key.toUtf8() + '=' + value;
        if (place.valueStart >= 0) {
            if (data.mid(place.valueStart, place.valueEnd - place.valueStart) != value)
                edits.push_back({place.valueStart, place.valueEnd - place.valueStart, value});
        } else if (place.sectionEnd >= 0) {
            edits.push_back({place.sectionEnd, 0, eol + entry});
        } else {
            auto section = std::find_if(newSections.begin(), newSections.end(),
                                        [&c](const auto& s) { return s.first == c.section; });
            if (section == newSections.end())
                newSections.push_back({c.section, '[' + c.section.toUtf8() + ']' + eol + entry + eol});
            else
                section->second += entry + eol;
        }
    }
    QByteArray tail; // the new sections, a blank line before each
    for (const auto& section : newSections) {
        if (!data.isEmpty() || !tail.isEmpty()) tail += eol;
        tail += section.second;
    }
    if (!tail.isEmpty()) {
        if (!data.isEmpty() && !data.endsWith('\n')) tail.prepend(eol); // end the last line first
        edits.push_back({data.size(), 0, tail});
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Splice& a, const Splice& b) { return a.pos < b.pos; });
    return edits;
}

bool writeSpliced(QSaveFile& out, const QByteArray& data, const std::vector<Splice>& edits) {
    qsizetype at = 0;
    auto put = [&out](const char* bytes, qsizetype size) {
        return size == 0 || out.write(bytes, size) == size;
    };
    for (const Splice& e : edits) {
        if (!put(data.constData() + at, e.pos - at) || !put(e.inserted.constData(), e.inserted.size()))
            return false;
        at = e.pos + e.removed;
    }
    return put(data.constData() + at, data.size() - at);
}

void syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
}

QString lockFailure(const QLockFile& lock, const QString& lockPath) {
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return QCoreApplication::translate(
                   "Kalibrix", "its lock file %1 is held by another program or cannot be taken over")
            .arg(lockPath);
    case QLockFile::PermissionError:
        return QCoreApplication::translate("Kalibrix",
                                           "its lock file %1 cannot be created: permission denied")
            .arg(lockPath);
    default:
        return QCoreApplication::translate("Kalibrix", "its lock file %1 cannot be created").arg(lockPath);
    }
}

} // namespace

std::optional<QString> value(const QByteArray& data, const QString& section, const QString& key) {
    const Place place = find(data, section, key);
    if (place.valueStart < 0) return std::nullopt;
    return unescaped(data.mid(place.valueStart, place.valueEnd - place.valueStart));
}

std::optional<QString> valueInFile(const QString& path, const QString& section, const QString& key) {
    FileBytes file(path);
    if (!file.read()) return std::nullopt;
    return value(file.data(), section, key);
}

QString writeChanges(const QString& path, const std::vector<Change>& changes,
                     std::chrono::milliseconds lockWait) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QCoreApplication::translate("Kalibrix", "the folder %1 cannot be created").arg(folder);
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lock.tryLock(static_cast<int>(lockWait.count()))) return lockFailure(lock, lockPath);

    const QFileInfo info(path);
    if (info.isDir()) return QCoreApplication::translate("Kalibrix", "it is a folder, not a file");
    FileBytes file(path);
    if (info.exists()) {
        constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (!info.isWritable() || !(info.permissions() & anyWrite))
            return QCoreApplication::translate("Kalibrix", "the file is read-only");
        if (!file.read()) return file.errorString();
    }
    const std::vector<Splice> edits = splices(file.data(), changes);
    if (info.exists() && edits.empty()) return {};

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || !writeSpliced(out, file.data(), edits) || !out.commit())
        return out.errorString();
    syncFolder(folder);
    return {};
}

} // namespace kx::ini
