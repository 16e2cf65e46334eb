#include "settings/inifile.h"

namespace IniFile {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

bool needsQuotes(const QString &value)
{
    if (value.isEmpty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    for (QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'"' || c == u'\\' || c == u',' || c == u';'
            || c == u'#' || c == u'=')
            return true;
    }
    return false;
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Reads up to `digits` hex digits from s at i; -1 when there are none.
int readHex(QStringView s, qsizetype &i, int digits)
{
    int value = -1;
    for (int n = 0; n < digits && i < s.size() && hexValue(s[i]) >= 0; ++n, ++i)
        value = (value < 0 ? 0 : value * 16) + hexValue(s[i]);
    return value;
}

Section *findSection(Document &document, const QString &name)
{
    for (Section &section : document) {
        if (section.name == name)
            return &section;
    }
    return nullptr;
}

} // namespace

QString quoted(const QString &value)
{
    if (!needsQuotes(value))
        return value;
    QString out;
    out.reserve(value.size() + 8);
    out += u'"';
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString unquoted(QStringView raw)
{
    const QStringView s = trimmed(raw);
    if (s.isEmpty() || s.front() != u'"')
        return s.toString();
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 1; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"')
            break; // what follows the closing quote is ignored
        if (c != u'\\' || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const QChar e = s[++i];
        switch (e.unicode()) {
        case u'r': out += u'\r'; break;
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'0': out += QChar(0); break;
        case u'x':
        case u'u': {
            qsizetype j = i + 1;
            const int code = readHex(s, j, e == u'x' ? 2 : 4);
            if (code < 0) {
                out += e;
            } else {
                out += QChar(char16_t(code));
                i = j - 1;
            }
            break;
        }
        default: out += e; // \\ \" and anything unknown: the character itself
        }
    }
    return out;
}

Document parse(const QByteArray &bytes)
{
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QString all = QString::fromUtf8(text);
    Document document;
    Section *current = nullptr;
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = trimmed(line);
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            if (!line.endsWith(u']'))
                continue;
            const QString name = trimmed(line.sliced(1, line.size() - 2)).toString();
            current = findSection(document, name);
            if (!current) {
                document.append({name, {}});
                current = &document.last();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = trimmed(line.first(equals)).toString();
        if (key.isEmpty())
            continue;
        if (!current) {
            document.append({QStringLiteral("General"), {}});
            current = &document.last();
        }
        const QString value = unquoted(line.sliced(equals + 1));
        bool replaced = false;
        for (Entry &entry : current->entries) {
            if (entry.key == key) {
                entry.value = value; // the last of duplicate keys wins
                replaced = true;
            }
        }
        if (!replaced)
            current->entries.append({key, value});
    }
    return document;
}

QByteArray serialize(const Document &document)
{
    QString out;
    for (const Section &section : document) {
        if (!out.isEmpty())
            out += u'\n';
        out += u'[' + section.name + QLatin1String("]\n");
        for (const Entry &entry : section.entries)
            out += entry.key + u'=' + quoted(entry.value) + u'\n';
    }
    return out.toUtf8();
}

std::optional<QString> value(const Document &document, const QString &section, const QString &key)
{
    for (const Section &s : document) {
        if (s.name != section)
            continue;
        for (const Entry &entry : s.entries) {
            if (entry.key == key)
                return entry.value;
        }
    }
    return std::nullopt;
}

void setValue(Document &document, const QString &section, const QString &key, const QString &value)
{
    Section *s = findSection(document, section);
    if (!s) {
        document.append({section, {}});
        s = &document.last();
    }
    for (Entry &entry : s->entries) {
        if (entry.key == key) {
            entry.value = value;
            return;
        }
    }
    s->entries.append({key, value});
}

bool remove(Document &document, const QString &section, const QString &key)
{
    Section *s = findSection(document, section);
    if (!s)
        return false;
    return s->entries.removeIf([&](const Entry &entry) { return entry.key == key; }) > 0;
}

} // namespace IniFile
