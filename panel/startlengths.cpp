// Real lengths as the panel holds them: the switch and the known-length scale (kept by TrueLengths),
// Label7's scale, and the monitor each caliper measures on.

#include "panel/start.h"

#include "caliper/slider.h"
#include "panel/truelengths.h"

namespace kx {

TrueLengths& Start::trueLengths() {
    if (!m_trueLengths) m_trueLengths = std::make_unique<TrueLengths>(env().settings);
    return *m_trueLengths;
}

void Start::setTrueSize(bool on) {
    trueLengths().setOn(on);
}

void Start::HScroll2_Change() {
    Label7->setCaption(QString::number(HScroll2->value()));
    // Moving the scroll bar goes back to the whole-number scale.
    if (m.KnownLengthScale > 0) {
        m.KnownLengthScale = 0;
        trueLengths().setKnownLengthScale(0);
    }
}

void Start::setKnownLengthScale(double scale) {
    trueLengths().setKnownLengthScale(scale);
    m.KnownLengthScale = trueLengths().knownLengthScale();
    Label7->setCaption(m.KnownLengthScale > 0 ? scaleText(m.KnownLengthScale)
                                              : QString::number(HScroll2->value()));
}

ScreenInfo Start::caliperMonitor(const Slider& slider) {
    // The beam is there whenever its slider is, except while the program ends: the slider then stands for it.
    const forms::Form* beam = app().existing(slider.twin().beam);
    const QWidget& holder = beam ? static_cast<const QWidget&>(*beam) : slider;
    return screenAt(env().screen.screens(), holder.frameGeometry().center());
}

ScreenInfo Start::caliperMonitor(const SliderTwin& twin) {
    if (const forms::Form* beam = app().existing(twin.beam))
        return screenAt(env().screen.screens(), beam->frameGeometry().center());
    // A caliper not made yet: its beam's design place, which lies on the primary monitor.
    return primaryScreen(env().screen.screens());
}

double Start::pixelsPerInch(const Slider& slider) {
    if (!trueLengths().on()) return 0;
    return trueLengths().pixelsPerInch(caliperMonitor(slider), slider.twin().axis);
}

} // namespace kx
