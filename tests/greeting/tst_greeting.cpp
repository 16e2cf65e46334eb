#include "calendar/namedaycalendar.h"
#include "common/testsupport.h"
#include "greeting/composition.h"
#include "greeting/formatbypattern.h"
#include "platform/errortrap.h"

#include <QTest>

namespace {

const QDateTime Afternoon(QDate(2004, 3, 5), QTime(14, 5, 9)); // a Friday, day 65 of a leap year

void format(const char *pattern, const char *expected, QDateTime value = Afternoon, QLocale locale = QLocale::Czech)
{
    QTest::addRow("[%s]", pattern) << value << QString(pattern) << locale << QString(expected);
}

// The greeting's pieces, composed at 9:59:59 on the Friday; the user's first
// text holds that time too, which a refresh must leave alone.
const QDateTime Before(QDate(2004, 3, 5), QTime(9, 59, 59));
const QString NL = "\r\n", Z = "Zdravinky,", P = "přeji dobrý den.", PD = "přeji dobrý den. Dnes je:";
const QString S = "Svátek má: ", N = " Kazimír ", D = "Pátek 5.března.2004", T = "9:59:59";
const QString T1 = "V 9:59:59 ", T2 = "Tvůj svátek: ", Fails = "(fails)", NoLayout = "(no layout)";

// flags: TextV/Date/Cas/Svatky as stored
void layout(const char *flags, const QString &expected, const QString &dateF = "dddd d.mmmm.yyyy")
{
    QTest::addRow("%s %s", flags, qPrintable(dateF)) << QString(flags).split(u'/') << dateF << expected;
}

} // namespace

class tst_Greeting : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void patterns_data();
    void patterns();
    void compose_data();
    void compose();
    void nameDays();
};

void tst_Greeting::patterns_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    format("d.m.yy dd.mm.yyyy d.mmm.yy", "5.3.04 05.03.2004 5.bře.04");
    format("SHORT DATE", "5.3.2004"); // "Short date", any case, as Czech regional settings write it
    // Names follow a day of the month once a d or dd came before, and stand alone otherwise.
    format("mmmm dddd mmmm d. mmmm", "březen pátek březen 5. března");
    format("dd. mmmm", "05. března");
    format("ddddd mmmmm", "5.3.2004 březen3"); // the short date is no day; mmmm m
    format("ddddddd mmmm", "pátek 5. března 20045 března"); // the long date and a day
    format("ddd dddd mmm mmmm d. mmmm", "ne neděle led leden 4. ledna", QDateTime(QDate(2004, 1, 4), QTime()));
    // m is the minute right after an hour token (copied characters between), else the month.
    format("h:m:s hh:mm:ss hhh:m sss", "14:5:9 14:05:09 1414:5 099"); // hhh is hh h
    format("m h m d.m h.s.m h mmm", "3 14 5 5.3 14.9.3 14 bře");
    format("Dnes je [d/m-yyyy] D.M.Y H:S č 😀", "Dne9 je [5/3-2004] D.M.Y H:S č 😀");
    format("y yy yyy yyyyy yyyyyy", "365 99 99365 1999365 199999", QDateTime(QDate(1999, 12, 31), QTime()));
    // Other languages tell the forms apart in weekdays and short months too; a
    // colon becomes the locale's own time separator.
    format("dddd d. mmmm dddd h:mm", "perjantai 5. maaliskuuta perjantaina 14.05", Afternoon, QLocale::Finnish);
    format("mmm yyyy d mmm", "март 2004 5 мар.", Afternoon, QLocale::Russian);
}

void tst_Greeting::patterns()
{
    QFETCH(QDateTime, value);
    QFETCH(QString, pattern);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    const bool czech = locale.language() == QLocale::Czech;
    QCOMPARE(
        FormatByPattern(value, pattern, czech ? RegionalData::czech() : RegionalData::fromLocale(locale)), expected);
}

