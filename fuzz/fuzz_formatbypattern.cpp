// Renders fuzzed patterns for fuzzed dates and times.
//
// Input: byte 0 chooses the encoding, the kind of date, the time and the
// regional data; bytes 1-4 the day and bytes 5-8 the time of day (little
// endian); the rest is the pattern, UTF-8 or raw UTF-16 (lone surrogates
// included). Missing header bytes read as zero.

#include "greeting/formatbypattern.h"

#include <QDateTime>
#include <QTimeZone>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HeaderSize = 9;
// The first and last Julian days QDate holds (years -2^31 to 2^31 - 1).
constexpr qint64 MinJd = -784350574879;
constexpr qint64 MaxJd = 784354017364;

quint32 readLe32(const uint8_t *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

QDate dateOf(int kind, quint32 n)
{
    switch (kind) {
    case 0: // 1900-01-01 to 2100-12-31, the dates people live with
        return QDate(1900, 1, 1).addDays(n % 73415);
    case 1: { // anywhere in QDate's range, both ends included
        const qint64 span = MaxJd - MinJd;
        return QDate::fromJulianDay(MinJd + qint64((__int128(span) * n) / 0xFFFFFFFFu));
    }
    case 2: // within a few days of either end of the range
        return n & 1 ? QDate::fromJulianDay(MaxJd - (n >> 1) % 16) : QDate::fromJulianDay(MinJd + (n >> 1) % 16);
    default:
        return QDate();
    }
}

const RegionalData &regionalOf(int kind)
{
    static const RegionalData english = RegionalData::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    static const RegionalData arabic = RegionalData::fromLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
    // A caller's own data may be incomplete: no names, no date forms.
    static const RegionalData sparse = [] {
        RegionalData data;
        data.locale = QLocale::c();
        data.shortDayNames.standalone = { QStringLiteral("x") };
        data.timeSeparator = QStringLiteral("::");
        return data;
    }();
    switch (kind) {
    case 0:
        return RegionalData::czech();
    case 1:
        return english;
    case 2:
        return arabic;
    default:
        return sparse;
    }
}

[[noreturn]] void fault(const char *what, const QString &pattern)
{
    std::fprintf(stderr, "FormatByPattern: %s for pattern \"%s\"\n", what, pattern.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    uint8_t header[HeaderSize] = {};
    std::memcpy(header, data, std::min(size, HeaderSize));
    const uint8_t *text = data + std::min(size, HeaderSize);
    const size_t textSize = size - std::min(size, HeaderSize);

    const bool utf16 = header[0] & 1;
    const int dateKind = (header[0] >> 1) & 3;
    const bool noTime = header[0] & 8;
    const int zoneKind = (header[0] >> 4) & 3;
    const int regionalKind = (header[0] >> 6) & 3;

    QString pattern;
    if (utf16) {
        pattern.resize(qsizetype(textSize / 2));
        std::memcpy(pattern.data(), text, textSize / 2 * 2);
    } else {
        pattern = QString::fromUtf8(reinterpret_cast<const char *>(text), qsizetype(textSize));
    }

    const QDate date = dateOf(dateKind, readLe32(header + 1));
    const QTime time = noTime ? QTime() : QTime::fromMSecsSinceStartOfDay(int(readLe32(header + 5) % 86400000));
    QDateTime value;
    switch (zoneKind) {
    case 0:
        value = QDateTime(date, time, Qt::UTC);
        break;
    case 1:
        value = QDateTime(date, time, Qt::LocalTime);
        break;
    case 2:
        value = QDateTime(date, time, Qt::OffsetFromUTC, int(readLe32(header + 5) % 100800) - 50400);
        break;
    default:
        break; // the invalid QDateTime
    }
    const RegionalData &regional = regionalOf(regionalKind);

    const QString rendered = FormatByPattern(value, pattern, regional);
    const QString dateAlone = FormatByPattern(date, pattern, regional);

    const QDateTime midnight(date, QTime(0, 0), Qt::UTC);
    if (midnight.isValid() && midnight.date() == date && FormatByPattern(midnight, pattern, regional) != dateAlone)
        fault("a date alone differs from the date at midnight", pattern);

    // Without token letters nothing but the colons may change (the named
    // forms aside, which match in any letter case).
    bool tokenFree = pattern.compare(QLatin1String("Short date"), Qt::CaseInsensitive) != 0
        && pattern.compare(QLatin1String("Long date"), Qt::CaseInsensitive) != 0;
    for (QChar c : pattern)
        tokenFree = tokenFree && c != u'd' && c != u'm' && c != u'y' && c != u'h' && c != u's';
    if (tokenFree) {
        QString copied = pattern;
        copied.replace(u':', regional.timeSeparator);
        if (rendered != copied || dateAlone != copied)
            fault("characters that are no tokens were not copied", pattern);
    }
    return 0;
}
