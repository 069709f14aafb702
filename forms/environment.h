#pragma once

#include "platform/clock.h"
#include "platform/windowsystem.h"
#include "settings/settingsstore.h"

#include <QRect>
#include <stdexcept>

namespace kx::forms {

// A run-time error of the forms layer, such as giving the focus to a control that cannot take it.
class FormsError : public std::runtime_error {
public:
    FormsError(int number, const char* what) : std::runtime_error(what), m_number(number) {}
    int number() const { return m_number; }

private:
    int m_number;
};

// The platform services every window reaches.
struct Environment {
    Clock& clock;
    Screen& screen;
    WindowSystem& windows;
    SettingsStore& settings;
    Shell& shell;

    // Conversions at the primary monitor's twips per pixel; a window converts at its own (Form).
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QRect twipsRect(double left, double top, double width, double height) const;
    // The primary monitor's scale.
    double primaryScale() const;
};

} // namespace kx::forms
