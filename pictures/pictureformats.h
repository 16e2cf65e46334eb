#pragma once

// The picture formats the program shows, each read by a decoder whose memory
// and work the program bounds itself: JPEG (libjpeg), PNG (libpng), GIF and
// BMP (decoded here). What a file is, is decided by its first bytes alone.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageIOHandler>
#include <QRect>
#include <QSize>
#include <functional>

namespace Pictures {

enum class Format { Jpeg, Png, Gif, Bmp };

// The most memory a decoder may take for itself besides the rows it hands
// on: a progressive JPEG's coefficients, above all.
constexpr qint64 DecoderBytes = qint64(20) << 20;
// A progressive photo has about ten scans; each costs a pass over the whole picture.
constexpr int MaxScans = 32;
constexpr int MaxSide = 65535;
constexpr qint64 MaxPixels = qint64(256) << 20; // 16384 x 16384
constexpr qint64 FewPixels = qint64(32) << 20; // a camera's photo has more bytes than this needs
constexpr qint64 MaxPixelsPerByte = 1024;

// What opening finds out without decoding.
struct Layout
{
    Format format = Format::Jpeg;
    QSize stored; // as the pixels lie in the file
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;
};

// Polled while decoding: true ends the decode.
using Stopped = std::function<bool()>;

// Fails the step unless a picture of this size is one the program decodes:
// sides up to 65535, at most 256 megapixels, and one of more than 32 must
// have a byte of file for every 1024 pixels it claims (a camera's JPEG holds
// 3 to 10 pixels a byte, a flat colour at most some hundreds).
void checkSize(qint64 width, qint64 height, qint64 fileBytes);

// A file's bytes, read a window at a time: a photo is walked through without
// ever being in memory whole. A byte beyond the end, or a read that fails or
// comes back short (a file cut short or being written over since it was
// opened, a failing disk), fails the step at once: "cut short".
class Bytes
{
public:
    explicit Bytes(QFile &file);

    qint64 size() const { return size_; }
    uchar at(qint64 i);
    quint32 bigEndian(qint64 i, int count);
    quint32 littleEndian(qint64 i, int count);
    // Where the next 0xFF byte is at or after i, or size().
    qint64 nextFF(qint64 i);
    // Where the next marker is at or after i in a JPEG's entropy-coded data,
    // or size(): an 0xFF byte followed by neither a stuffed zero, another
    // 0xFF, nor a restart marker.
    qint64 nextMarker(qint64 i);

private:
    void load(qint64 i);

    QFile &file_;
    const qint64 size_;
    QByteArray window_;
    qint64 start_ = 0;
    qint64 length_ = 0;
};

// Each checks a file of its format without decoding it: the header, the
// size it claims, what decoding it would cost, and that its structure runs
// to its proper end. Any fault fails the step.
Layout inspectJpeg(Bytes &bytes);
Layout inspectPng(Bytes &bytes);
Layout inspectGif(Bytes &bytes);
Layout inspectBmp(Bytes &bytes);

// Each decodes the part `part` (stored pixels) of the file, from its start,
// shrunk to `pixels` at most, and fails the step when the data turn out broken
// or `stopped` says so.
QImage decodeJpeg(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped);
QImage decodePng(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped);
QImage decodeGif(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped);
QImage decodeBmp(QFile &file, const Layout &layout, const QRect &part, const QSize &pixels, const Stopped &stopped);

} // namespace Pictures
