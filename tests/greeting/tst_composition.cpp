#include "common/testsupport.h"
#include "greeting/composition.h"
#include "greeting/formatbypattern.h"
#include "platform/errortrap.h"

#include <QTest>

namespace {

const QString NL = QStringLiteral("\r\n");
const QDateTime Afternoon(QDate(2004, 3, 5), QTime(14, 5, 9)); // a Friday
const QString Name = QStringLiteral(" Kazimír ");

CompositionInput input(const QString &textV, const QString &date, const QString &cas, const QString &svatky)
{
    return { textV, date, cas, svatky, "dddd d.mmmm.yyyy", "hh:mm:ss", "Ahoj ", "Tvůj svátek: ", Afternoon, Name };
}

} // namespace

class tst_Composition : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void layouts_data();
    void layouts();
    void flagsAreNumbers_data();
    void flagsAreNumbers();
    void flagTestingOrder_data();
    void flagTestingOrder();
    void dateLine_data();
    void dateLine();
    void refresh_data();
    void refresh();
    void refreshLeavesTextAlone_data();
    void refreshLeavesTextAlone();
    void nameDayOnOwnLine_data();
    void nameDayOnOwnLine();
};

void tst_Composition::layouts_data()
{
    QTest::addColumn<QString>("flags"); // TextV Date Cas Svatky
    QTest::addColumn<QString>("expected");

    const QString D = "Pátek 5.března.2004";
    const QString T = "14:05:09";
    const QString Z = "Zdravinky,";
    const QString P = "přeji dobrý den.";
    const QString S = "Svátek má: ";
    const QString T1 = "Ahoj ";
    const QString T2 = "Tvůj svátek: ";
    QTest::newRow("0000") << "0000" << Z + NL + P;
    QTest::newRow("0001") << "0001" << Z + NL + P + NL + S + Name;
    QTest::newRow("0010") << "0010" << Z + NL + P + NL + T;
    QTest::newRow("0011") << "0011" << Z + NL + P + NL + T + NL + S + Name;
    QTest::newRow("0100") << "0100" << Z + NL + P + NL + "Dnes je:" + NL + D;
    QTest::newRow("0101") << "0101" << Z + NL + P + NL + "Dnes je:" + NL + D + NL + S + Name;
    QTest::newRow("0110") << "0110" << Z + NL + "přeji dobrý den. Dnes je:" + NL + NL + D + NL + T + NL;
    QTest::newRow("0111") << "0111" << Z + NL + "přeji dobrý den. Dnes je:" + NL + D + NL + T + NL + S + Name;
    QTest::newRow("1000") << "1000" << T1 + NL + T2;
    QTest::newRow("1001") << "1001" << T1 + NL + T2 + Name;
    QTest::newRow("1010") << "1010" << T1 + NL + T + NL + T2;
    QTest::newRow("1011") << "1011" << T1 + NL + T + NL + T2 + Name;
    QTest::newRow("1100") << "1100" << T1 + NL + D + NL + T2;
    QTest::newRow("1101") << "1101" << T1 + NL + D + NL + T2 + Name;
    QTest::newRow("1110") << "1110" << T1 + NL + D + NL + T + NL + T2;
    QTest::newRow("1111") << "1111" << T1 + NL + D + NL + T + NL + T2 + Name;
}

void tst_Composition::layouts()
{
    QFETCH(QString, flags);
    QFETCH(QString, expected);
    const Composition c = composeGreeting(input(flags.mid(0, 1), flags.mid(1, 1), flags.mid(2, 1), flags.mid(3, 1)));
    QVERIFY(c.matched);
    QCOMPARE(c.text, expected);
    const bool timeShown = flags[2] == u'1';
    QCOMPARE(c.time.valid(), timeShown);
    if (timeShown) {
        QCOMPARE(c.time.start, expected.indexOf("14:05:09"));
        QCOMPARE(c.time.length, 8);
    }
}

void tst_Composition::flagsAreNumbers_data()
{
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");
    QTest::newRow("plain") << "1"
                           << "0";
    QTest::newRow("spaces") << " 1 "
                            << " 0 ";
    QTest::newRow("fraction") << "1.0"
                              << "0.00";
    QTest::newRow("exponent") << "1e0"
                              << "0e5";
    QTest::newRow("signs") << "+1"
                           << "-0";
}

void tst_Composition::flagsAreNumbers()
{
    QFETCH(QString, on);
    QFETCH(QString, off);
    const Composition c = composeGreeting(input(on, off, on, on));
    QVERIFY(c.matched);
    QCOMPARE(c.text, "Ahoj " + NL + "14:05:09" + NL + "Tvůj svátek: " + Name);
}

