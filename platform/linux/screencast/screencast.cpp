#include "platform/linux/screencast/screencast.h"

#include "model/settingstable.h"
#include "platform/linux/screencast/pipewirestream.h"
#include "settings/settingsstore.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <fcntl.h>

namespace kx {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const char* const kResponseSlot = SLOT(response(uint, QVariantMap, QDBusMessage));
const char* const kClosedSlot = SLOT(sessionClosed(QDBusMessage));

// Source types, cursor modes and persistence as the portal numbers them.
constexpr uint kMonitor = 1;
constexpr uint kCursorHidden = 1, kCursorMetadata = 4;
constexpr uint kPersistUntilRevoked = 2;
constexpr uint kFirstVersionWithRestoreToken = 4;
constexpr uint kUserCancelled = 1;
// The portal is started on the first call, which takes a moment; one that has not answered by then is
// taken as absent. (The user's answer to the desktop's dialog is waited for as long as it takes.)
constexpr int kPropertiesTimeoutMs = 10000;

const QString kSettingsApp = setting::kApp;
const QString kSettingsSection = setting::RestoreToken.section;
const QString kRestoreTokenKey = setting::RestoreToken.key;

// The (ii) pair of a stream's position or size.
QPoint pair(const QVariant& value) {
    int a = 0, b = 0;
    if (value.canConvert<QDBusArgument>()) {
        const auto arg = value.value<QDBusArgument>();
        arg.beginStructure();
        arg >> a >> b;
        arg.endStructure();
    }
    return {a, b};
}

// The first of the streams a(ua{sv}) that Start reports: its node, its position where the portal gives
// one, and its size.
bool firstStream(const QVariant& streams, quint32& node, std::optional<QPoint>& position, QSize& size) {
    if (!streams.canConvert<QDBusArgument>()) return false;
    const auto arg = streams.value<QDBusArgument>();
    bool found = false;
    arg.beginArray();
    while (!arg.atEnd()) {
        uint id = 0;
        QVariantMap properties;
        arg.beginStructure();
        arg >> id >> properties;
        arg.endStructure();
        if (found) continue;
        found = true;
        node = id;
        const QPoint wh = pair(properties.value(QStringLiteral("size")));
        size = QSize(wh.x(), wh.y());
        if (properties.contains(QStringLiteral("position"))) position = pair(properties.value(QStringLiteral("position")));
    }
    arg.endArray();
    return found;
}

// The window the desktop's question belongs to: the one the user is working in, else the first one shown.
QString parentWindow() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    QWindow* parent = QGuiApplication::focusWindow();
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (!parent && w->isVisible() && w->type() == Qt::Window) parent = w;
    return parent ? QStringLiteral("x11:%1").arg(parent->winId(), 0, 16) : QString();
}

QString objectPath(const QVariant& value) {
    return value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}
} // namespace

ScreenCast::ScreenCast(SettingsStore& settings, const QDBusConnection& bus) : m_settings(settings), m_bus(bus) {}

ScreenCast::~ScreenCast() {
    stop();
}

void ScreenCast::start() {
    if (m_step != Step::Idle) return;
    m_problem = ScreenCopyProblem::None;
    if (!m_bus.isConnected()) return fail(ScreenCopyProblem::NoScreenSharing);
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("GetAll"));
    message << kInterface;
    m_step = Step::Properties;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kPropertiesTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] { replied(watcher, Step::Properties); });
}

void ScreenCast::stop() {
    if (!m_requestPath.isEmpty() && m_step != Step::CreateSession)
        m_bus.disconnect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
    // A session still being created is closed when its answer comes (see response()).
    m_requestPath.clear();
    closeSession(m_session);
    m_stream.reset();
    m_step = Step::Idle;
    m_problem = ScreenCopyProblem::None;
}

