#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace kx {

class Clock;

// The display this program shows its windows on, as the environment names it: DISPLAY on X11,
// WAYLAND_DISPLAY on Wayland, the platform's name elsewhere. Once the application object exists.
QString thisDisplay();

// One running program per user and display (on Windows: per user and session). The first start claims
// the place; a later start by the same user on the same display asks the running program to come to the
// front instead, and ends. A program that crashed leaves nothing behind that stops the next start.
// Nothing another user does reaches the running program, ends or stops it, or makes a later start miss
// it.
class SingleInstance {
public:
    // `display` as the environment names it: ":0", ":0.0", "unix:0" and "unix:0.0" are one display. The
    // running program times the connections of later starts on `clock`.
    explicit SingleInstance(Clock& clock, const QString& display = thisDisplay());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this program may run: no other one runs for this user and display. False when another
    // one runs: it has been asked to come to the front (or said on stderr that it does not answer).
    bool claim();
    // Runs in the running program when a later start asks it to come to the front.
    std::function<void()> onActivationRequest;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace kx
