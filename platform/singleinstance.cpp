#include "platform/singleinstance.h"

#ifdef Q_OS_WIN
#include <cstdio>
#include <string>
#include <windows.h>
#elif defined(KALIBRIX_HAS_QT_NETWORK)
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <type_traits>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif
#endif

namespace kx {

#ifdef Q_OS_WIN
namespace {

constexpr UINT kAnswerWaitMs = 2000;
constexpr int kFindAttempts = 20; // a program that has just claimed the place makes its window at once
constexpr DWORD kFindPauseMs = 100;
const wchar_t* const kWindowClass = L"Kalibrix.SingleInstance";

// The place's name: the user, in the session's own namespace ("Local\"), so that programs in other
// sessions (another desktop, a remote one) are not seen.
std::wstring placeName() {
    wchar_t user[256 + 1] = {};
    DWORD size = 256 + 1;
    if (!::GetUserNameW(user, &size)) user[0] = 0;
    std::wstring name = L"Local\\Kalibrix-";
    for (const wchar_t* c = user; *c; ++c) name += *c == L'\\' ? L'_' : *c;
    return name;
}

UINT frontMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Kalibrix.ComeToFront");
    return message;
}

LRESULT CALLBACK hearRequests(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == frontMessage() && message != 0) {
        auto* self = reinterpret_cast<SingleInstance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->onActivationRequest) self->onActivationRequest();
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Asks the program that holds the place to come to the front; false when it has no window (it has
// just ended, or has not made it yet) or does not answer.
bool askToComeToFront(const std::wstring& name) {
    HWND other = ::FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, name.c_str());
    if (!other) return false;
    DWORD process = 0;
    ::GetWindowThreadProcessId(other, &process);
    ::AllowSetForegroundWindow(process); // this start was the user's: it may hand on the focus
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(other, frontMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer) != 0 &&
           answer == 1;
}

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
    if (m_window) ::DestroyWindow(static_cast<HWND>(m_window));
    if (m_mutex) ::CloseHandle(m_mutex);
}

bool SingleInstance::claim() {
    const std::wstring name = placeName();
    for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
        // The mutex ends with the last program that holds it, however that program ends.
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        // Without a mutex (another user's of that name, no rights) nothing can be told: run.
        if (!mutex) return true;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            m_mutex = mutex;
            HINSTANCE instance = ::GetModuleHandleW(nullptr);
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = hearRequests;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kWindowClass;
            ::RegisterClassExW(&windowClass);
            // A message-only window: never shown, found by its class and the place's name.
            HWND window = ::CreateWindowExW(0, kWindowClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            instance, nullptr);
            if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            m_window = window;
            return true;
        }
        ::CloseHandle(mutex);
        if (askToComeToFront(name)) return false;
        ::Sleep(kFindPauseMs);
    }
    std::fprintf(stderr, "Kalibrix is already running in this session but does not answer.\n");
    return false;
}
#elif defined(KALIBRIX_HAS_QT_NETWORK)
namespace {

constexpr int kAnswerWaitMs = 2000;
constexpr int kClaimAttempts = 3;
const QByteArray kRequest = "front\n";
const QByteArray kAnswer = "ok\n";

// The place's name: the user, and the display as the window system names it (":0" and ":0.0" are the
// same display).
QString placeName() {
    const bool wayland = QGuiApplication::platformName() == QLatin1String("wayland");
    QString display = qEnvironmentVariable(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
    display.replace(QRegularExpression(QStringLiteral("(:\\d+)\\.\\d+$")), QStringLiteral("\\1"));
#ifdef Q_OS_UNIX
    const QString user = QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    QString name = QStringLiteral("kalibrix-%1-%2-%3").arg(user, QGuiApplication::platformName(), display);
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
}

void useAbstractName([[maybe_unused]] auto& socketOrServer) {
#ifdef Q_OS_LINUX
    // A name that vanishes with the program, however it ends.
    socketOrServer.setSocketOptions(std::remove_reference_t<decltype(socketOrServer)>::AbstractNamespaceOption);
#endif
}

// Whether the program at the other end runs as the same user: another user's program cannot be
// asked to come to the front, and must not stop this one.
bool sameUser([[maybe_unused]] const QLocalSocket& socket) {
#ifdef Q_OS_LINUX
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::getuid();
#else
    return true;
#endif
}

enum class Asked { NoOne, Answered, Silent, OtherUser };

Asked askToComeToFront(const QString& name) {
    QLocalSocket socket;
    useAbstractName(socket);
    socket.connectToServer(name);
    if (!socket.waitForConnected(kAnswerWaitMs)) return Asked::NoOne;
    if (!sameUser(socket)) return Asked::OtherUser;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kAnswerWaitMs)) return Asked::Silent;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(kAnswerWaitMs)) return Asked::Silent;
    return socket.readLine() == kAnswer ? Asked::Answered : Asked::Silent;
}

} // namespace

SingleInstance::SingleInstance() : m_server(new QLocalServer(this)) {
    useAbstractName(*m_server);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
                if (!peer->canReadLine()) {
                    if (peer->bytesAvailable() > kRequest.size()) peer->abort();
                    return;
                }
                if (peer->readLine() == kRequest && onActivationRequest) onActivationRequest();
                peer->write(kAnswer);
                peer->disconnectFromServer();
            });
        }
    });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    const QString name = placeName();
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        if (m_server->listen(name)) return true;
        switch (askToComeToFront(name)) {
        case Asked::Answered:
            return false;
        case Asked::Silent:
            std::fprintf(stderr, "Kalibrix is already running on this display but does not answer.\n");
            return false;
        case Asked::OtherUser:
            return true;
        case Asked::NoOne:
            // It has just ended, or left its name behind where names are files.
            QLocalServer::removeServer(name);
            break;
        }
    }
    return true;
}
#else
SingleInstance::SingleInstance() = default;
SingleInstance::~SingleInstance() = default;
bool SingleInstance::claim() {
    return true;
}
#endif

} // namespace kx
