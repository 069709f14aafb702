// The screen on Windows: every program may copy it directly, and the system's screen size is what the
// monitors report.

#include "platform/qt/systemhooks.h"

namespace kx {

std::unique_ptr<SharedScreen> shareScreen(SettingsStore&) {
    return nullptr;
}

QSizeF displayServerMillimetres(QSize) {
    return {};
}

} // namespace kx
