// One program per user and display on Linux: a lock file held for as long as the program runs, and a
// socket beside it on which a later start asks the running program to come to the front. Both live in a
// directory only the user may enter; the running program also checks who is at the other end of every
// connection, keeps few of them open at once and none for long.

#include "platform/singleinstance.h"

#include "platform/clock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace kx {

namespace {

using namespace std::chrono_literals;
using Deadline = std::chrono::steady_clock::time_point;

// A later start waits this long in all for the running program to answer.
constexpr auto kAnswerWait = 3s;
// How often a later start looks again for a program that holds the place but does not listen yet.
constexpr int kLookAgainMs = 50;
// The running program keeps at most this many connections at once (the oldest goes for a new one), each
// at most this long.
constexpr std::size_t kMaxConnections = 8;
constexpr auto kConnectionTimeout = 2s;
constexpr int kBacklog = 16;
// Connections taken at one wake-up, so that a flood of them does not hold up the windows.
constexpr int kAcceptsAtOnce = 32;
const QByteArray kRequest = "front\n";
const QByteArray kAnswer = "ok\n";

// Every character other than letters, digits, '-' and '.' written as '_'.
QByteArray plainName(QByteArray name) {
    for (char& c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '.'))
            c = '_';
    return name;
}

// The place's name for a display: ":0", ":0.0", "unix:0" and "unix:0.0" are display 0 of this machine,
// "host:0.1" display 0 of that host; a name that is not an X display stands for itself.
QByteArray placeName(const QString& display) {
    const QByteArray name = display.toLocal8Bit();
    char* host = nullptr;
    int number = 0;
    // An empty name would make the parser read DISPLAY itself.
    if (name.isEmpty() || !xcb_parse_display(name.constData(), &host, &number, nullptr))
        return "display-" + plainName(name);
    const QByteArray hostName(host);
    std::free(host);
    const bool here = hostName.isEmpty() || hostName == "unix";
    return "x11-" + (here ? QByteArray() : plainName(hostName) + '-') + QByteArray::number(number);
}

// Whether path is a directory of this user's that no one else may enter; a symbolic link is not,
// wherever it points. With `tighten`, a directory of this user's that others may enter is closed to
// them.
bool isPrivateDirectory(const QByteArray& path, bool tighten) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    bool isPrivate = ::fstat(fd, &status) == 0 && status.st_uid == ::getuid();
    if (isPrivate && (status.st_mode & 077) != 0) isPrivate = tighten && ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return isPrivate;
}

QByteArray madePrivateDirectory(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
    return isPrivateDirectory(native, true) ? native : QByteArray();
}

// The directory for the lock and the socket: the session's runtime directory ($XDG_RUNTIME_DIR), which
// only its user may enter; without one, a directory of the user's own in the temporary directory;
// where another user has taken that name, one in the user's cache directory, named by the machine as a
// home directory may be shared between machines. Empty when none is private.
QByteArray privateDirectory() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateDirectory(runtime, false)) return runtime;
    const QByteArray temporary =
        madePrivateDirectory(QDir::tempPath() + QStringLiteral("/kalibrix-%1").arg(::getuid()));
    if (!temporary.isEmpty()) return temporary;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache)) return {};
    return madePrivateDirectory(cache + QStringLiteral("/kalibrix-") +
                                QString::fromLatin1(plainName(QSysInfo::machineHostName().toUtf8())));
}

bool sameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

sockaddr_un socketAddress(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(),
                std::min<std::size_t>(path.size(), sizeof address.sun_path - 1));
    return address;
}

// Waits until fd is ready for `events` or the deadline has passed.
bool waitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms) return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// Asks the program listening at path to come to the front; true once it has answered. False when no
// program of this user's listens there, or it let go of the connection, or did not answer in time.
bool askToComeToFront(const QByteArray& path, Deadline deadline) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    auto done = [fd](bool answered) {
        ::close(fd);
        return answered;
    };
    const sockaddr_un address = socketAddress(path);
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // EAGAIN: its queue of new connections is full for the moment.
        if (errno != EINTR && errno != EAGAIN) return done(false);
        if (std::chrono::steady_clock::now() >= deadline) return done(false);
        ::poll(nullptr, 0, kLookAgainMs);
    }
    if (!sameUser(fd)) return done(false);
    qsizetype sent = 0;
    while (sent < kRequest.size()) {
        const ssize_t n = ::send(fd, kRequest.constData() + sent, kRequest.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EINTR && (errno != EAGAIN || !waitFor(fd, POLLOUT, deadline)))
            return done(false);
    }
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < kAnswer.size()) {
        char buffer[8];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            answer.append(buffer, n);
        else if (n == 0 || (errno != EINTR && (errno != EAGAIN || !waitFor(fd, POLLIN, deadline))))
            return done(false);
    }
    return done(answer == kAnswer);
}

} // namespace

QString thisDisplay() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) return qEnvironmentVariable("DISPLAY");
    if (platform == QLatin1String("wayland")) {
        // Never taken for an X display: no colon.
        QString display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
        return QStringLiteral("wayland-") + display.replace(QLatin1Char(':'), QLatin1Char('_'));
    }
    return platform;
}

struct SingleInstance::Private {
    // A connection from a later start, or from whoever else of this user's connects.
    struct Connection {
        int fd = -1;
        QByteArray received;
        std::unique_ptr<QSocketNotifier> notifier;
        std::unique_ptr<TimerEngine> timeout;
    };

