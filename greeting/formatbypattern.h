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
    // A name in the form a date is written with, after the day of the month
    // ("5. března 2004"), and standing alone ("březen 2004"). Czech tells the
    // two apart only in full month names; other languages elsewhere too.
    struct Names
    {
        QStringList afterDay;
        QStringList standalone;
    };

    QLocale locale; // renders the short and long date forms
    Names shortDayNames; // Monday first, 7 entries
    Names longDayNames;
    Names shortMonthNames; // January first, 12 entries
    Names longMonthNames;
    QString shortDateFormat; // QLocale format strings
    QString longDateFormat;
    QString timeSeparator; // taken from the locale's short time format, ":" if it has none

    static RegionalData fromLocale(const QLocale &locale);
    // Built once, from Czech as spoken in the Czech Republic, with the short
    // date form Czech regional settings use, "5.3.2004".
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
//
// A weekday or month name takes the form that follows a day of the month
// when a d or dd token comes anywhere before it in the pattern, and stands
// alone otherwise: "d. mmmm yyyy" is "5. března 2004", "mmmm yyyy" is
// "březen 2004". Only the day's number governs the month ("the fifth of
// March"); a weekday name does not, so "dddd mmmm" is "pátek březen", and the
// date forms ddddd and dddddd are whole dates of their own. The split-off d
// of a longer run counts as a day.
QString FormatByPattern(
    const QDateTime &value, const QString &pattern, const RegionalData &regional = RegionalData::czech());

// A date alone renders its time tokens as midnight.
QString FormatByPattern(
    const QDate &date, const QString &pattern, const RegionalData &regional = RegionalData::czech());
