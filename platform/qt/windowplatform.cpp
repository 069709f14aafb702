#include "platform/displaysession.h"

#include <QtGlobal>

namespace kx {

void forgetChosenPlatform() {
    qunsetenv("QT_QPA_PLATFORM");
}

} // namespace kx
