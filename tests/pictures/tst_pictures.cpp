#include "common/testsupport.h"
#include "pictures/picture.h"
#include "platform/errortrap.h"

#include <QDataStream>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zlib.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr QSize Shown(312, 215); // as large as the greeting window shows a picture
template <typename... Numbers> QByteArray bigEndian(Numbers... numbers)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    (out << ... << numbers);
    return bytes;
}

template <typename... Numbers> QByteArray littleEndian(Numbers... numbers)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    (out << ... << numbers);
    return bytes;
}

// `count` zero bytes, deflated a MiB at a time: a flat picture's data.
QByteArray deflatedZeros(qint64 count)
{
    static const QByteArray zeros(1 << 20, '\0');
    QByteArray deflated, buffer(1 << 16, Qt::Uninitialized);
    z_stream z {};
    deflateInit(&z, Z_BEST_COMPRESSION);
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH;) {
        const qint64 now = qMin<qint64>(count, zeros.size());
        count -= now;
        flush = count > 0 ? Z_NO_FLUSH : Z_FINISH;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        z.avail_in = uInt(now);
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer.data());
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            deflated.append(buffer.constData(), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return deflated;
}

QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray typed = type + data;
    return bigEndian(quint32(data.size())) + typed
        + bigEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

// A PNG of one flat colour, as an encoder writes it.
QByteArray flatPng(quint32 width, quint32 height, quint8 depth, quint8 colorType, bool interlaced)
{
    const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
    const auto rows = [&](qint64 count, qint64 columns) {
        return columns ? count * (1 + (columns * channels * depth + 7) / 8) : 0;
    };
    qint64 data = rows(height, width);
    if (interlaced) // Adam7: the seven passes, every 8th pixel first
        for (int pass = data = 0; pass < 7; ++pass)
            data += rows(PNG_PASS_ROWS(height, pass), PNG_PASS_COLS(width, pass));
    return QByteArray("\x89PNG\r\n\x1A\n")
        + chunk("IHDR", bigEndian(width, height, depth, colorType, quint16(0), quint8(interlaced)))
        + chunk("IDAT", deflatedZeros(data)) + chunk("IEND", {});
}

// An RGB TIFF of one flat, deflated strip: a header, one directory of ten entries, the bits per sample, the strip.
QByteArray flatTiff(quint32 side)
{
    const QByteArray strip = deflatedZeros(qint64(side) * side * 3);
    constexpr quint32 Bits = 8 + 2 + 10 * 12 + 4, Strip = Bits + 6;
    QByteArray tiff = QByteArray("II*\0", 4) + littleEndian(quint32(8), quint16(10));
    const quint32 entries[10][3] = { { 256, 4, side }, { 257, 4, side }, { 258, 3, Bits }, { 259, 3, 8 }, { 262, 3, 2 },
        { 273, 4, Strip }, { 277, 3, 3 }, { 278, 4, side }, { 279, 4, quint32(strip.size()) }, { 284, 3, 1 } };
    for (const auto &[tag, type, value] : entries)
        tiff += littleEndian(quint16(tag), quint16(type), quint32(tag == 258 ? 3 : 1), value);
    return tiff + littleEndian(quint32(0), quint16(8), quint16(8), quint16(8)) + strip;
}

// Windows' and Apple's icon files, holding one PNG (the first says 256 x 256).
QByteArray icon(const QByteArray &png)
{
    return littleEndian(quint16(0), quint16(1), quint16(1), quint32(0), quint16(1), quint16(32), quint32(png.size()),
               quint32(22))
        + png;
}

QByteArray appleIcon(const QByteArray &png)
{
    return "icns" + bigEndian(quint32(16 + png.size())) + "ic10" + bigEndian(quint32(8 + png.size())) + png;
}

// A progressive JPEG with its first scan (up to the next scan or its tables) repeated: as many more passes over
// the picture, each of them sound.
QByteArray repeatFirstScan(const QByteArray &jpeg, int times)
{
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    const qsizetype end = qMin(jpeg.indexOf("\xFF\xDA", scan + 2), jpeg.indexOf("\xFF\xC4", scan));
    return jpeg.left(end) + jpeg.mid(scan, end - scan).repeated(times) + jpeg.mid(end);
}

