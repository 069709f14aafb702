#include "platform/termination.h"

#include <QCoreApplication>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kx {

#ifdef Q_OS_UNIX
namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kQuitExitCode = 128 + SIGQUIT;
// A signal handler may do almost nothing: it writes the signal's number into this pair, whose other
// end the event loop watches.
int g_signalPair[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPair[1], &number, 1);
    errno = saved;
}

} // namespace

TerminationRequests::TerminationRequests(std::function<void()> end) : m_end(std::move(end)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPair) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPair[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationRequests::handle);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndingSignals) ::sigaction(signal, &action, nullptr);
    // Writing to a connection that has gone (the display's) then fails with an error that the program
    // handles, instead of ending it on the spot.
    ::signal(SIGPIPE, SIG_IGN);
}

TerminationRequests::~TerminationRequests() {
    for (int signal : kEndingSignals) ::signal(signal, SIG_DFL);
    for (int& fd : g_signalPair) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void TerminationRequests::handle() {
    bool any = false, quit = false;
    char number = 0;
    while (::read(g_signalPair[0], &number, 1) == 1) {
        any = true;
        quit = quit || number == SIGQUIT;
    }
    if (!any) return;
    m_end();
    QCoreApplication::exit(quit ? kQuitExitCode : 0);
}
#elif defined(Q_OS_WIN)
namespace {

// A log-off or shut-down: Windows sends WM_ENDSESSION to every top-level window and may end the
// program as soon as they have answered, so the program closes before the first one answers.
class SessionEnd final : public QAbstractNativeEventFilter {
public:
    explicit SessionEnd(std::function<void()> end) : m_end(std::move(end)) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam && !m_ended) {
            m_ended = true;
            m_end();
        }
        return false;
    }

private:
    std::function<void()> m_end;
    bool m_ended = false;
};

SessionEnd* g_sessionEnd = nullptr;

} // namespace

TerminationRequests::TerminationRequests(std::function<void()> end) : m_end(std::move(end)) {
    g_sessionEnd = new SessionEnd([this] { handle(); });
    QCoreApplication::instance()->installNativeEventFilter(g_sessionEnd);
}

TerminationRequests::~TerminationRequests() {
    QCoreApplication::instance()->removeNativeEventFilter(g_sessionEnd);
    delete std::exchange(g_sessionEnd, nullptr);
}

void TerminationRequests::handle() {
    m_end();
    QCoreApplication::exit(0);
}
#else
TerminationRequests::TerminationRequests(std::function<void()> end) : m_end(std::move(end)) {}
TerminationRequests::~TerminationRequests() = default;
void TerminationRequests::handle() {}
#endif

namespace {
std::function<void()>* g_keepAtExit = nullptr;

void keepAtExit() {
    if (auto* keep = std::exchange(g_keepAtExit, nullptr)) (*keep)();
}
} // namespace

AbruptExitGuard::AbruptExitGuard(std::function<void()> keep) : m_keep(std::move(keep)) {
    static const bool registered = std::atexit(keepAtExit) == 0;
    if (registered) g_keepAtExit = &m_keep;
}

AbruptExitGuard::~AbruptExitGuard() {
    if (g_keepAtExit == &m_keep) g_keepAtExit = nullptr;
}

} // namespace kx
