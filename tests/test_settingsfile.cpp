// The settings file, changed key by key: QSettings reads the new values, and everything else in the
// file reads as before; a file that cannot be written is reported and left as it was.

#include "settings/inifile.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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
    f.write(data);
}

// Every key as QSettings reads it, lists joined with '|'.
QMap<QString, QString> readByQSettings(const QString& path) {
    // From a copy under a name of its own: QSettings keeps what it read of a path, and a file
    // rewritten within the same moment at the same size looks unchanged to it.
    static int copies = 0;
    const QString copy = path + QStringLiteral(".read") + QString::number(++copies);
    QFile::copy(path, copy);
    QSettings settings(copy, QSettings::IniFormat);
    QMap<QString, QString> values;
    for (const QString& key : settings.allKeys()) {
        const QVariant v = settings.value(key);
        values[key] = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char('|')) : v.toString();
    }
    QFile::remove(copy);
    return values;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theZeroPointsChangeAndEverythingElseStays_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::newRow("no file yet") << QByteArray() << "-7199";
        QTest::newRow("only another section") << QByteArray("[Other]\nsize=3\n") << "-7199";
        QTest::newRow("among other keys and comments")
            << QByteArray("; kept by hand\n[Settings]\nLabel1=-7200\n\n[Other]\nlist=\"a, b\", c\n")
            << "-7199";
        QTest::newRow("given twice, in two sections")
            << QByteArray("[Settings]\nLabel1=-7300\n[Other]\nx=1\n[Settings]\nLabel1=-7250\nLabel2=300\n") << "-7199";
        QTest::newRow("Windows line ends, none at the end") << QByteArray("[Settings]\r\nLabel2=414") << "-7199";
        QTest::newRow("blanks, and a comment after the value")
            << QByteArray("[Settings]\n  Label1 = -7100 ; set by hand\nLabel2=300\n") << "-7199";
        QTest::newRow("byte order mark, quoted value") << QByteArray("\xEF\xBB\xBF[Settings]\nLabel1=\"-7 ; 1\"\n")
                                                      << "-7199";
        QTest::newRow("a text that needs quotes") << QByteArray("[Settings]\nLabel2=1\n") << "a, \"b\"; c\\d = e";
    }
    void theZeroPointsChangeAndEverythingElseStays() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kalibrix.conf"));
        if (!before.isNull()) write(path, before);
        QMap<QString, QString> expected = readByQSettings(path);
        // Read as QSettings reads it.
        const auto old = kx::ini::value(before, kSection, kKey);
        QCOMPARE(old.has_value(), expected.contains(QStringLiteral("Settings/Label1")));
        if (old) QCOMPARE(*old, expected.value(QStringLiteral("Settings/Label1")));

        // With the other zero point, as the program writes both when it closes.
        QCOMPARE(kx::ini::writeChanges(path, {{kSection, kKey, value}, {kSection, QStringLiteral("Label2"), "301"}}, 0ms),
                 QString());
        expected[QStringLiteral("Settings/Label1")] = value;
        expected[QStringLiteral("Settings/Label2")] = QStringLiteral("301");
        QCOMPARE(readByQSettings(path), expected);
        QCOMPARE(kx::ini::value(contents(path), kSection, kKey), std::optional<QString>(value));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Kalibrix.conf")});
    }

    void aFileThatCannotBeWrittenIsReportedAndLeftAlone_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("a folder in the file's place") << "folder";
        QTest::newRow("a file in the folder's place") << "file";
    }
    void aFileThatCannotBeWrittenIsReportedAndLeftAlone() {
        QFETCH(QString, obstacle);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString path = kx::NativeSettingsStore::location(kApp);
        const QString folder = QFileInfo(path).absolutePath();
        const QByteArray stored = "[Settings]\nLabel1=-7200\n";
        if (obstacle == QLatin1String("file")) {
            write(folder, stored);
        } else if (obstacle == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(folder));
            write(path, stored);
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }

        kx::NativeSettingsStore store;
        QList<kx::SaveFailure> failures;
        store.onSaveFailed = [&failures](const kx::SaveFailure& f) { failures.append(f); };
        store.saveSetting(kApp, kSection, kKey, QStringLiteral("-7199"));
        QVERIFY(store.flush(10s));
        QTRY_COMPARE(failures.size(), 1); // reported on this thread
        QCOMPARE(failures[0].path, path);
        QVERIFY(!failures[0].reason.isEmpty());
        QCOMPARE(contents(obstacle == QLatin1String("file") ? folder : path),
                 obstacle == QLatin1String("folder") ? QByteArray() : stored);
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
