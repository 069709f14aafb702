#pragma once

#include "forms/forms.h"

#include <QStringList>

namespace kx {

// The font and the lines in which a slider shows a reading in its readout box (device pixels) at
// `scale` device pixels per 1/96 inch, choosing among the installed font families.
forms::CaptionLayout readoutLayout(const QString& reading, QSize box, Qt::Alignment alignment, double scale,
                                   const QStringList& installedFamilies);

} // namespace kx
