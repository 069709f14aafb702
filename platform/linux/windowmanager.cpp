// Helping the X window manager with the program's windows on Linux. Every shaped window gets an alpha
// channel: KWin and wlroots compositors show XWayland windows without their X shape, black where it
// cuts, but leave transparent pixels transparent (outside the mask Qt leaves them so).
//
// A wlroots compositor's X window manager (sway, Hyprland, river, Wayfire: it calls itself "wlroots
// wm") tiles or centres the windows it manages and ignores where the program moves them. There the
// shaped windows bypass it (override-redirect), which it leaves where the program puts them, and this
// file keeps them above everything else, in the order they were shown: the compositor draws such
// windows in the order their surfaces appeared and ignores X restacking, so a window shown after
// another is mapped once more when that one has appeared; and XWayland gives a click to the window on
// top of X's stacking order, which the window manager changes when it activates a window, so that
// order is put back whenever another window is mapped or restacked. The windows it still manages
// (the control panel) it centres when they appear; under sway they are moved back to their place
// through sway's own command socket.

#include "platform/displaysession.h"
#include "platform/qt/systemhooks.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace kx {

namespace {

constexpr int kSecondMapMs = 250;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* x11() {
    auto* app = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

QByteArray property(xcb_connection_t* c, xcb_window_t window, const char* name, xcb_atom_t type) {
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    if (!atom) return {};
    const Reply<xcb_get_property_reply_t> value(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom->atom, type, 0, 64), nullptr),
        &std::free);
    if (!value) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                      xcb_get_property_value_length(value.get()));
}

// Whether the X window manager is a wlroots compositor's, by the name it announces.
bool underWlroots() {
    static const bool wlroots = [] {
        xcb_connection_t* c = x11();
        if (!c || !onWaylandSession()) return false;
        const QByteArray check = property(c, rootWindow(c), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
        if (check.size() != sizeof(xcb_window_t)) return false;
        xcb_window_t manager = 0;
        std::memcpy(&manager, check.constData(), sizeof manager);
        return property(c, manager, "_NET_WM_NAME", XCB_GET_PROPERTY_TYPE_ANY) == "wlroots wm";
    }();
    return wlroots;
}

bool bypassesManager(const QWidget* window) {
    return window->windowFlags().testFlag(Qt::X11BypassWindowManagerHint);
}

// Runs a command through sway's socket (the same protocol as i3's; its answer is not needed).
void swayCommand(const QByteArray& command) {
    const QByteArray path = qgetenv("SWAYSOCK");
    sockaddr_un address{};
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path) return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const uint32_t header[2] = {uint32_t(command.size()), 0}; // length, RUN_COMMAND
    const QByteArray message = QByteArrayLiteral("i3-ipc") +
                               QByteArray(reinterpret_cast<const char*>(header), sizeof header) + command;
    // Bounded waits (on a local socket the send timeout bounds the connection too); the answer is
    // awaited, as sway drops a client that leaves before its command is read.
    const timeval wait{1, 0};
    for (const int option : {SO_SNDTIMEO, SO_RCVTIMEO}) ::setsockopt(fd, SOL_SOCKET, option, &wait, sizeof wait);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL) == message.size()) {
        char answer[256];
        (void)::recv(fd, answer, sizeof answer, 0);
    }
    if (fd >= 0) ::close(fd);
}

// Puts a managed window back where the program showed it once the window manager has moved it away.
class Placing final : public QObject {
public:
    void shown(QWidget* window) {
        if (qEnvironmentVariableIsEmpty("SWAYSOCK")) return;
        window->setProperty(kWanted, window->geometry().topLeft());
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Move) return false;
        auto* window = static_cast<QWidget*>(watched);
        window->removeEventFilter(this);
        const QPoint by = window->property(kWanted).toPoint() - window->geometry().topLeft();
        if (!by.isNull())
            swayCommand(QStringLiteral("[id=%1] move right %2 px, move down %3 px")
                            .arg(window->winId())
                            .arg(by.x())
                            .arg(by.y())
                            .toUtf8());
        return false;
    }

private:
    static constexpr const char* kWanted = "kxWantedPlace";
};

