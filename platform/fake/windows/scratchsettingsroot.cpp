#include "platform/fake/settingsfakes.h"

#include <QSettings>
#include <QUuid>

namespace kx {

namespace {
const QString kScratchParent = QStringLiteral("HKEY_CURRENT_USER\\Software");
}

ScratchSettingsRoot::ScratchSettingsRoot()
    : m_root(kScratchParent + QStringLiteral("\\Kalibrix test ") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

ScratchSettingsRoot::~ScratchSettingsRoot() {
    QSettings parent(kScratchParent, QSettings::NativeFormat);
    parent.remove(m_root.mid(kScratchParent.size() + 1));
}

} // namespace kx
