#include "greeting/formatbypattern.h"

#include <algorithm>
#include <cstdlib>

namespace {

const QString ShortDateName = QStringLiteral("Short date");
const QString LongDateName = QStringLiteral("Long date");

bool isTokenLetter(char16_t c)
{
    return c == u'd' || c == u'm' || c == u'y' || c == u'h' || c == u's';
}

// The length of the first token of a run of one letter; the rest of the run
// is split the same way.
int firstTokenLength(char16_t letter, qsizetype run)
{
    const int available = int(std::min<qsizetype>(run, 8));
    switch (letter) {
    case u'd':
        return std::min(available, 6);
    case u'm':
        return std::min(available, 4);
    case u'y':
        return available >= 4 ? 4 : std::min(available, 2);
    default: // h, s
        return std::min(available, 2);
    }
}

// Cheaper than QString::number, which allocates: this runs ten times a second.
void appendNumber(QString &out, int value, int width)
{
    if (value < 0)
        out += u'-';
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value); // QDate reaches year -2^31
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    for (int i = count; i < width; ++i)
        out += u'0';
    while (count > 0)
        out += QChar(digits[--count]);
}

void appendName(QString &out, const RegionalData::Names &names, bool afterDay, int oneBased)
{
    const QStringList &list = afterDay ? names.afterDay : names.standalone;
    if (oneBased >= 1 && oneBased <= list.size())
        out += list.at(oneBased - 1);
}

// minute: an m-token is the minute; afterDay: a day of the month came before.
void appendToken(QString &out, char16_t letter, int length, bool minute, bool afterDay, QDate date, QTime time,
    const RegionalData &regional)
{
    switch (letter) {
    case u'd':
        if (length <= 2)
            appendNumber(out, date.day(), length);
        else if (length == 3)
            appendName(out, regional.shortDayNames, afterDay, date.dayOfWeek());
        else if (length == 4)
            appendName(out, regional.longDayNames, afterDay, date.dayOfWeek());
        else
            out += regional.locale.toString(date, length == 5 ? regional.shortDateFormat : regional.longDateFormat);
        break;
    case u'm':
        if (length <= 2)
            appendNumber(out, minute ? time.minute() : date.month(), length);
        else
            appendName(out, length == 3 ? regional.shortMonthNames : regional.longMonthNames, afterDay, date.month());
        break;
    case u'y':
        if (length == 1)
            appendNumber(out, date.dayOfYear(), 1);
        else if (length == 2)
            appendNumber(out, std::abs(date.year()) % 100, 2);
        else
            appendNumber(out, date.year(), 4);
        break;
    case u'h':
        appendNumber(out, time.hour(), length);
        break;
    case u's':
        appendNumber(out, time.second(), length);
        break;
    }
}

QString render(QDate date, QTime time, const QString &pattern, const RegionalData &regional)
{
    if (pattern.size() == ShortDateName.size() && pattern.compare(ShortDateName, Qt::CaseInsensitive) == 0)
        return regional.locale.toString(date, regional.shortDateFormat);
    if (pattern.size() == LongDateName.size() && pattern.compare(LongDateName, Qt::CaseInsensitive) == 0)
        return regional.locale.toString(date, regional.longDateFormat);
    if (!time.isValid())
        time = QTime(0, 0);

    QString out;
    out.reserve(pattern.size() + 16);
    const QChar *chars = pattern.constData();
    const qsizetype size = pattern.size();
    bool afterHour = false; // the nearest token so far is an hour
    bool afterDay = false; // a day of the month came before
    for (qsizetype i = 0; i < size;) {
        const char16_t c = chars[i].unicode();
        if (!isTokenLetter(c)) {
            if (c == u':')
                out += regional.timeSeparator;
            else
                out += chars[i];
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < size && chars[i + run] == c)
            ++run;
        i += run;
        while (run > 0) {
            const int length = firstTokenLength(c, run);
            appendToken(out, c, length, afterHour, afterDay, date, time, regional);
            afterHour = c == u'h';
            afterDay = afterDay || (c == u'd' && length <= 2);
            run -= length;
        }
    }
    return out;
}

// The characters between the hour and the minute of the locale's own time
// format, "H:mm" giving ":".
QString timeSeparatorOf(const QString &timeFormat)
{
    qsizetype i = 0;
    while (i < timeFormat.size() && timeFormat[i] != u'h' && timeFormat[i] != u'H')
        ++i;
    while (i < timeFormat.size() && (timeFormat[i] == u'h' || timeFormat[i] == u'H'))
        ++i;
    QString separator;
    while (i < timeFormat.size() && !timeFormat[i].isLetter() && timeFormat[i] != u'\'')
        separator += timeFormat[i++];
    return separator.isEmpty() ? QStringLiteral(":") : separator;
}

using NameOf = QString (QLocale::*)(int, QLocale::FormatType) const;

// The names of days 1 to 7 or months 1 to 12, in both forms.
RegionalData::Names names(
    const QLocale &locale, QLocale::FormatType format, int count, NameOf afterDay, NameOf standalone)
{
    RegionalData::Names names;
    for (int i = 1; i <= count; ++i) {
        names.afterDay << (locale.*afterDay)(i, format);
        names.standalone << (locale.*standalone)(i, format);
    }
    return names;
}

} // namespace

RegionalData RegionalData::fromLocale(const QLocale &locale)
{
    RegionalData data;
    data.locale = locale;
    const auto days = [&](QLocale::FormatType format) {
        return names(locale, format, 7, &QLocale::dayName, &QLocale::standaloneDayName);
    };
    const auto months = [&](QLocale::FormatType format) {
        return names(locale, format, 12, &QLocale::monthName, &QLocale::standaloneMonthName);
    };
    data.shortDayNames = days(QLocale::ShortFormat);
    data.longDayNames = days(QLocale::LongFormat);
    data.shortMonthNames = months(QLocale::ShortFormat);
    data.longMonthNames = months(QLocale::LongFormat);
    data.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    data.longDateFormat = locale.dateFormat(QLocale::LongFormat);
    data.timeSeparator = timeSeparatorOf(locale.timeFormat(QLocale::ShortFormat));
    return data;
}

const RegionalData &RegionalData::czech()
{
    static const RegionalData data = [] {
        RegionalData czech = fromLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        // Qt's data has "dd.MM.yy", 05.03.04; Czech regional settings (glibc's
        // cs_CZ, %-d.%-m.%Y) write the day and month without leading zeros and
        // the year in full, 5.3.2004, as Czechs write dates by hand.
        czech.shortDateFormat = QStringLiteral("d.M.yyyy");
        return czech;
    }();
    return data;
}

QString FormatByPattern(const QDateTime &value, const QString &pattern, const RegionalData &regional)
{
    return render(value.date(), value.time(), pattern, regional);
}

QString FormatByPattern(const QDate &date, const QString &pattern, const RegionalData &regional)
{
    return render(date, QTime(0, 0), pattern, regional);
}