// What became of a picture loaded in a process of its own (tests/pictures/pictureload.cpp).
struct Loaded
{
    QString outcome;
    qint64 peakKiB = 0;
    bool inTime = false;
};

Loaded loadApart(const QString &path, const QString &fault)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifndef __SANITIZE_ADDRESS__ // which reserves terabytes of address space
    child.setChildProcessModifier([] { // a runaway's end, far beyond any bound measured
        const rlimit limit { rlim_t(8) << 30, rlim_t(8) << 30 };
        setrlimit(RLIMIT_AS, &limit);
    });
#endif
    const QStringList load = { PICTURELOAD_PATH, path, "312", "215" };
    if (fault.isEmpty()) {
        child.start(load.first(), load.mid(1));
    } else {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0"); // not under ptrace
        child.setProcessEnvironment(environment);
        child.start("strace",
            QStringList {
                "-qq", "-o", "/dev/null", "-P", path, "-e", "trace=read", "-e", "inject=read:" + fault + ":when=6+" }
                + load);
    }
    Loaded loaded;
    loaded.inTime = child.waitForFinished(10'000);
    if (!loaded.inTime)
        child.kill(), child.waitForFinished();
    const QList<QByteArray> words = child.readAllStandardOutput().simplified().split(' ');
    loaded.outcome = words.value(0);
    loaded.peakKiB = words.value(1).toLongLong();
    return loaded;
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void pictures_data();
    void pictures();
    void decodedAsQtDecodes_data();
    void decodedAsQtDecodes();
};

