// A stand-in for the desktop's screen-cast portal, for the end-to-end tests: it owns the portal's name on
// the session bus it is started on, answers the screen-cast calls without asking anyone, and serves a
// real PipeWire stream of a test pattern in which every pixel has a colour of its own (red = x mod 256,
// green = y mod 256, blue = x div 256 in the high and y div 256 in the low nibble, in desktop pixels).
//
//   fake_screencast [--size WxH] [--position X,Y] [--no-position] [--scale N] [--cursor X,Y] [--refuse]
//                   [--end-after MS] [--vanish-after MS] [--no-pictures] [--log FILE]
//
// --scale sends frames of N x N device pixels per desktop pixel, its size in Start in device pixels,
// and the cursor in the stream's pixels, as a scaled desktop does; --no-position leaves the stream's
// position out of Start (KDE's portal does). --cursor sends cursor data at that desktop position with
// every frame; --refuse answers Start as a user who cancels the dialog; --end-after ends the stream and
// closes the session that long after the stream was handed out; --vanish-after ends the stream without
// closing the session; --no-pictures sends buffers with the cursor only, never a picture (KWin's
// virtual screen does). Every call is appended to the log file as one line: the method and its options.
// "ready" is printed once the stream's node exists and the name is owned.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QPoint>
#include <QSize>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace {

struct IntPair {
    int a = 0, b = 0;
};
struct StreamInfo {
    uint node = 0;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& arg, const IntPair& p) {
    arg.beginStructure();
    arg << p.a << p.b;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, IntPair& p) {
    arg.beginStructure();
    arg >> p.a >> p.b;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const StreamInfo& s) {
    arg.beginStructure();
    arg << s.node << s.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, StreamInfo& s) {
    arg.beginStructure();
    arg >> s.node >> s.properties;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(IntPair)
Q_DECLARE_METATYPE(StreamInfo)

namespace {

struct Options {
    QSize size{1280, 800};
    QPoint position;
    bool withPosition = true;
    int scale = 1;
    std::optional<QPoint> cursor;
    bool refuse = false;
    int endAfterMs = -1;
    bool closeAtEnd = true;
    bool pictures = true;
    QString log;
    QSize frameSize() const { return size * scale; }
};

// The PipeWire side: one driving output stream, a frame every 50 ms.
struct Producer {
    Options options;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    spa_source* timer = nullptr;
    int stride = 0;

    void fill(pw_buffer* buffer) {
        spa_buffer* b = buffer->buffer;
        auto* bits = static_cast<uint8_t*>(b->datas[0].data);
        if (!bits) return;
        const QSize frame = options.frameSize();
        for (int y = 0; options.pictures && y < frame.height(); ++y) {
            uint8_t* line = bits + y * stride;
            const int dy = y / options.scale + options.position.y();
            for (int x = 0; x < frame.width(); ++x) {
                const int dx = x / options.scale + options.position.x();
                line[4 * x + 0] = static_cast<uint8_t>(((dx >> 8) << 4) | (dy >> 8)); // B
                line[4 * x + 1] = static_cast<uint8_t>(dy & 0xFF);                   // G
                line[4 * x + 2] = static_cast<uint8_t>(dx & 0xFF);                   // R
                line[4 * x + 3] = 0xFF;
            }
        }
        b->datas[0].chunk->offset = 0;
        b->datas[0].chunk->size = options.pictures ? static_cast<uint32_t>(stride * frame.height()) : 0;
        b->datas[0].chunk->flags = options.pictures ? 0 : SPA_CHUNK_FLAG_CORRUPTED;
        b->datas[0].chunk->stride = stride;
        if (auto* c = static_cast<spa_meta_cursor*>(spa_buffer_find_meta_data(b, SPA_META_Cursor, sizeof(spa_meta_cursor)))) {
            *c = spa_meta_cursor{};
            if (options.cursor) {
                c->id = 1;
                c->position.x = (options.cursor->x() - options.position.x()) * options.scale;
                c->position.y = (options.cursor->y() - options.position.y()) * options.scale;
            }
        }
    }
};

void onProcess(void* data) {
    auto* p = static_cast<Producer*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(p->stream);
    if (!buffer) return;
    p->fill(buffer);
    pw_stream_queue_buffer(p->stream, buffer);
}

void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
    auto* p = static_cast<Producer*>(data);
    if (id != SPA_PARAM_Format || !param) return;
    p->stride = SPA_ROUND_UP_N(p->options.frameSize().width() * 4, 4);
    uint8_t buffer[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[3];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(4, 2, 16),
        SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_size, SPA_POD_Int(p->stride * p->options.frameSize().height()),
        SPA_PARAM_BUFFERS_stride, SPA_POD_Int(p->stride), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
        SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 64 * 64 * 4, sizeof(spa_meta_cursor),
                                 sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 384 * 384 * 4)));
    pw_stream_update_params(p->stream, params, p->options.cursor ? 3 : 2);
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* p = static_cast<Producer*>(data);
    timespec interval{0, 50 * 1000 * 1000};
    timespec off{0, 0};
    pw_loop_update_timer(pw_thread_loop_get_loop(p->loop), p->timer,
                         state == PW_STREAM_STATE_STREAMING ? &interval : &off,
                         state == PW_STREAM_STATE_STREAMING ? &interval : &off, false);
}

