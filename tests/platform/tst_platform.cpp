#include "common/testsupport.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/picture.h"
#include "platform/twips.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
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

// A BMP header that promises 40000 x 40000 pixels and brings none.
QByteArray bmpBomb()
{
    QByteArray bytes(54, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, bytes.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, bytes.data() + at); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, 40000);
    put32(22, 40000);
    put16(26, 1);
    put16(28, 24);
    return bytes;
}

// The smallest GIF: one transparent pixel (Qt reads GIF but cannot write it).
const QByteArray Gif1x1
    = QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");

// A GIF of 128 colours whose LZW codes are all 8 bits wide: a clear code every
// 64 pixels keeps the code table from growing, so each pixel is one byte.
QByteArray gif(int width, int height)
{
    QByteArray bytes("GIF89a");
    auto put16 = [&](int v) {
        bytes += char(v & 0xFF);
        bytes += char(v >> 8);
    };
    put16(width);
    put16(height);
    bytes += QByteArray::fromHex("f60000"); // colour table of 2^7 entries
    for (int i = 0; i < 128; ++i)
        bytes += QByteArray(1, char(2 * i)) + char(255 - 2 * i) + char(i);
    bytes += char(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    bytes += QByteArray::fromHex("0007"); // no local colour table; LZW code size 7
    QByteArray codes;
    for (int i = 0; i < width * height; ++i) {
        if (i % 64 == 0)
            codes += char(128); // clear
        codes += char((i % width + i / width) % 128);
    }
    codes += char(129); // end of information
    for (int i = 0; i < codes.size(); i += 255)
        bytes += char(codes.mid(i, 255).size()) + codes.mid(i, 255);
    bytes += QByteArray::fromHex("003b"); // end of data, trailer
    return bytes;
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (char c : bytes) {
        crc ^= uchar(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

// Small, valid files whose headers claim 20000 x 20000 pixels: over Qt's
// image allocation limit whatever the pixel format.
constexpr quint32 BombSide = 20000;

QByteArray pngBomb(const QByteArray &png)
{
    QByteArray bytes = png; // signature, then IHDR: length, type, width, height, ..., CRC
    qToBigEndian(BombSide, bytes.data() + 16);
    qToBigEndian(BombSide, bytes.data() + 20);
    qToBigEndian(crc32(QByteArrayView(bytes).sliced(12, 17)), bytes.data() + 29);
    return bytes;
}

QByteArray jpegBomb(const QByteArray &jpeg)
{
    QByteArray bytes = jpeg;
    const qsizetype frame = bytes.indexOf("\xFF\xC0"); // baseline frame header: length, precision, height, width
    qToBigEndian(quint16(BombSide), bytes.data() + frame + 5);
    qToBigEndian(quint16(BombSide), bytes.data() + frame + 7);
    return bytes;
}

QByteArray gifBomb(const QByteArray &gif)
{
    QByteArray bytes = gif;
    const qsizetype image = 13 + 3 * 128;
    for (qsizetype at : { qsizetype(6), qsizetype(8), image + 5, image + 7 }) // screen and image width, height
        qToLittleEndian(quint16(BombSide), bytes.data() + at);
    return bytes;
}

// Puts a small JPEG into an EXIF segment, as cameras store their thumbnails.
QByteArray withThumbnail(const QByteArray &jpeg, const QByteArray &thumbnail)
{
    const QByteArray exif = QByteArray("Exif\0\0", 6) + thumbnail;
    QByteArray segment = QByteArray::fromHex("ffe10000") + exif;
    qToBigEndian(quint16(exif.size() + 2), segment.data() + 2);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Pictures made once for these tests, in tests/data.
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
    image.save(dir_.filePath("jpeg with other name.bmp"), "JPG");

    QTest::newRow("empty path, empty picture") << QString() << true << QSize();
    QTest::newRow("jpeg") << dir_.filePath("picture.jpg") << true << QSize(30, 20);
    QTest::newRow("bmp") << dir_.filePath("picture.bmp") << true << QSize(30, 20);
    QTest::newRow("gif") << write("tiny.gif", Gif1x1) << true << QSize(1, 1);
    QTest::newRow("content decides, not the name")
        << dir_.filePath("jpeg with other name.bmp") << true << QSize(30, 20);
    QTest::newRow("missing file") << dir_.filePath("Já 8.jpg") << false << QSize();
    QTest::newRow("a folder") << dir_.path() << false << QSize();
    QTest::newRow("text, not a picture") << write("notes.jpg", "hello") << false << QSize();
    QTest::newRow("empty file") << write("empty.gif", {}) << false << QSize();
    QTest::newRow("decompression bomb") << write("bomb.bmp", bmpBomb()) << false << QSize();

    QImage detailed(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < detailed.height(); ++y) {
        for (int x = 0; x < detailed.width(); ++x)
            detailed.setPixel(x, y, qRgb(x * 2, y * 3, (x * y) % 256));
    }
    const QByteArray jpeg = encoded(detailed, "jpeg");
    const QByteArray progressive = encoded(detailed, "jpeg", true);
    const QByteArray thumbnailed = withThumbnail(jpeg, encoded(image, "jpeg"));
    const QByteArray bmp = encoded(detailed, "bmp");
    const QByteArray png = encoded(detailed, "png");
    const QByteArray bigGif = gif(120, 80);
    const QByteArray MotionPhotoVideo("\0\0\0\x18"
                                      "ftypmp42",
        12); // a phone appends the video
    QTest::newRow("gif of many blocks") << write("blocks.gif", bigGif) << true << QSize(120, 80);
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
    QTest::newRow("gif cut in its pixels") << write("half.gif", bigGif.left(bigGif.size() / 2)) << false << QSize();
    QTest::newRow("gif without its trailer") << write("notrailer.gif", bigGif.chopped(1)) << false << QSize();
    QTest::newRow("bmp cut short") << write("short.bmp", bmp.chopped(100)) << false << QSize();
    QTest::newRow("png cut in half") << write("half.png", png.left(png.size() / 2)) << false << QSize();
    QTest::newRow("png bomb") << write("bomb.png", pngBomb(encoded(image, "png"))) << false << QSize();
    QTest::newRow("jpeg bomb") << write("bomb.jpg", jpegBomb(encoded(image, "jpeg"))) << false << QSize();
    QTest::newRow("gif bomb") << write("bomb.gif", gifBomb(bigGif)) << false << QSize();
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

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
