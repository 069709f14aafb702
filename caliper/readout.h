#pragma once

#include "forms/forms.h"

#include <QStringList>

namespace kx {

// The font and the lines in which a slider shows a reading in its readout box (device pixels) at
// `scale` device pixels per 1/96 inch, choosing among the installed font families.
forms::CaptionLayout readoutLayout(const QString& reading, QSize box, Qt::Alignment alignment, double scale,
                                   const QStringList& installedFamilies);

// Shows readings in a label, each in the font readoutLayout picks for it; the font is chosen anew only
// when the reading or the label's size changes. The slider's readouts and the panel's copies of them.
class ReadoutFit {
public:
    ReadoutFit(); // with the font families installed now
    void show(forms::Label& label, const QString& reading, double scale);

private:
    QStringList m_families;
    QString m_laidOut; // the reading and the label's size when its font was last chosen
    QSize m_laidOutBox;
};

} // namespace kx
