// Times saving a zero point in the real settings file: how long until it is on disk, and how long the
// user-interface thread waits meanwhile (the call that hands the value over, and a 1 ms timer's
// longest gap while the file is written); for a typical file, a 1 MB file, and a lock that cannot be
// taken. Reading both zero points at start-up is timed too. For comparison, the same change written
// by QSettings, which rewrites the whole file: its time, and how many of the file's comment lines it
// keeps.

#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace std::chrono_literals;

namespace {

const QString kApp = QStringLiteral("Kalibrix");
const QString kSection = QStringLiteral("Settings");
constexpr int kSaves = 20;
constexpr qsizetype kLargeFile = 1000 * 1000;

struct Figures {
    double writtenMs = 0;    // median, from the call to the value on disk
    double callUs = 0;       // longest call of saveSetting
    double longestGapMs = 0; // longest gap between two ticks of a 1 ms timer while writing
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Saves alternating values kSaves times; the event loop runs a 1 ms timer until each is written.
Figures timeSaves(kx::NativeSettingsStore& store, int saves = kSaves) {
    Figures f;
    std::vector<double> written;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick) f.longestGapMs = std::max(f.longestGapMs, (now - lastTick) / 1e6);
        lastTick = now;
    });
    for (int i = 0; i < saves; ++i) {
        lastTick = 0;
        ticker.start(1);
        const qint64 start = clock.nsecsElapsed();
        store.saveSetting(kApp, kSection, QStringLiteral("Label1"), QString::number(-7100 - i % 2));
        f.callUs = std::max(f.callUs, (clock.nsecsElapsed() - start) / 1e3);
        while (!store.flush(0ms)) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        written.push_back((clock.nsecsElapsed() - start) / 1e6);
        ticker.stop();
    }
    f.writtenMs = median(written);
    return f;
}

void print(const char* what, const Figures& f) {
    std::printf("save, %s: written (or failed) after %.1f ms (median); the user interface waits %.0f us for "
                "the call, longest 1 ms timer gap meanwhile %.1f ms\n",
                what, f.writtenMs, f.callUs, f.longestGapMs);
}

// A settings file as a user may keep it: comments, the program's sections, and `size` bytes of other
// keys in a section of their own.
QByteArray settingsFile(qsizetype size) {
    QByteArray data = "; calibrated on the office monitor\n[Settings]\nLabel1=-7200\nLabel2=414\n\n"
                      "[Display]\nTrueSize=false\n\n[Other]\n";
    const QByteArray lines = "; a comment kept by hand\nsomeKey=some value of a feature that keeps a lot\n";
    while (data.size() + lines.size() <= size) data += lines;
    return data;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) qFatal("cannot write %s", qPrintable(path));
}

// The same change made with QSettings (as the writer thread would): the median time of setValue and
// sync, and the share of comment lines left in the file.
qsizetype commentLines(const QByteArray& data) {
    const QList<QByteArray> lines = data.split('\n');
    return std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith(';'); });
}

void timeQSettings(const QString& path, const QByteArray& data, const char* what) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        writeFile(path, data);
        QElapsedTimer clock;
        clock.start();
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/Label1"), QString::number(-7100 - i % 2));
        settings.sync();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const qsizetype after = commentLines(file.readAll());
    std::printf("for comparison, QSettings writing the same change, %s: %.1f ms (median); comment lines kept: %lld "
                "of %lld\n",
                what, median(times), static_cast<long long>(after), static_cast<long long>(commentLines(data)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString path = kx::NativeSettingsStore::location(kApp);
    QDir().mkpath(QFileInfo(path).absolutePath());

    for (const qsizetype size : {qsizetype(0), kLargeFile}) {
        const QByteArray data = settingsFile(size);
        const QByteArray what = size ? QByteArray::number(data.size()) + " byte file" : "typical file";
        writeFile(path, data);
        {
            QElapsedTimer read;
            read.start();
            kx::NativeSettingsStore store;
            store.getSetting(kApp, kSection, QStringLiteral("Label1"), QStringLiteral("-7200"));
            store.getSetting(kApp, kSection, QStringLiteral("Label2"), QStringLiteral("414"));
            std::printf("start-up read of both zero points, %s: %.2f ms\n", what.constData(), read.nsecsElapsed() / 1e6);
            print(what.constData(), timeSaves(store, size ? 10 : kSaves));
        }
        timeQSettings(config.filePath(QStringLiteral("copy.conf")), data, what.constData());
    }

    QFile::remove(path + QStringLiteral(".lock"));
    QDir().mkpath(path + QStringLiteral(".lock"));
    {
        kx::NativeSettingsStore store;
        print("lock that is a folder (the save fails)", timeSaves(store, 2));
    }
    return 0;
}
