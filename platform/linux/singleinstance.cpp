#include "platform/singleinstance.h"

#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <cstdio>
#include <sys/socket.h>
#include <type_traits>
#include <unistd.h>

namespace kx {

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
    const QString user = QString::number(::getuid());
    QString name = QStringLiteral("kalibrix-%1-%2-%3").arg(user, QGuiApplication::platformName(), display);
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
}

void useAbstractName(auto& socketOrServer) {
    // A name that vanishes with the program, however it ends.
    socketOrServer.setSocketOptions(std::remove_reference_t<decltype(socketOrServer)>::AbstractNamespaceOption);
}

// Whether the program at the other end runs as the same user: another user's program cannot be
// asked to come to the front, and must not stop this one.
bool sameUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::getuid();
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
} // namespace kx
