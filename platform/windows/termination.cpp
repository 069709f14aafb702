#include "platform/termination.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <windows.h>

namespace kx {

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

} // namespace kx
