#include "calendar/namedaycalendar.h"
#include "common/testsupport.h"

#include <QTest>

using NameDayCalendar::NameDayFor;

class tst_NameDayCalendar : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void text_data();
    void text();
    void daysInMonth_data();
    void daysInMonth();
    void invalidKey_data();
    void invalidKey();
    void everyKeyOfTheGrid();
    void oneSpaceEachSide();
};

void tst_NameDayCalendar::text_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");

    QTest::newRow("1 Jan new year") << 1 << 1 << QStringLiteral(" Nový rok ");
    QTest::newRow("4 Jan") << 1 << 4 << QStringLiteral(" Diana ");
    QTest::newRow("31 Jan month end") << 1 << 31 << QStringLiteral(" Marika ");
    QTest::newRow("16 Feb") << 2 << 16 << QStringLiteral(" Ljuba ");
    QTest::newRow("28 Feb") << 2 << 28 << QStringLiteral(" Lumír ");
    QTest::newRow("29 Feb single space") << 2 << 29 << QStringLiteral(" ");
    QTest::newRow("1 Mar") << 3 << 1 << QStringLiteral(" Bedřich ");
    QTest::newRow("12 Mar") << 3 << 12 << QStringLiteral(" Řehoř ");
    QTest::newRow("14 Mar two names") << 3 << 14 << QStringLiteral(" Rút a Matylda ");
    QTest::newRow("29 Mar") << 3 << 29 << QStringLiteral(" Taťána ");
    QTest::newRow("30 Apr month end") << 4 << 30 << QStringLiteral(" Blahoslav ");
    QTest::newRow("1 May") << 5 << 1 << QStringLiteral(" 1. Máj ");
    QTest::newRow("8 May no trailing space") << 5 << 8 << QStringLiteral(" 2. Světová");
    QTest::newRow("15 May") << 5 << 15 << QStringLiteral(" Žofie ");
    QTest::newRow("30 Jun") << 6 << 30 << QStringLiteral(" Šárka ");
    QTest::newRow("6 Jul") << 7 << 6 << QStringLiteral(" Mistr J.Hus ");
    QTest::newRow("19 Jul") << 7 << 19 << QStringLiteral(" Čeněk ");
    QTest::newRow("24 Aug") << 8 << 24 << QStringLiteral(" Bartoloměj ");
    QTest::newRow("28 Sep") << 9 << 28 << QStringLiteral(" Václav ");
    QTest::newRow("28 Oct") << 10 << 28 << QStringLiteral(" ČSR ");
    QTest::newRow("31 Oct month end") << 10 << 31 << QStringLiteral(" Štěpánka ");
    QTest::newRow("2 Nov") << 11 << 2 << QStringLiteral(" Dušičky ");
    QTest::newRow("30 Nov month end") << 11 << 30 << QStringLiteral(" Ondřej ");
    QTest::newRow("24 Dec two lines") << 12 << 24 << QStringLiteral(" Adam a Eva\r\n(Štědrý Den)");
    QTest::newRow("25 Dec") << 12 << 25 << QStringLiteral(" Boží Hod Vánoční ");
    QTest::newRow("31 Dec") << 12 << 31 << QStringLiteral(" Silvestr ");
}

void tst_NameDayCalendar::text()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, text);
    const std::optional<QString> found = NameDayFor(month, day);
    QVERIFY(found.has_value());
    QCOMPARE(*found, text);
}

void tst_NameDayCalendar::daysInMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("days");
    const int days[] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    for (int month = 1; month <= 12; ++month)
        QTest::addRow("month %d", month) << month << days[month - 1];
}

// Days 1 to the month's length have a text, no later day has one.
void tst_NameDayCalendar::daysInMonth()
{
    QFETCH(int, month);
    QFETCH(int, days);
    for (int day = 1; day <= 40; ++day)
        QVERIFY2(NameDayFor(month, day).has_value() == (day <= days), qPrintable(QString::number(day)));
}

void tst_NameDayCalendar::invalidKey_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("month 0") << 0 << 1;
    QTest::newRow("month 13") << 13 << 1;
    QTest::newRow("negative month") << -1 << 1;
    QTest::newRow("day 0") << 1 << 0;
    QTest::newRow("negative day") << 6 << -5;
    QTest::newRow("32 Jan") << 1 << 32;
    QTest::newRow("30 Feb") << 2 << 30;
    QTest::newRow("31 Apr") << 4 << 31;
    QTest::newRow("31 Jun") << 6 << 31;
    QTest::newRow("31 Sep") << 9 << 31;
    QTest::newRow("31 Nov") << 11 << 31;
    QTest::newRow("32 Dec") << 12 << 32;
    QTest::newRow("huge values") << 1000000 << 1000000;
}

void tst_NameDayCalendar::invalidKey()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QVERIFY(!NameDayFor(month, day).has_value());
}

void tst_NameDayCalendar::everyKeyOfTheGrid()
{
    int found = 0;
    for (int month = -2; month <= 15; ++month) {
        for (int day = -2; day <= 40; ++day)
            found += NameDayFor(month, day).has_value() ? 1 : 0;
    }
    QCOMPARE(found, 366);
}

void tst_NameDayCalendar::oneSpaceEachSide()
{
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day) {
            const std::optional<QString> found = NameDayFor(month, day);
            const bool exception = (month == 2 && day == 29) || (month == 5 && day == 8) || (month == 12 && day == 24);
            if (!found || exception)
                continue;
            const QString &text = *found;
            const QString where = QStringLiteral("%1.%2 \"%3\"").arg(day).arg(month).arg(text);
            QVERIFY2(text.size() > 2, qPrintable(where));
            QVERIFY2(text.startsWith(u' ') && !text.startsWith(u"  "), qPrintable(where));
            QVERIFY2(text.endsWith(u' ') && !text.endsWith(u"  "), qPrintable(where));
            QVERIFY2(!text.contains(u'\n') && !text.contains(u'\r'), qPrintable(where));
        }
    }
}

QTEST_GUILESS_MAIN(tst_NameDayCalendar)

#include "tst_namedaycalendar.moc"
