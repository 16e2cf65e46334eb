// GIF: checked by walking its blocks to the trailer; its first picture is
// decoded here, a row at a time, onto its logical screen (what the file
// leaves uncovered stays transparent). An animation shows its first frame.

#include "pictures/pictureformats.h"
#include "pictures/pixelsink.h"
#include "platform/errortrap.h"

#include <array>
#include <vector>

namespace Pictures {

namespace {

// The size in bytes of the colour table whose flags are at flagsAt, if any: 2^(n+1) RGB entries.
int colorTableBytes(Bytes &bytes, qint64 flagsAt)
{
    const uchar flags = bytes.at(flagsAt);
    return flags & 0x80 ? 3 << ((flags & 7) + 1) : 0;
}

qint64 skipSubBlocks(Bytes &bytes, qint64 i)
{
    while (const uchar length = bytes.at(i))
        i += 1 + length;
    return i + 1;
}

void readColorTable(Bytes &bytes, qint64 at, int tableBytes, std::array<QRgb, 256> &colors)
{
    colors.fill(qRgb(0, 0, 0));
    for (int i = 0; i < tableBytes / 3; ++i)
        colors[size_t(i)] = qRgb(bytes.at(at + 3 * i), bytes.at(at + 3 * i + 1), bytes.at(at + 3 * i + 2));
}

// The compressed data of a picture, read code by code across its sub-blocks.
class Codes
{
public:
    Codes(Bytes &bytes, qint64 at)
        : bytes_(bytes)
        , at_(at)
    { }

    // The next code of `size` bits, or -1 where the data end.
    int next(int size)
    {
        while (bits_ < size) {
            if (left_ == 0) {
                if (ended_ || (left_ = bytes_.at(at_++)) == 0) {
                    ended_ = true;
                    return -1;
                }
            }
            buffer_ |= quint32(bytes_.at(at_++)) << bits_;
            bits_ += 8;
            --left_;
        }
        const int code = int(buffer_ & ((1u << size) - 1));
        buffer_ >>= size;
        bits_ -= size;
        return code;
    }

private:
    Bytes &bytes_;
    qint64 at_;
    int left_ = 0; // bytes left in the current sub-block
    bool ended_ = false;
    quint32 buffer_ = 0;
    int bits_ = 0;
};

// The row of an interlaced picture that comes n-th: every 8th from 0, every 8th from 4, every 4th from 2, every 2nd
// from 1.
int interlacedRow(int n, int height)
{
    static const int starts[] = { 0, 4, 2, 1 }, steps[] = { 8, 8, 4, 2 };
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = (height - starts[pass] + steps[pass] - 1) / steps[pass];
        if (n < rows)
            return starts[pass] + n * steps[pass];
        n -= rows;
    }
    return height;
}

} // namespace

Layout inspectGif(Bytes &bytes)
{
    checkSize(bytes.littleEndian(6, 2), bytes.littleEndian(8, 2), bytes.size());
    bool framed = false;
    for (qint64 i = 13 + colorTableBytes(bytes, 10);;) {
        switch (bytes.at(i)) {
        case 0x21: // extension: label, data
            i = skipSubBlocks(bytes, i + 2);
            break;
        case 0x2C: // picture: descriptor, local colour table, LZW code size, data
            if (!framed) // its decoding takes as long as its pixels
                checkSize(bytes.littleEndian(i + 5, 2), bytes.littleEndian(i + 7, 2), bytes.size());
            framed = true;
            i = skipSubBlocks(bytes, i + 11 + colorTableBytes(bytes, i + 9));
            break;
        case 0x3B: {
            if (!framed)
                fail("no picture in the file");
            Layout layout;
            layout.format = Format::Gif;
            layout.stored = QSize(int(bytes.littleEndian(6, 2)), int(bytes.littleEndian(8, 2)));
            return layout;
        }
        default:
            fail("broken GIF");
        }
    }
}

QImage decodeGif(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped)
{
    Bytes bytes(file);
    if (QSize(int(bytes.littleEndian(6, 2)), int(bytes.littleEndian(8, 2))) != layout.stored)
        fail("picture cannot be read");
    std::array<QRgb, 256> colors;
    readColorTable(bytes, 13, colorTableBytes(bytes, 10), colors);
    int transparent = -1;
    qint64 i = 13 + colorTableBytes(bytes, 10);
    for (uchar block; (block = bytes.at(i)) != 0x2C;) {
        if (block != 0x21)
            fail("no picture in the file");
        if (bytes.at(i + 1) == 0xF9 && bytes.at(i + 2) >= 4) // graphic control: its transparent colour
            transparent = bytes.at(i + 3) & 1 ? bytes.at(i + 6) : -1;
        i = skipSubBlocks(bytes, i + 2);
    }
    const int left = int(bytes.littleEndian(i + 1, 2)), top = int(bytes.littleEndian(i + 3, 2));
    const int width = int(bytes.littleEndian(i + 5, 2)), height = int(bytes.littleEndian(i + 7, 2));
    const bool interlaced = bytes.at(i + 9) & 0x40;
    if (const int local = colorTableBytes(bytes, i + 9))
        readColorTable(bytes, i + 10, local, colors);
    i += 10 + colorTableBytes(bytes, i + 9);
    const int minimum = bytes.at(i);
    if (minimum < 1 || minimum > 8 || width < 1 || height < 1)
        fail("picture data broken");

    PixelSink sink(layout.stored, QRectF(part), pixels);
    std::vector<QRgb> row(static_cast<size_t>(width));
    int x = 0, rowsDone = 0;
    const auto put = [&](int index) {
        if (rowsDone >= height)
            return;
        row[size_t(x)] = index == transparent ? 0 : colors[size_t(index)];
        if (++x < width)
            return;
        const int y = top + (interlaced ? interlacedRow(rowsDone, height) : rowsDone);
        sink.addRow(y, row.data(), left, 1, width);
        x = 0;
        ++rowsDone;
        if (stopped())
            fail("stopped");
    };

    // LZW: a code stands for a string of colour indexes, the first 2^minimum
    // for themselves; each code read after the first adds one more to the table.
    const int clear = 1 << minimum, end = clear + 1;
    std::array<quint16, 4096> prefix {};
    std::array<uchar, 4096> suffix {};
    std::array<uchar, 4097> string {};
    Codes codes(bytes, i + 1);
    int size = minimum + 1, next = clear + 2, previous = -1;
    uchar first = 0;
    // Data that end early or go wrong leave the rest uncovered, as other programs show such a file.
    while (rowsDone < height && (interlaced || top + rowsDone < sink.endRow())) {
        const int code = codes.next(size);
        if (code < 0 || code == end)
            break;
        if (code == clear) {
            size = minimum + 1, next = clear + 2, previous = -1;
            continue;
        }
        if (previous < 0) {
            if (code >= clear)
                break;
            put(code);
            previous = code, first = uchar(code);
            continue;
        }
        if (code > next || (code == next && next >= 4096))
            break;
        int length = 0, walk = code;
        if (code == next) {
            string[size_t(length++)] = first;
            walk = previous;
        }
        while (walk > end) {
            string[size_t(length++)] = suffix[size_t(walk)];
            walk = prefix[size_t(walk)];
        }
        first = uchar(walk);
        string[size_t(length++)] = first;
        while (length > 0)
            put(string[size_t(--length)]);
        if (next < 4096) {
            prefix[size_t(next)] = quint16(previous), suffix[size_t(next)] = first;
            if (++next == 1 << size && size < 12)
                ++size;
        }
        previous = code;
    }
    return sink.image();
}

} // namespace Pictures