void tst_Composition::flagTestingOrder_data()
{
    QTest::addColumn<QString>("textV");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("cas");
    QTest::addColumn<QString>("svatky");
    QTest::addColumn<bool>("throws");

    QTest::newRow("TextV no number") << "x"
                                     << "0"
                                     << "0"
                                     << "0" << true;
    QTest::newRow("TextV empty") << ""
                                 << "0"
                                 << "0"
                                 << "0" << true;
    QTest::newRow("TextV 5 hides Date x") << "5"
                                          << "x"
                                          << "x"
                                          << "x" << false;
    QTest::newRow("Date no number") << "0"
                                    << "x"
                                    << "0"
                                    << "0" << true;
    QTest::newRow("Date 2 hides Cas x") << "1"
                                        << "2"
                                        << "x"
                                        << "x" << false;
    QTest::newRow("Cas no number") << "1"
                                   << "1"
                                   << "ano"
                                   << "0" << true;
    QTest::newRow("Cas 2 hides Svatky x") << "0"
                                          << "1"
                                          << "2"
                                          << "x" << false;
    QTest::newRow("Svatky no number") << "1"
                                      << "1"
                                      << "1"
                                      << "1," << true;
    QTest::newRow("Svatky 2") << "0"
                              << "0"
                              << "0"
                              << "2" << false;
    QTest::newRow("TextV -1") << "-1"
                              << "0"
                              << "0"
                              << "0" << false;
    QTest::newRow("Date 0.5") << "0"
                              << "0.5"
                              << "0"
                              << "0" << false;
}

void tst_Composition::flagTestingOrder()
{
    QFETCH(QString, textV);
    QFETCH(QString, date);
    QFETCH(QString, cas);
    QFETCH(QString, svatky);
    QFETCH(bool, throws);
    if (throws) {
        QVERIFY_THROWS_EXCEPTION(StepFailed, composeGreeting(input(textV, date, cas, svatky)));
        return;
    }
    const Composition c = composeGreeting(input(textV, date, cas, svatky));
    QVERIFY(!c.matched);
    QVERIFY(!c.time.valid());
}

void tst_Composition::dateLine_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("dateF");
    QTest::addColumn<QString>("line");
    QTest::newRow("Tuesday, accented") << QDate(2004, 3, 2) << "dddd d.mmmm.yyyy"
                                       << "Úterý 2.března.2004";
    QTest::newRow("Thursday, accented") << QDate(2004, 3, 4) << "dddd d.mm.yy"
                                        << "Čtvrtek 4.03.04";
    QTest::newRow("Wednesday, accented inside") << QDate(2004, 3, 3) << "ddd ddd"
                                                << "St st";
    QTest::newRow("month name first") << QDate(2004, 3, 2) << "mmmm"
                                      << "Březen";
    QTest::newRow("digits first") << QDate(2004, 3, 2) << "d.m.yyyy"
                                  << "2.3.2004";
    QTest::newRow("long date") << QDate(2004, 3, 6) << "Long date"
                               << "Sobota 6. března 2004";
    QTest::newRow("time tokens are midnight") << QDate(2004, 3, 2) << "d.m. h:mm"
                                              << "2.3. 0:00";
    QTest::newRow("empty pattern") << QDate(2004, 3, 2) << ""
                                   << "";
}

void tst_Composition::dateLine()
{
    QFETCH(QDate, date);
    QFETCH(QString, dateF);
    QFETCH(QString, line);
    CompositionInput in = input("1", "1", "0", "0");
    in.now = QDateTime(date, QTime(14, 5, 9));
    in.dateF = dateF;
    QCOMPARE(composeGreeting(in).text, "Ahoj " + NL + line + NL + "Tvůj svátek: ");
}

