#pragma once

// Every test double of the platform layer.
#include "platform/fake/fakescreen.h"
#include "platform/fake/fakeshell.h"
#include "platform/fake/fakewindowsystem.h"
#include "platform/fake/manualclock.h"

#include <QTemporaryDir>

namespace kx {

// A root of its own for the native settings store, so that a test of the real store leaves the
// user's settings alone: a temporary directory on Linux, a fresh key under
// HKEY_CURRENT_USER\Software on Windows. Removed again with this object.
class ScratchSettingsRoot {
public:
    ScratchSettingsRoot();
    ~ScratchSettingsRoot();
    ScratchSettingsRoot(const ScratchSettingsRoot&) = delete;
    ScratchSettingsRoot& operator=(const ScratchSettingsRoot&) = delete;
    const QString& root() const { return m_root; }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace kx
