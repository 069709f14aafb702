#pragma once

#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

namespace kx::forms {

// A caption as a label shows it in a box: broken into lines at blanks, each line placed by the
// alignment. A word wider than the box is broken where it must be, before its decimal separator
// when that part fits, so that no character is lost.
struct CaptionLayout {
    QFont font;
    QStringList lines;     // consecutive pieces of the caption: joined, they give it back
    QList<QPoint> origins; // where each line's text starts on its baseline, in the box
    QRect ink;             // the pixels the lines cover, by the font's metrics
    int lineHeight = 0;
    bool wordsBroken = false;
    // Every line lies whole within the box.
    bool fits(QSize box) const;
};
CaptionLayout layoutCaption(const QString& caption, const QFont& font, QSize box, Qt::Alignment alignment);
// Draws the lines with the painter's pen, in the layout's font.
void drawCaption(QPainter& painter, const CaptionLayout& layout);

} // namespace kx::forms
