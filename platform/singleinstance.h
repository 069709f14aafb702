#pragma once

#include <QObject>
#include <functional>

class QLocalServer;

namespace kx {

// One running program per user and display (on Windows: per user and session). The first start
// claims the place; a later start by the same user on the same display asks the running program to
// come to the front instead. A program that crashed leaves nothing behind that stops the next start.
// Where the platform offers no way to find the running program, every start claims the place.
class SingleInstance final : public QObject {
public:
    SingleInstance();
    ~SingleInstance() override;
    // True when this program may run: no other one runs for this user and display, or none that it
    // can reach. False when another one runs and has been asked to come to the front.
    bool claim();
    // Runs in the running program when a later start asks it to come to the front.
    std::function<void()> onActivationRequest;

private:
    QLocalServer* m_server = nullptr;
    // Windows: the named mutex that holds the place, and the hidden window that hears the requests.
    void* m_mutex = nullptr;
    void* m_window = nullptr;
};

} // namespace kx
