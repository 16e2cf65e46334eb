#include "common/testmain.h"
#include "platform/colors.h"
#include "platform/errortrap.h"
#include "platform/picture.h"
#include "platform/twips.h"

#include <QFile>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

class tst_Platform : public QObject
{
    Q_OBJECT
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
    for (qint32 stored : {0, 255, 0x00FF00, 0xFF0000, 0x123456, 0xFFFFFF})
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
const QByteArray Gif1x1 = QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");

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
    QTest::newRow("content decides, not the name") << dir_.filePath("jpeg with other name.bmp") << true
                                                    << QSize(30, 20);
    QTest::newRow("missing file") << dir_.filePath("Já 8.jpg") << false << QSize();
    QTest::newRow("a folder") << dir_.path() << false << QSize();
    QTest::newRow("text, not a picture") << write("notes.jpg", "hello") << false << QSize();
    QTest::newRow("empty file") << write("empty.gif", {}) << false << QSize();
    QTest::newRow("decompression bomb") << write("bomb.bmp", bmpBomb()) << false << QSize();
}

void tst_Platform::pictures()
{
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(QSize, size);
    if (!ok) {
        QVERIFY_THROWS_EXCEPTION(StepFailed, loadPicture(path));
        return;
    }
    const QImage picture = loadPicture(path);
    if (size.isValid())
        QCOMPARE(picture.size(), size);
    else
        QVERIFY(picture.isNull());
}

ZDRAVINKY_TEST(tst_Platform)
#include "tst_platform.moc"
