#pragma once

#include "settings/settingsstore.h"

#include <array>

namespace kx {

// How the jaws find edges on the screen, kept in the settings store's Edges section
// (setting::EdgeTolerance, setting::SnapToEdges): Tolerance=<0 ... 255>, Snap=true|false. A stored value
// that does not make sense reads as the default (10, off).
class EdgeSettings {
public:
    // The tolerances the menu offers: the exact colour, then 10, 30 and 60 of 255 per channel.
    static constexpr std::array<int, 4> kToleranceSteps{0, 10, 30, 60};

    explicit EdgeSettings(SettingsStore& store);

    int tolerance() const { return m_tolerance; }
    void setTolerance(int tolerance);
    // A dragged moving jaw stops on the edges it passes.
    bool snap() const { return m_snap; }
    void setSnap(bool on);

private:
    SettingsStore& m_store;
    int m_tolerance;
    bool m_snap;
};

} // namespace kx