// A refresh must give exactly what composing afresh at the later time gives.
void tst_Composition::refresh_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("casF");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QDateTime>("before");
    QTest::addColumn<QDateTime>("after");
    QTest::addColumn<bool>("wrapped");

    const QDate day(2004, 3, 5);
    QTest::newRow("h.mm.ss grows at 10 o'clock")
        << "0111"
        << "h.mm.ss"
        << "" << QDateTime(day, QTime(9, 59, 59)) << QDateTime(day, QTime(10, 0, 0)) << false;
    QTest::newRow("h.m.s shrinks") << "0110"
                                   << "h.m.s"
                                   << "" << QDateTime(day, QTime(9, 5, 59)) << QDateTime(day, QTime(9, 6, 0)) << false;
    QTest::newRow("h.m.s grows") << "1010"
                                 << "h.m.s"
                                 << "Ahoj " << QDateTime(day, QTime(9, 5, 9)) << QDateTime(day, QTime(9, 5, 10))
                                 << false;
    QTest::newRow("hh.mm.ss keeps its zero")
        << "0010"
        << "hh.mm.ss"
        << "" << QDateTime(day, QTime(9, 5, 33)) << QDateTime(day, QTime(9, 5, 34)) << false;
    QTest::newRow("20 o'clock after a date holding 20")
        << "1111"
        << "h.mm.ss"
        << "Ahoj " << QDateTime(day, QTime(20, 4, 59)) << QDateTime(day, QTime(20, 5, 0)) << false;
    QTest::newRow("own text holding the same time")
        << "1011"
        << "h.mm.ss"
        << "V 9.05.09 " << QDateTime(day, QTime(9, 5, 9)) << QDateTime(day, QTime(9, 5, 10)) << false;
    QTest::newRow("after the name-day wrap")
        << "0011"
        << "h.m.s"
        << "" << QDateTime(day, QTime(9, 9, 59)) << QDateTime(day, QTime(9, 10, 0)) << true;
    QTest::newRow("time pattern with a date")
        << "1010"
        << "d.m. h:mm"
        << "Ahoj " << QDateTime(day, QTime(23, 59, 0)) << QDateTime(day.addDays(1), QTime(0, 0, 0)) << false;
}

void tst_Composition::refresh()
{
    QFETCH(QString, flags);
    QFETCH(QString, casF);
    QFETCH(QString, text1);
    QFETCH(QDateTime, before);
    QFETCH(QDateTime, after);
    QFETCH(bool, wrapped);

    CompositionInput in = input(flags.mid(0, 1), flags.mid(1, 1), flags.mid(2, 1), flags.mid(3, 1));
    in.dateF = "d.m.yyyy";
    in.casF = casF;
    in.text1 = text1;
    in.now = before;
    Composition shown = composeGreeting(in);
    in.now = after;
    Composition fresh = composeGreeting(in);
    if (wrapped) {
        shown.text = withNameDayOnOwnLine(shown.text, Name);
        fresh.text = withNameDayOnOwnLine(fresh.text, Name);
    }

    QVERIFY(replaceTime(shown.text, shown.time, FormatByPattern(after, casF)));
    QCOMPARE(shown.text, fresh.text);
    QCOMPARE(shown.time.start, fresh.time.start);
    QCOMPARE(shown.time.length, fresh.time.length);
}

void tst_Composition::refreshLeavesTextAlone_data()
{
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QString>("time");
    QTest::newRow("same time") << qsizetype(6) << qsizetype(7) << "9.05.09";
    QTest::newRow("no time in the text") << qsizetype(-1) << qsizetype(0) << "9.05.10";
    QTest::newRow("span past the end") << qsizetype(6) << qsizetype(8) << "9.05.10";
}

void tst_Composition::refreshLeavesTextAlone()
{
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    QFETCH(QString, time);
    const QString original = "Ahoj\r\n9.05.09";
    QString text = original;
    TimeSpan span { start, length };
    QVERIFY(!replaceTime(text, span, time));
    QCOMPARE(text, original);
    QCOMPARE(span.start, start);
    QCOMPARE(span.length, length);
}

void tst_Composition::nameDayOnOwnLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const QString greeting = "Zdravinky, dnes je: " + NL + "Svátek má: ";
    QTest::newRow("29 February, a single space") << greeting + " "
                                                 << " " << greeting + NL + " ";
    QTest::newRow("only the final occurrence moves") << " Jan " + NL + "Svátek má:  Jan "
                                                     << " Jan "
                                                     << " Jan " + NL + "Svátek má: " + NL + " Jan ";
    const QString christmasEve = " Adam a Eva" + NL + "(Štědrý Den)";
    QTest::newRow("24 December, two lines") << greeting + christmasEve << christmasEve << greeting + NL + christmasEve;
    QTest::newRow("text not ending with the name") << greeting + " Jan  "
                                                   << " Jan " << greeting + " Jan  ";
    QTest::newRow("empty name") << greeting << "" << greeting;
}

void tst_Composition::nameDayOnOwnLine()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(withNameDayOnOwnLine(text, name), expected);
}

QTEST_GUILESS_MAIN(tst_Composition)
#include "tst_composition.moc"