// A corpus of pictures, each opened and decoded in a process of its own as
// the greeting window shows it, under a time limit, its peak memory measured
// against a process that shows none. Bombs are small files that claim far
// more than they hold, or whose decoding Qt's readers would let grow without
// bound; some files have their reads fail after opening (strace).
void tst_Pictures::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("outcome"); // the size decoded, "refused" (opening fails), "broken" (decoding fails)
    QTest::addColumn<QString>("fault"); // what reads of the file return after the fifth (strace -e inject=read:...)
    static QTemporaryDir dir;
    const auto write = [](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const auto row = [](const QString &name, const QString &path, const char *outcome, const char *fault = "") {
        QTest::newRow(qPrintable(name)) << path << QString(outcome) << QString(fault);
    };
    QDir::setCurrent(QFINDTESTDATA("../data")); // pictures made once for these tests
    // Flat grey photos: after the head, every 8 x 8 block is the same 6 bits, four blocks in three bytes.
    const auto flat = [](const char *head, qint64 pixels) {
        return bytesOf(head) + QByteArray("\x28\xA2\x8A").repeated(pixels / 256) + "\xFF\xD9";
    };
    const QByteArray jpeg = bytesOf("photo.jpg"); // 120 x 80
    const QByteArray video = QByteArray::fromHex("00000018") + "ftypmp42"; // a phone's motion photo appends one
    mkfifo(QFile::encodeName(dir.filePath("fifo.jpg")).constData(), 0600);
    QFile huge(write("huge.jpg", jpeg)); // followed by a hole, as long as no photo is
    huge.resize(qint64(257) << 20);
    // A progressive 6000 x 6000 head, its scans holding next to nothing, made 5792 x 5792 (32 megapixels), and
    // that in full colour (4:4:4).
    QByteArray big = bytesOf("progressive36mp.jpg");
    big.replace(big.indexOf("\xFF\xC2") + 5, 4, bigEndian(quint16(5792), quint16(5792)));
    QByteArray full = big;
    full[full.indexOf("\xFF\xC2") + 11] = 0x11;
    const QByteArray flatPicture = flatPng(5792, 5792, 8, 2, false);
    QImage noise(1200, 900, QImage::Format_RGB32); // a photo of 1 MB
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x * y % 251, (x ^ y) % 253, (x + 3 * y) % 255));
    noise.save(dir.filePath("noise.jpg"), "jpeg", 95);
    QImageWriter progressive(dir.filePath("progressive6mp.jpg")); // its coefficients take 17 MiB
    progressive.setProgressiveScanWrite(true);
    QImage grey(3000, 2000, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    progressive.write(grey);

    row("jpeg named .bmp, video after its end", write("motion.bmp", jpeg + video), "120x80");
    row("a photo of 1 MB, video after its end", write("motion.jpg", bytesOf(dir.filePath("noise.jpg")) + video),
        "312x215");
    row("jpeg with a thumbnail", "thumbnail.jpg", "120x80");
    row("jpeg turned by an EXIF entry a byte short", // not turned
        write("short.jpg",
            jpeg.left(2) + QByteArray::fromHex("ffe1001d4578696600004d4d002a0000000800010112000300000001000600")
                + jpeg.mid(2)),
        "120x80");
    row("jpeg with restart markers, video after its end",
        write("restart.jpg", bytesOf("encoders/restart-blocks.jpg") + video), "50x34");
    row("45 megapixels", write("flat.jpg", flat("flat8192x5464.head", 8192 * 5464)), "312x215");
    row("a folder", dir.path(), "refused");
    row("a FIFO", dir.filePath("fifo.jpg"), "refused");
    row("larger than any photo", huge.fileName(), "refused");
    QFile longest(write("longest.jpg", jpeg));
    longest.resize(qint64(256) << 20);
    row("as long as a photo may be", longest.fileName(), "120x80");
    row("over 256 megapixels", write("flatter.jpg", flat("flat16400x16400.head", 16400 * 16400)), "refused");
    for (const char *bomb : { "bomb.bmp", "bomb.png", "bomb.jpg", "bomb.gif", "bomb144mp.jpg" })
        row(bomb, bomb, "refused");
    const QByteArray sparse = flatPng(8192, 5000, 1, 0, false); // 5 KB
    row("png of 1 bit, 8192 x 5000 in 5 KB", write("sparse.png", sparse), "refused");
    row("the same in 40 000 bytes: 1 024 pixels a byte",
        write("sparse40k.png", sparse + QByteArray(40000 - sparse.size(), 'x')), "312x215");
    row("gif signed GIF87b", write("87b.gif", "GIF87b" + bytesOf("encoders/plain.gif").mid(6)), "refused");
    row("webp 5792 x 5792 (image-format plugins)", "flat5792.webp", "refused");
    row("tiff 5792 x 5792", write("flat.tif", flatTiff(5792)), "refused");
    row("ico holding a png of 5792 x 5792", write("flat.ico", icon(flatPicture)), "refused");
    row("icns holding a png of 5792 x 5792", write("flat.icns", appleIcon(flatPicture)), "refused");
    row("png whose text claims 2 GiB",
        write("text.png",
            QByteArray("\x89PNG\r\n\x1A\n")
                + chunk("IHDR", bigEndian(1, 1, quint8(8), quint8(2), quint16(0), quint8(0))) + bigEndian(0x7FFFFFFF)
                + "tEXtComment" + QByteArray(200, 'x')),
        "refused");
    row("png 16-bit 4096 x 4096", write("deep.png", flatPng(4096, 4096, 16, 2, false)), "312x215");
    row("png interlaced 5792 x 5792", write("interlaced.png", flatPng(5792, 5792, 8, 2, true)), "312x215");
    row("gif whose screen is 5792 x 5792",
        write("screen.gif",
            QByteArray::fromHex("474946383961a016a016800000000000ffffff2c00000000010001000002024401003b")),
        "312x215");
    row("progressive 4:4:4 5792 x 5792", write("full.jpg", full), "refused");
    row("progressive 32 megapixels, a scan 100 times", write("scans32mp.jpg", repeatFirstScan(big, 100)), "refused");
    row("progressive 6 megapixels", dir.filePath("progressive6mp.jpg"), "312x215");
    row("progressive, a scan 1000 times",
        write("scans.jpg", repeatFirstScan(bytesOf("encoders/progressive.jpg"), 1000)), "broken");
    for (const char *fault : { "error=EIO", "retval=0" })
        row(QString("a photo whose reads fail after opening (%1)").arg(fault), dir.filePath("noise.jpg"), "broken",
            fault);
    // Data garbled inside a scan, which libjpeg would show grey.
    const QByteArray photo = bytesOf(dir.filePath("noise.jpg"));
    row("a photo cut inside its scan, its end kept", write("cut.jpg", photo.left(photo.size() / 2) + "\xFF\xD9"),
        "broken");
    QByteArray resync = bytesOf("encoders/restart-blocks.jpg");
    resync[resync.indexOf("\xFF\xD1") + 1] = '\xD5'; // a restart marker out of its turn
    row("restart markers out of turn", write("resync.jpg", resync), "broken");
    // Each format's structure must run to its end (a JPEG's thumbnail has an end of its own).
    for (const char *name : { "thumbnail.jpg", "encoders/progressive.jpg", "encoders/interlaced.png", "blocks.gif",
             "encoders/rgb24.bmp", "encoders/rle8.bmp" }) {
        const QString cut = "cut " + QFileInfo(name).fileName();
        row(cut, write(cut, bytesOf(name).chopped(2)), "refused");
    }
}

