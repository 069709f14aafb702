#include "platform/displaysession.h"

namespace kx {

// Windows has one window platform, and its desktop is always there; a Windows program under Wine sees
// the Linux desktop's variables too, which say nothing about it.
bool onWaylandSession() {
    return false;
}

bool chooseWindowPlatform() {
    return false;
}

QString displayProblem(std::chrono::milliseconds) {
    return {};
}

} // namespace kx