ScreenCopyProblem ScreenCast::problem() const {
    if (m_step != Step::Streaming || !m_stream) return m_problem;
    switch (m_stream->status()) {
    case PipeWireStream::Status::Ended:
        return ScreenCopyProblem::Ended;
    case PipeWireStream::Status::NoPicture:
        return ScreenCopyProblem::NoPicture;
    default:
        return ScreenCopyProblem::None;
    }
}

bool ScreenCast::preparing() const {
    if (m_step == Step::Streaming) return m_stream && m_stream->status() == PipeWireStream::Status::Waiting;
    return m_step != Step::Idle && m_step != Step::Failed;
}

QImage ScreenCast::copy(const QRect& rect) const {
    return m_stream ? m_stream->copy(rect) : QImage();
}

std::optional<QPoint> ScreenCast::cursorPos() const {
    return m_stream ? m_stream->cursorPos() : std::nullopt;
}

QString ScreenCast::newToken() {
    return QStringLiteral("kalibrix%1").arg(++m_tokens);
}

void ScreenCast::call(Step step, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    m_step = step;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, step] { replied(watcher, step); });
}

// Calls that answer through a Request object: its Response signal is listened for before the call, on
// the path the portal derives from the caller's name and the handle token.
static QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void ScreenCast::replied(QDBusPendingCallWatcher* watcher, Step step) {
    watcher->deleteLater();
    if (step != m_step) return; // stopped (or started over) meanwhile
    const QDBusMessage reply = watcher->reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // A restore token the portal will not take (not one it handed out) would fail every later
        // start: it is forgotten, and the sources are asked for without it.
        if (step == Step::SelectSources &&
            !m_settings.getSetting(kSettingsApp, kSettingsSection, kRestoreTokenKey, QString()).isEmpty()) {
            m_bus.disconnect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
            m_settings.saveSetting(kSettingsApp, kSettingsSection, kRestoreTokenKey, QString());
            return selectSources();
        }
        return fail(ScreenCopyProblem::NoScreenSharing);
    }
    const QVariant first = reply.arguments().value(0);
    switch (step) {
    case Step::Properties: {
        const auto properties = qdbus_cast<QVariantMap>(first);
        m_version = properties.value(QStringLiteral("version")).toUInt();
        const uint types = properties.value(QStringLiteral("AvailableSourceTypes")).toUInt();
        const uint cursors = properties.value(QStringLiteral("AvailableCursorModes")).toUInt();
        if (!(types & kMonitor)) return fail(ScreenCopyProblem::NoScreenSharing);
        // The pointer comes with the stream where the portal can send it; it is never drawn into the
        // picture, as the magnifier shows the screen without it elsewhere too.
        m_cursorMode = (cursors & kCursorMetadata) ? kCursorMetadata : (cursors & kCursorHidden) ? kCursorHidden : 0;
        const QString token = newToken();
        m_requestPath = requestPath(m_bus, token);
        m_bus.connect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
        call(Step::CreateSession, QStringLiteral("CreateSession"),
             {QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("session_handle_token"), newToken()}}});
        return;
    }
    case Step::OpenRemote: {
        const auto fd = qdbus_cast<QDBusUnixFileDescriptor>(first);
        const int own = fd.isValid() ? ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
        if (own < 0) return fail(ScreenCopyProblem::NoScreenSharing);
        m_stream = std::make_unique<PipeWireStream>(own, m_node, m_area);
        m_step = Step::Streaming;
        return;
    }
    default: {
        // The request's own path; a portal that names another one answers there.
        const QString path = objectPath(first);
        if (!path.isEmpty() && path != m_requestPath) {
            m_bus.disconnect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
            m_requestPath = path;
            m_bus.connect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
        }
        return;
    }
    }
}

