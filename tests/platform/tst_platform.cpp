#include "common/testsupport.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/picture.h"
#include "platform/translations.h"
#include "platform/twips.h"

#include <QFile>
#include <QLibraryInfo>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>

class tst_Platform : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void twips_data();
    void twips();
    void colors_data();
    void colors();
    void storedFromColorRoundTrip();
    void pictures_data();
    void pictures();
    void qtTextsInCzech_data();
    void qtTextsInCzech();

private:
    QTemporaryDir dir_;
};

void tst_Platform::twips_data()
{
    QTest::addColumn<float>("twips");
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("greeting width at 96 dpi") << 4680.0f << 96.0 << 312;
    QTest::newRow("greeting height at 96 dpi") << 3225.0f << 96.0 << 215;
    QTest::newRow("settings width at 96 dpi") << 5340.0f << 96.0 << 356;
    QTest::newRow("greeting width at 120 dpi") << 4680.0f << 120.0 << 390;
    QTest::newRow("greeting width at 192 dpi") << 4680.0f << 192.0 << 624;
    QTest::newRow("rounds to nearest") << 22.0f << 96.0 << 1;
    QTest::newRow("negative overhang") << -150.0f << 96.0 << -10;
}

void tst_Platform::twips()
{
    QFETCH(float, twips);
    QFETCH(qreal, dpi);
    QFETCH(int, pixels);
    QCOMPARE(Twips::toPixels(twips, dpi), pixels);
    QCOMPARE(Twips::toPixels(Twips::fromPixels(pixels, dpi), dpi), pixels);
}

void tst_Platform::colors_data()
{
    QTest::addColumn<qint32>("stored");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QColor>("color");
    const QPalette palette;
    QTest::newRow("red") << qint32(255) << true << QColor(255, 0, 0);
    QTest::newRow("green") << qint32(0x00FF00) << true << QColor(0, 255, 0);
    QTest::newRow("blue") << qint32(0xFF0000) << true << QColor(0, 0, 255);
    QTest::newRow("mixed BBGGRR") << qint32(0x123456) << true << QColor(0x56, 0x34, 0x12);
    QTest::newRow("black") << qint32(0) << true << QColor(0, 0, 0);
    QTest::newRow("white") << qint32(0xFFFFFF) << true << QColor(255, 255, 255);
    QTest::newRow("system window background")
        << WindowBackgroundColor << true << palette.color(QPalette::Active, QPalette::Base);
    QTest::newRow("system button face") << qint32(SystemColorFlag | 15) << true
                                        << palette.color(QPalette::Active, QPalette::Button);
    QTest::newRow("unknown system colour") << qint32(SystemColorFlag | 99) << false << QColor();
    QTest::newRow("minus one") << qint32(-1) << false << QColor();
    QTest::newRow("beyond 24 bits") << qint32(0x01000000) << false << QColor();
}

void tst_Platform::colors()
{
    QFETCH(qint32, stored);
    QFETCH(bool, ok);
    QFETCH(QColor, color);
    const QPalette palette;
    if (ok)
        QCOMPARE(colorFromStored(stored, palette), color);
    else
        QVERIFY_THROWS_EXCEPTION(StepFailed, colorFromStored(stored, palette));
}

void tst_Platform::storedFromColorRoundTrip()
{
    for (qint32 stored : { 0, 255, 0x00FF00, 0xFF0000, 0x123456, 0xFFFFFF })
        QCOMPARE(storedFromColor(colorFromStored(stored, QPalette())), stored);
}