void onTimer(void* data, uint64_t) {
    pw_stream_trigger_process(static_cast<Producer*>(data)->stream);
}

const pw_stream_events kEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = onStateChanged;
    e.param_changed = onParamChanged;
    e.process = onProcess;
    return e;
}();

bool startProducer(Producer& p) {
    pw_init(nullptr, nullptr);
    p.loop = pw_thread_loop_new("fake-screencast", nullptr);
    p.context = pw_context_new(pw_thread_loop_get_loop(p.loop), nullptr, 0);
    p.core = pw_context_connect(p.context, nullptr, 0);
    if (!p.core) return false;
    p.timer = pw_loop_add_timer(pw_thread_loop_get_loop(p.loop), onTimer, &p);
    p.stream = pw_stream_new(p.core, "fake screen",
                             pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", PW_KEY_MEDIA_TYPE, "Video",
                                               PW_KEY_MEDIA_CATEGORY, "Source", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    pw_stream_add_listener(p.stream, &p.listener, &kEvents, &p);
    uint8_t buffer[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const QSize frame = p.options.frameSize();
    spa_rectangle size{static_cast<uint32_t>(frame.width()), static_cast<uint32_t>(frame.height())};
    spa_fraction rate{0, 1}, maxRate{20, 1}, minRate{1, 1}, topRate{60, 1};
    const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
        SPA_POD_Fraction(&rate), SPA_FORMAT_VIDEO_maxFramerate, SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &minRate, &topRate)));
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS);
    if (pw_stream_connect(p.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, &format, 1) < 0) return false;
    pw_thread_loop_start(p.loop);
    return true;
}

uint32_t nodeId(Producer& p) {
    pw_thread_loop_lock(p.loop);
    const uint32_t id = pw_stream_get_node_id(p.stream);
    pw_thread_loop_unlock(p.loop);
    return id;
}

void endProducer(Producer& p) {
    pw_thread_loop_lock(p.loop);
    if (p.stream) pw_stream_destroy(p.stream);
    p.stream = nullptr;
    pw_thread_loop_unlock(p.loop);
}

int pipeWireConnection() {
    QByteArray dir = qgetenv("PIPEWIRE_RUNTIME_DIR");
    if (dir.isEmpty()) dir = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray path = dir + "/pipewire-0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

class Session : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    std::function<void()> closed;
public Q_SLOTS:
    void Close() {
        if (closed) closed();
    }
};

class Portal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")
    Q_PROPERTY(uint AvailableSourceTypes READ sourceTypes)
    Q_PROPERTY(uint AvailableCursorModes READ cursorModes)
    Q_PROPERTY(uint version READ version)