void ScreenCast::response(uint code, const QVariantMap& results, const QDBusMessage& message) {
    m_bus.disconnect(QString(), message.path(), kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
    if (message.path() != m_requestPath) {
        // The answer to a session asked for before the last stop(): not wanted any more.
        closeSession(objectPath(results.value(QStringLiteral("session_handle"))));
        return;
    }
    m_requestPath.clear();
    if (code != 0) return fail(code == kUserCancelled ? ScreenCopyProblem::Refused : ScreenCopyProblem::NoScreenSharing);
    switch (m_step) {
    case Step::CreateSession:
        m_session = objectPath(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) return fail(ScreenCopyProblem::NoScreenSharing);
        m_bus.connect(QString(), m_session, kSessionInterface, QStringLiteral("Closed"), this, kClosedSlot);
        selectSources();
        return;
    case Step::SelectSources: {
        const QString token = newToken();
        m_requestPath = requestPath(m_bus, token);
        m_bus.connect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
        call(Step::Start, QStringLiteral("Start"),
             {QVariant::fromValue(QDBusObjectPath(m_session)), parentWindow(),
              QVariantMap{{QStringLiteral("handle_token"), token}}});
        return;
    }
    case Step::Start:
        startStream(results);
        return;
    default:
        return;
    }
}

void ScreenCast::selectSources() {
    const QString token = newToken();
    QVariantMap options{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("types"), kMonitor},
                        {QStringLiteral("multiple"), false}};
    if (m_cursorMode) options.insert(QStringLiteral("cursor_mode"), m_cursorMode);
    if (m_version >= kFirstVersionWithRestoreToken) {
        options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        const QString restoreToken = m_settings.getSetting(kSettingsApp, kSettingsSection, kRestoreTokenKey, QString());
        if (!restoreToken.isEmpty()) options.insert(QStringLiteral("restore_token"), restoreToken);
    }
    m_requestPath = requestPath(m_bus, token);
    m_bus.connect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this, kResponseSlot);
    call(Step::SelectSources, QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_session)), options});
}

void ScreenCast::startStream(const QVariantMap& results) {
    // A token is good for one session: each start hands out the next, and one that brings none leaves
    // nothing to keep (a stale token would only be refused next time).
    const QString restoreToken = results.value(QStringLiteral("restore_token")).toString();
    if (m_version >= kFirstVersionWithRestoreToken &&
        restoreToken != m_settings.getSetting(kSettingsApp, kSettingsSection, kRestoreTokenKey, QString()))
        m_settings.saveSetting(kSettingsApp, kSettingsSection, kRestoreTokenKey, restoreToken);
    std::optional<QPoint> position;
    QSize size;
    if (!firstStream(results.value(QStringLiteral("streams")), m_node, position, size))
        return fail(ScreenCopyProblem::NoScreenSharing);
    QList<QRect> monitors;
    for (const QScreen* screen : QGuiApplication::screens()) monitors.append(screen->geometry());
    const std::optional<QRect> area = streamArea(position, size, monitors);
    if (!area) return fail(ScreenCopyProblem::UnknownMonitor);
    m_area = *area;
    call(Step::OpenRemote, QStringLiteral("OpenPipeWireRemote"),
         {QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
}

void ScreenCast::sessionClosed(const QDBusMessage& message) {
    if (message.path() != m_session) return;
    m_bus.disconnect(QString(), m_session, kSessionInterface, QStringLiteral("Closed"), this, kClosedSlot);
    m_session.clear(); // closed by the desktop already
    fail(ScreenCopyProblem::Ended);
}

void ScreenCast::fail(ScreenCopyProblem problem) {
    closeSession(m_session);
    m_stream.reset();
    m_step = Step::Failed;
    m_problem = problem;
}

void ScreenCast::closeSession(const QString& handle) {
    if (handle.isEmpty()) return;
    m_bus.disconnect(QString(), handle, kSessionInterface, QStringLiteral("Closed"), this, kClosedSlot);
    m_bus.send(QDBusMessage::createMethodCall(kService, handle, kSessionInterface, QStringLiteral("Close")));
    if (handle == m_session) m_session.clear();
}

} // namespace kx
