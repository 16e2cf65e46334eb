// Reads fuzzed bytes as the settings file and checks that what was read
// survives rewriting: unchanged (every line byte for byte), with values moved
// to other keys, and with a key removed. The store must read the same values
// as the file parser.

#include "store/inifile.h"
#include "store/keys.h"
#include "store/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

using Place = std::pair<QString, QString>; // section, key
using Places = QList<Place>;

[[noreturn]] void fault(const char *what, const QString &detail)
{
    std::fprintf(stderr, "storefile: %s: \"%s\"\n", what, detail.toUtf8().constData());
    std::abort();
}

// Every (section, key) that reads as a value, once.
Places placesOf(const IniFile::Document &document)
{
    Places places;
    for (const Place &place : IniFile::entries(document)) {
        if (!places.contains(place))
            places.append(place);
    }
    return places;
}

IniFile::Document rewritten(const IniFile::Document &document)
{
    const QByteArray bytes = IniFile::serialize(document);
    const IniFile::Document reread = IniFile::parse(bytes);
    if (IniFile::serialize(reread) != bytes)
        fault("a second rewrite differs from the first", QString::fromUtf8(bytes));
    return reread;
}

// `after` reads every place of `before` the same, except the places changed.
void expectSame(const IniFile::Document &before, const IniFile::Document &after, const Places &changed)
{
    Places expected = placesOf(before);
    for (const Place &place : changed) {
        if (!expected.contains(place))
            expected.append(place);
    }
    const Places found = placesOf(after);
    for (const Place &place : found) {
        if (!expected.contains(place))
            fault("a rewrite made up a key", place.first + u'/' + place.second);
    }
    for (const Place &place : expected) {
        if (changed.contains(place))
            continue;
        if (IniFile::value(after, place.first, place.second) != IniFile::value(before, place.first, place.second))
            fault("a rewrite changed what a key reads", place.first + u'/' + place.second);
    }
}

// The bytes as a rewrite gives them back: without a byte order mark, every
// line ended by LF.
QByteArray withPlainLineEnds(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QByteArray plain;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        plain += bytes[i] == '\r' ? '\n' : bytes[i];
        if (bytes.sliced(i).startsWith("\r\n"))
            ++i;
    }
    if (!plain.isEmpty() && !plain.endsWith('\n'))
        plain += '\n';
    if (plain.startsWith("\xEF\xBB\xBF"))
        plain.prepend("\xEF\xBB\xBF"); // the first line starts with U+FEFF, which must not read as a mark
    return plain;
}

void checkUnchanged(const QByteArray &bytes, const IniFile::Document &document)
{
    if (IniFile::serialize(document) != withPlainLineEnds(bytes))
        fault("a rewrite changed a line", QString::fromUtf8(bytes));
    expectSame(document, rewritten(document), {});
}

// Writes the values that were read, and the input as a UTF-8 text, to other
// keys: each must read back exactly.
void checkMoved(const IniFile::Document &document, const QString &inputText)
{
    const Places read = placesOf(document);
    QStringList values;
    for (const Place &place : read)
        values.append(*IniFile::value(document, place.first, place.second));
    values.append(inputText);

    Places targets = read.mid(0, 32);
    for (int i = 0; i < KeyCount; ++i)
        targets.append({ Store::Section, keyName(Key(i)) });

    IniFile::Document changed = document;
    QList<std::pair<Place, QString>> written;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const Place &place = targets.at(i);
        const QString &value = values.at((i + 1) % values.size());
        IniFile::setValue(changed, place.first, place.second, value);
        written.removeIf([&](const auto &w) { return w.first == place; });
        written.append({ place, value });
    }
    const IniFile::Document reread = rewritten(changed);
    Places changedPlaces;
    for (const auto &[place, value] : written) {
        changedPlaces.append(place);
        if (IniFile::value(changed, place.first, place.second) != value)
            fault("setValue did not set", place.first + u'/' + place.second);
        if (IniFile::value(reread, place.first, place.second) != value)
            fault("a written value read back differently", value);
    }
    expectSame(document, reread, changedPlaces);
}

void checkRemoved(const IniFile::Document &document, size_t choice)
{
    const Places read = placesOf(document);
    if (read.isEmpty())
        return;
    const Place &place = read.at(qsizetype(choice % size_t(read.size())));
    IniFile::Document changed = document;
    if (!IniFile::remove(changed, place.first, place.second))
        fault("remove found no key to remove", place.first + u'/' + place.second);
    const IniFile::Document reread = rewritten(changed);
    if (IniFile::value(changed, place.first, place.second) || IniFile::value(reread, place.first, place.second))
        fault("a removed key still reads", place.first + u'/' + place.second);
    expectSame(document, reread, { place });
}

// Every reader's fallback here: unlike the real fallbacks, it tells a value
// that is absent from one that the file holds.
const QString Absent = QStringLiteral("\uFFFF<absent>");

void checkStore(const QByteArray &bytes, const IniFile::Document &document)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(Store::AppName + QStringLiteral(".conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fault("cannot prepare the store file", path);
    file.close();

    const SettingsStore store(path);
    const bool tooLarge = bytes.size() > SettingsStore::MaxFileSize; // read as no settings at all
    for (int i = 0; i < KeyCount; ++i) {
        const Key key = Key(i);
        const QString expected
            = tooLarge ? Absent : IniFile::value(document, Store::Section, keyName(key)).value_or(Absent);
        if (store.ReadSetting(key, Absent) != expected)
            fault("the store reads another value than the file holds for", keyName(key));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniFile::Document document = IniFile::parse(bytes);
    checkUnchanged(bytes, document);
    checkMoved(document, QString::fromUtf8(bytes));
    checkRemoved(document, size);
    checkStore(bytes, document);
    return 0;
}
