#include "common/testsupport.h"
#include "platform/errortrap.h"
#include "platform/numbers.h"

#include <QTest>

class tst_Numbers : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void toDouble_data();
    void toDouble();
    void integers_data();
    void integers();
    void trapKeepsEarlierSteps();
};

void tst_Numbers::toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12" << true << 12.0;
    QTest::newRow("surrounding spaces") << " 12 " << true << 12.0;
    QTest::newRow("tabs") << "\t7\t" << true << 7.0;
    QTest::newRow("sign minus") << "-3" << true << -3.0;
    QTest::newRow("sign plus") << "+3" << true << 3.0;
    QTest::newRow("fraction") << "2.5" << true << 2.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("exponent") << "1e2" << true << 100.0;
    QTest::newRow("signed exponent") << "25E-1" << true << 2.5;
    QTest::newRow("decimal comma") << "12,5" << true << 12.5;
    QTest::newRow("decimal comma, spaces") << " 12,5 " << true << 12.5;
    QTest::newRow("decimal comma, sign") << "-0,5" << true << -0.5;
    QTest::newRow("decimal comma, exponent") << "1,5e2" << true << 150.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("two commas") << "1,2,3" << false << 0.0;
    QTest::newRow("point and comma") << "1.2,3" << false << 0.0;
    QTest::newRow("lone comma") << "," << false << 0.0;
    QTest::newRow("trailing comma") << "1," << false << 0.0;
    QTest::newRow("leading comma") << ",5" << false << 0.0;
    QTest::newRow("only spaces") << "   " << false << 0.0;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("inner space") << "1 2" << false << 0.0;
    QTest::newRow("lone sign") << "-" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("overflow") << "1e400" << false << 0.0;
    QTest::newRow("words") << "red" << false << 0.0;
}

void tst_Numbers::toDouble()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    QCOMPARE(parseNumber(text).has_value(), ok);
    if (ok)
        QCOMPARE(::toDouble(text), value);
    else
        QVERIFY_THROWS_EXCEPTION(StepFailed, ::toDouble(text));
}

void tst_Numbers::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits16");
    QTest::addColumn<int>("value16");
    QTest::addColumn<bool>("fits32");
    QTest::addColumn<qint64>("value32");
    QTest::newRow("half to even down") << "2.5" << true << 2 << true << qint64(2);
    QTest::newRow("half to even up") << "3.5" << true << 4 << true << qint64(4);
    QTest::newRow("negative half") << "-2.5" << true << -2 << true << qint64(-2);
    QTest::newRow("nearest") << "2.6" << true << 3 << true << qint64(3);
    QTest::newRow("decimal comma") << "-2,5" << true << -2 << true << qint64(-2);
    QTest::newRow("exponent") << "1e2" << true << 100 << true << qint64(100);
    QTest::newRow("16-bit top") << "32767" << true << 32767 << true << qint64(32767);
    QTest::newRow("16-bit over") << "32768" << false << 0 << true << qint64(32768);
    QTest::newRow("16-bit bottom") << "-32768" << true << -32768 << true << qint64(-32768);
    QTest::newRow("16-bit under") << "-32769" << false << 0 << true << qint64(-32769);
    QTest::newRow("rounds over 16-bit") << "32767.5" << false << 0 << true << qint64(32768);
    QTest::newRow("rounds to 16-bit bottom") << "-32768.5" << true << -32768 << true << qint64(-32768);
    QTest::newRow("32-bit top") << "2147483647" << false << 0 << true << qint64(2147483647);
    QTest::newRow("32-bit over") << "2147483648" << false << 0 << false << qint64(0);
    QTest::newRow("32-bit bottom") << "-2147483648" << false << 0 << true << qint64(-2147483648LL);
    QTest::newRow("empty") << "" << false << 0 << false << qint64(0);
    QTest::newRow("not a number") << "12abc" << false << 0 << false << qint64(0);
}

void tst_Numbers::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, fits16);
    QFETCH(int, value16);
    QFETCH(bool, fits32);
    QFETCH(qint64, value32);
    if (fits16)
        QCOMPARE(int(toInt16(text)), value16);
    else
        QVERIFY_THROWS_EXCEPTION(StepFailed, toInt16(text));
    if (fits32)
        QCOMPARE(qint64(toInt32(text)), value32);
    else
        QVERIFY_THROWS_EXCEPTION(StepFailed, toInt32(text));
}

void tst_Numbers::trapKeepsEarlierSteps()
{
    QStringList done;
    const bool completed = silently([&] {
        done << "first";
        done << QString::number(toInt16(u"x"));
        done << "never";
    });
    QVERIFY(!completed);
    QCOMPARE(done, QStringList { "first" });
    QVERIFY(silently([&] { done << "again"; }));
}

QTEST_GUILESS_MAIN(tst_Numbers)
#include "tst_numbers.moc"
