#include "settings/inifile.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <utility>

namespace IniFile {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isBlankLine(QByteArrayView raw)
{
    return std::all_of(raw.begin(), raw.end(), [](char c) { return c == ' ' || c == '\t'; });
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

// Characters an editor may show as something else or break the line at.
bool isControl(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line
        || category == QChar::Separator_Paragraph;
}

bool isLoneSurrogate(QStringView s, qsizetype i)
{
    if (s[i].isHighSurrogate())
        return i + 1 == s.size() || !s[i + 1].isLowSurrogate();
    if (s[i].isLowSurrogate())
        return i == 0 || !s[i - 1].isHighSurrogate();
    return false;
}

bool needsQuotes(const QString &value)
{
    if (value.isEmpty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'"' || c == u'\\' || c == u',' || c == u';' || c == u'#' || c == u'=' || isControl(c)
            || isLoneSurrogate(value, i))
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

Line readLine(QStringView line, QByteArrayView raw)
{
    const QStringView content = trimmed(line);
    const qsizetype equals = content.indexOf(u'=');
    if (equals <= 0 || content.front() == u';' || content.front() == u'#')
        return { {}, {}, raw.toByteArray() };
    const QStringView key = trimmed(content.first(equals));
    return { key.toString(), unquoted(content.sliced(equals + 1)), raw.toByteArray() };
}

std::optional<QString> sectionName(QStringView line)
{
    const QStringView content = trimmed(line);
    if (content.size() < 3 || content.front() != u'[' || content.back() != u']')
        return std::nullopt;
    const QStringView name = trimmed(content.sliced(1, content.size() - 2));
    if (name.isEmpty())
        return std::nullopt;
    return name.toString();
}

// Every line of the section holding the key, in file order, as (section, line) indexes.
QList<std::pair<qsizetype, qsizetype>> find(const Document &document, const QString &section, const QString &key)
{
    QList<std::pair<qsizetype, qsizetype>> found;
    for (qsizetype s = 0; s < document.size(); ++s) {
        if (document[s].name != section)
            continue;
        const QList<Line> &lines = document[s].lines;
        for (qsizetype l = 0; l < lines.size(); ++l) {
            if (lines[l].key == key)
                found.append({ s, l });
        }
    }
    return found;
}

// A new key goes after the section's last key, so that comments and blank
// lines that lead into the next section stay there.
qsizetype insertionPoint(const Section &section)
{
    for (qsizetype l = section.lines.size(); l > 0; --l) {
        if (!section.lines[l - 1].key.isEmpty())
            return l;
    }
    for (qsizetype l = section.lines.size(); l > 0; --l) {
        if (!isBlankLine(section.lines[l - 1].raw))
            return l;
    }
    return 0;
}

// A hand-written key may start with [; its line must not then read as a section.
QString entryValue(const Line &line)
{
    const QString value = quoted(line.value);
    if (line.key.startsWith(u'[') && value.endsWith(u']'))
        return u'"' + value + u'"'; // needed no quotes, so it holds no quote or backslash
    return value;
}

} // namespace

QString quoted(const QString &value)
{
    if (!needsQuotes(value))
        return value;
    QString out;
    out.reserve(value.size() + 8);
    out += u'"';
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        switch (c.unicode()) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x100 && isControl(c))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else if (isControl(c) || isLoneSurrogate(value, i)) // UTF-8 cannot carry a lone surrogate
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
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
        case u'\\':
        case u'"':
            out += e;
            break;
        case u'r':
            out += u'\r';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'0':
            out += QChar(0);
            break;
        case u'x':
        case u'u': {
            qsizetype j = i + 1;
            const int code = readHex(s, j, e == u'x' ? 2 : 4);
            if (code < 0) {
                out += u'\\';
                out += e;
            } else {
                out += QChar(char16_t(code));
                i = j - 1;
            }
            break;
        }
        default: // a hand-written "C:\Obrázky" keeps its backslash
            out += u'\\';
            out += e;
        }
    }
    return out;
}

Document parse(const QByteArray &bytes)
{
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    Document document { Section {} };
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = begin;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArrayView raw = text.sliced(begin, end - begin);
        begin = end + (text.sliced(end).startsWith("\r\n") ? 2 : 1);
        // Line by line, as the line ends are plain ASCII: invalid UTF-8 never
        // takes a line end with it. QString::fromUtf8 would skip a byte order
        // mark starting a line.
        const QString line = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)(raw);
        if (const std::optional<QString> name = sectionName(line))
            document.append({ *name, raw.toByteArray(), {} });
        else
            document.last().lines.append(readLine(line, raw));
    }
    return document;
}

QByteArray serialize(const Document &document)
{
    QByteArray out;
    const auto endsWithBlankLine = [&out] { return out.isEmpty() || out.endsWith("\n\n"); };
    for (const Section &section : document) {
        if (!section.header.isEmpty()) {
            out += section.header + '\n';
        } else if (!section.name.isEmpty()) {
            if (!endsWithBlankLine())
                out += '\n';
            out += '[' + section.name.toUtf8() + "]\n";
        }
        for (const Line &line : section.lines) {
            if (line.key.isEmpty() || !line.raw.isEmpty())
                out += line.raw + '\n';
            else
                out += QString(line.key + u'=' + entryValue(line)).toUtf8() + '\n';
        }
    }
    if (out.startsWith("\xEF\xBB\xBF"))
        out.prepend("\xEF\xBB\xBF"); // read as a byte order mark, it would take the first one away
    return out;
}

std::optional<QString> value(const Document &document, const QString &section, const QString &key)
{
    const auto found = find(document, section, key);
    if (found.isEmpty())
        return std::nullopt;
    return document[found.last().first].lines[found.last().second].value;
}

bool setValue(Document &document, const QString &section, const QString &key, const QString &value)
{
    auto found = find(document, section, key);
    if (!found.isEmpty()) {
        const auto [s, l] = found.takeLast();
        Line &line = document[s].lines[l];
        const bool changed = line.value != value || !found.isEmpty();
        if (line.value != value)
            line = { key, value, {} };
        // The earlier duplicates were never read; the file says one thing from now on.
        for (qsizetype i = found.size(); i > 0; --i)
            document[found[i - 1].first].lines.removeAt(found[i - 1].second);
        return changed;
    }
    Section *target = nullptr;
    for (Section &candidate : document) {
        if (candidate.name == section)
            target = &candidate;
    }
    if (!target) {
        document.append({ section, {}, {} });
        target = &document.last();
    }
    target->lines.insert(insertionPoint(*target), { key, value, {} });
    return true;
}

bool remove(Document &document, const QString &section, const QString &key)
{
    const auto found = find(document, section, key);
    for (qsizetype i = found.size(); i > 0; --i)
        document[found[i - 1].first].lines.removeAt(found[i - 1].second);
    return !found.isEmpty();
}

} // namespace IniFile
