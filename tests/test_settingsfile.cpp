// The settings file: read as QSettings reads it, damaged lines included; changed key by key so that
// every other byte stays; saved whole or not at all, a failed save reported and the file left as it
// was; a file that cannot be read (a FIFO, a device, one over 1 MB) read as the defaults and told once.

#include "settings/linux/settingsfile.h"
#include "settings/settingsstore.h"
#include "support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QString kApp = QStringLiteral("Kalibrix");
const QString kSection = QStringLiteral("Settings");
const QString kKey = QStringLiteral("Label1");

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

// Every key with its text, one "key=text" a line ("key" alone for an invalid value).
using Keys = std::map<QString, std::optional<QString>>;
QStringList lines(const Keys& keys) {
    QStringList out;
    for (const auto& [key, text] : keys) out.append(text ? key + u'=' + *text : key);
    return out;
}

// Every key as QSettings reads it, with the text its value(...).toString() gives.
Keys readByQSettings(const QString& path) {
    // From a copy under a name of its own: QSettings keeps what it read of a path, and a file
    // rewritten within the same moment at the same size looks unchanged to it.
    static int copies = 0;
    const QString copy = path + QStringLiteral(".read") + QString::number(++copies);
    QFile::copy(path, copy);
    Keys keys;
    {
        QSettings settings(copy, QSettings::IniFormat);
        for (const QString& key : settings.allKeys()) {
            const QVariant v = settings.value(key);
            keys[key] = v.isValid() ? std::optional(v.toString()) : std::nullopt;
        }
    }
    QFile::remove(copy);
    return keys;
}

// The steps of a save that a row makes fail: short of room, or a failing disk.
bool g_wroteSome = false;
int noRoom(const char*, mode_t) {
    errno = ENOSPC;
    return -1;
}
ssize_t writeSomeThenNoRoom(int fd, const void* data, size_t size) {
    if (!std::exchange(g_wroteSome, true) && size > 1) return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
}
int ioError(int) {
    errno = EIO;
    return -1;
}
int closeWithIoError(int fd) {
    ::close(fd);
    errno = EIO;
    return -1;
}
int crossDevice(const char*, const char*) {
    errno = EXDEV;
    return -1;
}
int folderIoError(const char*) {
    errno = EIO;
    return -1;
}

