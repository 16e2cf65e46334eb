#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The settings file: an INI file that people edit by hand, so every value is
// an exact text. An unquoted value is taken literally up to the end of its
// line, spaces around it trimmed ("Text1=Zdravinky, dnes je:" is that text,
// never a list). A quoted value is unescaped (\\ \" \r \n \t \xHH \uXXXX).
// Values are written raw when that reads back the same, otherwise quoted.
// Lines starting with ; or # are comments; lines that are neither sections
// nor key=value pairs are skipped. Rewriting keeps every section and key but
// drops comments and skipped lines.
namespace IniFile {

struct Entry
{
    QString key;
    QString value;
};

struct Section
{
    QString name;
    QList<Entry> entries;
};

using Document = QList<Section>;

Document parse(const QByteArray &bytes);
QByteArray serialize(const Document &document);

std::optional<QString> value(const Document &document, const QString &section, const QString &key);
void setValue(Document &document, const QString &section, const QString &key, const QString &value);
// True when there was such a key.
bool remove(Document &document, const QString &section, const QString &key);

QString quoted(const QString &value); // as written to the file
QString unquoted(QStringView raw); // as read from the file

} // namespace IniFile
