#include "common/testsupport.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/fonts.h"
#include "platform/numbers.h"
#include "platform/translations.h"

#include <QFontInfo>
#include <QLibraryInfo>
#include <QPalette>
#include <QTest>
#include <functional>

namespace {

// What toDouble, toInt16, toInt32 and toSingle make of a stored text; "-": the step fails.
void number(const char *text, const char *expected)
{
    QTest::newRow(text) << QString(text) << QString(expected);
}

QString drawnIn(const QString &family)
{
    return Fonts::plainName(QFontInfo(QFont(family)).family());
}

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void numbers_data();
    void numbers();
    void systemClock();
    void colors();
    void qtTextsInCzech();
    void fontLookAlikeOrPlain_data();
    void fontLookAlikeOrPlain();
    void fontListHoldsScreenFonts();
};

void tst_Platform::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    number(" \t-3\t ", "-3 -3 -3 -3");
    number("+.5", "0.5 0 0 0.5"); // a half rounds to the even neighbour
    number("25E-1", "2.5 2 2 2.5");
    number("-2,5", "-2.5 -2 -2 -2.5"); // the decimal comma needs digits on both sides
    number("1,5e2", "150 150 150 150");
    // The ranges of the integers and of single precision.
    number("-32768.5", "-32768.5 -32768 -32768 -32768.5");
    number("32767.5", "32767.5 - 32768 32767.5");
    number("-32769", "-32769 - -32769 -32769");
    number("2147483647.5", "2147483647.5 - - 2147483648");
    number("1e39", "1e+39 - - -");
    // No numbers: a comma without digits on both sides, nothing locale-dependent or lenient.
    for (const char *text : { "", ".", "1,", ",5", "1e", "1 2", "12abc", "0x10", "inf", "nan", "1e400" })
        number(text, "- - - -");
}

void tst_Platform::numbers()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const std::function<double(QStringView)> conversions[] = { toDouble, toInt16, toInt32, toSingle };
    QStringList shown;
    for (const auto &convert : conversions) {
        shown << "-";
        silently([&] { shown.last() = QString::number(convert(text), 'g', 12); });
    }
    QCOMPARE(shown.join(u' '), expected);
}

// The program's own clock: the date and time now, and a monotonic count that moves.
void tst_Platform::systemClock()
{
    Clock &clock = Clock::system();
    const qint64 before = clock.monotonicMs();
    QVERIFY(qAbs(clock.now().secsTo(QDateTime::currentDateTime())) <= 1);
    QTest::qSleep(20);
    QVERIFY(clock.monotonicMs() >= before + 20);
}

void tst_Platform::colors()
{
    const QPalette palette;
    QCOMPARE(colorFromStored(0x123456, palette), QColor(0x56, 0x34, 0x12)); // 0x00BBGGRR
    QCOMPARE(storedFromColor(QColor(0x56, 0x34, 0x12)), 0x123456);
    QCOMPARE(colorFromStored(0xFF7F01, palette), QColor(0x01, 0x7F, 0xFF)); // every channel odd
    QCOMPARE(colorFromStored(WindowBackgroundColor, palette), palette.color(QPalette::Active, QPalette::Base));
    for (qint32 stored : { SystemColorFlag | 25, -1, 0x01000000 })
        QVERIFY_THROWS_EXCEPTION(StepFailed, colorFromStored(stored, palette));
}

void tst_Platform::qtTextsInCzech()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_cs.qm"))
        QSKIP("Qt's Czech translations are not installed (qt6-translations-l10n)");
    installQtTranslations();
    QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "&Copy"), "&Kopírovat");
}

void tst_Platform::fontLookAlikeOrPlain_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QStringList>("lookAlikes");
    QTest::newRow("settings window") << Fonts::small() << QStringList { "Comic Neue", "Comic Relief" };
    QTest::newRow("greeting") << Fonts::design() << QStringList { "Z003", "URW Chancery L" };
    QFont picked = Fonts::design();
    picked.setFamilies({ "Zapfino" }); // which fontconfig counts as cursive
    QTest::newRow("greeting in a missing face picked by hand") << picked << QStringList();
}

// A face the system lacks is drawn in its look-alike where one is installed,
// else in the system's plain sans-serif, never in a face the system picks for
// its name. CTest runs this once more without Comic Neue.
void tst_Platform::fontLookAlikeOrPlain()
{
    QFETCH(QFont, font);
    QFETCH(QStringList, lookAlikes);
    registerFontSubstitutes();
    const QStringList installed = Fonts::screenFamilies();
    auto expected = std::find_if(lookAlikes.begin(), lookAlikes.end(), [&](auto &f) { return installed.contains(f); });
    if (installed.contains(font.families().constFirst()))
        QSKIP("the face itself is installed");
    QCOMPARE(Fonts::plainName(QFontInfo(font).family()),
        expected != lookAlikes.end() ? *expected : drawnIn(Fonts::SansSerif));
}

// Every family the font box offers is a face of its own, drawn as itself.
void tst_Platform::fontListHoldsScreenFonts()
{
    QStringList others;
    for (const QString &family : Fonts::screenFamilies())
        if (drawnIn(family) != family)
            others << family + " is " + drawnIn(family);
    QVERIFY2(others.isEmpty(), qPrintable(others.join(", ")));
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
