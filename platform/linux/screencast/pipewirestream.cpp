#include "platform/linux/screencast/pipewirestream.h"

#include <QMutex>
#include <QPainter>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace kx {

namespace {
// The magnifier refreshes 20 times a second; more frames would only cost the desktop work.
constexpr int kMaxFramesPerSecond = 20;
// One buffer is kept as the newest frame while the desktop fills the others.
constexpr int kBuffers = 4, kMinBuffers = 3, kMaxBuffers = 16;
constexpr int kMaxFrameSide = 16384;
// How long a stream may be without its first picture, or stop streaming, before it counts as over:
// desktops send the first picture within a quarter of a second, and a renegotiation takes less.
constexpr qint64 kGraceMs = 2000;
constexpr qint64 kNever = -1;

qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
// Room for the cursor data with a bitmap of side x side pixels; only the position is used, but the
// desktop decides whether it sends the picture too.
constexpr int cursorMetaSize(int side) {
    return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

QImage::Format imageFormat(spa_video_format format) {
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return QImage::Format_RGB32; // 0xffRRGGBB in the machine's byte order on little-endian machines
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return QImage::Format_RGBX8888;
    default:
        return QImage::Format_Invalid;
    }
}

void ensurePipeWire() {
    static const bool initialised = [] {
        pw_init(nullptr, nullptr);
        return true;
    }();
    (void)initialised;
}
} // namespace

struct PipeWireStream::State {
    QRect area;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook streamListener{};
    std::atomic<bool> ended{false};
    const qint64 connectedAt = nowMs();
    // Since when the stream, having streamed, is not streaming; kNever while it streams or never did.
    std::atomic<qint64> stoppedAt{kNever};
    bool streamed = false; // PipeWire's thread only

    // Shared with the caller's thread.
    mutable QMutex mutex;
    QImage::Format format = QImage::Format_Invalid;
    QSize frameSize;
    pw_buffer* newest = nullptr; // held back from the stream until a newer frame arrives
    bool pictured = false;       // a picture has come
    std::optional<QPoint> cursor;

    void formatChanged(const spa_pod* param);
    void process();
    void takeFrame(pw_buffer* buffer);
};

void PipeWireStream::State::formatChanged(const spa_pod* param) {
    spa_video_info_raw info{};
    if (!param || spa_format_video_raw_parse(param, &info) < 0) return;
    {
        QMutexLocker lock(&mutex);
        format = imageFormat(info.format);
        frameSize = QSize(static_cast<int>(info.size.width), static_cast<int>(info.size.height));
    }
    std::uint8_t buffer[1024];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[3];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, //
        SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(kBuffers, kMinBuffers, kMaxBuffers),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, //
        SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, //
        SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
        SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64), static_cast<int>(sizeof(spa_meta_cursor)), cursorMetaSize(384))));
    pw_stream_update_params(stream, params, 3);
}

void PipeWireStream::State::process() {
    // Only the newest of the waiting frames matters; the older ones go straight back.
    pw_buffer* latest = nullptr;
    while (pw_buffer* b = pw_stream_dequeue_buffer(stream)) {
        if (latest) pw_stream_queue_buffer(stream, latest);
        latest = b;
    }
    if (latest) takeFrame(latest);
}

void PipeWireStream::State::takeFrame(pw_buffer* buffer) {
    spa_buffer* b = buffer->buffer;
    const auto* c = static_cast<spa_meta_cursor*>(spa_buffer_find_meta_data(b, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    const auto* header = static_cast<spa_meta_header*>(spa_buffer_find_meta_data(b, SPA_META_Header, sizeof(spa_meta_header)));
    // A buffer may carry only the cursor (no picture), or a damaged picture.
    const bool picture = b->n_datas > 0 && b->datas[0].data && b->datas[0].chunk->size > 0 &&
                         !(b->datas[0].chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) &&
                         !(header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED));
    pw_buffer* giveBack = buffer;
    {
        QMutexLocker lock(&mutex);
        // The position is in the stream's pixels, counted from its corner: scaled to the area like the picture.
        if (c && spa_meta_cursor_is_valid(c) && !frameSize.isEmpty()) {
            const QRect a = area.isEmpty() ? QRect(QPoint(), frameSize) : area;
            cursor = a.topLeft() + QPoint(qRound(c->position.x * double(a.width()) / frameSize.width()),
                                          qRound(c->position.y * double(a.height()) / frameSize.height()));
        }
        if (picture) {
            std::swap(newest, giveBack);
            pictured = true;
        }
    }
    if (giveBack) pw_stream_queue_buffer(stream, giveBack);
}

namespace {

void onStreamState(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* s = static_cast<PipeWireStream::State*>(data);
    if (state == PW_STREAM_STATE_ERROR) s->ended = true;
    if (state == PW_STREAM_STATE_STREAMING) {
        s->streamed = true;
        s->stoppedAt = kNever;
    } else if (s->streamed && s->stoppedAt == kNever) {
        // Paused or unconnected after it streamed: the producer went away, or the stream is being set up
        // anew; it counts as ended unless it streams again soon.
        s->stoppedAt = nowMs();
    }
}

void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
    if (id == SPA_PARAM_Format) static_cast<PipeWireStream::State*>(data)->formatChanged(param);
}

void onRemoveBuffer(void* data, pw_buffer* buffer) {
    // Buffers go when the format changes; the kept frame may be one of them.
    auto* s = static_cast<PipeWireStream::State*>(data);
    QMutexLocker lock(&s->mutex);
    if (s->newest == buffer) s->newest = nullptr;
}

void onProcess(void* data) {
    static_cast<PipeWireStream::State*>(data)->process();
}

void onCoreError(void* data, uint32_t id, int, int, const char*) {
    // An error on the connection itself (PipeWire went away, the node is gone).
    if (id == PW_ID_CORE) static_cast<PipeWireStream::State*>(data)->ended = true;
}

const pw_stream_events kStreamEvents = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.state_changed = onStreamState;
    e.param_changed = onParamChanged;
    e.process = onProcess;
    e.remove_buffer = onRemoveBuffer;
    return e;
}();

