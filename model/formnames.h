#pragma once

#include <QString>

namespace kx::names {
inline const QString Start = QStringLiteral("Start");
inline const QString Form1 = QStringLiteral("Form1");   // horizontal beam
inline const QString Form2 = QStringLiteral("Form2");   // horizontal slider
inline const QString Form31 = QStringLiteral("Form31"); // vertical beam
inline const QString Form42 = QStringLiteral("Form42"); // vertical slider
inline const QString Zollstock = QStringLiteral("Zollstock");
} // namespace kx::names