    Private(SingleInstance& self, Clock& clock, const QString& display)
        : self(self), clock(clock), place(placeName(display)) {}
    ~Private();
    bool listen();
    void acceptConnections();
    void read(Connection* connection);
    void close(Connection* connection, bool fromItsHandler = true);

    SingleInstance& self;
    Clock& clock;
    const QByteArray place;
    QByteArray socketPath;
    int lock = -1;
    int listener = -1;
    std::unique_ptr<QSocketNotifier> listening;
    std::unique_ptr<TimerEngine> listenAgain;           // after the program ran out of file descriptors
    std::list<std::unique_ptr<Connection>> connections; // the oldest first
};

SingleInstance::Private::~Private() {
    while (!connections.empty())
        close(connections.front().get(), false);
    listening.reset();
    if (listener >= 0) {
        ::close(listener);
        ::unlink(socketPath.constData());
    }
    if (lock >= 0) ::close(lock); // lets go of the place
}

bool SingleInstance::Private::listen() {
    // A socket left behind by a program that crashed; the lock says that no program listens there.
    ::unlink(socketPath.constData());
    listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_un address = socketAddress(socketPath);
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, kBacklog) != 0) {
        std::fprintf(stderr, "Kalibrix cannot listen for later starts at %s: %s.\n", socketPath.constData(),
                     std::strerror(errno));
        if (listener >= 0) ::close(listener);
        listener = -1;
        return true;
    }
    listening = std::make_unique<QSocketNotifier>(listener, QSocketNotifier::Read);
    QObject::connect(listening.get(), &QSocketNotifier::activated, [this] { acceptConnections(); });
    listenAgain = clock.createTimer([this] {
        listenAgain->stop();
        listening->setEnabled(true);
    });
    return true;
}

void SingleInstance::Private::acceptConnections() {
    for (int taken = 0; taken < kAcceptsAtOnce; ++taken) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The waiting connection stays until a descriptor is free: listen again in a while
                // rather than wake up for it over and over.
                listening->setEnabled(false);
                listenAgain->start(kConnectionTimeout);
            }
            return;
        }
        if (!sameUser(fd)) {
            ::close(fd);
            continue;
        }
        if (connections.size() >= kMaxConnections) close(connections.front().get(), false);
        auto connection = std::make_unique<Connection>();
        Connection* c = connection.get();
        c->fd = fd;
        c->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(c->notifier.get(), &QSocketNotifier::activated, [this, c] { read(c); });
        c->timeout = clock.createTimer([this, c] { close(c); });
        c->timeout->start(kConnectionTimeout);
        connections.push_back(std::move(connection));
        // A later start sends its request at once: it is usually there already.
        read(c);
    }
}

void SingleInstance::Private::read(Connection* c) {
    for (;;) {
        char buffer[16];
        const ssize_t n = ::recv(c->fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return; // the rest is still to come
        if (n <= 0) return close(c);                                    // gone
        c->received.append(buffer, n);
        if (!kRequest.startsWith(c->received)) return close(c); // not a request
        if (c->received == kRequest) {
            // Answered and let go of before the program comes to the front, whatever that runs.
            ::send(c->fd, kAnswer.constData(), kAnswer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            close(c);
            if (self.onActivationRequest) self.onActivationRequest();
            return;
        }
    }
}

void SingleInstance::Private::close(Connection* c, bool fromItsHandler) {
    // The notifier may be the one whose signal is running: it goes once that has returned.
    c->notifier->setEnabled(false);
    if (fromItsHandler) c->notifier.release()->deleteLater();
    ::close(c->fd);
    connections.remove_if([c](const std::unique_ptr<Connection>& entry) { return entry.get() == c; });
}

SingleInstance::SingleInstance(Clock& clock, const QString& display)
    : d(std::make_unique<Private>(*this, clock, display)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    const QByteArray directory = privateDirectory();
    if (directory.isEmpty()) {
        std::fprintf(stderr,
                     "Kalibrix finds no directory private to this user (not XDG_RUNTIME_DIR, nor one in "
                     "the temporary or the cache directory): it runs without looking for another "
                     "Kalibrix on this display.\n");
        return true;
    }
    QByteArray name = "kalibrix-" + d->place;
    if (directory.size() + name.size() + 1 >= qsizetype(sizeof sockaddr_un::sun_path))
        name = "kalibrix-" + QCryptographicHash::hash(d->place, QCryptographicHash::Sha256).toHex().left(16);
    d->socketPath = directory + '/' + name;
    const QByteArray lockPath = d->socketPath + ".lock";
    d->lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (d->lock < 0) {
        std::fprintf(stderr,
                     "Kalibrix cannot open %s: %s; it runs without looking for another Kalibrix on this "
                     "display.\n",
                     lockPath.constData(), std::strerror(errno));
        return true;
    }
    const Deadline deadline = std::chrono::steady_clock::now() + kAnswerWait;
    for (;;) {
        // The lock goes with the program that holds it, however that program ends.
        if (::flock(d->lock, LOCK_EX | LOCK_NB) == 0) return d->listen();
        if (errno != EWOULDBLOCK && errno != EINTR) {
            std::fprintf(stderr,
                         "Kalibrix cannot lock %s: %s; it runs without looking for another Kalibrix on "
                         "this display.\n",
                         lockPath.constData(), std::strerror(errno));
            return true;
        }
        if (askToComeToFront(d->socketPath, deadline)) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "Kalibrix is already running on this display but does not answer.\n");
            return false;
        }
        // The running program may have just started and not listen yet.
        ::poll(nullptr, 0, kLookAgainMs);
    }
}

} // namespace kx
