#pragma once

#include "platform/qt/systemhooks.h"
#include "platform/windowsystem.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <memory>
#include <optional>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace kx {

class PipeWireStream;
class SettingsStore;

// The desktop's screen-cast portal (org.freedesktop.portal.ScreenCast on the session bus) with the
// PipeWire stream it opens: the screen's pixels on a Wayland session, where no program may read them
// directly. The desktop asks the user once in its own dialog; the permission is kept as the portal's
// restore token in the settings file, section "ScreenCast", so later sessions do not ask again.
// Everything runs on the caller's thread but the stream, which has PipeWire's.
class ScreenCast final : public QObject, public SharedScreen {
    Q_OBJECT

public:
    explicit ScreenCast(SettingsStore& settings, const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~ScreenCast() override;

    // Asks the portal for a session and its stream, unless one is on its way, running or has failed.
    void start() override;
    // Ends the session and its stream; the next start() asks again.
    void stop() override;
    // Why there are no pictures, and will be none until stop().
    ScreenCopyProblem problem() const override;
    // On the way: the desktop's portal (and perhaps the user) is being asked, or the stream's first
    // picture is awaited.
    bool preparing() const override;
    // The desktop's pixels in rect from the stream's newest frame; a null image before the first frame.
    QImage copy(const QRect& rect) const override;
    std::optional<QPoint> cursorPos() const override;

private Q_SLOTS:
    void response(uint code, const QVariantMap& results, const QDBusMessage& message);
    void sessionClosed(const QDBusMessage& message);

private:
    enum class Step { Idle, Properties, CreateSession, SelectSources, Start, OpenRemote, Streaming, Failed };
    void call(Step step, const QString& method, const QVariantList& arguments);
    void replied(QDBusPendingCallWatcher* watcher, Step step);
    void selectSources();
    void startStream(const QVariantMap& results);
    void fail(ScreenCopyProblem problem);
    QString newToken();
    void closeSession(const QString& handle);

    SettingsStore& m_settings;
    QDBusConnection m_bus;
    Step m_step = Step::Idle;
    ScreenCopyProblem m_problem = ScreenCopyProblem::None;
    QString m_requestPath; // the request whose Response is awaited
    QString m_session;
    uint m_cursorMode = 0;
    uint m_version = 0;
    int m_tokens = 0;
    quint32 m_node = 0;
    QRect m_area;
    std::unique_ptr<PipeWireStream> m_stream;
};

} // namespace kx