namespace {

// Pictures made once for these tests (bombs, odd structures), in tests/data.
QByteArray fixture(const QString &name)
{
    QFile file(QFINDTESTDATA("../data/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

long peakMemoryKb()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// As large as the greeting window shows a picture.
constexpr QSize Shown(312, 215);

} // namespace

// Bombs are small files whose headers claim 20000 x 20000 pixels (40000 x
// 40000 for the BMP), beyond any photo; the 12000 x 12000 one stays under that
// cap but brings far too few bytes for its pixels.
void tst_Platform::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QSize>("size");

    auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(dir_.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(dir_.filePath("picture.jpg"), "JPG");
    image.save(dir_.filePath("picture.bmp"), "BMP");
    image.save(dir_.filePath("picture.png"), "PNG");
    image.save(dir_.filePath("jpeg with other name.bmp"), "JPG");
    QFile bmpFile(dir_.filePath("picture.bmp"));
    QFile pngFile(dir_.filePath("picture.png"));
    const QByteArray bmp = bmpFile.open(QIODevice::ReadOnly) ? bmpFile.readAll() : QByteArray();
    const QByteArray png = pngFile.open(QIODevice::ReadOnly) ? pngFile.readAll() : QByteArray();

    QTest::newRow("empty path, empty picture") << QString() << true << QSize();
    QTest::newRow("jpeg") << dir_.filePath("picture.jpg") << true << QSize(30, 20);
    QTest::newRow("bmp") << dir_.filePath("picture.bmp") << true << QSize(30, 20);
    QTest::newRow("gif") << QFINDTESTDATA("../data/tiny.gif") << true << QSize(1, 1);
    QTest::newRow("content decides, not the name")
        << dir_.filePath("jpeg with other name.bmp") << true << QSize(30, 20);
    QTest::newRow("missing file") << dir_.filePath("Já 8.jpg") << false << QSize();
    QTest::newRow("a folder") << dir_.path() << false << QSize();
    QTest::newRow("text, not a picture") << write("notes.jpg", "hello") << false << QSize();
    QTest::newRow("empty file") << write("empty.gif", {}) << false << QSize();
    QTest::newRow("decompression bomb") << QFINDTESTDATA("../data/bomb.bmp") << false << QSize();

    const QByteArray jpeg = fixture("photo.jpg"); // 120 x 80, detailed
    const QByteArray progressive = fixture("progressive.jpg");
    const QByteArray thumbnailed = fixture("thumbnail.jpg"); // with a JPEG thumbnail in its EXIF segment
    const QByteArray blocks = fixture("blocks.gif"); // 64 x 48, 128 colours, many data blocks
    const QByteArray MotionPhotoVideo("\0\0\0\x18"
                                      "ftypmp42",
        12); // a phone appends the video
    QTest::newRow("gif of many blocks") << write("blocks.gif", blocks) << true << QSize(64, 48);
    QTest::newRow("progressive jpeg") << write("progressive.jpg", progressive) << true << QSize(120, 80);
    QTest::newRow("jpeg with a thumbnail") << write("thumbnailed.jpg", thumbnailed) << true << QSize(120, 80);
    QTest::newRow("jpeg with data after its end")
        << write("motion.jpg", jpeg + MotionPhotoVideo) << true << QSize(120, 80);
    QTest::newRow("jpeg cut in half") << write("half.jpg", jpeg.left(jpeg.size() / 2)) << false << QSize();
    QTest::newRow("jpeg without its end marker") << write("noend.jpg", jpeg.chopped(2)) << false << QSize();
    QTest::newRow("progressive jpeg cut short")
        << write("halfprogressive.jpg", progressive.left(progressive.size() * 3 / 4)) << false << QSize();
    QTest::newRow("jpeg cut after its thumbnail")
        << write("halfthumbnailed.jpg", thumbnailed.left(thumbnailed.size() * 3 / 4)) << false << QSize();
    QTest::newRow("gif cut in its pixels") << write("half.gif", blocks.left(blocks.size() / 2)) << false << QSize();
    QTest::newRow("gif without its trailer") << write("notrailer.gif", blocks.chopped(1)) << false << QSize();
    QTest::newRow("bmp cut short") << write("short.bmp", bmp.chopped(100)) << false << QSize();
    QTest::newRow("png cut in half") << write("half.png", png.left(png.size() / 2)) << false << QSize();
    QTest::newRow("png bomb") << QFINDTESTDATA("../data/bomb.png") << false << QSize();
    QTest::newRow("jpeg bomb") << QFINDTESTDATA("../data/bomb.jpg") << false << QSize();
    QTest::newRow("gif bomb") << QFINDTESTDATA("../data/bomb.gif") << false << QSize();
    QTest::newRow("jpeg bomb under the pixel cap") << QFINDTESTDATA("../data/bomb144mp.jpg") << false << QSize();
    // 6000 x 6000 progressive, as many bytes as its claim needs: only its many scans refuse it.
    QTest::newRow("progressive jpeg over the whole-decode limit")
        << write("progressive36mp.jpg", fixture("progressive36mp.jpg") + QByteArray(40 << 10, '\0')) << false
        << QSize();

    // Flat grey photos, the first of 8192 x 5464 pixels, more than Qt decodes
    // whole: after the head, every 8 x 8 block is the same 6 bits (DC
    // unchanged, end of block), four blocks in three bytes.
    const QByteArray flat = fixture("flat8192x5464.head") + QByteArray("\x28\xA2\x8A").repeated(8192 * 5464 / 64 / 4);
    QTest::newRow("45-megapixel photo, at the shown size") << write("flat.jpg", flat + "\xFF\xD9") << true << Shown;
    QTest::newRow("45-megapixel photo cut short") << write("flatcut.jpg", flat) << false << QSize();
    const QByteArray flatter
        = fixture("flat16400x16400.head") + QByteArray("\x28\xA2\x8A").repeated(16400 * 16400 / 64 / 4) + "\xFF\xD9";
    QTest::newRow("photo over 256 megapixels") << write("flatter.jpg", flatter) << false << QSize();

    const QString fifo = dir_.filePath("fifo.jpg");
    mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QFile::link(fifo, dir_.filePath("fifo link.jpg"));
    QTest::newRow("a FIFO") << fifo << false << QSize();
    QTest::newRow("a link to a FIFO") << dir_.filePath("fifo link.jpg") << false << QSize();
    QTest::newRow("a device without end") << QStringLiteral("/dev/zero") << false << QSize();
    QFile huge(write("huge.jpg", jpeg)); // a photo followed by a hole: as long as no photo is
    huge.resize(qint64(257) << 20);
    QTest::newRow("file larger than any photo") << huge.fileName() << false << QSize();
}

void tst_Platform::pictures()
{
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(QSize, size);
    if (!ok) {
        const long before = peakMemoryKb();
        QVERIFY_THROWS_EXCEPTION(StepFailed, loadPicture(path, Shown));
        QCOMPARE_LT(peakMemoryKb() - before, 64 * 1024); // a bomb fails before its pixels are allocated
        return;
    }
    const QImage picture = loadPicture(path, Shown);
    if (size.isValid())
        QCOMPARE(picture.size(), size);
    else
        QVERIFY(picture.isNull());
}

void tst_Platform::qtTextsInCzech_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("czech");
    QTest::newRow("picture dialog") << "QFileDialog"
                                    << "Open"
                                    << "Otevřít";
    QTest::newRow("colour dialog") << "QColorDialog"
                                   << "Select Color"
                                   << "Vybrat barvu";
    QTest::newRow("text box menu") << "QWidgetTextControl"
                                   << "&Copy"
                                   << "&Kopírovat";
    QTest::newRow("combo box menu") << "QLineEdit"
                                    << "&Paste"
                                    << "&Vložit";
}

void tst_Platform::qtTextsInCzech()
{
    QFETCH(QString, context);
    QFETCH(QString, english);
    QFETCH(QString, czech);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_cs.qm")))
        QSKIP("Qt's Czech translations are not installed (qt6-translations-l10n)");
    installQtTranslations();
    QCOMPARE(QCoreApplication::translate(context.toUtf8(), english.toUtf8()), czech);
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
