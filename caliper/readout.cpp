#include "caliper/readout.h"

#include <QFontDatabase>
#include <cmath>

namespace kx {

namespace {

// The desktop's sans font first, then narrower sans fonts, widest first.
constexpr const char* kFamilies[] = {"Sans Serif", "DejaVu Sans Condensed", "Liberation Sans Narrow",
                                     "Nimbus Sans Narrow"};
constexpr double kPixelsPerPoint = 96.0 / 72.0; // at scale 1
constexpr double kDesignPoints = 8;             // the standard dialog font
constexpr double kSmallestPoints = 6;

bool installed(const QString& family, const QStringList& families) {
    const QString withFoundry = family + QStringLiteral(" [");
    for (const QString& f : families)
        if (f == family || f.startsWith(withFoundry)) return true;
    return false;
}

} // namespace

// The reading must show whole: sign, every digit, the separator and the unit. Starting from the
// dialog font's 8 points in the desktop's sans font, the caption is wrapped at blanks as the label
// wraps it; where it does not fit the box, the installed narrower families are tried, widest first,
// then each of them one pixel smaller, down to 6 points. If nothing fits even then, the narrowest
// family at 6 points is used and the label breaks the number where it must: nothing is cut at the
// sides.
forms::CaptionLayout readoutLayout(const QString& reading, QSize box, Qt::Alignment alignment, double scale,
                                   const QStringList& installedFamilies) {
    QStringList families;
    for (const char* family : kFamilies) {
        const QString name = QString::fromLatin1(family);
        if (families.isEmpty() || installed(name, installedFamilies)) families << name;
    }
    const int largest = static_cast<int>(std::lround(kDesignPoints * kPixelsPerPoint * scale));
    const int smallest = static_cast<int>(std::ceil(kSmallestPoints * kPixelsPerPoint * scale - 1e-9));
    auto layoutIn = [&](const QString& family, int pixels) {
        QFont font(family);
        font.setPixelSize(pixels);
        // Glyphs at their design widths: an engine that hints them across as well (FreeType's full
        // hinting, Windows' GDI) rounds each advance up at these sizes and breaks a reading that fits.
        font.setHintingPreference(QFont::PreferVerticalHinting);
        return forms::layoutCaption(reading, font, box, alignment);
    };
    for (int pixels = largest; pixels >= smallest; --pixels) {
        for (const QString& family : families) {
            forms::CaptionLayout layout = layoutIn(family, pixels);
            if (!layout.wordsBroken && layout.fits(box)) return layout;
        }
    }
    return layoutIn(families.back(), smallest);
}

ReadoutFit::ReadoutFit() : m_families(QFontDatabase::families()) {}

void ReadoutFit::show(forms::Label& label, const QString& reading, double scale) {
    if (reading != m_laidOut || label.size() != m_laidOutBox) {
        label.setFont(readoutLayout(reading, label.size(), label.alignment(), scale, m_families).font);
        m_laidOut = reading;
        m_laidOutBox = label.size();
    }
    label.setCaption(reading);
}

} // namespace kx
