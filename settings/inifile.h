#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

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
namespace IniFile {

struct Line
{
    QString key; // empty for a comment, a blank line or an unreadable line
    QString value;
    QByteArray raw; // the line as read, without its line end; empty for an entry set since
};

struct Section
{
    QString name; // empty for the lines before the first section header
    QByteArray header; // the header line as read; empty for a section added since
    QList<Line> lines;
};

} // namespace IniFile

// Moved in memory as plain bytes when a long file's lists grow.
Q_DECLARE_TYPEINFO(IniFile::Line, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(IniFile::Section, Q_RELOCATABLE_TYPE);

namespace IniFile {

// A section name may occur more than once; its keys are then read as one.
using Document = QList<Section>;

Document parse(const QByteArray &bytes);
QByteArray serialize(const Document &document);

std::optional<QString> value(const Document &document, const QString &section, const QString &key);
// Both return true when the document changed.
bool setValue(Document &document, const QString &section, const QString &key, const QString &value);
bool remove(Document &document, const QString &section, const QString &key);

QString quoted(const QString &value); // as written after the =
QString unquoted(QStringView raw); // what follows the =, as read

} // namespace IniFile