public:
    Portal(const Options& options, Producer& producer) : m_options(options), m_producer(producer) {}
    uint sourceTypes() const { return 1; }
    uint cursorModes() const { return 1 | 2 | 4; }
    uint version() const { return 4; }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options) {
        record(QStringLiteral("CreateSession"), options);
        m_session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                        .arg(sender(), options.value(QStringLiteral("session_handle_token")).toString());
        auto* session = new Session;
        session->closed = [this] { record(QStringLiteral("Close"), {}); };
        QDBusConnection::sessionBus().registerObject(m_session, session, QDBusConnection::ExportAllSlots);
        return respond(options, 0, {{QStringLiteral("session_handle"), m_session}});
    }
    QDBusObjectPath SelectSources(const QDBusObjectPath&, const QVariantMap& options) {
        record(QStringLiteral("SelectSources"), options);
        return respond(options, 0, {});
    }
    QDBusObjectPath Start(const QDBusObjectPath&, const QString& parentWindow, const QVariantMap& options) {
        QVariantMap logged = options;
        logged.insert(QStringLiteral("parent_window"), parentWindow);
        record(QStringLiteral("Start"), logged);
        if (m_options.refuse) return respond(options, 1, {});
        StreamInfo stream;
        stream.node = nodeId(m_producer);
        if (m_options.withPosition)
            stream.properties.insert(QStringLiteral("position"), QVariant::fromValue(IntPair{m_options.position.x(), m_options.position.y()}));
        const QSize size = m_options.withPosition ? m_options.size : m_options.frameSize();
        stream.properties.insert(QStringLiteral("size"), QVariant::fromValue(IntPair{size.width(), size.height()}));
        stream.properties.insert(QStringLiteral("source_type"), 1u);
        return respond(options, 0, {{QStringLiteral("streams"), QVariant::fromValue(QList<StreamInfo>{stream})},
                                    {QStringLiteral("restore_token"), QStringLiteral("token%1").arg(++m_tokens)}});
    }
    QDBusUnixFileDescriptor OpenPipeWireRemote(const QDBusObjectPath&, const QVariantMap& options) {
        record(QStringLiteral("OpenPipeWireRemote"), options);
        const int fd = pipeWireConnection();
        QDBusUnixFileDescriptor result(fd);
        if (fd >= 0) ::close(fd);
        if (m_options.endAfterMs >= 0) {
            const QString session = m_session;
            QTimer::singleShot(m_options.endAfterMs, this, [this, session] {
                endProducer(m_producer);
                if (m_options.closeAtEnd)
                    QDBusConnection::sessionBus().send(
                        QDBusMessage::createSignal(session, kSessionInterface, QStringLiteral("Closed")) << QVariantMap());
            });
        }
        return result;
    }

private:
    QString sender() const {
        QString s = message().service().mid(1);
        return s.replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    // The answer comes as the request's Response signal, after the method's reply.
    QDBusObjectPath respond(const QVariantMap& options, uint code, const QVariantMap& results) {
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender(), options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(0, this, [path, code, results] {
            QDBusConnection::sessionBus().send(QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                                          QStringLiteral("Response"))
                                               << code << results);
        });
        return QDBusObjectPath(path);
    }
    void record(const QString& method, const QVariantMap& options) {
        if (m_options.log.isEmpty()) return;
        QStringList parts{method};
        for (auto it = options.cbegin(); it != options.cend(); ++it)
            if (it.key() != QLatin1String("handle_token") && it.key() != QLatin1String("session_handle_token"))
                parts << it.key() + QLatin1Char('=') + it.value().toString();
        QFile f(m_options.log);
        if (f.open(QIODevice::Append)) f.write((parts.join(QLatin1Char(' ')) + QLatin1Char('\n')).toUtf8());
    }

    Options m_options;
    Producer& m_producer;
    QString m_session;
    int m_tokens = 0;
};

QPoint point(const QString& text) {
    const QStringList p = text.split(QLatin1Char(','));
    return {p.value(0).toInt(), p.value(1).toInt()};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<IntPair>();
    qDBusRegisterMetaType<StreamInfo>();
    qDBusRegisterMetaType<QList<StreamInfo>>();

    Producer producer;
    Options& o = producer.options;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString next = args.value(i + 1);
        if (a == QLatin1String("--size")) {
            const QStringList wh = next.split(QLatin1Char('x'));
            o.size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
            ++i;
        } else if (a == QLatin1String("--position")) {
            o.position = point(next);
            ++i;
        } else if (a == QLatin1String("--no-position")) {
            o.withPosition = false;
        } else if (a == QLatin1String("--scale")) {
            o.scale = std::max(1, next.toInt());
            ++i;
        } else if (a == QLatin1String("--vanish-after")) {
            o.endAfterMs = next.toInt();
            o.closeAtEnd = false;
            ++i;
        } else if (a == QLatin1String("--no-pictures")) {
            o.pictures = false;
        } else if (a == QLatin1String("--cursor")) {
            o.cursor = point(next);
            ++i;
        } else if (a == QLatin1String("--refuse")) {
            o.refuse = true;
        } else if (a == QLatin1String("--end-after")) {
            o.endAfterMs = next.toInt();
            ++i;
        } else if (a == QLatin1String("--log")) {
            o.log = next;
            ++i;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }
    if (!startProducer(producer)) {
        std::fprintf(stderr, "cannot connect to PipeWire\n");
        return 1;
    }
    Portal portal(o, producer);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "cannot own the portal's name: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    // Ready once PipeWire has given the stream its node.
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, [&producer, poll] {
        if (nodeId(producer) == SPA_ID_INVALID) return;
        poll->stop();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    poll->start(20);
    return app.exec();
}

#include "fake_screencast.moc"
