#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

// Weekday and month names, date forms and the time separator that patterns
// are rendered with. The program's texts are Czech, so it always uses Czech
// data, whatever the machine's own locale is.
struct RegionalData
{
    QLocale locale; // renders the short and long date forms
    QStringList shortDayNames; // Monday first, 7 entries
    QStringList longDayNames;
    // January first, 12 entries. The forms a date is written with, not the
    // standalone ones: Czech says "5. března 2004", never "5. březen 2004".
    QStringList shortMonthNames;
    QStringList longMonthNames;
    QString shortDateFormat; // QLocale format strings
    QString longDateFormat;
    QString timeSeparator; // taken from the locale's short time format, ":" if it has none

    static RegionalData fromLocale(const QLocale &locale);
    // Built once, from Czech as spoken in the Czech Republic.
    static const RegionalData &czech();
};

// Renders a date and time of day by a pattern such as "d.mm.yyyy", "h.mm.ss"
// or the named forms "Short date" and "Long date" (the whole pattern, any
// letter case). Never fails: characters that are no tokens are copied.
//
// Tokens are runs of one lower-case letter: d, dd (day 1-31 / 01-31), ddd,
// dddd (short / long weekday name), m, mm (month, or minute when the nearest
// token before is an hour token with only copied characters between), mmm,
// mmmm (short / long month name), yy, yyyy, h, hh (hour 0-23), s, ss. A colon
// becomes the time separator; every other character, upper-case letters
// included, is copied.
//
// Beyond those, as Visual Basic's Format has it: ddddd is the short date form,
// dddddd the long date form and a lone y the day of the year (1-366). A run
// longer than its letter's longest token is split from the left into the
// longest tokens that fit: yyy is yy y, yyyyy is yyyy y, mmmmm is mmmm m,
// hhh is hh h, sss is ss s, ddddddd is dddddd d. The empty pattern renders
// the empty text.
QString FormatByPattern(
    const QDateTime &value, const QString &pattern, const RegionalData &regional = RegionalData::czech());

// A date alone renders its time tokens as midnight.
QString FormatByPattern(
    const QDate &date, const QString &pattern, const RegionalData &regional = RegionalData::czech());
