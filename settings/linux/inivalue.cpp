#include "settings/linux/inivalue.h"

#include <QBuffer>
#include <QDataStream>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringDecoder>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cstring>

namespace kx::ini {

namespace {

bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

bool isHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A value's text as QSettings unescapes it: quotes, backslash escapes, continuation lines, and
// unquoted commas, which make a list. True for a list.
bool unescapedValue(QByteArrayView s, QString& text, QStringList& list) {
    static constexpr char kCodes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                         {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    const qsizetype n = s.size();
    bool isList = false, inQuotes = false, quoted = false;
    qsizetype i = 0, chopLimit = 0;
    char16_t code = 0;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    auto chop = [&] {
        qsizetype end = text.size();
        while (end > chopLimit && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
            --end;
        text.truncate(end);
    };
    auto done = [&] {
        if (isList) list.append(text);
        return isList;
    };
    enum { SkipSpaces, Normal, Hex, Octal } state = SkipSpaces;
    for (;;) {
        if (state == SkipSpaces) {
            while (i < n && (s[i] == ' ' || s[i] == '\t'))
                ++i;
            state = Normal;
        }
        if (state == Hex || state == Octal) {
            if (i >= n) {
                text += QChar(code);
                return done();
            }
            char c = s[i];
            if (state == Hex && c >= 'a') c -= 'a' - 'A';
            const bool digit = state == Hex ? (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') : c >= '0' && c <= '7';
            if (digit) {
                code = state == Hex ? char16_t(code << 4) + (c <= '9' ? c - '0' : c - 'A' + 10) : char16_t(code << 3) + (c - '0');
                ++i;
                continue;
            }
            text += QChar(code);
            state = Normal;
        }
        chopLimit = text.size(); // the state "normal" starts here
        state = SkipSpaces;      // where the loop below leaves to, unless it says otherwise
        bool next = false;
        while (i < n && !next) {
            const char c = s[i];
            if (c == '\\') {
                if (++i >= n) return done();
                const char e = s[i++];
                const auto named = std::find_if(std::begin(kCodes), std::end(kCodes), [e](const char* k) { return k[0] == e; });
                if (named != std::end(kCodes)) {
                    text += QLatin1Char((*named)[1]);
                    state = Normal;
                    next = true;
                } else if (e == 'x') {
                    code = 0;
                    if (i >= n) return done();
                    if (isHexDigit(static_cast<unsigned char>(s[i]))) {
                        state = Hex;
                        next = true;
                    }
                } else if (e >= '0' && e <= '7') {
                    code = e - '0';
                    state = Octal;
                    next = true;
                } else if (isBreak(e)) {
                    if (i < n && isBreak(s[i]) && s[i] != e) ++i;
                }
                if (!next) chopLimit = text.size();
            } else if (c == '"') {
                ++i;
                quoted = true;
                inQuotes = !inQuotes;
                next = !inQuotes; // to SkipSpaces
            } else if (c == ',' && !inQuotes) {
                if (!quoted) chop();
                isList = true;
                list.append(text);
                text.clear();
                quoted = false;
                ++i;
                next = true; // to SkipSpaces
            } else {
                qsizetype j = i + 1;
                while (j < n && s[j] != '\\' && s[j] != '"' && s[j] != ',')
                    ++j;
                text += fromUtf8(s.sliced(i, j - i));
                i = j;
            }
        }
        if (!next) {
            if (!quoted) chop();
            return done();
        }
    }
}

// The number of arguments QSettings splits out of "@Rect(...)" and the like.
qsizetype argumentCount(QStringView s, qsizetype open) {
    qsizetype count = 0;
    for (const QChar c : s.sliced(open + 1))
        count += c == u')' || c == u' ';
    return count;
}

QVariant typedValue(const QString& s) {
    if (s.startsWith(u'@') && s.endsWith(u')')) {
        if (s.startsWith(QLatin1String("@ByteArray("))) return QStringView(s).sliced(11).chopped(1).toLatin1();
        if (s.startsWith(QLatin1String("@String("))) return QStringView(s).sliced(8).chopped(1).toString();
        const bool dateTime = s.startsWith(QLatin1String("@DateTime("));
        if (dateTime || s.startsWith(QLatin1String("@Variant("))) {
            QByteArray bytes = QStringView(s).sliced(dateTime ? 10 : 9).toLatin1();
            QDataStream stream(&bytes, QIODevice::ReadOnly);
            stream.setVersion(dateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
            QVariant result;
            stream >> result;
            return result;
        }
        if (s.startsWith(QLatin1String("@Rect(")) && argumentCount(s, 5) == 4) return QRect();
        if (s.startsWith(QLatin1String("@Size(")) && argumentCount(s, 5) == 2) return QSize();
        if (s.startsWith(QLatin1String("@Point(")) && argumentCount(s, 6) == 2) return QPoint();
        if (s == QLatin1String("@Invalid()")) return {};
    }
    if (s.startsWith(QLatin1String("@@"))) return s.sliced(1);
    return s;
}

} // namespace

// A key or section name as QSettings decodes it: '\' stands for '/', %XX and %UXXXX for a character.
QString unescapedKey(QByteArrayView key) {
    const QString decoded = QString::fromUtf8(key);
    QString result;
    const qsizetype size = decoded.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = decoded[i];
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == size - 1) {
            result += c;
            ++i;
            continue;
        }
        const bool wide = decoded[i + 1] == u'U';
        const qsizetype first = i + (wide ? 2 : 1), digits = wide ? 4 : 2;
        bool ok = false;
        const ushort code = first + digits <= size ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

std::optional<QString> textOf(QByteArrayView raw) {
    QString text;
    QStringList list;
    QVariant v;
    if (unescapedValue(raw, text, list)) {
        // A list whose items start with '@' holds typed values; "@@" stands for a plain '@'.
        const bool typed = std::any_of(list.begin(), list.end(), [](const QString& item) {
            return item.startsWith(u'@') && !item.startsWith(QLatin1String("@@"));
        });
        if (typed) {
            QVariantList items;
            for (const QString& item : list) items.append(typedValue(item));
            v = items;
        } else {
            for (QString& item : list)
                if (item.startsWith(u'@')) item.remove(0, 1);
            v = list;
        }
    } else {
        v = typedValue(text);
    }
    return v.isValid() ? std::optional(v.toString()) : std::nullopt;
}

// A key or section name as QSettings writes it.
QByteArray escapedKey(const QString& key) {
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/')
            out += '\\';
        else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
                 c == u'-' || c == u'.')
            out += char(c);
        else if (c <= 0xFF)
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

// A text value as QSettings writes it.
QByteArray escapedValue(QString text) {
    if (text.contains(QChar::Null))
        text = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@'))
        text.prepend(u'@');
    QByteArray out;
    bool quotes = false, escapeHexDigit = false;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        quotes = quotes || c == u';' || c == u',' || c == u'=';
        if (escapeHexDigit && isHexDigit(c)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeHexDigit = false;
        static constexpr char kNamed[] = "\0\a\b\f\n\r\t\v\"\\";
        static constexpr char kNames[] = "0abfnrtv\"\\";
        if (const char* named = c < 0x80 ? static_cast<const char*>(std::memchr(kNamed, c, sizeof kNamed - 1)) : nullptr) {
            out += '\\';
            out += kNames[named - kNamed];
            escapeHexDigit = c == 0;
        } else if (c <= 0x1F) {
            out += "\\x" + QByteArray::number(c, 16);
            escapeHexDigit = true;
        } else {
            out += QString(qc).toUtf8();
        }
    }
    if (quotes || out.startsWith(' ') || out.endsWith(' ')) out = '"' + out + '"';
    return out;
}

} // namespace kx::ini
