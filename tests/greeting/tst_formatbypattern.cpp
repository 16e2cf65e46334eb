#include "common/testsupport.h"
#include "greeting/formatbypattern.h"

#include <QTest>

namespace {

// Friday 5 March 2004, day 65 of a leap year.
const QDate Friday(2004, 3, 5);
const QDateTime Afternoon(Friday, QTime(14, 5, 9));
const QDateTime Morning(Friday, QTime(9, 5, 9));

} // namespace

class tst_FormatByPattern : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void patterns_data();
    void patterns();
    void czechNames_data();
    void czechNames();
    void dateAloneIsMidnight();
    void colonIsTheTimeSeparator();
    void nameFormsOfOtherLanguages_data();
    void nameFormsOfOtherLanguages();
    void separatorFromLocale_data();
    void separatorFromLocale();
    void oddInput_data();
    void oddInput();
};

void tst_FormatByPattern::initTestCase()
{
    // The machine's own locale must not leak into the Czech data.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_FormatByPattern::cleanupTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void tst_FormatByPattern::patterns_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // The date patterns the settings window offers.
    QTest::newRow("d.m.yy") << Afternoon << "d.m.yy"
                            << "5.3.04";
    QTest::newRow("d.mm.yy") << Afternoon << "d.mm.yy"
                             << "5.03.04";
    QTest::newRow("d.mm.yyyy") << Afternoon << "d.mm.yyyy"
                               << "5.03.2004";
    QTest::newRow("d.mmm.yy") << Afternoon << "d.mmm.yy"
                              << "5.bře.04";
    QTest::newRow("d.mmm.yyyy") << Afternoon << "d.mmm.yyyy"
                                << "5.bře.2004";
    QTest::newRow("d.mmmm.yyyy") << Afternoon << "d.mmmm.yyyy"
                                 << "5.března.2004";
    QTest::newRow("ddd d.mm.yy") << Afternoon << "ddd d.mm.yy"
                                 << "pá 5.03.04";
    QTest::newRow("ddd d.mmm.yy") << Afternoon << "ddd d.mmm.yy"
                                  << "pá 5.bře.04";
    QTest::newRow("ddd d.mmm.yyyy with trailing space") << Afternoon << "ddd d.mmm.yyyy "
                                                        << "pá 5.bře.2004 ";
    QTest::newRow("dddd d.mm.yy") << Afternoon << "dddd d.mm.yy"
                                  << "pátek 5.03.04";
    QTest::newRow("dddd d.mmmm.yyyy") << Afternoon << "dddd d.mmmm.yyyy"
                                      << "pátek 5.března.2004";
    QTest::newRow("Long date") << Afternoon << "Long date"
                               << "pátek 5. března 2004";
    QTest::newRow("Short date") << Afternoon << "Short date"
                                << "5.3.2004";
    QTest::newRow("Short date, two-digit day and month") << QDateTime(QDate(2004, 12, 24), QTime(0, 0)) << "Short date"
                                                         << "24.12.2004";

    // Month names after a day of the month, and standing alone.
    QTest::newRow("d. mmmm yyyy") << Afternoon << "d. mmmm yyyy"
                                  << "5. března 2004";
    QTest::newRow("dd. mmmm") << Afternoon << "dd. mmmm"
                              << "05. března";
    QTest::newRow("mmmm yyyy") << Afternoon << "mmmm yyyy"
                               << "březen 2004";
    QTest::newRow("mmm yyyy") << Afternoon << "mmm yyyy"
                              << "bře 2004";
    QTest::newRow("mmmm before the day stands alone") << Afternoon << "mmmm d."
                                                      << "březen 5.";
    QTest::newRow("a weekday is no day of the month") << Afternoon << "dddd mmmm yyyy"
                                                      << "pátek březen 2004";
    QTest::newRow("nor is the short date") << Afternoon << "ddddd mmmm"
                                           << "5.3.2004 březen";

    // The time patterns the settings window offers, afternoon and morning.
    QTest::newRow("h.m.s 14") << Afternoon << "h.m.s"
                              << "14.5.9";
    QTest::newRow("h.m.s 9") << Morning << "h.m.s"
                             << "9.5.9";
    QTest::newRow("h.mm.ss 14") << Afternoon << "h.mm.ss"
                                << "14.05.09";
    QTest::newRow("h.mm.ss 9") << Morning << "h.mm.ss"
                               << "9.05.09";
    QTest::newRow("h:m:s 14") << Afternoon << "h:m:s"
                              << "14:5:9";
    QTest::newRow("h:m:s 9") << Morning << "h:m:s"
                             << "9:5:9";
    QTest::newRow("h:mm:ss 14") << Afternoon << "h:mm:ss"
                                << "14:05:09";
    QTest::newRow("h:mm:ss 9") << Morning << "h:mm:ss"
                               << "9:05:09";
    QTest::newRow("hh.mm.ss 14") << Afternoon << "hh.mm.ss"
                                 << "14.05.09";
    QTest::newRow("hh.mm.ss 9") << Morning << "hh.mm.ss"
                                << "09.05.09";
    QTest::newRow("hh:mm:ss 14") << Afternoon << "hh:mm:ss"
                                 << "14:05:09";
    QTest::newRow("hh:mm:ss 9") << Morning << "hh:mm:ss"
                                << "09:05:09";
    QTest::newRow("hour past 12 stays 0-23") << QDateTime(Friday, QTime(23, 0, 0)) << "h"
                                             << "23";
    QTest::newRow("midnight hour") << QDateTime(Friday, QTime(0, 7, 0)) << "hh:mm"
                                   << "00:07";

    // Named forms: the whole pattern, any letter case.
    QTest::newRow("SHORT DATE") << Afternoon << "SHORT DATE"
                                << "5.3.2004";
    QTest::newRow("short Date") << Afternoon << "short Date"
                                << "5.3.2004";
    QTest::newRow("LONG DATE") << Afternoon << "LONG DATE"
                               << "pátek 5. března 2004";
    QTest::newRow("Short date with a space is tokens") << Afternoon << "Short date "
                                                       << "S14ort 5ate ";

    // Minute or month.
    QTest::newRow("m right after h is minute") << Afternoon << "h m"
                                               << "14 5";
    QTest::newRow("m after d is month") << Afternoon << "h d.m"
                                        << "14 5.3";
    QTest::newRow("m after s is month") << Afternoon << "h.s.m"
                                        << "14.9.3";
    QTest::newRow("m with no token before is month") << Afternoon << "m h"
                                                     << "3 14";
    QTest::newRow("time then date") << Afternoon << "hh:mm d.m."
                                    << "14:05 5.3.";
    QTest::newRow("date then time") << Afternoon << "d.m. h:m"
                                    << "5.3. 14:5";
    QTest::newRow("m after hh across spaces") << Afternoon << "hh   m"
                                              << "14   5";
    QTest::newRow("mmm after h is month name") << Afternoon << "h mmm"
                                               << "14 bře";

    // Days and copied characters.
    QTest::newRow("dd single digit") << Afternoon << "dd"
                                     << "05";
    QTest::newRow("dd two digits") << QDateTime(QDate(2004, 3, 25), QTime(14, 5, 9)) << "dd.mm."
                                   << "25.03.";
    QTest::newRow("yy of year 2000") << QDateTime(QDate(2000, 1, 1), QTime(0, 0)) << "yy"
                                     << "00";
    QTest::newRow("letters that are no tokens") << Afternoon << "Den: d"
                                                << "Den: 5";
    QTest::newRow("upper-case letters are copied") << Afternoon << "D.M.Y H:S"
                                                   << "D.M.Y H:S";
    QTest::newRow("token letters inside words") << Afternoon << "Dnes je d."
                                                << "Dne9 je 5.";
    QTest::newRow("other characters") << Afternoon << "[d/m-yyyy] č, 😀"
                                      << "[5/3-2004] č, 😀";

    // Runs beyond the table.
    QTest::newRow("ddddd is the short date") << Afternoon << "ddddd"
                                             << "5.3.2004";
    QTest::newRow("dddddd is the long date") << Afternoon << "dddddd"
                                             << "pátek 5. března 2004";
    QTest::newRow("ddddddd splits") << Afternoon << "ddddddd"
                                    << "pátek 5. března 20045";
    QTest::newRow("mmmmm splits") << Afternoon << "mmmmm"
                                  << "březen3";
    QTest::newRow("y is the day of the year") << Afternoon << "y"
                                              << "65";
    QTest::newRow("y on 1 January") << QDateTime(QDate(2004, 1, 1), QTime(0, 0)) << "y"
                                    << "1";
    QTest::newRow("y on 31 December of a leap year") << QDateTime(QDate(2004, 12, 31), QTime(0, 0)) << "y"
                                                     << "366";
    QTest::newRow("yyy splits") << Afternoon << "yyy"
                                << "0465";
    QTest::newRow("yyyyy splits") << Afternoon << "yyyyy"
                                  << "200465";
    QTest::newRow("yyyyyy splits") << Afternoon << "yyyyyy"
                                   << "200404";
    QTest::newRow("hhh splits") << Morning << "hhh"
                                << "099";
    QTest::newRow("sss splits") << Morning << "sss"
                                << "099";
    QTest::newRow("m after a split hour run is minute") << Morning << "hhh:m"
                                                        << "099:5";
    QTest::newRow("empty pattern") << Afternoon << ""
                                   << "";
}

