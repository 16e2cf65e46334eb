// BMP: checked by its headers and its length, decoded here: the rows in
// sight are read where they lie (bottom up or top down), compressed ones
// (RLE) in their order, a row at a time.

#include "pictures/pictureformats.h"
#include "pictures/pixelsink.h"
#include "platform/errortrap.h"

#include <QtAlgorithms>
#include <algorithm>
#include <array>
#include <vector>

namespace Pictures {

namespace {

enum Compression { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

struct Header
{
    qint64 offset = 0; // of the pixels
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    int compression = Rgb;
    qint64 stride = 0; // bytes a row, uncompressed
    std::array<QRgb, 256> colors {};
    std::array<quint32, 4> masks {}; // red, green, blue, alpha
};

// The file header, one of the info headers (OS/2's core header of 12 bytes,
// Windows' of 40 to 124) and the colour table.
Header readHeader(Bytes &bytes)
{
    Header h;
    h.offset = bytes.littleEndian(10, 4);
    const qint64 info = bytes.littleEndian(14, 4);
    const bool core = info == 12;
    if (!core && info != 40 && info != 52 && info != 56 && info != 108 && info != 124)
        fail("a BMP this program does not decode");
    const qint64 width = core ? qint64(bytes.littleEndian(18, 2)) : qint64(qint32(bytes.littleEndian(18, 4)));
    const qint64 height = core ? qint64(bytes.littleEndian(20, 2)) : qint64(qint32(bytes.littleEndian(22, 4)));
    const qint64 planes = bytes.littleEndian(core ? 22 : 26, 2);
    h.bitsPerPixel = int(bytes.littleEndian(core ? 24 : 28, 2));
    h.compression = core ? Rgb : int(bytes.littleEndian(30, 4));
    const int bits = h.bitsPerPixel;
    const bool known = h.compression == Rgb
        ? bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32
        : h.compression == Rle8                                         ? bits == 8
        : h.compression == Rle4                                         ? bits == 4
        : h.compression == BitFields || h.compression == AlphaBitFields ? bits == 16 || bits == 32
                                                                        : false;
    if (planes != 1 || !known || (height < 0 && (h.compression == Rle8 || h.compression == Rle4)))
        fail("a BMP this program does not decode");
    checkSize(width, qAbs(height), bytes.size());
    h.width = int(width);
    h.height = int(qAbs(height));
    h.topDown = height < 0;
    h.stride = (qint64(h.width) * bits + 31) / 32 * 4;

    if (h.compression == BitFields || h.compression == AlphaBitFields) {
        const int count = h.compression == AlphaBitFields || info >= 56 ? 4 : 3;
        for (int i = 0; i < count; ++i)
            h.masks[size_t(i)] = bytes.littleEndian(54 + 4 * i, 4);
    } else if (bits == 16) {
        h.masks = { 0x7C00, 0x03E0, 0x001F, 0 };
    } else if (bits == 32) {
        h.masks = { 0xFF0000, 0xFF00, 0xFF, 0 };
    }
    h.colors.fill(qRgb(0, 0, 0));
    if (bits <= 8) {
        const qint64 at = 14 + info + (info == 40 && h.compression == BitFields ? 12 : 0);
        const int entryBytes = core ? 3 : 4;
        const qint64 used = core ? 0 : bytes.littleEndian(46, 4);
        const qint64 count
            = qMin<qint64>(used > 0 && used < (1 << bits) ? used : 1 << bits, (h.offset - at) / entryBytes);
        for (qint64 i = 0; i < count; ++i)
            h.colors[size_t(i)] = qRgb(
                bytes.at(at + i * entryBytes + 2), bytes.at(at + i * entryBytes + 1), bytes.at(at + i * entryBytes));
    }
    return h;
}

// A channel of a pixel by its mask, to 0..255; `otherwise` when the mask is empty.
int channel(quint32 pixel, quint32 mask, int otherwise)
{
    if (mask == 0)
        return otherwise;
    const int shift = int(qCountTrailingZeroBits(mask));
    const quint64 most = mask >> shift;
    return int((quint64((pixel & mask) >> shift) * 255 + most / 2) / most);
}

void convertRow(const Header &h, const uchar *in, QRgb *out)
{
    for (int x = 0; x < h.width; ++x) {
        switch (h.bitsPerPixel) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h.bitsPerPixel, shift = 8 - h.bitsPerPixel * (x % perByte + 1);
            out[x] = h.colors[size_t(in[x / perByte] >> shift & ((1 << h.bitsPerPixel) - 1))];
            break;
        }
        case 24:
            out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
            break;
        default: {
            const quint32 pixel = h.bitsPerPixel == 16
                ? quint32(in[2 * x] | in[2 * x + 1] << 8)
                : quint32(in[4 * x] | in[4 * x + 1] << 8 | in[4 * x + 2] << 16) | quint32(in[4 * x + 3]) << 24;
            out[x] = qRgba(channel(pixel, h.masks[0], 0), channel(pixel, h.masks[1], 0), channel(pixel, h.masks[2], 0),
                channel(pixel, h.masks[3], 255));
        }
        }
    }
}

// Run-length encoded rows, bottom up: runs of one colour index (or two
// alternating, 4-bit), literal runs, ends of rows and jumps. What a jump
// passes over stays transparent.
void decodeRle(Bytes &bytes, const Header &h, PixelSink &sink, const Stopped &stopped)
{
    std::vector<QRgb> row(size_t(h.width), 0);
    int x = 0, y = h.height - 1;
    const auto put = [&](int index) {
        if (x < h.width)
            row[size_t(x++)] = h.colors[size_t(index)];
    };
    const auto nextRow = [&] {
        sink.addRow(y--, row.data(), 0, 1, h.width);
        std::fill(row.begin(), row.end(), 0);
        x = 0;
        if (stopped())
            fail("stopped");
    };
    const bool four = h.compression == Rle4;
    for (qint64 i = h.offset; y >= sink.firstRow();) {
        const int count = bytes.at(i), value = bytes.at(i + 1);
        i += 2;
        if (count > 0) {
            for (int n = 0; n < count; ++n)
                put(four ? (n % 2 ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            nextRow();
        } else if (value == 1) {
            nextRow();
            break;
        } else if (value == 2) {
            const int across = std::min(x + bytes.at(i), h.width);
            for (int down = bytes.at(i + 1); down > 0 && y >= 0; --down)
                nextRow();
            x = across;
            i += 2;
        } else {
            for (int n = 0; n < value; ++n)
                put(four ? (n % 2 ? bytes.at(i + n / 2) & 15 : bytes.at(i + n / 2) >> 4) : bytes.at(i + n));
            const int used = four ? (value + 1) / 2 : value;
            i += used + used % 2; // padded to a 16-bit boundary
        }
    }
}

} // namespace

Layout inspectBmp(Bytes &bytes)
{
    const Header h = readHeader(bytes);
    const bool compressed = h.compression == Rle8 || h.compression == Rle4;
    const qint64 stated = bytes.littleEndian(34, 4);
    const qint64 end = compressed ? h.offset + qMax<qint64>(stated, 2) : h.offset + h.stride * h.height;
    if (end > bytes.size())
        fail("picture cut short");
    Layout layout;
    layout.format = Format::Bmp;
    layout.stored = QSize(h.width, h.height);
    return layout;
}

QImage decodeBmp(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped)
{
    Bytes bytes(file);
    const Header h = readHeader(bytes);
    if (QSize(h.width, h.height) != layout.stored)
        fail("picture cannot be read");
    PixelSink sink(layout.stored, QRectF(part), pixels);
    if (h.compression == Rle8 || h.compression == Rle4) {
        decodeRle(bytes, h, sink, stopped);
        return sink.image();
    }
    std::vector<uchar> in(size_t(h.stride));
    std::vector<QRgb> row(size_t(h.width));
    for (int y = sink.firstRow(); y < sink.endRow(); ++y) {
        const qint64 at = h.offset + h.stride * (h.topDown ? y : h.height - 1 - y);
        if (stopped() || !file.seek(at) || file.read(reinterpret_cast<char *>(in.data()), h.stride) != h.stride)
            fail("picture data broken");
        convertRow(h, in.data(), row.data());
        sink.addRow(y, row.data(), 0, 1, h.width);
    }
    return sink.image();
}

} // namespace Pictures
