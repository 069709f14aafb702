#pragma once

// The settings file's INI text, read line by line exactly as QSettings reads it (its lines, sections,
// keys, quotes, escapes and typed values), and edited one key at a time so that every other line stays
// as it stands.

#include "settings/nativestore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace kx::ini {

using Change = native::Change;

// The text QSettings gives for section/key (its value(...).toString()); nullopt where QSettings holds
// no value: the key is absent, or its value is @Invalid().
std::optional<QString> value(QByteArrayView data, const QString& section, const QString& key);
// Every key QSettings reads from the text ("section/key", "key" for the General section) with its
// text, as value() gives it.
std::map<QString, std::optional<QString>> values(QByteArrayView data);

// The text with the changes made: a key's value replaced where QSettings reads it, a new key added
// after its section's last line, a new section at the end. Where the last line never ends (a quote
// left open runs to the end of the file), additions go before that line, so that they are read.
// Every other byte stays. Nullopt when the result would not read back as every key before with the
// changes: the file is then better left alone.
std::optional<QByteArray> edited(const QByteArray& data, const std::vector<Change>& changes);

} // namespace kx::ini
