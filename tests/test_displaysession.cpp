// Which window platform Kalibrix asks Qt for, and what it says when no display can be opened: on a
// Wayland session XWayland unless the user chose a platform, a one-line reason for each missing display.
// One running program per user and display, on real sockets: a later start on the same display however
// DISPLAY spells it brings the running one to the front, whatever else connects meanwhile. Where a
// desktop's shared screen lies when its portal gives no position.

#include "platform/displaysession.h"
#include "platform/fake/manualclock.h"
#include "platform/screen.h"
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

const char* const kVariables[] = {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM", "DISPLAY"};
// An X server that takes connections and never answers, on the abstract socket libxcb tries first.
const QByteArray kSilentServer = QByteArrayLiteral("\0/tmp/.X11-unix/X64999");

int unixSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

sockaddr_un addressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::min<size_t>(path.size(), sizeof address.sun_path - 1));
    return address;
}

// A connection to the running program, as any program of the user's may make one.
class Peer {
public:
    explicit Peer(const QByteArray& path) : m_fd(unixSocket()) {
        const sockaddr_un address = addressOf(path);
        // The running program takes new connections on this thread's event loop.
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) break;
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    ~Peer() { ::close(m_fd); }
    void send(const QByteArray& bytes) const {
        QCOMPARE(::send(m_fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // Whether the running program has let go of this connection.
    bool letGo() const {
        char c = 0;
        const ssize_t n = ::recv(m_fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN);
    }

private:
    int m_fd;
};

// The socket a running program listens on in dir.
QByteArray socketIn(const QString& dir) {
    for (const QFileInfo& entry : QDir(dir).entryInfoList(QDir::System)) {
        struct stat status {};
        const QByteArray path = QFile::encodeName(entry.filePath());
        if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode)) return path;
    }
    return {};
}

// Starts the program again on a thread of its own, as a second process would, while the running one
// answers on this thread's event loop. Whether the later start runs.
bool laterStartRuns(kx::Clock& clock, const QString& display) {
    QEventLoop loop;
    bool runs = true;
    std::thread later([&] {
        kx::SingleInstance instance(clock, display);
        runs = instance.claim();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    later.join();
    return runs;
}

} // namespace

class TestDisplaySession : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;
    int m_silentServer = -1;

private Q_SLOTS:
    void initTestCase() {
        m_silentServer = unixSocket();
        const sockaddr_un address = addressOf(kSilentServer);
        QVERIFY(::bind(m_silentServer, reinterpret_cast<const sockaddr*>(&address),
                       offsetof(sockaddr_un, sun_path) + kSilentServer.size()) == 0);
        QVERIFY(::listen(m_silentServer, 4) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); // private: QTemporaryDir makes it 0700
    }
    void cleanupTestCase() { ::close(m_silentServer); }

    void platformAndDisplayProblem_data() {
        QTest::addColumn<QStringList>("environment"); // WAYLAND_DISPLAY, XDG_SESSION_TYPE, QT_QPA_PLATFORM, DISPLAY
        QTest::addColumn<QString>("platform");        // QT_QPA_PLATFORM after the choice
        QTest::addColumn<QString>("problem");         // a part of the message; empty: none
        // ":65000" is a display no X server serves here.
        QTest::newRow("Wayland session, XWayland gone") << QStringList{"wayland-0", "wayland", "", ":65000"} << "xcb"
                                                       << "is XWayland running";
        QTest::newRow("Wayland socket without XWayland") << QStringList{"wayland-0", "", "", ""} << "xcb"
                                                        << "needs XWayland";
        QTest::newRow("session type alone") << QStringList{"", "wayland", "", ""} << "xcb" << "needs XWayland";
        QTest::newRow("the user's platform wins") << QStringList{"wayland-0", "wayland", "wayland", ""} << "wayland"
                                                  << "";
        QTest::newRow("the user's xcb, no X") << QStringList{"", "", "xcb", ""} << "xcb" << "DISPLAY is empty";
        QTest::newRow("X11 session, dead display") << QStringList{"", "x11", "", ":65000"} << "" << "\":65000\"";
        QTest::newRow("an X server that never answers") << QStringList{"", "x11", "", ":64999"} << ""
                                                        << "does not answer";
        QTest::newRow("nothing set") << QStringList{"", "", "", ""} << "" << "no display is set";
    }
    void platformAndDisplayProblem() {
        QFETCH(QStringList, environment);
        QFETCH(QString, platform);
        QFETCH(QString, problem);
        for (int i = 0; i < 4; ++i) {
            if (environment[i].isEmpty())
                qunsetenv(kVariables[i]);
            else
                qputenv(kVariables[i], environment[i].toUtf8());
        }
        const bool chose = kx::chooseWindowPlatform();
        QCOMPARE(qEnvironmentVariable("QT_QPA_PLATFORM"), platform);
        const QString message = kx::displayProblem(300ms);
        QVERIFY2(problem.isEmpty() ? message.isEmpty() : message.contains(problem), qPrintable(message));
        QVERIFY(!message.contains(QLatin1Char('\n')));
        if (chose) kx::forgetChosenPlatform();
        QCOMPARE(qEnvironmentVariable("QT_QPA_PLATFORM"), environment[2]);
    }

    // With a position the stream lies there; without (KDE) on the monitor it fits, by size first, then
    // by shape (a size in the monitor's device pixels); no place when two monitors fit alike.
    void sharedMonitorArea_data() {
        QTest::addColumn<QPoint>("position"); // (-1, -1): none given
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRect>>("monitors");
        QTest::addColumn<QRect>("area"); // empty: not known
        const QRect left(0, 0, 1920, 1080), right(1920, 0, 2560, 1600), twin(1920, 0, 1920, 1080);
        QTest::newRow("position given") << QPoint(1920, 0) << QSize(2560, 1600) << QList<QRect>{left}
                                        << QRect(1920, 0, 2560, 1600);
        QTest::newRow("by size") << QPoint(-1, -1) << QSize(2560, 1600) << QList<QRect>{left, right} << right;
        QTest::newRow("by shape, 200 %") << QPoint(-1, -1) << QSize(5120, 3200) << QList<QRect>{left, right} << right;
        QTest::newRow("the only monitor") << QPoint(-1, -1) << QSize(1000, 1000) << QList<QRect>{right} << right;
        QTest::newRow("two of that size") << QPoint(-1, -1) << QSize(1920, 1080) << QList<QRect>{left, twin} << QRect();
        QTest::newRow("two of that shape") << QPoint(-1, -1) << QSize(3840, 2160) << QList<QRect>{left, twin}
                                           << QRect();
        QTest::newRow("none fits") << QPoint(-1, -1) << QSize(1000, 1000) << QList<QRect>{left, right} << QRect();
    }
    void sharedMonitorArea() {
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        QFETCH(QList<QRect>, monitors);
        QFETCH(QRect, area);
        const auto given = position == QPoint(-1, -1) ? std::nullopt : std::optional<QPoint>(position);
        QCOMPARE(kx::streamArea(given, size, monitors).value_or(QRect()), area);
    }

    // A later start on the display of the running program asks it to come to the front and does not
    // run; on another display it runs. A socket left behind by a program that crashed is taken over.
    void laterStart_data() {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("later");
        QTest::addColumn<bool>("laterRuns");
        QTest::addColumn<bool>("crashedBefore");
        QTest::newRow(":0, then :0.0") << ":0" << ":0.0" << false << false;
        QTest::newRow(":0, then unix:0") << ":0" << "unix:0" << false << false;
        QTest::newRow(":0.0, then unix:0.0") << ":0.0" << "unix:0.0" << false << false;
        QTest::newRow("unix:0.0, then :0") << "unix:0.0" << ":0" << false << false;
        QTest::newRow("after a crash") << ":0" << ":0" << false << true;
        QTest::newRow(":0, then :1") << ":0" << ":1" << true << false;
        QTest::newRow(":0, then another host's :0") << ":0" << "otherhost:0" << true << false;
    }
    void laterStart() {
        QFETCH(QString, running);
        QFETCH(QString, later);
        QFETCH(bool, laterRuns);
        QFETCH(bool, crashedBefore);
        kx::ManualClock clock;
        if (crashedBefore) {
            // What a program that crashed leaves: its socket, with no one listening.
            QByteArray path;
            {
                kx::SingleInstance crashed(clock, running);
                QVERIFY(crashed.claim());
                path = socketIn(m_runtime.path());
            }
            const int left = unixSocket();
            const sockaddr_un address = addressOf(path);
            QVERIFY(::bind(left, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
            ::close(left);
        }
        kx::SingleInstance first(clock, running);
        int requests = 0;
        first.onActivationRequest = [&requests] { ++requests; };
        QVERIFY(first.claim());
        if (laterRuns) {
            kx::SingleInstance second(clock, later);
            QVERIFY(second.claim());
        } else {
            QVERIFY(!laterStartRuns(clock, later));
        }
        QCOMPARE(requests, laterRuns ? 0 : 1);
    }

    // Whatever else of the user's connects, however many and whatever they send or do not, comes and
    // goes without bringing the program to the front, and a later start still gets through.
    void otherConnections_data() {
        QTest::addColumn<int>("connections");
        QTest::addColumn<QByteArray>("sends");
        QTest::addColumn<int>("openAtMost"); // while the clock stands still
        QTest::newRow("a flood of idle connections") << 200 << QByteArray() << 16;
        QTest::newRow("one saying nothing") << 1 << QByteArray() << 1;
        QTest::newRow("half a request") << 1 << QByteArray("fro") << 1;
        QTest::newRow("garbage") << 1 << QByteArray("GET / HTTP/1.1\r\n\r\n") << 0;
        QTest::newRow("the request twice over") << 1 << QByteArray("front\nfront\n") << 0;
    }
    void otherConnections() {
        QFETCH(int, connections);
        QFETCH(QByteArray, sends);
        QFETCH(int, openAtMost);
        kx::ManualClock clock;
        kx::SingleInstance running(clock, QStringLiteral(":3"));
        int requests = 0;
        running.onActivationRequest = [&requests] { ++requests; };
        QVERIFY(running.claim());
        const QByteArray path = socketIn(m_runtime.path());
        std::vector<std::unique_ptr<Peer>> peers;
        for (int i = 0; i < connections; ++i) {
            peers.push_back(std::make_unique<Peer>(path));
            if (!sends.isEmpty()) peers.back()->send(sends);
        }
        QCoreApplication::processEvents();
        auto open = [&peers] { return std::count_if(peers.begin(), peers.end(), [](auto& p) { return !p->letGo(); }); };
        QVERIFY2(open() <= openAtMost, qPrintable(QString::number(open())));
        QVERIFY(!laterStartRuns(clock, QStringLiteral(":3.0")));
        QCOMPARE(requests, 1);
        clock.advance(5s);
        QCOMPARE(open(), 0);
    }

    // Where the socket goes: the session's runtime directory when it is private to the user; else a
    // directory of the user's own in the temporary directory; else, where another user or a symbolic
    // link holds that name, one in the user's cache directory.
    void privateDirectory_data() {
        QTest::addColumn<int>("runtimeMode"); // 0: XDG_RUNTIME_DIR not set
        QTest::addColumn<QString>("temporaryName"); // what holds kalibrix-<uid> in the temporary directory
        QTest::addColumn<QString>("where");
        QTest::newRow("the session's runtime directory") << 0700 << "" << "run";
        QTest::newRow("a runtime directory others may enter") << 0755 << "" << "tmp";
        QTest::newRow("no runtime directory") << 0 << "" << "tmp";
        QTest::newRow("an own directory others may enter") << 0 << "open" << "tmp";
        QTest::newRow("a symbolic link to a private directory") << 0 << "symlink" << "cache";
        QTest::newRow("another user's directory") << 0 << "other user's" << "cache";
    }
    void privateDirectory() {
        QFETCH(int, runtimeMode);
        QFETCH(QString, temporaryName);
        QFETCH(QString, where);
        if (temporaryName == "other user's" && ::getuid() != 0) QSKIP("only root can give a directory away");
        QTemporaryDir base;
        QDir dir(base.path());
        for (const char* sub : {"run", "tmp", "cache", "elsewhere"}) QVERIFY(dir.mkdir(sub));
        auto path = [&dir](const QString& name) { return QFile::encodeName(dir.filePath(name)); };
        QVERIFY(::chmod(path("run"), runtimeMode) == 0);
        const QString own = QStringLiteral("tmp/kalibrix-%1").arg(::getuid());
        if (temporaryName == "open")
            QVERIFY(::mkdir(path(own), 0755) == 0);
        else if (temporaryName == "symlink")
            QVERIFY(QFile::link(dir.filePath("elsewhere"), dir.filePath(own)));
        else if (temporaryName == "other user's")
            QVERIFY(::mkdir(path(own), 0700) == 0 && ::chown(path(own), 65534, 65534) == 0);
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtimeMode)
            qputenv("XDG_RUNTIME_DIR", path("run"));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", path("tmp"));
        qputenv("XDG_CACHE_HOME", path("cache"));
        kx::ManualClock clock;
        kx::SingleInstance instance(clock, QStringLiteral(":0"));
        const bool claimed = instance.claim();
        qputenv("XDG_RUNTIME_DIR", runtime);
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        QVERIFY(claimed);
        QString expected = where == "tmp" ? dir.filePath(own) : dir.filePath(where);
        if (where == "cache") expected = QDir(expected).entryInfoList({"kalibrix-*"}, QDir::Dirs).value(0).filePath();
        QVERIFY2(!socketIn(expected).isEmpty(), qPrintable(expected));
        struct stat status {};
        QVERIFY(::lstat(QFile::encodeName(expected), &status) == 0);
        QCOMPARE(status.st_uid, ::getuid());
        QCOMPARE(status.st_mode & 077, 0u);
    }
};

QTEST_GUILESS_MAIN(TestDisplaySession)
#include "test_displaysession.moc"
