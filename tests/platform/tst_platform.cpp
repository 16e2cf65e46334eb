#include "common/testsupport.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/fonts.h"
#include "platform/numbers.h"
#include "platform/picture.h"
#include "platform/translations.h"
#include "platform/twips.h"

#include <QDir>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/stat.h>

namespace {

// What toDouble, toInt16, toInt32 and toSingle make of a stored text; "-": the step fails.
void number(const char *text, const char *expected)
{
    QTest::newRow(text) << QString(text) << QString(expected);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString drawnIn(const QString &family)
{
    return Fonts::plainName(QFontInfo(QFont(family)).family());
}

constexpr QSize Shown(312, 215); // as large as the greeting window shows a picture

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void numbers_data();
    void numbers();
    void twips();
    void colors();
    void pictures_data();
    void pictures();
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

void tst_Platform::twips()
{
    QCOMPARE(Twips::toPixels(4680, 120), 390); // the greeting window's width at 120 dpi
    QCOMPARE(Twips::toPixels(8), 1); // to the nearest pixel
    QCOMPARE(Twips::toPixels(22), 1);
    QCOMPARE(Twips::fromPixels(390, 120), 4680.0f);
}

void tst_Platform::colors()
{
    const QPalette palette;
    QCOMPARE(colorFromStored(0x123456, palette), QColor(0x56, 0x34, 0x12)); // 0x00BBGGRR
    QCOMPARE(storedFromColor(QColor(0x56, 0x34, 0x12)), 0x123456);
    QCOMPARE(colorFromStored(WindowBackgroundColor, palette), palette.color(QPalette::Active, QPalette::Base));
    for (qint32 stored : { SystemColorFlag | 25, -1, 0x01000000 })
        QVERIFY_THROWS_EXCEPTION(StepFailed, colorFromStored(stored, palette));
}

// Bombs are small files whose headers claim 20000 x 20000 pixels (40000 x
// 40000 for the BMP), beyond any photo; the 12000 x 12000 one stays under that
// cap but brings far too few bytes for its pixels.
void tst_Platform::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size"); // invalid: the load fails
    static QTemporaryDir dir;
    const auto write = [](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    QDir::setCurrent(QFINDTESTDATA("../data")); // pictures made once for these tests
    // Flat grey photos: after the head, every 8 x 8 block is the same 6 bits, four blocks in three bytes.
    const auto flat = [](const char *head, qint64 pixels) {
        return bytesOf(head) + QByteArray("\x28\xA2\x8A").repeated(pixels / 256) + "\xFF\xD9";
    };
    const QByteArray jpeg = bytesOf("photo.jpg"); // 120 x 80
    const QByteArray video = QByteArray::fromHex("00000018") + "ftypmp42"; // a phone's motion photo appends one
    // An EXIF segment: big-endian, one entry, orientation (0112) 6: turn a quarter clockwise.
    const QByteArray turned
        = QByteArray::fromHex("ffe1 0022 457869660000 4d4d002a00000008 0001 0112 0003 00000001 00060000 00000000");
    QImage(30, 20, QImage::Format_RGB32).save(dir.filePath("picture.bmp"));
    mkfifo(QFile::encodeName(dir.filePath("fifo.jpg")).constData(), 0600);
    QFile huge(write("huge.jpg", jpeg)); // followed by a hole, as long as no photo is
    huge.resize(qint64(257) << 20);

    QTest::newRow("empty path, empty picture") << QString() << QSize(0, 0);
    QTest::newRow("bmp") << dir.filePath("picture.bmp") << QSize(30, 20);
    QTest::newRow("gif of many blocks") << "blocks.gif" << QSize(64, 48);
    QTest::newRow("progressive jpeg") << "progressive.jpg" << QSize(120, 80);
    QTest::newRow("jpeg with a thumbnail") << "thumbnail.jpg" << QSize(120, 80);
    QTest::newRow("jpeg named .bmp, video after its end") << write("motion.bmp", jpeg + video) << QSize(120, 80);
    QTest::newRow("jpeg turned upright") << write("turned.jpg", jpeg.left(2) + turned + jpeg.mid(2)) << QSize(80, 120);
    QTest::newRow("45 megapixels at the shown size")
        << write("flat.jpg", flat("flat8192x5464.head", 8192 * 5464)) << Shown;
    QTest::newRow("a folder") << dir.path() << QSize();
    QTest::newRow("a FIFO") << dir.filePath("fifo.jpg") << QSize();
    QTest::newRow("larger than any photo") << huge.fileName() << QSize();
    QTest::newRow("over 256 megapixels") << write("flatter.jpg", flat("flat16400x16400.head", 16400 * 16400))
                                         << QSize();
    // 6000 x 6000 progressive, as many bytes as its claim needs: only its many scans refuse it.
    QTest::newRow("progressive over the whole-decode limit")
        << write("p36.jpg", bytesOf("progressive36mp.jpg") + QByteArray(40 << 10, '\0')) << QSize();
    for (const char *bomb : { "bomb.bmp", "bomb.png", "bomb.jpg", "bomb.gif", "bomb144mp.jpg" })
        QTest::newRow(bomb) << QString(bomb) << QSize();
    // Each format's structure must run to its end (a JPEG's thumbnail has an end of its own).
    for (const QString &path :
        { QString("progressive.jpg"), QString("thumbnail.jpg"), QString("blocks.gif"), dir.filePath("picture.bmp") }) {
        const QString name = "cut " + QFileInfo(path).fileName();
        QTest::newRow(qPrintable(name)) << write(name, bytesOf(path).chopped(2)) << QSize();
    }
}

void tst_Platform::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QSize loaded;
    silently([&] { loaded = loadPicture(path, Shown).size(); });
    QCOMPARE(loaded, size);
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