void tst_Greeting::compose_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("dateF");
    QTest::addColumn<QString>("expected");
    layout("0/0/0/0", Z + NL + P);
    layout("0/0/0/1", Z + NL + P + NL + S + N);
    layout("0/0/1/0", Z + NL + P + NL + T);
    layout("0/0/1/1", Z + NL + P + NL + T + NL + S + N);
    layout("0/1/0/0", Z + NL + P + NL + "Dnes je:" + NL + D);
    layout("0/1/0/1", Z + NL + P + NL + "Dnes je:" + NL + D + NL + S + N);
    layout("0/1/1/0", Z + NL + PD + NL + NL + D + NL + T + NL);
    layout("0/1/1/1", Z + NL + PD + NL + D + NL + T + NL + S + N);
    layout("1/0/0/0", T1 + NL + T2);
    layout("1/0/0/1", T1 + NL + T2 + N);
    layout("1/0/1/0", T1 + NL + T + NL + T2);
    layout("1/0/1/1", T1 + NL + T + NL + T2 + N);
    layout("1/1/0/0", T1 + NL + D + NL + T2);
    layout("1/1/0/1", T1 + NL + D + NL + T2 + N);
    layout("1/1/1/0", T1 + NL + D + NL + T + NL + T2);
    layout("1/1/1/1", T1 + NL + D + NL + T + NL + T2 + N);
    // Flags are numbers, tested in order: one that rules a layout out leaves the later ones untested.
    layout("1.0/ 0 /+1/1e0", T1 + NL + T + NL + T2 + N);
    layout("x/0/0/0", Fails);
    layout("1/1/1/1,", Fails);
    layout("5/x/x/x", NoLayout);
    layout("1/2/x/x", NoLayout);
    layout("0/1/2/x", NoLayout);
    layout("0/0/0/2", NoLayout);
    layout("1/1/0/0", T1 + NL + "5.3. 0:00" + NL + T2, "d.m. h:mm"); // the date line is the date alone
}

void tst_Greeting::compose()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, dateF);
    QFETCH(QString, expected);
    CompositionInput in { flags[0], flags[1], flags[2], flags[3], dateF, "h:mm:ss", T1, T2, Before, N };
    Composition shown;
    const bool composed = silently([&] { shown = composeGreeting(in); });
    QCOMPARE(!composed ? Fails : shown.matched ? shown.text : NoLayout, expected);
    // A second later the refresh puts 10:00:00 in place of the time: what composing afresh gives.
    in.now = Before.addSecs(1);
    const Composition fresh = shown.matched ? composeGreeting(in) : shown;
    QCOMPARE(replaceTime(shown.text, shown.time, FormatByPattern(in.now, in.casF)), shown.time.valid());
    QVERIFY(!replaceTime(shown.text, shown.time, FormatByPattern(in.now, in.casF)));
    QCOMPARE(shown.text, fresh.text);
    QCOMPARE(shown.time.length, fresh.time.length);
    TimeSpan past { shown.text.size() - 1, 2 }; // the text changed under it: nothing to do
    QVERIFY(!replaceTime(shown.text, past, "x"));
}

void tst_Greeting::nameDays()
{
    // Every day of every month 0..13 against the whole table in tests/data: a
    // day a leap year lacks has no name day.
    QFile file(QFINDTESTDATA("../data/namedays.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QDate, QString> table;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(u'#'))
            table.insert(QDate::fromString(line.section(u'|', 0, 0) + "2004", "d.M.yyyy"),
                line.section(u'|', 1, 1).replace("\\r\\n", NL));
    }
    QCOMPARE(table.size(), 366);
    for (int month = 0; month <= 13; ++month) {
        for (int day = 0; day <= 32; ++day) {
            const QDate date(2004, month, day);
            QCOMPARE(NameDayCalendar::NameDayFor(month, day).value_or("(none)"), table.value(date, "(none)"));
        }
    }
    // A greeting wider than its window gets the name day on a line of its own.
    const QString christmasEve = table.value(QDate(2004, 12, 24));
    QCOMPARE(withNameDayOnOwnLine(S + christmasEve, christmasEve), S + NL + christmasEve);
    QCOMPARE(withNameDayOnOwnLine(N + NL + S + N, N), N + NL + S + NL + N); // only the final name moves
    QCOMPARE(withNameDayOnOwnLine(S + N + " ", N), S + N + " "); // the text does not end with the name
    QCOMPARE(withNameDayOnOwnLine(S, ""), S);
}

QTEST_GUILESS_MAIN(tst_Greeting)
#include "tst_greeting.moc"