class Stacking final : public QObject, public QAbstractNativeEventFilter {
public:
    Stacking() : m_x(x11()), m_root(rootWindow(m_x)) {
        // Told when any other window is mapped or restacked; Qt's own interest in the root is kept.
        const Reply<xcb_get_window_attributes_reply_t> root(
            xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, m_root), nullptr),
            &std::free);
        const uint32_t mask = (root ? root->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &mask);
        qApp->installNativeEventFilter(this);
    }

    void shown(QWidget* window) {
        hidden(window);
        m_order.push_back(window);
        m_unseen.push_back(window);
        window->windowHandle()->installEventFilter(this);
        keepOnTop();
    }

    void hidden(QWidget* window) {
        std::erase_if(m_order, [window](const QPointer<QWidget>& w) { return !w || w == window; });
        std::erase_if(m_unseen, [window](const QPointer<QWidget>& w) { return !w || w == window; });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* handle = static_cast<QWindow*>(watched);
        if (event->type() != QEvent::Expose || !handle->isExposed()) return false;
        const auto unseen =
            std::find_if(m_unseen.begin(), m_unseen.end(),
                         [handle](const QPointer<QWidget>& w) { return w && w->windowHandle() == handle; });
        if (unseen == m_unseen.end()) return false;
        // What was shown after it is mapped again once its picture has reached the X server, so that
        // the compositor takes it in later and draws it above; and once more a moment later, as under
        // load the compositor may take this window's picture in later still (1 start in 10 without).
        for (const int ms : {0, kSecondMapMs})
            QTimer::singleShot(ms, this, [this, window = *unseen] {
                if (window) mapAgainAbove(window);
            });
        m_unseen.erase(unseen);
        return false;
    }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* e = static_cast<const xcb_map_notify_event_t*>(message);
        const uint8_t type = e->response_type & 0x7f;
        // A configure notification starts as a map notification does: the window told, the window.
        static_assert(offsetof(xcb_map_notify_event_t, window) == offsetof(xcb_configure_notify_event_t, window));
        if ((type != XCB_MAP_NOTIFY && type != XCB_CONFIGURE_NOTIFY) || e->event != m_root || m_order.empty())
            return false;
        const std::vector<xcb_window_t> top = onTop();
        if (std::find(top.begin(), top.end(), e->window) == top.end()) keepOnTop();
        return false;
    }

private:
    void mapAgainAbove(QWidget* window) {
        window->repaint(); // drawn now rather than at Qt's next update
        std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr)); // the picture arrived
        auto later = std::find(m_order.begin(), m_order.end(), window);
        if (later == m_order.end()) return;
        for (++later; later != m_order.end(); ++later) {
            if (!*later || !(*later)->isVisible()) continue;
            const auto id = xcb_window_t((*later)->winId());
            xcb_unmap_window(m_x, id);
            xcb_map_window(m_x, id);
        }
        keepOnTop();
    }

    // The windows to keep on top, bottom first: the shaped ones in the order they were shown, then the
    // menus and tooltips that are open.
    std::vector<xcb_window_t> onTop() const {
        std::vector<xcb_window_t> ids;
        for (const QPointer<QWidget>& w : m_order)
            if (w && w->isVisible()) ids.push_back(xcb_window_t(w->winId()));
        for (const QWindow* w : QGuiApplication::topLevelWindows())
            if (w->isVisible() && (w->type() == Qt::Popup || w->type() == Qt::ToolTip))
                ids.push_back(xcb_window_t(w->winId()));
        return ids;
    }

    void keepOnTop() {
        const std::vector<xcb_window_t> top = onTop();
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_x, xcb_query_tree(m_x, m_root), nullptr), &std::free);
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const auto count = size_t(xcb_query_tree_children_length(tree.get()));
        if (count >= top.size() && std::equal(top.begin(), top.end(), children + count - top.size())) return;
        for (const xcb_window_t id : top) {
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(m_x, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        }
        xcb_flush(m_x);
    }

    xcb_connection_t* m_x;
    xcb_window_t m_root;
    std::vector<QPointer<QWidget>> m_order;  // bottom first
    std::vector<QPointer<QWidget>> m_unseen; // shown, not yet exposed
};

Stacking& stacking() {
    static Stacking* const instance = new Stacking; // lives as long as the X connection
    return *instance;
}

} // namespace

void prepareShapedWindow(QWidget* window) {
    if (window->testAttribute(Qt::WA_WState_Created)) return; // the visual is chosen at creation
    window->setAttribute(Qt::WA_TranslucentBackground);
    if (underWlroots()) window->setWindowFlag(Qt::X11BypassWindowManagerHint);
}

void windowShown(QWidget* window) {
    static Placing placing;
    if (!underWlroots()) return;
    if (bypassesManager(window))
        stacking().shown(window);
    else
        placing.shown(window);
}

void windowHidden(QWidget* window) {
    if (bypassesManager(window) && underWlroots()) stacking().hidden(window);
}

// One request for a move of a frameless window: Qt's own move also replaces the window's size hints
// every time, which the window manager reads again, redoing its frame, at every step of a drag
// (openbox took 1.3 % of a core for a beam dragged at 100 steps a second, 0.6 % without). The X server
// keeps the pixels of a window moved so (backing store): a slider moved over its beam uncovers a strip
// of the beam at every step, which would otherwise be painted and sent again.
bool moveShownWindow(QWidget* window, QPoint topLeft) {
    xcb_connection_t* c = x11();
    if (!c || !window->isWindow() || !window->isVisible() || !window->windowHandle() ||
        !window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return false;
    const auto id = xcb_window_t(window->winId());
    if (!window->property("kxKeepsPixels").toBool()) {
        window->setProperty("kxKeepsPixels", true);
        const uint32_t keep = XCB_BACKING_STORE_WHEN_MAPPED;
        xcb_change_window_attributes(c, id, XCB_CW_BACKING_STORE, &keep);
    }
    const uint32_t place[] = {uint32_t(topLeft.x()), uint32_t(topLeft.y())};
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    xcb_flush(c);
    return true;
}

} // namespace kx
