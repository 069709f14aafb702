#include "forms/caption.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace kx::forms {

namespace {

// How far a line's pixels reach from its start on the baseline: the advance, widened where a glyph
// sticks out on either side.
std::pair<int, int> lineExtent(const QFontMetrics& fm, const QString& line) {
    const QRect ink = fm.boundingRect(line);
    return {std::min(0, ink.left()), std::max(fm.horizontalAdvance(line), ink.right() + 1)};
}

int lineWidth(const QFontMetrics& fm, const QString& line) {
    const auto [left, right] = lineExtent(fm, line);
    return right - left;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// A line without the blanks that end it.
QString shownPart(const QString& line) {
    qsizetype end = line.size();
    while (end > 0 && isBlank(line.at(end - 1))) --end;
    return line.left(end);
}

// Where a word too wide for the line is broken: after the longest start of it that fits, moved back
// to just before a decimal separator when that start fits too; at least one character.
qsizetype breakWord(const QFontMetrics& fm, const QString& caption, qsizetype lineStart, qsizetype wordStart,
                    qsizetype wordEnd, int width) {
    qsizetype end = wordEnd - 1;
    if (end == wordStart) return wordEnd; // a single character takes the line alone
    while (end > wordStart + 1 && lineWidth(fm, caption.mid(lineStart, end - lineStart)) > width) --end;
    for (qsizetype k = end; k > wordStart; --k) {
        const QChar c = caption.at(k);
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) return k;
    }
    return end;
}

} // namespace

bool CaptionLayout::fits(QSize box) const {
    return lines.size() * lineHeight <= box.height() &&
           (ink.isEmpty() || QRect(QPoint(0, 0), box).contains(ink));
}

CaptionLayout layoutCaption(const QString& caption, const QFont& font, QSize box, Qt::Alignment alignment) {
    CaptionLayout layout;
    layout.font = font;
    const QFontMetrics fm(font);
    layout.lineHeight = fm.height();
    const qsizetype n = caption.size();
    qsizetype pos = 0;
    while (pos < n) {
        // A line takes words, each with the blanks before it, while they fit; the blanks after its
        // last word stay with it, unseen.
        const qsizetype lineStart = pos;
        qsizetype end = lineStart;
        while (end < n) {
            qsizetype wordStart = end;
            while (wordStart < n && isBlank(caption.at(wordStart))) ++wordStart;
            if (wordStart == n) {
                end = n;
                break;
            }
            qsizetype wordEnd = wordStart;
            while (wordEnd < n && !isBlank(caption.at(wordEnd))) ++wordEnd;
            if (lineWidth(fm, caption.mid(lineStart, wordEnd - lineStart)) <= box.width()) {
                end = wordEnd;
                continue;
            }
            if (end == lineStart) { // the word alone is too wide
                end = breakWord(fm, caption, lineStart, wordStart, wordEnd, box.width());
                layout.wordsBroken = true;
            }
            break;
        }
        while (end < n && isBlank(caption.at(end))) ++end;
        layout.lines << caption.mid(lineStart, end - lineStart);
        pos = end;
    }

    // Placed as the painter places a line of text: the block's height in fractions of a pixel, the
    // baseline rounded.
    const QFontMetricsF fmf(font);
    const double blockHeight = (layout.lines.size() - 1) * layout.lineHeight + fmf.ascent() + fmf.descent();
    double top = (box.height() - blockHeight) / 2;
    if (alignment & Qt::AlignTop) top = 0;
    else if (alignment & Qt::AlignBottom) top = box.height() - blockHeight;
    for (qsizetype i = 0; i < layout.lines.size(); ++i) {
        const QString shown = shownPart(layout.lines.at(i));
        const auto [left, right] = lineExtent(fm, shown);
        int x = -left;
        if (alignment & Qt::AlignRight) x = box.width() - right;
        else if (alignment & Qt::AlignHCenter) x = (box.width() - (right - left)) / 2 - left;
        const QPoint origin(x, qRound(top + int(i) * layout.lineHeight + fmf.ascent()));
        layout.origins << origin;
        const QRect glyphs = fm.boundingRect(shown);
        if (!shown.isEmpty())
            layout.ink |= QRect(x + left, origin.y() + glyphs.top(), right - left, glyphs.height());
    }
    return layout;
}

void drawCaption(QPainter& painter, const CaptionLayout& layout) {
    painter.setFont(layout.font);
    for (qsizetype i = 0; i < layout.lines.size(); ++i)
        painter.drawText(layout.origins.at(i), shownPart(layout.lines.at(i)));
}

} // namespace kx::forms
