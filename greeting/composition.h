#pragma once

#include <QDateTime>
#include <QString>

// What one composing run of the greeting text is made from.
struct CompositionInput
{
    // The four flags as stored; tested as numbers, in the order TextV, Date,
    // Cas, Svatky, row after row.
    QString textV, date, cas, svatky;
    QString dateF, casF; // date and time patterns
    QString text1, text2; // the user's own texts
    QDateTime now;
    QString name; // today's name-day text, exactly as the calendar gives it
};

// Where the time sits in the greeting text, so that a refresh rewrites only
// those characters. An empty time still has a place.
struct TimeSpan
{
    qsizetype start = -1;
    qsizetype length = 0;

    bool valid() const { return start >= 0; }
};

// The whole text as it stands before the name-day wrap, centring and refresh.
struct Composition
{
    bool matched = false; // false: no layout fits the flags; the label keeps its text
    QString text;
    TimeSpan time; // invalid when the layout shows no time
};

// A person's own text longer than any window shows usefully is shown cut
// short, with "…": Qt takes seconds to lay out a label or a text box of a
// million characters, and the greeting window shows a few hundred.
inline constexpr qsizetype MaxShownText = 10000; // characters
QString cutShort(const QString &text);

// Picks the layout by the flags and joins its pieces. Throws StepFailed at
// the first flag that is tested and is no number.
Composition composeGreeting(const CompositionInput &input);

// The text with its final name moved to a line of its own; unchanged when the
// text does not end with name or name is empty.
QString withNameDayOnOwnLine(const QString &text, const QString &name);

// Puts time in place of the span's characters and makes the span cover it.
// False, and text and span untouched, when the span is invalid, lies outside
// the text, or already holds exactly this time.
bool replaceTime(QString &text, TimeSpan &span, const QString &time);