void tst_FormatByPattern::patterns()
{
    QFETCH(QDateTime, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatByPattern(value, pattern), expected);
}

void tst_FormatByPattern::czechNames_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Monday") << QDate(2004, 3, 1) << "po pondělí bře březen, 1. března";
    QTest::newRow("Tuesday") << QDate(2004, 3, 2) << "út úterý bře březen, 2. března";
    QTest::newRow("Thursday") << QDate(2004, 3, 4) << "čt čtvrtek bře březen, 4. března";
    QTest::newRow("Sunday") << QDate(2004, 3, 7) << "ne neděle bře březen, 7. března";
    QTest::newRow("January") << QDate(2004, 1, 10) << "so sobota led leden, 10. ledna";
    QTest::newRow("December") << QDate(2004, 12, 24) << "pá pátek pro prosinec, 24. prosince";
}

void tst_FormatByPattern::czechNames()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(FormatByPattern(date, "ddd dddd mmm mmmm, d. mmmm"), expected);
}

void tst_FormatByPattern::dateAloneIsMidnight()
{
    QCOMPARE(FormatByPattern(Friday, "d.m.yyyy hh:mm:ss"), QString("5.3.2004 00:00:00"));
    QCOMPARE(FormatByPattern(QDate::fromJulianDay(-784350574879), "d.m.yyyy"),
        QString("1.1.-2147483648")); // as far back as QDate goes
}

