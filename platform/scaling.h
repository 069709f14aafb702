#pragma once

#include <QList>
#include <QString>

namespace kx {

// The scale the desktop asks for, beyond the font resolution (Xft.dpi), which the screen reports itself:
// a factor for every monitor, and factors for single monitors by name or by their order.
struct RequestedScaling {
    double factor = 1.0;
    struct Entry {
        QString name; // empty: the monitor at this place in the list of monitors
        double factor = 1.0;
    };
    QList<Entry> screens;

    // The factor asked for the monitor with this name at this place in the list of monitors.
    double factorFor(const QString& name, int index) const;
};

// Reads a factor list as QT_SCREEN_SCALE_FACTORS gives it: "1.5;2" (by place) or "LEFT=1;RIGHT=2" (by
// name). Entries that are not a positive number are left out.
QList<RequestedScaling::Entry> parseScreenFactors(const QString& text);

// Switches Qt's own high-DPI scaling off before the application object exists and keeps what the
// environment asked for (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) for the program, which then places
// and draws everything in device pixels itself. Qt would otherwise place windows on a coarser grid
// than the device pixel and scale pictures and window outlines with rounding of its own.
void takeOverScaling();

// What takeOverScaling() found (factor 1 and no entries before it runs).
const RequestedScaling& requestedScaling();

} // namespace kx
