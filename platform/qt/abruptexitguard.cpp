#include "platform/termination.h"

#include <cstdlib>

namespace kx {

namespace {
std::function<void()>* g_keepAtExit = nullptr;

void keepAtExit() {
    if (auto* keep = std::exchange(g_keepAtExit, nullptr)) (*keep)();
}
} // namespace

AbruptExitGuard::AbruptExitGuard(std::function<void()> keep) : m_keep(std::move(keep)) {
    static const bool registered = std::atexit(keepAtExit) == 0;
    if (registered) g_keepAtExit = &m_keep;
}

AbruptExitGuard::~AbruptExitGuard() {
    if (g_keepAtExit == &m_keep) g_keepAtExit = nullptr;
}

} // namespace kx