void tst_Pictures::pictures()
{
    QFETCH(QString, path);
    QFETCH(QString, outcome);
    QFETCH(QString, fault);
    static const Loaded none = loadApart({}, {});
    const Loaded loaded = loadApart(path, fault);
    QVERIFY2(loaded.inTime, "no answer within 10 s");
    QCOMPARE(loaded.outcome, outcome);
    QCOMPARE_LE(loaded.peakKiB - none.peakKiB, qint64(32) << 10); // 32 MiB more than no picture at most
}

// Every picture real encoders write, every EXIF orientation: decoded as Qt's
// own readers decode it, at its natural size, shrunk, and a part across JPEG
// blocks at 1:1.
void tst_Pictures::decodedAsQtDecodes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("tolerance"); // of a colour channel
    static QTemporaryDir dir;
    const QDir encoders(QFINDTESTDATA("../data/encoders"));
    for (const QString &name : encoders.entryList({ "*.jpg", "*.png", "*.gif", "*.bmp" }))
        // Qt widens 5 bits to 8 as v * 8 (white is 248), the program to the whole range.
        QTest::newRow(qPrintable(name)) << encoders.filePath(name) << (name.contains("565") ? 8 : 1);
    const QByteArray jpeg = bytesOf(encoders.filePath("444.jpg"));
    for (char orientation = 2; orientation <= 8; ++orientation) {
        QFile file(dir.filePath(QString("turned%1.jpg").arg(int(orientation))));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(jpeg.left(2) + QByteArray::fromHex("ffe100224578696600004d4d002a000000080001011200030000000100")
            + orientation + QByteArray(6, '\0') + jpeg.mid(2));
        QTest::newRow(qPrintable("444.jpg, EXIF orientation " + QString::number(orientation))) << file.fileName() << 1;
    }
}

void tst_Pictures::decodedAsQtDecodes()
{
    QFETCH(QString, path);
    QFETCH(int, tolerance);
    const auto read = [&](const QSize &size) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        reader.setScaledSize(
            reader.transformation() & QImageIOHandler::TransformationRotate90 ? size.transposed() : size);
        return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage natural = read({});
    // A JPEG is shrunk by libjpeg first, to half here, as Qt's reader does it; the rest by the area each pixel covers.
    const bool jpeg = QImageReader::imageFormat(path) == "jpeg";
    const QSize shrunk = jpeg ? natural.size() / 2 : natural.size() * 2 / 5;
    const QImage expected
        = jpeg ? read(shrunk) : natural.scaled(shrunk, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const auto load = [&](const QSize &size) {
        QImage loaded;
        silently([&] { loaded = loadPicture(path, size); });
        return loaded;
    };
    QCOMPARE_LE(largestDifference(load(natural.size()), natural), tolerance);
    QCOMPARE_LE(largestDifference(load(shrunk), expected), tolerance);
    const QRect part(13, 9, 19, 15);
    QImage corner;
    silently([&] { corner = PictureFile(path).read(part, part.size()); });
    QCOMPARE_LE(largestDifference(corner, natural.copy(part)), tolerance);
    // Drawn at 1024 x 768 pixels at most, whose sums take 12 MiB, however large the window.
    QVERIFY(silently([&] { PictureFile(path).read(part, QSize(1024, 768)); }));
    QVERIFY(!silently([&] { PictureFile(path).read(part, QSize(1024, 769)); }));
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