// Makes the named step of every save fail while it lives.
class FailingStep {
public:
    explicit FailingStep(const QString& step) : m_saved(kx::ini::saveSteps()) {
        g_wroteSome = false;
        kx::ini::SaveSteps& s = kx::ini::saveSteps();
        if (step == QLatin1String("create")) s.createTemporary = noRoom;
        if (step == QLatin1String("write")) s.write = writeSomeThenNoRoom;
        if (step == QLatin1String("sync")) s.syncFile = ioError;
        if (step == QLatin1String("close")) s.close = closeWithIoError;
        if (step == QLatin1String("rename")) s.rename = crossDevice;
        if (step == QLatin1String("folder sync")) s.syncFolder = folderIoError;
    }
    ~FailingStep() { kx::ini::saveSteps() = m_saved; }

private:
    kx::ini::SaveSteps m_saved;
};

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theZeroPointsChangeAndEveryOtherByteStays_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QString v = QStringLiteral("-7199");
        QTest::newRow("no file yet") << QByteArray() << v << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("only another section")
            << QByteArray("[Other]\nsize=3\n") << v << QByteArray("[Other]\nsize=3\n\n[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("among other keys and comments")
            << QByteArray("; kept by hand\n[Settings]\nLabel1=-7200\n\n[Other]\nlist=\"a, b\", c\n") << v
            << QByteArray("; kept by hand\n[Settings]\nLabel1=-7199\nLabel2=301\n\n[Other]\nlist=\"a, b\", c\n");
        QTest::newRow("given twice, in two sections and in one")
            << QByteArray("[Settings]\nLabel1=-7300\n[Other]\nx=1\n[Settings]\nLabel1=-7250\nLabel1=-7240\nLabel2=300\n") << v
            << QByteArray("[Settings]\nLabel1=-7300\n[Other]\nx=1\n[Settings]\nLabel1=-7250\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("Windows line ends, none at the end")
            << QByteArray("[Settings]\r\nLabel2=414") << v << QByteArray("[Settings]\r\nLabel2=301\r\nLabel1=-7199\r\n");
        QTest::newRow("old Mac line ends, and line ends mixed")
            << QByteArray("[Settings]\rLabel1=-7200\r\n\n[Other]\rx=1\n") << v
            << QByteArray("[Settings]\rLabel1=-7199\r\nLabel2=301\r\n\n[Other]\rx=1\n");
        QTest::newRow("blanks, and a comment after the value")
            << QByteArray("[Settings]\n  Label1 = -7100 ; set by hand\nLabel2=300\n") << v
            << QByteArray("[Settings]\n  Label1 = -7199 ; set by hand\nLabel2=301\n");
        QTest::newRow("a comment last, with no line break")
            << QByteArray("[Settings]\nLabel1=-7200\n; last") << v << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n; last");
        QTest::newRow("byte order mark, quoted value")
            << QByteArray("\xEF\xBB\xBF[Settings]\nLabel1=\"-7 ; 1\"\n") << v
            << QByteArray("\xEF\xBB\xBF[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("byte order mark before a key of the General section")
            << QByteArray("\xEF\xBB\xBFkey=1\n[Settings]\nLabel2=1\n") << v
            << QByteArray("\xEF\xBB\xBFkey=1\n[Settings]\nLabel2=301\nLabel1=-7199\n");
        // A quote left open runs to the end of the file: the lines after it are part of its value.
        QTest::newRow("a quote left open before the section")
            << QByteArray("[ScreenCast]\nRestoreToken=\"abc-123\n[Settings]\nLabel1=-7300\n") << v
            << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n\n[ScreenCast]\nRestoreToken=\"abc-123\n[Settings]\nLabel1=-7300\n");
        QTest::newRow("a quote left open in the section")
            << QByteArray("[Settings]\nLabel2=\"414\nLabel1=-7300\n") << v << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("a quote left open in a header")
            << QByteArray("[Other\"]\nx=1\n") << v << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n\n[Other\"]\nx=1\n");
        QTest::newRow("a quote left open in the General section")
            << QByteArray("x=\"1\n") << v << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n\n[General]\nx=\"1\n");
        QTest::newRow("lines continued by a backslash")
            << QByteArray("[Settings]\nLabel1=-72\\\n00\n[Other]\nx=1\\\n") << v
            << QByteArray("[Settings]\nLabel1=-7199\nLabel2=301\n[Other]\nx=1\\\n");
        QTest::newRow("a backslash at the very end")
            << QByteArray("[Other]\nx=1\\\n") << v << QByteArray("[Other]\nx=1\\\n\n\n[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("odd section headers")
            << QByteArray("[ Settings ] ; padded\nLabel2=1\n[Settings\nLabel1=-7300\n[%General]\nx=1\n[general]\ny=2\n") << v
            << QByteArray("[ Settings ] ; padded\nLabel2=301\n[Settings\nLabel1=-7199\n[%General]\nx=1\n[general]\ny=2\n");
        QTest::newRow("keys written with escapes and odd characters")
            << QByteArray("[Settings\\Sub]\nKey=3\n[Settings]\nLabel%31=-7300\nLa bel=1\nLabel2 ;=x\n\"Label2\"=5\nSub\\Key=2\n")
            << v
            << QByteArray("[Settings\\Sub]\nKey=3\n[Settings]\nLabel%31=-7199\nLa bel=1\nLabel2 ;=x\n\"Label2\"=5\nSub\\Key=2\nLabel2=301\n");
        QTest::newRow("escapes, lists and typed values")
            << QByteArray("[Other]\na=\\x41\\102\\n\\q\\\"x\nb=a, \"b, c\" ,@@d\nc=@ByteArray(\xC3\xA4)\nd=@Invalid()\n"
                          "e=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\nf=@@g\ng=@String(h)\nh=\"  spaced  \"  \ni=@Rect(1 2 3 4)\n"
                          "j=@Size(1)\nk=x, @Invalid()\nl=caf\xC3\xA9 \xC3\n[Settings]\nLabel1=-7300\n")
            << v
            << QByteArray("[Other]\na=\\x41\\102\\n\\q\\\"x\nb=a, \"b, c\" ,@@d\nc=@ByteArray(\xC3\xA4)\nd=@Invalid()\n"
                          "e=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\nf=@@g\ng=@String(h)\nh=\"  spaced  \"  \ni=@Rect(1 2 3 4)\n"
                          "j=@Size(1)\nk=x, @Invalid()\nl=caf\xC3\xA9 \xC3\n[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("binary bytes and a 100 KB line")
            << QByteArray("[Other]\nblob=\x01\x02\xFF\xFE\x7F" + QByteArray(100000, 'x') + "\n[Settings]\nLabel1=-7300\n") << v
            << QByteArray("[Other]\nblob=\x01\x02\xFF\xFE\x7F" + QByteArray(100000, 'x') + "\n[Settings]\nLabel1=-7199\nLabel2=301\n");
        QTest::newRow("a text that needs quotes")
            << QByteArray("[Settings]\nLabel2=1\n") << "a, \"b\"; c\\d = e"
            << QByteArray("[Settings]\nLabel2=301\nLabel1=\"a, \\\"b\\\"; c\\\\d = e\"\n");
        QTest::newRow("a text with an @ first, control characters and trailing blanks")
            << QByteArray("[Settings]\nLabel2=1\n") << QStringLiteral("@x\t\x01" "a\x00" "b ")
            << QByteArray("[Settings]\nLabel2=301\nLabel1=@String(@x\\t\\x1\\x61\\0\\x62 )\n");
    }
    void theZeroPointsChangeAndEveryOtherByteStays() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kalibrix.conf"));
        if (!before.isNull()) write(path, before);
        // The program reads every key as QSettings does.
        Keys expected = readByQSettings(path);
        QCOMPARE(lines(kx::ini::values(before)), lines(expected));
        QCOMPARE(kx::ini::value(before, kSection, kKey), expected[QStringLiteral("Settings/Label1")]);

        // With the other zero point, as the program writes both when it closes.
        QCOMPARE(kx::ini::writeChanges(path, {{kSection, kKey, value}, {kSection, QStringLiteral("Label2"), "301"}}, 0ms),
                 QString());
        QCOMPARE(contents(path), after);
        expected[QStringLiteral("Settings/Label1")] = value;
        expected[QStringLiteral("Settings/Label2")] = QStringLiteral("301");
        QCOMPARE(lines(readByQSettings(path)), lines(expected));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Kalibrix.conf")});
    }

    // Saved whole or not at all: a step that fails leaves the old file as it was (the folder's sync
    // comes after the new file is in place), and the failure is reported.
    void aSaveThatFailsIsReportedAndLeavesTheFileAsItWas_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("read-only file") << "read-only" << false;
        QTest::newRow("a folder in the file's place") << "folder" << false;
        QTest::newRow("a file in the folder's place") << "file" << false;
        QTest::newRow("no room for a temporary file") << "create" << false;
        QTest::newRow("no room left while writing") << "write" << false;
        QTest::newRow("the flush to disk fails") << "sync" << false;
        QTest::newRow("closing fails") << "close" << false;
        QTest::newRow("the rename fails") << "rename" << false;
        QTest::newRow("the folder's sync fails") << "folder sync" << true;
    }
    void aSaveThatFailsIsReportedAndLeavesTheFileAsItWas() {
        QFETCH(QString, obstacle);
        QFETCH(bool, replaced);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString path = kx::NativeSettingsStore::location(kApp);
        const QString folder = QFileInfo(path).absolutePath();
        const QByteArray stored = "; mine\n[Settings]\nLabel1=-7200\n" + QByteArray(20000, ';') + '\n';
        if (obstacle == QLatin1String("file")) {
            write(folder, stored);
        } else if (obstacle == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(folder));
            write(path, stored);
            if (obstacle == QLatin1String("read-only"))
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }

        FailingStep failing(obstacle);
        kx::NativeSettingsStore store;
        QList<kx::SettingsFailure> failures;
        store.onSaveFailed = [&failures](const kx::SettingsFailure& f) { failures.append(f); };
        store.saveSetting(kApp, kSection, kKey, QStringLiteral("-7199"));
        QVERIFY(store.flush(10s));
        QCoreApplication::processEvents(); // reported on this thread
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0].path, path);
        QCOMPARE(failures[0].kind, kx::SettingsFailure::Kind::Save);
        QVERIFY(!failures[0].reason.isEmpty());
        QByteArray expected = obstacle == QLatin1String("folder") ? QByteArray() : stored;
        if (replaced) expected.replace("-7200", "-7199");
        QCOMPARE(contents(obstacle == QLatin1String("file") ? folder : path), expected);
        if (obstacle != QLatin1String("file")) // no temporary file left behind
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList{QStringLiteral("Kalibrix.conf")});
    }

    // Never waits on a FIFO nor reads a device without end: the zero points read as their defaults,
    // one message says why, the file stays as it is.
    void anUnreadableFileReadsAsTheDefaultsAndIsToldOnce_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a link to /dev/zero") << "device";
        QTest::newRow("a file over 1 MB") << "large";
    }
    void anUnreadableFileReadsAsTheDefaultsAndIsToldOnce() {
        QFETCH(QString, obstacle);
        kx::ScratchSettingsRoot scratch;
        const QString path = kx::NativeSettingsStore::location(kApp, scratch.root());
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QByteArray large = "[Settings]\nLabel1=-7100\n";
        while (large.size() <= kx::ini::kMaxFileSize) large += "; padding of a file that grew beyond any settings file\n";
        if (obstacle == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (obstacle == QLatin1String("device"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else
            write(path, large);

        kx::NativeSettingsStore native(scratch.root());
        {
            kx::test::TestProgram t;
            t.program = std::make_unique<kx::Program>(kx::forms::Environment{t.clock, t.screen, t.windows, native, t.shell});
            t.start();
            kx::Start& s = t.start_();
            QCOMPARE(s.Label1->caption(), QStringLiteral("-7200"));
            QCOMPARE(s.Label2->caption(), QStringLiteral("414"));
            s.HScroll1->setValue(-7150); // a save that fails as well, told by the same message
            t.advance(1000);
            QVERIFY(native.flush(10s));
            QCoreApplication::processEvents();
            const auto messages = s.findChildren<QMessageBox*>();
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages[0]->text().contains(QStringLiteral("could not be read")));
            QVERIFY(messages[0]->text().contains(path));
            t.program->shutDown();
        }
        QVERIFY(native.flush(10s));
        const QFileInfo info(path);
        if (obstacle == QLatin1String("large")) QCOMPARE(contents(path), large);
        if (obstacle == QLatin1String("device")) QCOMPARE(info.symLinkTarget(), QStringLiteral("/dev/zero"));
        if (obstacle == QLatin1String("fifo")) {
            struct stat st {};
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        }
    }

    // Another program rewriting the file in place while saves read it (as an editor that truncates it
    // does) costs no crash; what it left is kept by the next save, comments included.
    void aFileRewrittenInPlaceMeanwhileIsReadSafelyAndKept() {
        QTemporaryDir root;
        const QString path = kx::NativeSettingsStore::location(kApp, root.path());
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QByteArray text = "[Settings]\nLabel1=-7200\n\n[Other]\n";
        while (text.size() < 1000 * 1000) text += "; a line of the user's own\nsomeKey=some value of a feature\n";
        write(path, text);
        kx::NativeSettingsStore store(root.path());
        std::atomic<bool> saving{true};
        std::thread editor([&] {
            const QByteArray name = QFile::encodeName(path);
            for (int i = 0; i < 300 && saving; ++i) {
                const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC);
                for (qsizetype at = 0; fd >= 0 && at < text.size(); at += 65536)
                    if (::write(fd, text.constData() + at, std::min<qsizetype>(65536, text.size() - at)) < 0) break;
                if (fd >= 0) ::close(fd);
            }
        });
        for (int i = 0; i < 20; ++i) {
            store.saveSetting(kApp, kSection, kKey, QString::number(-7100 - i));
            QVERIFY(store.flush(10s));
        }
        saving = false;
        editor.join();

        const QByteArray edited = "; changed by hand\n" + QByteArray(text).replace("Label1=-7200", "Label1=-7300\nLabel2=300");
        write(path, edited);
        QCOMPARE(store.getSetting(kApp, kSection, kKey, QString()), QStringLiteral("-7300"));
        store.saveSetting(kApp, kSection, QStringLiteral("Label2"), QStringLiteral("301"));
        QVERIFY(store.flush(10s));
        QCOMPARE(contents(path), QByteArray(edited).replace("Label2=300", "Label2=301"));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
