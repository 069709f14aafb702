#pragma once

// Keys and values in the settings file's INI text, decoded and encoded exactly as QSettings does.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace kx::ini {

// A key or section name as QSettings decodes it: '\' stands for '/', %XX and %UXXXX for a character.
QString unescapedKey(QByteArrayView key);
// A key or section name as QSettings writes it.
QByteArray escapedKey(const QString& key);

// The text QSettings gives for a value as written after a key's '=' (quotes, backslash escapes and
// continuation lines, lists, typed values such as @ByteArray(...)), as its value(...).toString() does;
// nullopt for @Invalid().
std::optional<QString> textOf(QByteArrayView raw);
// A text value as QSettings writes it.
QByteArray escapedValue(QString text);

} // namespace kx::ini