const pw_core_events kCoreEvents = [] {
    pw_core_events e{};
    e.version = PW_VERSION_CORE_EVENTS;
    e.error = onCoreError;
    return e;
}();

} // namespace

PipeWireStream::PipeWireStream(int remoteFd, quint32 node, const QRect& area) : m_state(std::make_unique<State>()) {
    ensurePipeWire();
    State& s = *m_state;
    s.area = area;
    s.loop = pw_thread_loop_new("kalibrix-screen", nullptr);
    if (s.loop) s.context = pw_context_new(pw_thread_loop_get_loop(s.loop), nullptr, 0);
    if (!s.context || pw_thread_loop_start(s.loop) < 0) {
        ::close(remoteFd);
        s.ended = true;
        return;
    }
    pw_thread_loop_lock(s.loop);
    s.core = pw_context_connect_fd(s.context, remoteFd, nullptr, 0);
    if (s.core) {
        pw_core_add_listener(s.core, &s.coreListener, &kCoreEvents, &s);
        s.stream = pw_stream_new(s.core, "Kalibrix magnifier",
                                 pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                   PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    }
    if (s.stream) {
        pw_stream_add_listener(s.stream, &s.streamListener, &kStreamEvents, &s);
        std::uint8_t buffer[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
        spa_rectangle size{1280, 800}, minSize{1, 1}, maxSize{kMaxFrameSide, kMaxFrameSide};
        spa_fraction rate{0, 1}, minRate{0, 1}, maxRate{1000, 1};
        spa_fraction maxFrames{kMaxFramesPerSecond, 1}, fewestFrames{1, 1};
        const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, //
            SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                                   SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &maxRate),
            SPA_FORMAT_VIDEO_maxFramerate, SPA_POD_CHOICE_RANGE_Fraction(&maxFrames, &fewestFrames, &maxFrames)));
        const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        if (pw_stream_connect(s.stream, PW_DIRECTION_INPUT, node, flags, &format, 1) < 0) s.ended = true;
    } else {
        s.ended = true;
    }
    pw_thread_loop_unlock(s.loop);
}

PipeWireStream::~PipeWireStream() {
    State& s = *m_state;
    if (s.loop) {
        pw_thread_loop_lock(s.loop);
        {
            QMutexLocker lock(&s.mutex);
            s.newest = nullptr; // freed with the stream
        }
        if (s.stream) pw_stream_destroy(s.stream);
        if (s.core) pw_core_disconnect(s.core);
        pw_thread_loop_unlock(s.loop);
        pw_thread_loop_stop(s.loop);
    }
    if (s.context) pw_context_destroy(s.context);
    if (s.loop) pw_thread_loop_destroy(s.loop);
}

QImage PipeWireStream::copy(const QRect& rect) const {
    const State& s = *m_state;
    QMutexLocker lock(&s.mutex);
    if (!s.newest || s.format == QImage::Format_Invalid || rect.isEmpty() || s.ended || s.stoppedAt != kNever) return {};
    const spa_data& d = s.newest->buffer->datas[0];
    const int stride = d.chunk->stride > 0 ? d.chunk->stride : s.frameSize.width() * 4;
    const auto* bits = static_cast<const uchar*>(d.data) + d.chunk->offset;
    if (static_cast<qsizetype>(stride) * s.frameSize.height() > d.maxsize - d.chunk->offset) return {};
    // Wraps the frame where it lies; nothing is copied but the rectangle.
    const QImage frame(bits, s.frameSize.width(), s.frameSize.height(), stride, s.format);
    const QRect area = s.area.isEmpty() ? QRect(QPoint(0, 0), s.frameSize) : s.area;
    QImage shot(rect.size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    const QRect inside = rect & area;
    if (!inside.isEmpty()) {
        QPainter p(&shot);
        // A scaled desktop sends its frames in device pixels: bring them to screen pixels.
        const double sx = double(frame.width()) / area.width(), sy = double(frame.height()) / area.height();
        const QRect source(qRound((inside.x() - area.x()) * sx), qRound((inside.y() - area.y()) * sy),
                           qRound(inside.width() * sx), qRound(inside.height() * sy));
        p.drawImage(QRect(inside.topLeft() - rect.topLeft(), inside.size()), frame, source);
    }
    return shot;
}

std::optional<QPoint> PipeWireStream::cursorPos() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->cursor;
}

PipeWireStream::Status PipeWireStream::status() const {
    const State& s = *m_state;
    const qint64 now = nowMs(), stopped = s.stoppedAt;
    if (s.ended || (stopped != kNever && now - stopped > kGraceMs)) return Status::Ended;
    QMutexLocker lock(&s.mutex);
    if (s.pictured) return Status::Pictures;
    return now - s.connectedAt > kGraceMs ? Status::NoPicture : Status::Waiting;
}

} // namespace kx
