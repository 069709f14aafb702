#pragma once

#include "model/variant.h"

#include <QString>
#include <QtTest>

namespace kx {

// Readable failure messages when tests compare variants: the kind and the value.
inline char* toString(const Variant& v) {
    static const char* const kinds[] = {"Empty", "Text", "Single", "Double"};
    const QString shown = v.kind() == Variant::Kind::Text ? QLatin1Char('"') + v.text() + QLatin1Char('"')
                          : v.isEmpty()                    ? QString()
                                                           : QString::number(v.toDouble());
    return qstrdup(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(kinds[int(v.kind())]), shown)));
}

} // namespace kx
