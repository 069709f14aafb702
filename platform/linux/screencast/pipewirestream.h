#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <memory>
#include <optional>

namespace kx {

// One video stream of the desktop's screen received over PipeWire, on PipeWire's own thread. The newest
// frame is kept as PipeWire delivered it (no copy per frame); copy() cuts a rectangle out of it on the
// caller's thread.
class PipeWireStream {
public:
    // remoteFd: a connection to PipeWire (taken over); node: the stream's node; area: where the stream's
    // picture lies on the desktop, in screen pixels (an empty area: at the origin, the frames' size).
    PipeWireStream(int remoteFd, quint32 node, const QRect& area);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // The desktop's pixels in rect from the newest frame, black outside the stream's area; a null image
    // before the first frame and whenever the stream is not streaming (never a stale picture).
    QImage copy(const QRect& rect) const;
    // The pointer on the desktop as the stream's cursor data last placed it.
    std::optional<QPoint> cursorPos() const;
    // Waiting for the first picture; pictures come; no picture came within two seconds of connecting;
    // the stream failed, was ended, or has been idle or unconnected for two seconds: no frames follow.
    enum class Status { Waiting, Pictures, NoPicture, Ended };
    Status status() const;

    struct State;

private:
    std::unique_ptr<State> m_state;
};

} // namespace kx
