#include "platform/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kx {

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

} // namespace kx
