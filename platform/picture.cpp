#include "platform/picture.h"

#include "platform/errortrap.h"

#include <QByteArrayView>
#include <QFile>
#include <QImageReader>

namespace {

// Qt's JPEG, GIF and BMP readers show a file that was cut short as far as it
// goes and fill the rest with grey, without an error. So a picture of these
// formats counts only when its structure runs to its proper end.

uchar at(QByteArrayView bytes, qsizetype i)
{
    return i < bytes.size() ? uchar(bytes[i]) : 0;
}

// The markers run from the start to the end-of-image marker. Segments are
// skipped by their lengths (an EXIF thumbnail holds an end marker of its own);
// data after the end marker, such as a phone's motion-photo video, is allowed.
bool jpegIsWhole(QByteArrayView bytes)
{
    auto isMarker = [&](qsizetype i) {
        const uchar next = at(bytes, i + 1);
        return at(bytes, i) == 0xFF && next != 0x00 && (next < 0xD0 || next > 0xD7); // not stuffing, not RSTn
    };
    qsizetype i = 2; // after the start-of-image marker
    while (i + 1 < bytes.size()) {
        const uchar marker = at(bytes, i + 1);
        if (at(bytes, i) != 0xFF || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            ++i; // stray byte, fill byte or a marker without a length
            continue;
        }
        if (marker == 0xD9)
            return true;
        i += 2 + ((at(bytes, i + 2) << 8) | at(bytes, i + 3));
        if (marker == 0xDA) { // start of scan: entropy-coded data up to the next marker
            while (i + 1 < bytes.size() && !isMarker(i))
                ++i;
        }
    }
    return false;
}

// The blocks run from the screen descriptor to the trailer.
bool gifIsWhole(QByteArrayView bytes)
{
    auto colorTable = [&](qsizetype flagsAt) {
        const uchar flags = at(bytes, flagsAt);
        return flags & 0x80 ? 3 << ((flags & 7) + 1) : 0; // present: 2^(n+1) RGB entries
    };
    auto skipSubBlocks = [&](qsizetype i) {
        while (i < bytes.size() && at(bytes, i) != 0)
            i += 1 + at(bytes, i);
        return i + 1;
    };
    qsizetype i = 13 + colorTable(10);
    while (i < bytes.size()) {
        switch (at(bytes, i)) {
        case 0x21: // extension: label, data
            i = skipSubBlocks(i + 2);
            break;
        case 0x2C: // image: descriptor, local colour table, LZW code size, data
            i = skipSubBlocks(i + 11 + colorTable(i + 9));
            break;
        case 0x3B:
            return true;
        default:
            return false;
        }
    }
    return false;
}

// Little-endian, as in a bitmap header; 0 beyond the end.
qint64 number(QByteArrayView bytes, qsizetype i, int size)
{
    qint64 value = 0;
    for (int n = size - 1; n >= 0; --n)
        value = value << 8 | at(bytes, i + n);
    return value;
}

// The rows of an uncompressed bitmap, or the stated size of a compressed one,
// fit in the file. Only called for a bitmap Qt has read, so the sizes are sane.
bool bmpIsWhole(QByteArrayView bytes)
{
    const bool core = number(bytes, 14, 4) == 12; // the old OS/2 header, 16-bit sizes
    const qint64 width = core ? number(bytes, 18, 2) : number(bytes, 18, 4);
    const qint64 height = core ? number(bytes, 20, 2) : qAbs(qint32(number(bytes, 22, 4))); // negative: top down
    const qint64 bitsPerPixel = number(bytes, core ? 24 : 28, 2);
    const qint64 compression = core ? 0 : number(bytes, 30, 4);
    const bool rows = compression == 0 || compression == 3 || compression == 6; // RGB, BITFIELDS, ALPHABITFIELDS
    const qint64 pixelBytes = rows ? (width * bitsPerPixel + 31) / 32 * 4 * height : number(bytes, 34, 4);
    return number(bytes, 10, 4) + pixelBytes <= bytes.size();
}

bool isWhole(const QString &path, const QByteArray &format)
{
    bool (*check)(QByteArrayView) = nullptr;
    if (format == "jpeg")
        check = jpegIsWhole;
    else if (format == "gif")
        check = gifIsWhole;
    else if (format == "bmp")
        check = bmpIsWhole;
    else
        return true; // PNG and the rest fail by themselves when cut short
    QFile file(path);
    const uchar *data = file.open(QIODevice::ReadOnly) ? file.map(0, file.size()) : nullptr;
    return data && check(QByteArrayView(data, file.size()));
}

} // namespace

// Qt's image allocation limit stays as it is: a small file that claims a huge
// size (a decompression bomb) fails before the memory is taken.
QImage loadPicture(const QString &path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull() || !isWhole(path, format))
        fail("picture cannot be loaded");
    return image;
}
