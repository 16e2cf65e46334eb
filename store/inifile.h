#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <utility>

// The settings file: a UTF-8 INI file that people edit by hand, so every
// value is an exact text.
//
// Reading: an unquoted value is taken literally up to the end of its line,
// spaces and tabs around it trimmed ("Text1=Zdravinky, dnes je:" is that text,
// never a list); a value that starts with a double quote is unescaped up to
// the closing quote (\\ \" \r \n \t \0 \xHH \uXXXX; any other backslash stays
// as written). Lines starting with ; or # are comments; lines that are neither
// a [section] nor key=value are kept but mean nothing. Of duplicate keys the
// last one wins. CR LF, LF or a lone CR ends a line; a UTF-8 byte order mark
// is skipped; invalid UTF-8 reads as U+FFFD.
//
// Rewriting keeps every line it did not change byte for byte, whatever its
// encoding: comments, blank lines, other sections, unknown keys and
// unreadable lines. It writes LF line ends and no byte order mark. A changed
// value is written unquoted when that reads back the same and is easy to
// read, otherwise quoted.
//
// A file is held compactly, as its bytes and a list of pieces: a section
// header, a key=value line, or a run of lines that hold neither. Reading,
// changing and writing a file cost time and memory in proportion to its size,
// however many lines, keys or duplicates it holds.
namespace IniFile {

struct Piece
{
    enum Kind : quint8 {
        Lines, // lines that hold no value
        Header, // a [section] line
        NewHeader, // a [section] line added since, set off from what goes before by a blank line
        Entry, // a key=value line
    };
    // The piece's lines with their LF ends in Document::text. Files are far
    // smaller than 1 GiB; a long file holds many pieces, each eight bytes.
    quint32 begin = 0;
    quint32 end : 30;
    Kind kind : 2;
};
static_assert(sizeof(Piece) == 8);

struct Document
{
    // The lines as read, each ended by LF, and what was set since; the pieces,
    // in file order, say which bytes the file holds.
    QByteArray text;
    QList<Piece> pieces;
};

} // namespace IniFile

Q_DECLARE_TYPEINFO(IniFile::Piece, Q_PRIMITIVE_TYPE);

namespace IniFile {

Document parse(const QByteArray &bytes);
QByteArray serialize(const Document &document);

// A section name may occur more than once; its keys are then read as one.
std::optional<QString> value(const Document &document, const QString &section, const QString &key);
// The values of many keys of one section, in one pass.
QList<std::optional<QString>> values(const Document &document, const QString &section, const QStringList &keys);
// Every (section, key) that holds a value, in file order, duplicates included.
QList<std::pair<QString, QString>> entries(const Document &document);

// Both return true when the document changed.
bool setValue(Document &document, const QString &section, const QString &key, const QString &value);
bool remove(Document &document, const QString &section, const QString &key);

QString quoted(const QString &value); // as written after the =
QString unquoted(QStringView raw); // what follows the =, as read

} // namespace IniFile
