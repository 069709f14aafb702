#include "caliper/edgesettings.h"

#include "model/settingstable.h"

#include <algorithm>

namespace kx {

namespace {

QString read(SettingsStore& store, const StoredSetting& s) {
    return store.getSetting(setting::kApp, s.section, s.key, s.defaultText);
}

} // namespace

EdgeSettings::EdgeSettings(SettingsStore& store)
    : m_store(store), m_tolerance(storedInteger(setting::EdgeTolerance, read(store, setting::EdgeTolerance))),
      m_snap(storedSwitch(setting::SnapToEdges, read(store, setting::SnapToEdges))) {}

void EdgeSettings::setTolerance(int tolerance) {
    tolerance = std::clamp(tolerance, int(setting::EdgeTolerance.minimum), int(setting::EdgeTolerance.maximum));
    if (tolerance == m_tolerance) return;
    m_tolerance = tolerance;
    m_store.saveSetting(setting::kApp, setting::EdgeTolerance.section, setting::EdgeTolerance.key,
                        QString::number(tolerance));
}

void EdgeSettings::setSnap(bool on) {
    if (on == m_snap) return;
    m_snap = on;
    m_store.saveSetting(setting::kApp, setting::SnapToEdges.section, setting::SnapToEdges.key, switchText(on));
}

} // namespace kx
