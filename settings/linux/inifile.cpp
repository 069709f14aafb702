#include "settings/linux/inifile.h"

#include "settings/linux/inivalue.h"

#include <algorithm>

namespace kx::ini {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

// One logical line of the text: [start, end), where its first '=' outside quotes stands, and whether
// it runs to the end of the text inside a quote.
struct Line {
    qsizetype start = 0, end = 0, equals = -1;
    bool open = false;
};

// The next line from pos on, as QSettings splits the text: blanks and whole-line comments before it are
// skipped; it ends at a line break or a ';' outside quotes; a backslash takes the next character
// (or line break pair) with it. False at the end of the text.
bool readLine(QByteArrayView d, qsizetype& pos, Line& line) {
    const qsizetype n = d.size();
    qsizetype start = pos;
    while (start < n && isSpace(d[start]))
        ++start;
    bool quoted = false;
    line.equals = -1;
    qsizetype i = start;
    while (i < n) {
        const char c = d[i++];
        if (c == '=') {
            if (!quoted && line.equals < 0) line.equals = i - 1;
        } else if (isBreak(c)) {
            if (i == start + 1) {
                ++start;
            } else if (!quoted) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < n) {
                const char next = d[i++];
                if (i < n && ((next == '\n' && d[i] == '\r') || (next == '\r' && d[i] == '\n'))) ++i;
            }
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';') {
            if (i == start + 1) { // a comment line
                while (i < n && !isBreak(d[i]))
                    ++i;
                while (i < n && isSpace(d[i]))
                    ++i;
                start = i;
            } else if (!quoted) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.start = start;
    line.end = i;
    line.open = quoted;
    return i > start;
}

// The section a header line opens, as QSettings names it: "" for General, else the name and a '/'.
QString sectionKey(QByteArrayView header) {
    qsizetype close = header.indexOf(']');
    if (close < 0) close = header.size();
    const QByteArrayView name = header.first(close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0) return {};
    if (name.compare("%general", Qt::CaseInsensitive) == 0) return QString::fromLatin1(name.sliced(1)) + u'/';
    return unescapedKey(name) + u'/';
}

struct Entry {
    QString section, key; // the key in full: section and name
    Line line;
};

// A stretch of the text under one section header (or before the first one: header.start < 0).
struct Block {
    QString section;
    Line header{-1, -1};
    Line last{-1, -1};    // its last line, the header included
    QByteArray wantedKey; // the name that makes a line here the one key looked for, if any
};

struct Parsed {
    std::vector<Entry> entries;
    std::vector<Block> blocks;
    std::optional<Line> last;
};

// The text's lines, sections and keys; with `only`, the entries of that key alone (a quicker read).
Parsed parse(QByteArrayView d, const QString* only = nullptr) {
    Parsed p;
    auto openBlock = [&](const QString& section, const Line& header) {
        Block b{section, header, header, {}};
        if (only && only->startsWith(section)) b.wantedKey = only->sliced(section.size()).toUtf8();
        p.blocks.push_back(std::move(b));
    };
    openBlock({}, Line{-1, -1});
    auto take = [&](const Line& line) {
        p.last = line;
        const QByteArrayView text = d.sliced(line.start, line.end - line.start);
        if (text.startsWith('[')) return openBlock(sectionKey(text), line);
        Block& block = p.blocks.back();
        block.last = line;
        if (line.equals < 0) return;
        const QByteArrayView name = d.sliced(line.start, line.equals - line.start).trimmed();
        if (only && std::all_of(name.begin(), name.end(), [](char c) { return c > 0 && c != '%' && c != '\\'; })) {
            if (name != block.wantedKey) return; // plain ASCII: the name is the key as it stands
        }
        QString key = block.section + unescapedKey(name);
        if (only && key != *only) return;
        p.entries.push_back({block.section, std::move(key), line});
    };
    qsizetype pos = 0;
    Line line;
    if (d.startsWith("\xef\xbb\xbf")) {
        // QSettings passes over a byte order mark to find the first header, but reads the lines before
        // it (the General section) from the very start, the mark included.
        qsizetype header = 3, generalEnd = d.size();
        while (readLine(d, header, line))
            if (d[line.start] == '[') {
                generalEnd = line.start;
                break;
            }
        const QByteArrayView general = d.first(generalEnd);
        while (readLine(general, pos, line))
            take(line);
        pos = general.size();
    }
    while (readLine(d, pos, line))
        take(line);
    return p;
}

// QSettings reads the sections in the order of their names, and a later line of a key replaces an
// earlier one: the line that counts is the one in the last-named section, the last there.
template <typename Visit>
void winners(const Parsed& p, Visit visit) {
    std::map<QString, const Entry*> best;
    for (const Entry& e : p.entries) {
        const Entry*& b = best[e.key];
        if (!b || e.section >= b->section) b = &e;
    }
    for (const auto& [key, entry] : best) visit(key, *entry);
}

const Entry* winner(const Parsed& p, const QString& key) {
    const Entry* best = nullptr;
    for (const Entry& e : p.entries)
        if (e.key == key && (!best || e.section >= best->section)) best = &e;
    return best;
}

std::optional<QString> entryText(QByteArrayView d, const Entry& e) {
    return textOf(d.sliced(e.line.equals + 1, e.line.end - e.line.equals - 1));
}

QByteArray sectionHeader(const QString& section) {
    const QByteArray name = escapedKey(section);
    if (name.compare("general", Qt::CaseInsensitive) == 0) return "[%General]";
    return '[' + name + ']';
}

struct Splice {
    qsizetype pos, removed;
    QByteArray inserted;
};

} // namespace

std::optional<QString> value(QByteArrayView data, const QString& section, const QString& key) {
    const QString wanted = section + u'/' + key;
    const Parsed p = parse(data, &wanted);
    const Entry* e = winner(p, wanted);
    return e ? entryText(data, *e) : std::nullopt;
}

namespace {
std::map<QString, std::optional<QString>> valuesOf(QByteArrayView data, const Parsed& p) {
    std::map<QString, std::optional<QString>> result;
    winners(p, [&](const QString& key, const Entry& e) { result.emplace(key, entryText(data, e)); });
    return result;
}
} // namespace

std::map<QString, std::optional<QString>> values(QByteArrayView data) {
    return valuesOf(data, parse(data));
}

std::optional<QByteArray> edited(const QByteArray& data, const std::vector<Change>& changes) {
    const Parsed p = parse(data);
    const qsizetype n = data.size();
    const QByteArray eol = data.contains("\r\n") ? "\r\n" : "\n";
    // Text added at the end must start on a line of its own: after a line break that no backslash
    // takes and no quote holds.
    const bool endsLine = n == 0 || (isBreak(data[n - 1]) && (!p.last || p.last->end < n));
    const bool endsOpen = p.last && p.last->open;
    std::vector<Splice> edits;
    std::vector<std::pair<QString, QByteArray>> newSections; // in the order first needed
    for (const Change& c : changes) {
        const QString section = c.section + u'/';
        const QByteArray entry = escapedKey(c.key) + '=' + escapedValue(c.value);
        if (const Entry* e = winner(p, section + c.key)) {
            if (entryText(data, *e) == c.value) continue;
            qsizetype start = e->line.equals + 1, end = e->line.end;
            while (start < end && (data[start] == ' ' || data[start] == '\t'))
                ++start;
            while (end > start && isSpace(data[end - 1]))
                --end;
            edits.push_back({start, end - start, escapedValue(c.value)});
            continue;
        }
        const auto block = std::find_if(p.blocks.rbegin(), p.blocks.rend(), [&](const Block& b) {
            return b.header.start >= 0 && b.section == section;
        });
        const bool headerOpen = block != p.blocks.rend() && block->last.open && block->last.start == block->header.start;
        if (block == p.blocks.rend() || headerOpen) {
            auto s = std::find_if(newSections.begin(), newSections.end(), [&](const auto& s) { return s.first == c.section; });
            if (s == newSections.end())
                newSections.push_back({c.section, sectionHeader(c.section) + eol + entry + eol});
            else
                s->second += entry + eol;
        } else if (block->last.open) {
            edits.push_back({block->last.start, 0, entry + eol}); // before the line that runs to the end
        } else if (block->last.end == n) {
            edits.push_back({n, 0, (endsLine ? QByteArray() : eol) + entry + eol});
        } else {
            qsizetype after = block->last.end; // past the line's comment and its line break
            while (after < n && !isBreak(data[after]))
                ++after;
            if (after < n) after += data[after] == '\r' && after + 1 < n && data[after + 1] == '\n' ? 2 : 1;
            edits.push_back({after, 0, (after == n && !endsLine ? eol : QByteArray()) + entry + eol});
        }
    }
    if (!newSections.empty()) {
        QByteArray added;
        for (const auto& s : newSections) {
            if (!added.isEmpty() || (!endsOpen && n > 0)) added += eol;
            added += s.second;
        }
        if (endsOpen) {
            // Before the section that holds the last line, or before that line where it has no header
            // (the General section, opened again after the new ones).
            const Block& last = p.blocks.back();
            added += eol;
            if (last.header.start < 0) added += "[General]" + eol;
            edits.push_back({last.header.start < 0 ? p.last->start : last.header.start, 0, added});
        } else {
            edits.push_back({n, 0, (endsLine ? QByteArray() : eol) + added});
        }
    }
    if (edits.empty()) return data;
    std::stable_sort(edits.begin(), edits.end(), [](const Splice& a, const Splice& b) { return a.pos < b.pos; });
    QByteArray out;
    out.reserve(n + 256);
    qsizetype at = 0;
    for (const Splice& e : edits) {
        out += data.sliced(at, e.pos - at);
        out += e.inserted;
        at = e.pos + e.removed;
    }
    out += data.sliced(at);

    // Everything reads back as it was, but for the changes.
    std::map<QString, std::optional<QString>> expected = valuesOf(data, p);
    for (const Change& c : changes) expected[c.section + u'/' + c.key] = c.value;
    if (values(out) != expected) return std::nullopt;
    return out;
}

} // namespace kx::ini
