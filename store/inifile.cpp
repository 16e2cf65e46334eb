#include "store/inifile.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

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

// The escapes of one letter after the backslash, the same both ways: each
// character and the letter written for it.
constexpr std::array<std::pair<char16_t, char16_t>, 5> LetterEscapes { {
    { u'"', u'"' },
    { u'\\', u'\\' },
    { u'\r', u'r' },
    { u'\n', u'n' },
    { u'\t', u't' },
} };

std::optional<QChar> escapeLetter(QChar c)
{
    for (const auto &[character, letter] : LetterEscapes)
        if (c == character)
            return QChar(letter);
    return std::nullopt;
}

std::optional<QChar> escapedBy(QChar letter)
{
    for (const auto &[character, written] : LetterEscapes)
        if (letter == written)
            return QChar(character);
    return std::nullopt;
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

// The character of a \xHH or \uHHHH escape whose letter is at i, fewer digits
// allowed; i then moves to its last digit.
std::optional<QChar> hexEscape(QStringView s, qsizetype &i)
{
    const QChar letter = s[i];
    if (letter != u'x' && letter != u'u')
        return std::nullopt;
    qsizetype end = i + 1;
    const int code = readHex(s, end, letter == u'x' ? 2 : 4);
    if (code < 0)
        return std::nullopt;
    i = end - 1;
    return QChar(char16_t(code));
}

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBytes(QByteArrayView s)
{
    while (!s.isEmpty() && isBlankByte(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlankByte(s.back()))
        s.chop(1);
    return s;
}

// Invalid UTF-8 reads as U+FFFD, a sequence cut short by the line end too; a
// byte order mark inside the file is a character like any other.
QString decoded(QByteArrayView bytes)
{
    using Flag = QStringConverter::Flag;
    return QStringDecoder(QStringConverter::Utf8, Flag::Stateless | Flag::ConvertInitialBom)(bytes);
}

bool isHeader(const Piece &piece)
{
    return piece.kind == Piece::Header || piece.kind == Piece::NewHeader;
}

// A header's section name or an entry's key, as written.
QByteArrayView nameOf(const Document &document, const Piece &piece)
{
    const QByteArrayView content
        = trimmedBytes(QByteArrayView(document.text).sliced(piece.begin, piece.end - 1 - piece.begin));
    return trimmedBytes(
        piece.kind == Piece::Entry ? content.first(content.indexOf('=')) : content.sliced(1, content.size() - 2));
}

// Whether a name as written is the name given in UTF-8: a name written in
// invalid UTF-8 is what it reads as.
bool sameName(QByteArrayView written, QByteArrayView name)
{
    if (written == name)
        return true;
    return std::any_of(written.begin(), written.end(), [](char c) { return uchar(c) >= 0x80; })
        && !written.isValidUtf8() && decoded(written).toUtf8() == name;
}

bool named(const Document &document, const Piece &piece, QByteArrayView name)
{
    // Most names of a long file differ from the one sought in their first letter.
    const auto skipBlanks = [](const char *c) {
        while (*c == ' ' || *c == '\t')
            ++c;
        return c;
    };
    const char *letter = skipBlanks(document.text.constData() + piece.begin);
    if (piece.kind != Piece::Entry)
        letter = skipBlanks(letter + 1); // past the [ of a header
    if (!name.isEmpty() && uchar(*letter) < 0x80 && *letter != name.front())
        return false;
    return sameName(nameOf(document, piece), name);
}

QString valueOf(const Document &document, const Piece &piece)
{
    const QByteArrayView line = QByteArrayView(document.text).sliced(piece.begin, piece.end - 1 - piece.begin);
    const QByteArrayView raw = trimmedBytes(line.sliced(line.indexOf('=') + 1));
    return raw.startsWith('"') ? unquoted(decoded(raw)) : decoded(raw); // a long value is copied once
}

// The lines of a file, each ended by LF: CR LF and a lone CR end a line too.
QByteArray linesOf(QByteArrayView input)
{
    QByteArray text(input.size() + 1, Qt::Uninitialized);
    char *out = text.data();
    for (qsizetype i = 0; i < input.size(); ++i) {
        *out++ = input[i] == '\r' ? '\n' : input[i];
        if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n')
            ++i;
    }
    if (out != text.data() && out[-1] != '\n')
        *out++ = '\n';
    text.truncate(out - text.data());
    return text;
}

// Adds the line of the document's text [begin, end), its LF included.
void addLine(Document &document, quint32 begin, quint32 end)
{
    const QByteArrayView content = trimmedBytes(QByteArrayView(document.text).sliced(begin, end - 1 - begin));
    Piece piece { begin, end, Piece::Lines };
    if (!content.isEmpty() && content.front() != ';' && content.front() != '#') {
        if (content.size() >= 3 && content.front() == '[' && content.back() == ']'
            && !trimmedBytes(content.sliced(1, content.size() - 2)).isEmpty())
            piece.kind = Piece::Header;
        else if (content.indexOf('=') > 0)
            piece.kind = Piece::Entry;
    }
    if (piece.kind == Piece::Lines && !document.pieces.isEmpty() && document.pieces.last().kind == Piece::Lines
        && document.pieces.last().end == begin)
        document.pieces.last().end = end; // one more line of the run
    else
        document.pieces.append(piece);
}

// Calls function(index, piece) for every entry of the section, in file order.
// The lines before the first header are the section with the empty name.
template <typename Function> void forEachEntry(const Document &document, QByteArrayView section, Function function)
{
    bool inside = section.isEmpty();
    for (qsizetype i = 0; i < document.pieces.size(); ++i) {
        const Piece &piece = document.pieces[i];
        if (isHeader(piece))
            inside = named(document, piece, section);
        else if (inside && piece.kind == Piece::Entry)
            function(i, piece);
    }
}

// Removes every entry of the key in the section but the one at `keep`, in
// one pass; returns how many.
qsizetype removeEntries(Document &document, QByteArrayView section, QByteArrayView key, qsizetype keep = -1)
{
    bool inside = section.isEmpty();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < document.pieces.size(); ++i) {
        const Piece piece = document.pieces[i];
        if (isHeader(piece))
            inside = named(document, piece, section);
        else if (inside && piece.kind == Piece::Entry && i != keep && named(document, piece, key))
            continue;
        document.pieces[kept++] = piece;
    }
    const qsizetype removed = document.pieces.size() - kept;
    document.pieces.resize(kept);
    return removed;
}

// Where the last line of a run that is not blank ends; nothing when all are.
std::optional<quint32> endOfLastWords(const Document &document, const Piece &run)
{
    const QByteArrayView text(document.text);
    for (quint32 end = run.end; end > run.begin;) {
        const quint32 lineEnd = end - 1; // its LF
        const quint32 lineBegin = std::max(run.begin, quint32(text.first(lineEnd).lastIndexOf('\n') + 1));
        if (!trimmedBytes(text.sliced(lineBegin, lineEnd - lineBegin)).isEmpty())
            return end;
        end = lineBegin;
    }
    return std::nullopt;
}

// Where a new key goes among the pieces [first, stop) of a section: after
// its last key, so that comments and blank lines that lead into the next
// section stay there; in a section without keys, after its last line that
// is not blank (a run of lines is split there).
qsizetype insertionPoint(Document &document, qsizetype first, qsizetype stop)
{
    for (qsizetype i = stop; i > first; --i) {
        if (document.pieces[i - 1].kind == Piece::Entry)
            return i;
    }
    for (qsizetype i = stop; i > first; --i) {
        const Piece run = document.pieces[i - 1];
        if (const std::optional<quint32> split = endOfLastWords(document, run)) {
            if (*split < run.end) {
                document.pieces[i - 1].end = *split;
                document.pieces.insert(i, Piece { *split, run.end, Piece::Lines });
            }
            return i;
        }
    }
    return first;
}

// A hand-written key may start with [; its line must not then read as a section.
QString entryValue(const QString &key, const QString &value)
{
    const QString written = quoted(value);
    if (key.startsWith(u'[') && written.endsWith(u']'))
        return u'"' + written + u'"'; // needed no quotes, so it holds no quote or backslash
    return written;
}

// A line set since goes at the end of the document's text.
Piece newPiece(Document &document, Piece::Kind kind, const QByteArray &line)
{
    const quint32 begin = quint32(document.text.size());
    document.text.append(line).append('\n');
    return { begin, quint32(document.text.size()), kind };
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
        if (const std::optional<QChar> letter = escapeLetter(c)) {
            out += u'\\';
            out += *letter;
        } else if (c.unicode() < 0x100 && isControl(c)) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else if (isControl(c) || isLoneSurrogate(value, i)) { // UTF-8 cannot carry a lone surrogate
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
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
        if (const std::optional<QChar> escaped = escapedBy(e)) {
            out += *escaped;
        } else if (e == u'0') {
            out += QChar(0);
        } else if (const std::optional<QChar> coded = hexEscape(s, i)) {
            out += *coded;
        } else { // a hand-written "C:\Obrázky" keeps its backslash
            out += u'\\';
            out += e;
        }
    }
    return out;
}

Document parse(const QByteArray &bytes)
{
    QByteArrayView input(bytes);
    if (input.startsWith("\xEF\xBB\xBF"))
        input = input.sliced(3);
    // Most files need no copy: no byte order mark, LF line ends only.
    const bool plain
        = input.size() == bytes.size() && !input.contains('\r') && (input.isEmpty() || input.endsWith('\n'));
    Document document { plain ? bytes : linesOf(input), {} };
    const QByteArrayView text(document.text);
    // At most one piece for each key or header and one for each run of lines
    // between them; at most one for each line.
    const qsizetype marks = std::count(text.begin(), text.end(), '=') + std::count(text.begin(), text.end(), '[');
    document.pieces.reserve(std::min<qsizetype>(std::count(text.begin(), text.end(), '\n'), 2 * marks + 1));
    for (qsizetype begin = 0; begin < text.size();) {
        qsizetype end = text.indexOf('\n', begin) + 1;
        if (end - begin == 1 && !document.pieces.isEmpty() && document.pieces.last().kind == Piece::Lines) {
            while (end < text.size() && text[end] == '\n')
                ++end; // empty lines, many of them in some files, go with the run before them
            document.pieces.last().end = quint32(end);
        } else {
            addLine(document, quint32(begin), quint32(end));
        }
        begin = end;
    }
    return document;
}

QByteArray serialize(const Document &document)
{
    QByteArray out;
    out.reserve(document.text.size() + document.pieces.size() / 8 + 16);
    // Pieces that follow each other in the text are copied at once.
    quint32 begin = 0, end = 0;
    for (const Piece &piece : document.pieces) {
        if (piece.begin != end || piece.kind == Piece::NewHeader) {
            out.append(document.text.constData() + begin, end - begin);
            if (piece.kind == Piece::NewHeader && !out.isEmpty() && !out.endsWith("\n\n"))
                out += '\n';
            begin = piece.begin;
        }
        end = piece.end;
    }
    out.append(document.text.constData() + begin, end - begin);
    if (out.startsWith("\xEF\xBB\xBF"))
        out.prepend("\xEF\xBB\xBF"); // read as a byte order mark, it would take the first one away
    return out;
}

std::optional<QString> value(const Document &document, const QString &section, const QString &key)
{
    return values(document, section, { key }).first();
}

QList<std::optional<QString>> values(const Document &document, const QString &section, const QStringList &keys)
{
    QList<QByteArray> names;
    for (const QString &key : keys)
        names.append(key.toUtf8());
    std::array<bool, 256> first {}; // of the names: most keys of a long file need no comparing
    for (const QByteArray &name : names)
        first[name.isEmpty() ? 0 : std::min(uchar(name.front()), uchar(0x80))] = true;
    QList<qsizetype> last(keys.size(), -1);
    forEachEntry(document, section.toUtf8(), [&](qsizetype i, const Piece &piece) {
        const char *letter = document.text.constData() + piece.begin;
        while (*letter == ' ' || *letter == '\t')
            ++letter;
        if (!first[uchar(*letter) < 0x80 ? uchar(*letter) : 0x80]) // not UTF-8 reads as U+FFFD
            return;
        QByteArrayView name = nameOf(document, piece);
        const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
        const QByteArray readAs = ascii || name.isValidUtf8() ? QByteArray() : decoded(name).toUtf8();
        if (!readAs.isNull())
            name = readAs;
        for (qsizetype k = 0; k < names.size(); ++k) {
            if (QByteArrayView(names[k]) == name)
                last[k] = i;
        }
    });
    QList<std::optional<QString>> found(keys.size());
    for (qsizetype k = 0; k < keys.size(); ++k) {
        if (last[k] >= 0)
            found[k] = valueOf(document, document.pieces[last[k]]);
    }
    return found;
}

QList<std::pair<QString, QString>> entries(const Document &document)
{
    QList<std::pair<QString, QString>> found;
    QString section;
    for (const Piece &piece : document.pieces) {
        if (isHeader(piece))
            section = decoded(nameOf(document, piece));
        else if (piece.kind == Piece::Entry)
            found.append({ section, decoded(nameOf(document, piece)) });
    }
    return found;
}

bool setValue(Document &document, const QString &section, const QString &key, const QString &value)
{
    const QByteArray sectionName = section.toUtf8(), keyName = key.toUtf8();
    qsizetype last = -1, count = 0;
    forEachEntry(document, sectionName, [&](qsizetype i, const Piece &piece) {
        if (named(document, piece, keyName))
            last = i, ++count;
    });
    const QByteArray line = (key + u'=' + entryValue(key, value)).toUtf8();
    if (last >= 0) {
        const bool differs = valueOf(document, document.pieces[last]) != value;
        if (differs)
            document.pieces[last] = newPiece(document, Piece::Entry, line);
        // The earlier duplicates were never read; the file says one thing from now on.
        removeEntries(document, sectionName, keyName, last);
        return differs || count > 1;
    }
    // Into the last section of that name, or a new one at the end.
    qsizetype first = section.isEmpty() ? 0 : -1;
    for (qsizetype i = 0; i < document.pieces.size(); ++i) {
        if (isHeader(document.pieces[i]) && named(document, document.pieces[i], sectionName))
            first = i + 1;
    }
    if (first < 0) {
        document.pieces.append(newPiece(document, Piece::NewHeader, '[' + sectionName + ']'));
        first = document.pieces.size();
    }
    qsizetype stop = first;
    while (stop < document.pieces.size() && !isHeader(document.pieces[stop]))
        ++stop;
    const qsizetype at = insertionPoint(document, first, stop);
    document.pieces.insert(at, newPiece(document, Piece::Entry, line));
    return true;
}

bool remove(Document &document, const QString &section, const QString &key)
{
    return removeEntries(document, section.toUtf8(), key.toUtf8()) > 0;
}

} // namespace IniFile