void tst_FormatByPattern::colonIsTheTimeSeparator()
{
    RegionalData regional = RegionalData::czech();
    regional.timeSeparator = ".";
    QCOMPARE(FormatByPattern(Afternoon, "h:mm:ss", regional), QString("14.05.09"));
    QCOMPARE(FormatByPattern(Afternoon, "h.m:s", regional), QString("14.5.9"));
}

// Czech tells its forms apart only in full month names; these languages show
// that weekdays and abbreviations take their forms by the same rule.
void tst_FormatByPattern::nameFormsOfOtherLanguages_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const QLocale finnish(QLocale::Finnish, QLocale::Finland);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QTest::newRow("Finnish weekday before the day") << finnish << "dddd d. mmmm"
                                                    << "perjantai 5. maaliskuuta";
    QTest::newRow("Finnish weekday after the day") << finnish << "d. dddd"
                                                   << "5. perjantaina";
    QTest::newRow("Russian short month alone") << russian << "mmm yyyy"
                                               << "март 2004";
    QTest::newRow("Russian short month after the day") << russian << "d mmm"
                                                       << "5 мар.";
}

void tst_FormatByPattern::nameFormsOfOtherLanguages()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatByPattern(Afternoon, pattern, RegionalData::fromLocale(locale)), expected);
}

void tst_FormatByPattern::separatorFromLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("separator");
    QTest::newRow("Czech") << QLocale(QLocale::Czech, QLocale::CzechRepublic) << ":";
    QTest::newRow("Finnish H.mm") << QLocale(QLocale::Finnish, QLocale::Finland) << ".";
    QTest::newRow("Danish HH.mm") << QLocale(QLocale::Danish, QLocale::Denmark) << ".";
}

void tst_FormatByPattern::separatorFromLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, separator);
    QCOMPARE(RegionalData::fromLocale(locale).timeSeparator, separator);
}

void tst_FormatByPattern::oddInput_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("only colons") << "::::"
                                 << "::::";
    QTest::newRow("long run of y") << QString(100000, u'y') << QString("2004").repeated(25000);
    QTest::newRow("long mixed pattern") << QString("h:mm:ss ").repeated(5000) << QString("14:05:09 ").repeated(5000);
    QTest::newRow("long run of d") << QString(60000, u'd') << QString("pátek 5. března 2004").repeated(10000);
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "d" << QString(QChar(0xD800)) + "5";
}

void tst_FormatByPattern::oddInput()
{
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatByPattern(Afternoon, pattern), expected);
    // An invalid value must not crash either; it renders whatever it can.
    FormatByPattern(QDateTime(), pattern);
}

QTEST_GUILESS_MAIN(tst_FormatByPattern)
#include "tst_formatbypattern.moc"
