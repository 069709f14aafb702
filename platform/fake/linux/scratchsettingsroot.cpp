#include "platform/fake/settingsfakes.h"

namespace kx {

ScratchSettingsRoot::ScratchSettingsRoot() : m_root(m_dir.path()) {}

ScratchSettingsRoot::~ScratchSettingsRoot() = default;

} // namespace kx
