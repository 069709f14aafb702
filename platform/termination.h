#pragma once

#include <QObject>
#include <functional>

namespace kx {

// Requests to end the program that come from outside its windows: a logout or a service manager's
// stop (SIGTERM), a closed terminal (SIGHUP), Ctrl+C (SIGINT) and Ctrl+\ (SIGQUIT). Each runs `end` on
// the user-interface thread, which closes the program as the user would; the event loop then returns
// 0, or 131 after SIGQUIT, as a shell reports a quit. Requests that arrive before the event loop runs
// wait for it. On Windows the end of the session (WM_ENDSESSION) closes the program the same way
// before the system ends it.
class TerminationRequests final : public QObject {
public:
    explicit TerminationRequests(std::function<void()> end);
    ~TerminationRequests() override;

private:
    void handle();
    std::function<void()> m_end;
};

// While it exists, runs `keep` when something inside a library ends the program with exit() instead
// of letting its windows close: Qt does so when the connection to the X server or the Wayland
// compositor breaks. `keep` runs during the exit, on the thread that called it.
class AbruptExitGuard {
public:
    explicit AbruptExitGuard(std::function<void()> keep);
    ~AbruptExitGuard();
    AbruptExitGuard(const AbruptExitGuard&) = delete;
    AbruptExitGuard& operator=(const AbruptExitGuard&) = delete;

private:
    std::function<void()> m_keep;
};

} // namespace kx
