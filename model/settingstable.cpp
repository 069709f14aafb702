#include "model/settingstable.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

QString number(double v) {
    return QString::number(v, 'g', 15);
}

} // namespace

int storedInteger(const StoredSetting& setting, const QString& text) {
    const int fallback = setting.defaultText.toInt();
    const QString t = text.trimmed();
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (t.size() == (negative ? 1 : 0)) return fallback;
    // Leading zeros are allowed however many there are; a magnitude beyond every range stops the sum
    // before it can overflow.
    constexpr long long kBeyondAnyRange = 1'000'000'000;
    long long v = 0;
    for (int i = negative ? 1 : 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return fallback;
        v = std::min(v * 10 + (c.unicode() - '0'), kBeyondAnyRange);
    }
    if (negative) v = -v;
    if (v < setting.minimum || v > setting.maximum) return fallback;
    return static_cast<int>(v);
}

bool storedSwitch(const StoredSetting&, const QString& text) {
    const QString t = text.trimmed();
    return t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1");
}

double storedFactor(const StoredSetting& setting, const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) && v > 0 && v >= setting.minimum && v <= setting.maximum ? v : 0;
}

PixelDensity storedDensity(const StoredSetting& setting, const QString& text) {
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    if (parts.size() != 2) return {};
    return {storedFactor(setting, parts[0]), storedFactor(setting, parts[1])}; // each 0 unless within range
}

QString switchText(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString factorText(double factor) {
    return factor > 0 ? number(factor) : QString();
}

QString densityText(const PixelDensity& density) {
    return number(density.x) + QLatin1Char(' ') + number(density.y);
}

QString monitorKey(const StoredSetting& setting, const QStringList& names) {
    QString key = setting.key;
    for (const QString& name : names) {
        if (name.trimmed().isEmpty()) continue;
        key += QLatin1Char('.');
        for (const QChar c : name.trimmed()) {
            const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
            key += plain ? c : QLatin1Char('_');
        }
    }
    return key;
}

} // namespace kx
