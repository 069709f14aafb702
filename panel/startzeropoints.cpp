// The calipers' zero points: read from the settings store at load, followed by the model and the
// sliders, and written back a second after they change and at the close, each only where it differs
// from what the store was last given or read, so that a value edited in the settings file while the
// program runs is not overwritten by an unchanged one.

#include "panel/start.h"

#include <QCoreApplication>

namespace kx {

void Start::loadZeroPoint(ZeroPoint& z) {
    const StoredSetting& s = *z.setting;
    z.bar->setMaximum(static_cast<int>(s.maximum));
    z.bar->setMinimum(static_cast<int>(s.minimum));
    // A stored value that is not a zero point within the range is replaced by the default.
    const int zero =
        storedInteger(s, env().settings.getSetting(setting::kApp, s.section, s.key, s.defaultText));
    z.label->setCaption(QString::number(zero));
    z.kept = z.label->caption();
    if (z.bar->value() != zero)
        z.bar->setValue(zero);
    else
        zeroPointMoved(z); // the position stood there already: the label and the model still follow it
}

void Start::HScroll1_Change() {
    zeroPointMoved(zeroPoint(Axis::Horizontal));
}

void Start::VScroll1_Change() {
    zeroPointMoved(zeroPoint(Axis::Vertical));
}

void Start::zeroPointMoved(ZeroPoint& z) {
    z.label->setCaption(QString::number(z.bar->value()));
    m.*z.zero = Variant::fromText(z.label->caption());
    // The first change starts the countdown and later ones join it, so that holding a scroll arrow
    // writes once.
    for (const ZeroPoint& point : m_zeroPoints)
        if (point.label->caption() != point.kept) m_saveTimer->setEnabled(true);
}

void Start::saveChangedZeroPoints() {
    m_saveTimer->setEnabled(false);
    for (ZeroPoint& z : m_zeroPoints) {
        if (z.label->caption() == z.kept) continue;
        z.kept = z.label->caption();
        z.written = true;
        env().settings.saveSetting(setting::kApp, z.setting->section, z.setting->key, z.kept);
    }
}

void Start::Command1_Click() {
    for (const ZeroPoint& z : m_zeroPoints)
        m.*z.sliderOffset = Variant::fromText(z.label->caption());
}

QString Start::zeroPointText(Axis axis) const {
    return zeroPoint(axis).label->caption();
}

void Start::reportSaveFailure(const SaveFailure& failure) {
    const bool load = failure.kind == SettingsFailure::Kind::Load;
    // What this run wrote may not have reached the store: it counts as not written, so that the next
    // save or the close writes it again.
    if (!load)
        for (ZeroPoint& z : m_zeroPoints)
            if (z.written) z.kept.clear();
    if (std::exchange(m_saveFailureShown, true)) return;
    const QString text =
        load ? QCoreApplication::translate("Kalibrix", "The calibration could not be read.\n\nFile: %1\nReason: %2\n\n"
                                                       "Kalibrix starts from the default zero points, and cannot keep "
                                                       "the calibration while the file cannot be read.")
             : QCoreApplication::translate("Kalibrix", "The calibration could not be saved.\n\nFile: %1\nReason: %2\n\n"
                                                       "Kalibrix goes on working, but the calibration will not be kept "
                                                       "after it ends.");
    forms::showMessageWindow(this, app().title(), text.arg(failure.path, failure.reason));
}

} // namespace kx
